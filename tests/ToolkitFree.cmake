# The core and the two windows include no toolkit header and no Windows header: the
# windows reach their controls through Form alone.
file(GLOB_RECURSE _sources
    ${SOURCE_DIR}/core/*.cpp ${SOURCE_DIR}/core/*.h
    ${SOURCE_DIR}/main_window/*.cpp ${SOURCE_DIR}/main_window/*.h
    ${SOURCE_DIR}/options_window/*.cpp ${SOURCE_DIR}/options_window/*.h)
set(_found "")
foreach(_file IN LISTS _sources)
    file(STRINGS ${_file} _lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]*|qt[^>\"]*|[Ww]indows\\.h|winuser\\.h|commctrl\\.h|commdlg\\.h)[>\"/]")
    if(_lines)
        list(APPEND _found "${_file}: ${_lines}")
    endif()
endforeach()
if(_found)
    message(FATAL_ERROR "toolkit headers in toolkit-free folders:\n${_found}")
endif()
