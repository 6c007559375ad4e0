# Expands an exports.def.in through the C preprocessor into a module-definition
# file with one name per line. The preprocessor joins a macro's expansion into
# one line, and the .def must not depend on how the linker reads such a line.
#
#   cmake -DCOMPILER=<cc> -DINPUT=<in> -DOUTPUT=<def> -DINCLUDE_DIR=<dir>
#         [-DDEFINES=<A;B=1>] -P generate_def.cmake
cmake_minimum_required(VERSION 3.25)
set(args -E -P -x c -DTAVRIN_BASS_LISTS_ONLY "-I${INCLUDE_DIR}")
foreach(d IN LISTS DEFINES)
  list(APPEND args "-D${d}")
endforeach()
execute_process(COMMAND "${COMPILER}" ${args} "${INPUT}"
                OUTPUT_VARIABLE expanded RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "Preprocessing ${INPUT} failed:\n${err}")
endif()
string(REGEX REPLACE "[ \t\r\n]+" ";" tokens "${expanded}")
list(REMOVE_ITEM tokens "")
list(JOIN tokens "\n" text)
file(WRITE "${OUTPUT}.tmp" "${text}\n")
# Rewriting an unchanged .def would relink the DLL for nothing.
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
