# Compares a DLL's export table with the names of its .def: the same set, no
# more and no fewer, or the build fails.
#
#   cmake -DOBJDUMP=<objdump> -DDLL=<dll> -DDEF=<def> -P check_exports.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND "${OBJDUMP}" -p "${DLL}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()
# The name pointer table lists each export as "\t[ n] name".
string(REGEX MATCHALL "\t\\[ *[0-9]+\\] [A-Za-z0-9_]+" lines "${dump}")
set(exported "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE ".*\\] " "" name "${line}")
  list(APPEND exported "${name}")
endforeach()

file(STRINGS "${DEF}" def_lines)
set(expected "")
foreach(line IN LISTS def_lines)
  string(REGEX REPLACE "=.*" "" name "${line}")
  if(NOT name STREQUAL "EXPORTS" AND NOT name STREQUAL "")
    list(APPEND expected "${name}")
  endif()
endforeach()

list(SORT exported)
list(SORT expected)
if(NOT exported STREQUAL expected)
  set(missing ${expected})
  list(REMOVE_ITEM missing ${exported})
  set(extra ${exported})
  list(REMOVE_ITEM extra ${expected})
  message(FATAL_ERROR "${DLL}: export table differs from ${DEF}\n"
                      "  missing: ${missing}\n  unexpected: ${extra}")
endif()
