# Install rules. On Linux a per-user install goes into a prefix the user owns, e.g.
#   cmake --install build --prefix ~/.local/opt/lintara
# Settings live beside the executable, so that folder has to stay writable. The
# install puts the program, its icons and its metadata under the prefix, a sample
# Lintara.ini beside the program when none is there, and registers the menu entry and
# the lintara:// link handler for the installing user; <prefix>/bin/lintara-uninstall
# takes all of it away again except the user's Lintara.ini.
option(LINTARA_REGISTER_DESKTOP
    "At install, register the menu entry and the lintara:// handler for the installing user" ON)

if(TARGET Lintara)
    install(TARGETS Lintara RUNTIME DESTINATION bin)
    set(_lintara_resources ${PROJECT_SOURCE_DIR}/resources)
    if(NOT WIN32)
        install(FILES ${_lintara_resources}/lintara-32.png
            DESTINATION share/icons/hicolor/32x32/apps RENAME lintara.png)
        install(FILES ${_lintara_resources}/lintara-48.png
            DESTINATION share/icons/hicolor/48x48/apps RENAME lintara.png)
        install(FILES ${_lintara_resources}/lintara.svg
            DESTINATION share/icons/hicolor/scalable/apps)
        install(FILES ${_lintara_resources}/org.lintara.lintara.metainfo.xml
            DESTINATION share/metainfo)
    endif()
    # The rest depends on the prefix and the user, so it is decided at install time.
    if(WIN32)
        set(_lintara_desktop OFF)
    else()
        set(_lintara_desktop ON)
    endif()
    install(CODE "
        set(LINTARA_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
        set(LINTARA_DESKTOP ${_lintara_desktop})
        set(LINTARA_REGISTER_DESKTOP ${LINTARA_REGISTER_DESKTOP})")
    install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/install_user.cmake)
endif()
