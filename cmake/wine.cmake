# Running the cross-built executables under Wine, in a prefix of the build's own.
set(TAVRIN_WINE /usr/lib/wine/wine64 CACHE FILEPATH "Wine loader")
set(TAVRIN_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(TAVRIN_WINEHOME ${CMAKE_BINARY_DIR}/winehome)

# A wrapper with this build's prefix baked in: `<build>/wine-run program.exe args...`.
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
               GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The same, apart from every other program (a display, a Wine server and a
# copy of the prefix of its own): `<build>/wine-run-apart <name> program.exe args...`.
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run-apart.in ${CMAKE_BINARY_DIR}/wine-run-apart
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

# tavrin_add_wine_test_groups(<target> <filter>...): the target's cases in one
# ctest entry per GoogleTest filter, <target>_1, <target>_2..., and a last one
# for every case that no filter names. Each runs apart (wine-run-apart), so
# the groups can run side by side, with each other and with the other entries.
function(tavrin_add_wine_test_groups target)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIN_TEST_BIN_DIR})
  set(filters ${ARGN})
  list(JOIN filters ":" named)
  list(APPEND filters "-${named}")
  set(index 0)
  foreach(filter ${filters})
    math(EXPR index "${index} + 1")
    add_test(NAME ${target}_${index}
             COMMAND ${CMAKE_BINARY_DIR}/wine-run-apart ${target}_${index}
                     $<TARGET_FILE:${target}> --gtest_filter=${filter})
    # Each group is among the longest entries: they start early.
    set_tests_properties(${target}_${index} PROPERTIES TIMEOUT 180 COST 100)
  endforeach()
endfunction()
