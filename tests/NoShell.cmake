# Fails when any source file could hand a command line to a shell.
file(GLOB_RECURSE sources
    ${SOURCE_DIR}/core/*.cpp ${SOURCE_DIR}/core/*.h
    ${SOURCE_DIR}/platform/*.cpp ${SOURCE_DIR}/platform/*.h
    ${SOURCE_DIR}/main_window/*.cpp ${SOURCE_DIR}/main_window/*.h
    ${SOURCE_DIR}/options_window/*.cpp ${SOURCE_DIR}/options_window/*.h
    ${SOURCE_DIR}/app/*.cpp ${SOURCE_DIR}/app/*.h
    ${SOURCE_DIR}/gui/*.cpp ${SOURCE_DIR}/gui/*.h
    ${SOURCE_DIR}/bench/*.cpp)
set(forbidden "system(" "popen(" "/bin/sh" "QProcess::startCommand" "startCommand(" "execvp(" "execlp(")
set(found "")
foreach(source IN LISTS sources)
    file(READ ${source} text)
    foreach(word IN LISTS forbidden)
        string(FIND "${text}" "${word}" at)
        if(NOT at EQUAL -1)
            list(APPEND found "${source}: ${word}")
        endif()
    endforeach()
endforeach()
list(LENGTH sources count)
if(found)
    list(JOIN found "\n  " lines)
    message(FATAL_ERROR "shell use found:\n  ${lines}")
endif()
message(STATUS "no shell use in ${count} source files")
