# cmake -DSOURCE=<file> -DTARGET=<file> -P copy_if_absent.cmake
# Copies SOURCE to TARGET only when TARGET does not exist yet.
if(NOT EXISTS "${TARGET}")
    file(COPY_FILE "${SOURCE}" "${TARGET}")
endif()
