# Imported targets for the static codec libraries that scripts/build-deps
# cross-builds. Expects TAVRIN_DEPS_PREFIX to name that script's prefix (the
# last line it prints). Defines:
#
#   deps::mpg123  deps::ogg  deps::vorbis  deps::vorbisenc  deps::vorbisfile
#   deps::vorbis_fast  deps::vorbisenc_fast (for our oggenc.exe)
#   deps::openmpt  deps::ffmpeg  deps::mp3lame
#
# and TAVRIN_LAME_EXE, the Windows lame.exe used to make MP3 test data.
#
# Each target carries the libraries it depends on, so linking deps::openmpt
# alone pulls in mpg123, vorbisfile, vorbis and ogg in an order the GNU linker
# accepts. The system libraries are the ones the libraries' pkg-config files
# list as private. Executables are expected to link with -static: the
# libraries use libstdc++ and winpthread, which must not end up as DLLs.
#
# ffmpeg's headers have no extern "C" guards; include them inside
# extern "C" { } from C++.

include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/delay_imports.cmake)

set(_tavrin_deps_hint
  "Build them with scripts/build-deps and configure with\n"
  "  -DTAVRIN_DEPS_PREFIX=\"$(scripts/build-deps | tail -n 1)\"")

if(NOT TAVRIN_DEPS_PREFIX)
  message(FATAL_ERROR
    "TAVRIN_DEPS_PREFIX is not set: the codec libraries are missing.\n"
    ${_tavrin_deps_hint})
endif()
if(NOT EXISTS "${TAVRIN_DEPS_PREFIX}/.complete")
  message(FATAL_ERROR
    "TAVRIN_DEPS_PREFIX=${TAVRIN_DEPS_PREFIX} holds no finished build of the "
    "codec libraries (no .complete marker; the build failed, was interrupted "
    "or the path is wrong).\n" ${_tavrin_deps_hint})
endif()

function(_tavrin_dep_library name file)
  set(path "${TAVRIN_DEPS_PREFIX}/${file}")
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "${path} is missing although ${TAVRIN_DEPS_PREFIX} "
      "is marked complete; delete that directory and rerun scripts/build-deps.")
  endif()
  add_library(deps::${name} STATIC IMPORTED GLOBAL)
  set_target_properties(deps::${name} PROPERTIES
    IMPORTED_LOCATION "${path}"
    INTERFACE_INCLUDE_DIRECTORIES "${TAVRIN_DEPS_PREFIX}/include"
    INTERFACE_LINK_LIBRARIES "${ARGN}")
endfunction()

_tavrin_dep_library(mpg123 lib/libmpg123.a shlwapi)
_tavrin_dep_library(ogg lib/libogg.a)
_tavrin_dep_library(vorbis lib/libvorbis.a deps::ogg)
_tavrin_dep_library(vorbisenc lib/libvorbisenc.a deps::vorbis)
_tavrin_dep_library(vorbisfile lib/libvorbisfile.a deps::vorbis)
# The encoder's own build, with -ffast-math: for our oggenc.exe only.
_tavrin_dep_library(vorbis_fast fast/lib/libvorbis.a deps::ogg)
_tavrin_dep_library(vorbisenc_fast fast/lib/libvorbisenc.a deps::vorbis_fast)

# libopenmpt is C++ behind a C API: declaring CXX as its link language makes
# CMake link even a C consumer with g++, which brings the C++ runtime.
_tavrin_dep_library(openmpt lib/libopenmpt.a
  deps::mpg123 deps::vorbisfile deps::vorbis deps::ogg ole32 rpcrt4)
set_target_properties(deps::openmpt PROPERTIES IMPORTED_LINK_INTERFACE_LANGUAGES CXX)

# The pkg-config files also list -latomic, but nothing in this build needs it
# on x86-64, and without -static it would drag in libatomic-1.dll.
#
# avutil seeds its random numbers through bcrypt.dll, which Wine backs with
# gnutls: it is imported late, so basswma.dll costs nothing of it until
# something asks for a seed.
tavrin_delay_import(_tavrin_bcrypt bcrypt.dll
  BCryptOpenAlgorithmProvider BCryptGenRandom BCryptCloseAlgorithmProvider)
_tavrin_dep_library(avutil lib/libavutil.a "${_tavrin_bcrypt}" user32)
unset(_tavrin_bcrypt)
_tavrin_dep_library(swresample lib/libswresample.a deps::avutil)
_tavrin_dep_library(avcodec lib/libavcodec.a deps::avutil ole32 user32)
_tavrin_dep_library(avformat lib/libavformat.a deps::avcodec deps::avutil)
add_library(deps::ffmpeg INTERFACE IMPORTED GLOBAL)
set_target_properties(deps::ffmpeg PROPERTIES
  INTERFACE_LINK_LIBRARIES "deps::avformat;deps::avcodec;deps::swresample;deps::avutil")

_tavrin_dep_library(mp3lame lib/libmp3lame.a)

set(TAVRIN_LAME_EXE "${TAVRIN_DEPS_PREFIX}/bin/lame.exe")
if(NOT EXISTS "${TAVRIN_LAME_EXE}")
  message(FATAL_ERROR "${TAVRIN_LAME_EXE} is missing; delete ${TAVRIN_DEPS_PREFIX} "
    "and rerun scripts/build-deps.")
endif()

unset(_tavrin_deps_hint)
