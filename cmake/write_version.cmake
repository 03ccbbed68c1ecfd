# cmake -DSOURCE_DIR=... -DOUTPUT=... -DVERSION=X.Y.Z [-DCOMMIT=...] -P write_version.cmake
# Writes the version header cmake/version.cmake describes.
if(NOT COMMIT)
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-parse --short=12 HEAD
                    OUTPUT_VARIABLE COMMIT OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
    if(failed)
      set(COMMIT "")
    elseif(COMMIT)
      # Changes to tracked files not yet committed: the commit alone would not say what was built.
      execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} status --porcelain --untracked-files=no
                      OUTPUT_VARIABLE changes ERROR_QUIET)
      if(changes)
        string(APPEND COMMIT ", modified")
      endif()
    endif()
  endif()
endif()

string(REPLACE "." ";" parts "${VERSION}")
list(APPEND parts 0 0 0 0)
list(SUBLIST parts 0 4 parts)
list(JOIN parts "," VANDREL_VERSION_NUMBERS)
list(JOIN parts "." VANDREL_VERSION_DOTTED)
set(VANDREL_VERSION "${VERSION}")
if(COMMIT)
  set(VANDREL_VERSION_TEXT "${VERSION} (commit ${COMMIT})")
else()
  set(VANDREL_VERSION_TEXT "${VERSION}")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/vandrel_version.h.in ${OUTPUT} @ONLY)
