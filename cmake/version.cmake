# The one version: project(... VERSION ...). Both programs' VERSIONINFO resources and
# `vandrel --version` read it from one generated header, vandrel_version.h, written at
# every build so that it names the commit the programs were built from. The header is
# rewritten only when its text changes: an unchanged commit recompiles nothing.
#   VANDREL_COMMIT   the commit to name, for a build outside a git checkout (tools/package
#                    builds an exported tree); empty: asked of git, if there is one.
set(VANDREL_COMMIT "" CACHE STRING "The commit the build names; empty: asked of git")

set(vandrel_version_dir ${CMAKE_BINARY_DIR}/generated)
add_custom_target(vandrel_version_header
  COMMAND ${CMAKE_COMMAND}
    -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DOUTPUT=${vandrel_version_dir}/vandrel_version.h
    -DVERSION=${PROJECT_VERSION} -DCOMMIT=${VANDREL_COMMIT}
    -P ${CMAKE_CURRENT_LIST_DIR}/write_version.cmake
  BYPRODUCTS ${vandrel_version_dir}/vandrel_version.h
  COMMENT "Version header"
  VERBATIM)

add_library(vandrel_version INTERFACE)
target_include_directories(vandrel_version INTERFACE ${vandrel_version_dir})
add_dependencies(vandrel_version vandrel_version_header)
