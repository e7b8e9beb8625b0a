set(CMAKE_C_COMPILER ${NORVANE_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NORVANE_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${NORVANE_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${NORVANE_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Static runtime: the exe must not need any MinGW DLL.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Tests of the cross build run under Wine; the wrapper picks the loader for the build's bitness.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
