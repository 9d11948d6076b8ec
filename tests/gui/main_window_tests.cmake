# Qt Test suites of the main window and the end-to-end run of the built program.
find_package(Qt6 REQUIRED COMPONENTS Network)

foreach(_suite TestMainWindowLayout TestMainWindow)
    add_executable(${_suite} ${CMAKE_CURRENT_LIST_DIR}/${_suite}.cpp)
    target_link_libraries(${_suite} PRIVATE lintara_main_window lintara_platform Qt6::Test)
    target_include_directories(${_suite} PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_definitions(${_suite} PRIVATE
        LINTARA_RENDER_DIR="${CMAKE_CURRENT_BINARY_DIR}")
    add_test(NAME ${_suite} COMMAND ${_suite})
    set_tests_properties(${_suite} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endforeach()

if(TARGET Lintara AND NOT WIN32)
    add_executable(TestEndToEnd ${CMAKE_CURRENT_LIST_DIR}/TestEndToEnd.cpp)
    target_link_libraries(TestEndToEnd PRIVATE Qt6::Test Qt6::Network)
    target_include_directories(TestEndToEnd PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_definitions(TestEndToEnd PRIVATE
        LINTARA_PROGRAM="$<TARGET_FILE:Lintara>"
        LINTARA_RECORDER="$<TARGET_FILE:lintara_recorder>")
    add_dependencies(TestEndToEnd Lintara lintara_recorder)
    add_test(NAME TestEndToEnd COMMAND TestEndToEnd)
    set_tests_properties(TestEndToEnd PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endif()
