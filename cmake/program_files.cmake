# The program folder's executables and DLLs are shipped without their debug
# information: Wine maps a file's debug sections into memory with the rest of
# the image (about 40 MB of working set for tavrin.exe and bass.dll). The
# debug information goes to <build>/debug/<file>.debug, linked from the file,
# where a debugger finds it.
set(TAVRIN_DEBUG_DIR ${CMAKE_BINARY_DIR}/debug)
file(MAKE_DIRECTORY ${TAVRIN_DEBUG_DIR})
find_program(TAVRIN_OBJCOPY NAMES ${TAVRIN_CROSS}-objcopy REQUIRED)

function(tavrin_split_debug_info target)
  set(debug_file ${TAVRIN_DEBUG_DIR}/$<TARGET_FILE_NAME:${target}>.debug)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${TAVRIN_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${debug_file}
    COMMAND ${TAVRIN_OBJCOPY} --strip-debug --add-gnu-debuglink=${debug_file}
            $<TARGET_FILE:${target}>
    VERBATIM)
  target_link_options(${target} PRIVATE -Wl,--file-alignment=4096)
endfunction()
