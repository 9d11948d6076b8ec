# Windows suites, run under Wine when cross-built: the OS services, the settings backend,
# the INI engine against the system's own private-profile functions, the version resource.
if(WIN32)
    # Started by the services tests: records how it was started.
    add_executable(lintara_win32_child ${CMAKE_CURRENT_LIST_DIR}/ChildProgram.cpp)
    target_link_libraries(lintara_win32_child PRIVATE lintara_platform)

    add_executable(lintara_win32_tests
        ${CMAKE_CURRENT_LIST_DIR}/TestWin32Services.cpp
        ${CMAKE_CURRENT_LIST_DIR}/TestWin32Settings.cpp
    )
    target_link_libraries(lintara_win32_tests PRIVATE lintara_platform GTest::gtest_main)
    target_compile_definitions(lintara_win32_tests PRIVATE
        LINTARA_CHILD="$<TARGET_FILE_NAME:lintara_win32_child>")
    add_dependencies(lintara_win32_tests lintara_win32_child)
    add_test(NAME lintara_win32_tests COMMAND lintara_win32_tests)

    add_executable(lintara_ini_differential ${CMAKE_CURRENT_LIST_DIR}/TestIniDifferential.cpp)
    target_link_libraries(lintara_ini_differential PRIVATE lintara_core GTest::gtest_main)
    add_test(NAME lintara_ini_differential COMMAND lintara_ini_differential)

    # Carries the program's resources and reads them back through the version API.
    add_executable(lintara_version_tests ${CMAKE_CURRENT_LIST_DIR}/TestVersionResource.cpp)
    target_link_libraries(lintara_version_tests PRIVATE lintara_resources GTest::gtest_main version)
    if(EXISTS ${PROJECT_SOURCE_DIR}/resources/lintara.ico)
        target_compile_definitions(lintara_version_tests PRIVATE LINTARA_HAVE_ICON)
    endif()
    add_test(NAME lintara_version_tests COMMAND lintara_version_tests)
endif()

if(WIN32 AND TARGET Lintara)
    find_program(LINTARA_OBJDUMP NAMES x86_64-w64-mingw32-objdump objdump)
    if(LINTARA_OBJDUMP)
        # Stripped and size-optimised only in a release build.
        add_test(NAME LintaraImportsSystemDllsOnly COMMAND ${CMAKE_COMMAND}
            -DEXE=$<TARGET_FILE:Lintara> -DOBJDUMP=${LINTARA_OBJDUMP}
            -DMAX_BYTES=$<IF:$<CONFIG:Release>,524288,0>
            -P ${CMAKE_CURRENT_LIST_DIR}/SystemImports.cmake)
    endif()
endif()

if(WIN32 AND TARGET lintara_gui_win32)
    # The Win32 renderer against the control tables, with the program's own manifest.
    add_executable(lintara_win32_form_tests ${CMAKE_CURRENT_LIST_DIR}/TestWin32Form.cpp)
    target_link_libraries(lintara_win32_form_tests PRIVATE lintara_gui_win32 lintara_main_window
        lintara_resources GTest::gtest_main)
    add_test(NAME lintara_win32_form_tests COMMAND lintara_win32_form_tests)
endif()
