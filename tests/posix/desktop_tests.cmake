# Desktop integration on Linux: the fixed commands' translation, the desktop entry and
# the metadata files, and a per-user install.
if(NOT WIN32)
    add_executable(lintara_desktop_tests posix/TestDesktopTranslation.cpp)
    target_link_libraries(lintara_desktop_tests PRIVATE lintara_platform GTest::gtest_main)
    target_compile_definitions(lintara_desktop_tests PRIVATE
        LINTARA_RECORDER="$<TARGET_FILE:lintara_recorder>")
    add_dependencies(lintara_desktop_tests lintara_recorder)
    gtest_discover_tests(lintara_desktop_tests DISCOVERY_TIMEOUT 60)
endif()
