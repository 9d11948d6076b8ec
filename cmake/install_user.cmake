# Install-time part of the install rules (see install.cmake): the sample settings file,
# the desktop entry and uninstaller for this prefix, and the per-user registration.
set(_prefix "${CMAKE_INSTALL_PREFIX}")
set(_dest "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(_res "${LINTARA_SOURCE_DIR}/resources")

# The sample only where there is no settings file: an upgrade keeps the user's own.
set(_ini "${_dest}/bin/Lintara.ini")
if(EXISTS "${_ini}" OR IS_SYMLINK "${_ini}")
    message(STATUS "Keeping: ${_ini}")
else()
    message(STATUS "Installing: ${_ini}")
    file(COPY_FILE "${_res}/Lintara.ini" "${_ini}")
endif()

if(NOT LINTARA_DESKTOP)
    return()
endif()

# Quotes text for a POSIX shell.
function(_lintara_sh_quote text out)
    string(REPLACE "'" "'\\''" text "${text}")
    set(${out} "'${text}'" PARENT_SCOPE)
endfunction()

# The desktop entry starts the program of this prefix; a path with reserved characters
# is quoted by the desktop entry rules, then escaped once more as a string value.
set(_exec "${_prefix}/bin/Lintara")
if(_exec MATCHES "[] \t\"'\\\\><~|&;$*?#()`[]")
    string(REPLACE "\\" "\\\\" _exec "${_exec}")
    string(REPLACE "\"" "\\\"" _exec "${_exec}")
    string(REPLACE "`" "\\`" _exec "${_exec}")
    string(REPLACE "$" "\\$" _exec "${_exec}")
    set(_exec "\"${_exec}\"")
    string(REPLACE "\\" "\\\\" _exec "${_exec}")
endif()
string(REPLACE "%" "%%" _exec "${_exec}")
file(READ "${_res}/lintara.desktop" _entry)
string(FIND "${_entry}" "\nExec=Lintara %u\n" _at)
if(_at EQUAL -1)
    message(FATAL_ERROR "resources/lintara.desktop has no line Exec=Lintara %u")
endif()
string(REPLACE "\nExec=Lintara %u\n" "\nExec=${_exec} %u\n" _entry "${_entry}")
set(_desktop "${_dest}/share/applications/lintara.desktop")
message(STATUS "Installing: ${_desktop}")
file(WRITE "${_desktop}" "${_entry}")

# Registration for the installing user, unless this is a staged install for a package.
set(_data "")
if(NOT LINTARA_REGISTER_DESKTOP)
    message(STATUS "Per-user registration switched off (LINTARA_REGISTER_DESKTOP)")
elseif(NOT "$ENV{DESTDIR}" STREQUAL "")
    message(STATUS "Per-user registration skipped: DESTDIR is set")
elseif(IS_ABSOLUTE "$ENV{XDG_DATA_HOME}")
    set(_data "$ENV{XDG_DATA_HOME}")
elseif(IS_ABSOLUTE "$ENV{HOME}")
    set(_data "$ENV{HOME}/.local/share")
else()
    message(STATUS "Per-user registration skipped: neither XDG_DATA_HOME nor HOME is set")
endif()

if(NOT _data STREQUAL "")
    set(_icons "${_data}/icons/hicolor")
    foreach(_pair
            "${_desktop}|${_data}/applications/lintara.desktop"
            "${_res}/lintara-32.png|${_icons}/32x32/apps/lintara.png"
            "${_res}/lintara-48.png|${_icons}/48x48/apps/lintara.png"
            "${_res}/lintara.svg|${_icons}/scalable/apps/lintara.svg"
            "${_res}/org.lintara.lintara.metainfo.xml|${_data}/metainfo/org.lintara.lintara.metainfo.xml")
        string(FIND "${_pair}" "|" _bar REVERSE)
        string(SUBSTRING "${_pair}" 0 ${_bar} _from)
        math(EXPR _bar "${_bar} + 1")
        string(SUBSTRING "${_pair}" ${_bar} -1 _to)
        get_filename_component(_folder "${_to}" DIRECTORY)
        file(MAKE_DIRECTORY "${_folder}")
        message(STATUS "Registering: ${_to}")
        file(COPY_FILE "${_from}" "${_to}")
    endforeach()

    # The helpers are optional: without them the entry still works, it is only found
    # later by the desktop.
    find_program(_lintara_xdg_mime xdg-mime)
    if(_lintara_xdg_mime)
        execute_process(COMMAND "${_lintara_xdg_mime}" default lintara.desktop
                                x-scheme-handler/lintara
            RESULT_VARIABLE _result)
        if(NOT _result EQUAL 0)
            message(STATUS "xdg-mime could not make Lintara the handler of lintara:// links")
        endif()
    else()
        message(STATUS "xdg-mime not found (package xdg-utils): lintara:// handler not set as default")
    endif()
    find_program(_lintara_update_desktop update-desktop-database)
    if(_lintara_update_desktop)
        execute_process(COMMAND "${_lintara_update_desktop}" -q "${_data}/applications")
    endif()
    find_program(_lintara_icon_cache gtk-update-icon-cache)
    if(_lintara_icon_cache AND EXISTS "${_icons}/icon-theme.cache")
        execute_process(COMMAND "${_lintara_icon_cache}" -q -t -f "${_icons}")
    endif()
endif()

# The uninstaller knows this prefix and where the registration went.
_lintara_sh_quote("${_prefix}" _prefix_quoted)
_lintara_sh_quote("${_data}" _data_quoted)
file(READ "${CMAKE_CURRENT_LIST_DIR}/lintara-uninstall.in" _script)
string(REPLACE "@PREFIX@" "${_prefix_quoted}" _script "${_script}")
string(REPLACE "@DATA_HOME@" "${_data_quoted}" _script "${_script}")
set(_uninstall "${_dest}/bin/lintara-uninstall")
message(STATUS "Installing: ${_uninstall}")
file(WRITE "${_uninstall}" "${_script}")
file(CHMOD "${_uninstall}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
