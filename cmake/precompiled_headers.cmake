# Precompiled headers: <windows.h>, the standard headers, the framework's and
# GoogleTest's headers take most of the time of compiling a file of ours, and
# nearly every file includes them. Each set below is compiled once, by the
# target named beside it, and every other target of the same layer reuses it.
#
#   base    <windows.h> and the standard headers     tavrin_bass_common
#   core    base and the framework's core/           tavrin_framework_core
#   window  core and the framework's window/         tavrin_framework_window
#   test    window and GoogleTest                    tavrin_testing
#
# A target gets the widest set that its links allow, so a precompiled header
# never shows a file a header that its library could not include itself, and
# the layers stay enforced. The sets are chosen once every target exists (see
# tavrin_precompile_headers). A target whose flags differ from its set's
# maker's gets a warning (invalid-pch) and compiles without it.
#
# GCC 12 does not keep a header's "#pragma GCC diagnostic" in a precompiled
# header, and libstdc++'s char_traits.h turns off -Warray-bounds,
# -Wstringop-overflow and -Wstringop-overread with one: its string copies give
# false alarms. Files compiled with a precompiled header therefore go without
# these three warnings. Configure with -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON
# to compile every file from its own includes, with the warnings, and to check
# that each includes what it uses.
include_guard(GLOBAL)

set(TAVRIN_PCH_BASE <windows.h> <algorithm> <cstdint> <cstring> <functional> <memory>
    <string> <vector>)
set(TAVRIN_PCH_CORE ${TAVRIN_PCH_BASE} <framework/exceptions.h> <framework/format.h>
    <framework/string_list.h> <framework/streams.h> <framework/component.h>)
set(TAVRIN_PCH_WINDOW ${TAVRIN_PCH_CORE} <framework/forms.h> <framework/controls.h>
    <framework/bitmaps.h> <framework/dialogs.h> <framework/menus.h> <framework/graphics.h>
    <framework/app_exceptions.h>)
set(TAVRIN_PCH_TEST ${TAVRIN_PCH_WINDOW} <gtest/gtest.h>)

set(TAVRIN_PCH_MAKERS base tavrin_bass_common core tavrin_framework_core
    window tavrin_framework_window test tavrin_testing)

# Every target that links <target>, directly or through others, into <out>.
function(_tavrin_link_closure target out)
  set(seen ${${out}})
  set(pending ${target})
  while(pending)
    list(POP_FRONT pending current)
    if(NOT TARGET ${current} OR current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${current})
    get_target_property(type ${current} TYPE)
    set(links "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(direct ${current} LINK_LIBRARIES)
      if(direct)
        list(APPEND links ${direct})
      endif()
    endif()
    get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
    if(interface)
      list(APPEND links ${interface})
    endif()
    foreach(link ${links})
      # $<LINK_ONLY:name> and the like: the name inside.
      string(REGEX REPLACE "^\\$<[A-Z_]+:(.*)>$" "\\1" link "${link}")
      list(APPEND pending ${link})
    endforeach()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(_tavrin_targets_of dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    _tavrin_targets_of(${subdir} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Gives every compiled target of the project (GoogleTest's own excepted) its
# set. Called once, after the last target is made.
function(tavrin_precompile_headers)
  if(CMAKE_DISABLE_PRECOMPILE_HEADERS)
    return()
  endif()
  foreach(kind base core window test)
    list(FIND TAVRIN_PCH_MAKERS ${kind} at)
    math(EXPR at "${at} + 1")
    list(GET TAVRIN_PCH_MAKERS ${at} maker_${kind})
    string(TOUPPER ${kind} upper)
    target_precompile_headers(${maker_${kind}} PRIVATE ${TAVRIN_PCH_${upper}})
  endforeach()
  _tavrin_targets_of(${PROJECT_SOURCE_DIR} targets)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    get_target_property(source_dir ${target} SOURCE_DIR)
    if(NOT type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|EXECUTABLE|OBJECT_LIBRARY)$"
       OR NOT source_dir MATCHES "^${PROJECT_SOURCE_DIR}(/|$)")
      continue()
    endif()
    set(closure "")
    _tavrin_link_closure(${target} closure)
    if(maker_test IN_LIST closure)
      set(kind test)
    elseif(maker_window IN_LIST closure)
      set(kind window)
    elseif(maker_core IN_LIST closure)
      set(kind core)
    else()
      set(kind base)
    endif()
    if(NOT target STREQUAL maker_${kind})
      target_precompile_headers(${target} REUSE_FROM ${maker_${kind}})
    endif()
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Wno-array-bounds
                           -Wno-stringop-overflow -Wno-stringop-overread>)
  endforeach()
endfunction()
