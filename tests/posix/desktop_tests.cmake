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

if(NOT WIN32)
    # The desktop entry and the software-centre metadata as the desktop tools check them.
    # Without a tool the test is skipped, saying which package provides it.
    add_test(NAME DesktopEntryValid
        COMMAND ${CMAKE_COMMAND} -DTOOL=desktop-file-validate -DPACKAGE=desktop-file-utils
                -DFILE=${PROJECT_SOURCE_DIR}/resources/lintara.desktop
                -P ${CMAKE_CURRENT_SOURCE_DIR}/posix/Validate.cmake)
    add_test(NAME MetainfoValid
        COMMAND ${CMAKE_COMMAND} -DTOOL=appstreamcli -DPACKAGE=appstream "-DARGS=validate;--no-net"
                -DFILE=${PROJECT_SOURCE_DIR}/resources/org.lintara.lintara.metainfo.xml
                -P ${CMAKE_CURRENT_SOURCE_DIR}/posix/Validate.cmake)
    set_tests_properties(DesktopEntryValid MetainfoValid PROPERTIES SKIP_REGULAR_EXPRESSION "SKIPPED:")
endif()

# A per-user install into a temporary prefix, the installed program's link handling,
# a reinstall over edited settings and the uninstaller.
if(NOT WIN32 AND TARGET Lintara AND TARGET lintara_main_window)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    add_executable(lintara_desktop_install_tests posix/TestDesktopInstall.cpp)
    target_link_libraries(lintara_desktop_install_tests PRIVATE
        lintara_main_window lintara_gui_qt lintara_platform Qt6::Test)
    target_include_directories(lintara_desktop_install_tests PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_definitions(lintara_desktop_install_tests PRIVATE
        LINTARA_CMAKE="${CMAKE_COMMAND}"
        LINTARA_BUILD_DIR="${CMAKE_BINARY_DIR}"
        LINTARA_RESOURCES="${PROJECT_SOURCE_DIR}/resources")
    add_dependencies(lintara_desktop_install_tests Lintara)
    add_test(NAME DesktopInstall COMMAND lintara_desktop_install_tests)
    set_tests_properties(DesktopInstall PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()
