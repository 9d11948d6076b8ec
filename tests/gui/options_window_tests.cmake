# Qt Test suites of the Options window: on its own, and opened from the main window.
if(TARGET lintara_options_window AND TARGET lintara_main_window)
    # The main window's library gives the program's layout font.
    add_executable(TestOptionsWindow ${CMAKE_CURRENT_LIST_DIR}/TestOptionsWindow.cpp)
    target_link_libraries(TestOptionsWindow PRIVATE lintara_main_window Qt6::Test)
    target_include_directories(TestOptionsWindow PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_definitions(TestOptionsWindow PRIVATE
        LINTARA_RENDER_FOLDER="${CMAKE_CURRENT_BINARY_DIR}")
    add_test(NAME TestOptionsWindow COMMAND TestOptionsWindow)
    set_tests_properties(TestOptionsWindow PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")

    add_executable(TestOptionsAndMainWindow ${CMAKE_CURRENT_LIST_DIR}/TestOptionsAndMainWindow.cpp)
    target_link_libraries(TestOptionsAndMainWindow PRIVATE lintara_main_window Qt6::Test)
    target_include_directories(TestOptionsAndMainWindow PRIVATE ${PROJECT_SOURCE_DIR})
    add_test(NAME TestOptionsAndMainWindow COMMAND TestOptionsAndMainWindow)
    set_tests_properties(TestOptionsAndMainWindow PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endif()
