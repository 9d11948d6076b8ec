# Qt Test suites of the Qt front end and the end-to-end run of the built program.
find_package(Qt6 REQUIRED COMPONENTS Network)

add_executable(TestQtForm ${CMAKE_CURRENT_LIST_DIR}/TestQtForm.cpp)
target_link_libraries(TestQtForm PRIVATE lintara_main_window lintara_gui_qt lintara_platform
    Qt6::Test)
target_include_directories(TestQtForm PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(TestQtForm PRIVATE LINTARA_RENDER_DIR="${CMAKE_CURRENT_BINARY_DIR}")
add_test(NAME TestQtForm COMMAND TestQtForm)
set_tests_properties(TestQtForm PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")

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
