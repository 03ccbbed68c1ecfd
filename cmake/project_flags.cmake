# Warnings (and, in the sanitizer build, the sanitizers) for Vandrel's own targets
# only: GoogleTest, which the cross build compiles from Debian's sources, keeps its own
# flags. Call vandrel_apply_flags() once every target is defined.
option(VANDREL_WERROR "Treat warnings as errors" OFF)
option(VANDREL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

set(vandrel_warnings
  -Wall -Wextra -Wpedantic
  -Wconversion -Wsign-conversion -Wshadow -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual)
if(VANDREL_WERROR)
  list(APPEND vandrel_warnings -Werror)
endif()
# Any finding ends the program, so that a test that trips one fails.
set(vandrel_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

function(vandrel_flags_for_directory directory)
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      continue()
    endif()
    target_compile_options(${target} PRIVATE ${vandrel_warnings})
    if(VANDREL_SANITIZE)
      target_compile_options(${target} PRIVATE ${vandrel_sanitizers})
      target_link_options(${target} PRIVATE ${vandrel_sanitizers})
    endif()
  endforeach()
  get_property(children DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(child IN LISTS children)
    # Only folders of this project: GoogleTest is added from /usr/src.
    cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${child}" NORMALIZE ours)
    if(ours)
      vandrel_flags_for_directory(${child})
    endif()
  endforeach()
endfunction()

function(vandrel_apply_flags)
  vandrel_flags_for_directory(${PROJECT_SOURCE_DIR})
endfunction()
