# Shared part of the Windows cross builds: mingw-w64 for PELO_TRIPLE; tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${PELO_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELO_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PELO_TRIPLE}-windres)
# A type library says when it was made: the wrapper makes that a fixed time.
set(PELO_WIDL ${CMAKE_CURRENT_LIST_DIR}/reproducible-widl.py ${PELO_TRIPLE}-widl)
set(CMAKE_FIND_ROOT_PATH /usr/${PELO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec.sh)
# Reproducible objects: debug information and __FILE__ name the sources and the build folder by
# these short names, not by where they happen to be.
set(CMAKE_C_FLAGS_INIT "-ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build")
set(CMAKE_CXX_FLAGS_INIT "${CMAKE_C_FLAGS_INIT}")
