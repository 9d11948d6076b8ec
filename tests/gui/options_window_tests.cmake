# Qt Test suites of the Options window.
if(TARGET lintara_options_window)
    add_executable(lintara_options_tests TestOptionsWindow.cpp)
    target_link_libraries(lintara_options_tests PRIVATE lintara_options_window Qt6::Test)
    target_include_directories(lintara_options_tests PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_definitions(lintara_options_tests PRIVATE
        LINTARA_RENDER_FOLDER="${CMAKE_CURRENT_BINARY_DIR}")
    add_test(NAME OptionsWindow COMMAND lintara_options_tests)
    set_tests_properties(OptionsWindow PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()
