# Running the cross-built executables under Wine, in a prefix of the build's own.
set(TAVRIN_WINE /usr/lib/wine/wine64 CACHE FILEPATH "Wine loader")
set(TAVRIN_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(TAVRIN_WINEHOME ${CMAKE_BINARY_DIR}/winehome)

# A wrapper with this build's prefix baked in: `<build>/wine-run program.exe args...`.
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
               GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# One ctest entry per test executable: Wine's start-up cost is paid once per
# executable, not once per case.
function(tavrin_add_wine_test target)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIN_TEST_BIN_DIR})
  add_test(NAME ${target}
           COMMAND ${CMAKE_BINARY_DIR}/wine-run $<TARGET_FILE:${target}> ${ARGN})
  # Every executable finishes in seconds; a stuck one is cut short and fails:
  # a hang is a fault, never run again.
  set_tests_properties(${target} PROPERTIES TIMEOUT 180)
endfunction()
