# Cross build for 64-bit Windows with Debian's MinGW-w64 (POSIX threads, which
# Qt 6 needs for std::thread). Programs and tests run under Wine through the
# emulator wrapper, so that ctest runs them as on Linux.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)

# Qt for MinGW (scripts/build-qt-mingw.sh prints its folder): -DTE_QT_MINGW=...
# Its moc, rcc and uic are the installed Linux Qt's of the same version.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TE_QT_MINGW)
if(TE_QT_MINGW)
    list(PREPEND CMAKE_FIND_ROOT_PATH ${TE_QT_MINGW})
    list(PREPEND CMAKE_PREFIX_PATH ${TE_QT_MINGW})
    set(QT_HOST_PATH /usr CACHE PATH "")
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
endif()
