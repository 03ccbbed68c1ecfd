# Every test that runs under Wine gets a prefix inside this build tree unless it names
# one itself: two checkouts tested at once on one machine then share no wineserver, and
# neither sees the other's stand-in desktop. The prefixes are made on first use.
#   vandrel_wine_prefix(NAME): the tests the calling folder has added take build/.../NAME.
# Called from that folder itself: before CMake 3.28 a test's properties can only be set
# where it was added.
function(vandrel_wine_prefix name)
  get_directory_property(tests TESTS)
  foreach(test IN LISTS tests)
    get_test_property(${test} ENVIRONMENT environment)
    if(environment MATCHES "VANDREL_WINEPREFIX=")
      continue()
    endif()
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT VANDREL_WINEPREFIX=${CMAKE_BINARY_DIR}/${name})
  endforeach()
endfunction()
