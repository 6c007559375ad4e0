# Late imports: a DLL named here is loaded on the first call of one of its
# functions instead of with the module that uses it. For system DLLs whose
# loading costs far more than their use (under Wine, printing support drags in
# CUPS with its TLS and Kerberos libraries, bcrypt drags in gnutls).
#
#   tavrin_delay_import(<variable> <dll> <function>...)
#
# makes an import library for <dll> with the functions named and sets
# <variable> to its path, to link instead of the plain system library.
include_guard(GLOBAL)

find_program(TAVRIN_DLLTOOL NAMES ${TAVRIN_CROSS}-dlltool REQUIRED)

function(tavrin_delay_import variable dll)
  string(REGEX REPLACE "\\.[^.]*$" "" stem "${dll}")
  set(dir "${CMAKE_BINARY_DIR}/delay_imports")
  file(MAKE_DIRECTORY "${dir}")
  list(JOIN ARGN "\n" exports)
  file(WRITE "${dir}/${stem}.def" "LIBRARY ${dll}\nEXPORTS\n${exports}\n")
  execute_process(
    COMMAND "${TAVRIN_DLLTOOL}" --input-def "${dir}/${stem}.def" --dllname "${dll}"
            --output-delaylib "${dir}/lib${stem}_delay.a"
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${TAVRIN_DLLTOOL} could not make the late import of ${dll}")
  endif()
  set(${variable} "${dir}/lib${stem}_delay.a" PARENT_SCOPE)
endfunction()
