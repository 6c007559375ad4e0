# GoogleTest, cross-built from the sources Debian installs in /usr/src/googletest.
set(TAVRIN_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
# Its own sources are not ours to keep warning-free.
set(_tavrin_saved_options "${CMAKE_CXX_FLAGS}")
add_subdirectory(${TAVRIN_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/_gtest EXCLUDE_FROM_ALL SYSTEM)
foreach(_t gtest gtest_main gmock gmock_main)
  if(TARGET ${_t})
    target_compile_options(${_t} PRIVATE -w)
  endif()
endforeach()
