# The two header-only libraries, found through the CMake packages they install:
# Debian's nlohmann-json3-dev and libcli11-dev here, MSYS2's mingw-w64-x86_64-nlohmann-json
# and mingw-w64-x86_64-cli11 on Windows. The code links vandrel_json and vandrel_cli11.
find_package(nlohmann_json 3.2 CONFIG REQUIRED)
find_package(CLI11 2.0 CONFIG REQUIRED)

# vandrel_header_only_package(TARGET IMPORTED FOLDER): TARGET stands for the package's
# imported target, FOLDER being the one folder its headers are included under.
#
# A package installed for the compiler in use (natively, or MSYS2's for its own MinGW)
# declares that compiler's include folder, and is used as it is. A cross build that
# borrows the host's package (Debian's MinGW build, whose toolchain file points
# <Package>_DIR at it) gets the host's own include folder, which also holds
# the host's C library headers: put on the cross compiler's path they would be taken
# before MinGW's own. There only the package's own folder is copied into the build
# tree, and only that copy goes on the path.
function(vandrel_header_only_package target imported folder)
  add_library(${target} INTERFACE)
  get_target_property(include_dirs ${imported} INTERFACE_INCLUDE_DIRECTORIES)
  set(borrowed FALSE)
  if(CMAKE_CROSSCOMPILING)
    set(borrowed TRUE)
    foreach(root IN LISTS CMAKE_FIND_ROOT_PATH CMAKE_SYSROOT)
      foreach(dir IN LISTS include_dirs)
        cmake_path(IS_PREFIX root "${dir}" NORMALIZE inside)
        if(inside)
          set(borrowed FALSE)
        endif()
      endforeach()
    endforeach()
  endif()
  if(NOT borrowed)
    target_link_libraries(${target} INTERFACE ${imported})
    return()
  endif()
  set(source "")
  foreach(dir IN LISTS include_dirs)
    if(IS_DIRECTORY "${dir}/${folder}")
      set(source "${dir}/${folder}")
      break()
    endif()
  endforeach()
  if(NOT source)
    message(FATAL_ERROR "${imported} declares no include folder holding ${folder}/")
  endif()
  file(COPY ${source} DESTINATION ${CMAKE_BINARY_DIR}/header-only)
  # SYSTEM: the packages' own warnings are not ours to fix.
  target_include_directories(${target} SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/header-only)
  # What else the package asks of its users (the C++ standard), without its folder.
  get_target_property(features ${imported} INTERFACE_COMPILE_FEATURES)
  if(features)
    target_compile_features(${target} INTERFACE ${features})
  endif()
endfunction()

vandrel_header_only_package(vandrel_json nlohmann_json::nlohmann_json nlohmann)
vandrel_header_only_package(vandrel_cli11 CLI11::CLI11 CLI)
