# The project's libraries and the layers between them.
#
# A library is included by its folder's name ("foundation/tnt_strings.h",
# "framework/forms.h", "windows/playlist/playlist_form.h") and through nothing
# else: it exports an include root of its own, made in the build folder, that
# holds one link, named as its include prefix, to its source folder. A library
# can therefore include only what it links, and the build enforces the layers.
include_guard(GLOBAL)

set(TAVRIN_INCLUDE_ROOTS ${CMAKE_BINARY_DIR}/include_roots)

# tavrin_export_folder(<target> <folder> <prefix>): <folder>'s files become
# "<prefix>/<file>" for <target> and whatever links it.
function(tavrin_export_folder target folder prefix)
  set(root ${TAVRIN_INCLUDE_ROOTS}/${target})
  get_filename_component(parent ${root}/${prefix} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(REMOVE ${root}/${prefix})
  file(CREATE_LINK ${folder} ${root}/${prefix} SYMBOLIC)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()

# tavrin_export_files(<target> <prefix> <file>...): only the files named become
# "<prefix>/<file name>", for a folder whose other files are private.
function(tavrin_export_files target prefix)
  set(root ${TAVRIN_INCLUDE_ROOTS}/${target})
  file(MAKE_DIRECTORY ${root}/${prefix})
  foreach(file ${ARGN})
    get_filename_component(name ${file} NAME)
    file(REMOVE ${root}/${prefix}/${name})
    file(CREATE_LINK ${file} ${root}/${prefix}/${name} SYMBOLIC)
  endforeach()
  target_include_directories(${target} INTERFACE ${root})
endfunction()

# tavrin_library(<name> [PUBLIC libs...] [PRIVATE libs...]): a static library
# of the .cpp files of the current folder under src/, included as
# "<folder>/<file>" (the folder's path below src/).
function(tavrin_library name)
  cmake_parse_arguments(L "" "" "PUBLIC;PRIVATE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  file(RELATIVE_PATH prefix ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  tavrin_export_folder(${name} ${CMAKE_CURRENT_SOURCE_DIR} ${prefix})
  target_link_libraries(${name} PUBLIC ${L_PUBLIC} PRIVATE ${L_PRIVATE})
endfunction()
