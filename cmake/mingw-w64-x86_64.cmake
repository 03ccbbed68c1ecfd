# Cross-build the Windows programs with Debian's MinGW-w64 (the posix thread model,
# which GoogleTest's std::mutex needs) and run their tests under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-exec)

# Debian installs the header-only libraries once, for the host, outside the MinGW root
# that packages are otherwise searched in. find_package takes these two from their own
# config folders and looks at nothing else of the host's (the host's root added to
# CMAKE_FIND_ROOT_PATH would let every host package and library in);
# cmake/header_only_packages.cmake keeps the host's include folder off the cross
# compiler's path.
foreach(package nlohmann_json CLI11)
  if(NOT DEFINED ${package}_DIR AND EXISTS /usr/share/cmake/${package})
    set(${package}_DIR /usr/share/cmake/${package})
  endif()
endforeach()
