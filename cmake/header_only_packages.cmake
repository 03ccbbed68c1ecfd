# Debian's header-only packages, for the native and the MinGW build alike. The cross
# build must not see /usr/include (it holds the host's C library headers), so each
# package's own folder is copied into the build tree and only that is put on the path.
function(vandrel_header_only_package target package_folder)
  set(source /usr/include/${package_folder})
  if(NOT EXISTS ${source})
    message(FATAL_ERROR "${source} is missing: run tools/install-deps")
  endif()
  file(COPY ${source} DESTINATION ${CMAKE_BINARY_DIR}/header-only)
  add_library(${target} INTERFACE)
  # SYSTEM: the packages' own warnings are not ours to fix.
  target_include_directories(${target} SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/header-only)
endfunction()

vandrel_header_only_package(vandrel_json nlohmann)
vandrel_header_only_package(vandrel_cli11 CLI)
