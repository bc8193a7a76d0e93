# libavcodec and libavutil cross-built for i686-w64-mingw32 by scripts/setup.
set(_libav_default ${SELVANE_ROOT}/.cache/ffmpeg-i686)
if(DEFINED ENV{SELVANE_CACHE})
  set(_libav_default $ENV{SELVANE_CACHE}/ffmpeg-i686)
endif()
set(LIBAV_PREFIX ${_libav_default} CACHE PATH "Prefix of the cross-built libavcodec")
find_path(LIBAV_INCLUDE_DIR libavcodec/avcodec.h PATHS ${LIBAV_PREFIX}/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_library(LIBAV_AVCODEC NAMES libavcodec.a PATHS ${LIBAV_PREFIX}/lib NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_library(LIBAV_AVUTIL NAMES libavutil.a PATHS ${LIBAV_PREFIX}/lib NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(LibavcodecCross REQUIRED_VARS LIBAV_INCLUDE_DIR LIBAV_AVCODEC LIBAV_AVUTIL)
if(LibavcodecCross_FOUND AND NOT TARGET Libav::avutil)
  add_library(Libav::avutil STATIC IMPORTED)
  set_target_properties(Libav::avutil PROPERTIES IMPORTED_LOCATION ${LIBAV_AVUTIL}
      INTERFACE_INCLUDE_DIRECTORIES ${LIBAV_INCLUDE_DIR}
      INTERFACE_LINK_LIBRARIES "bcrypt")
  add_library(Libav::avcodec STATIC IMPORTED)
  set_target_properties(Libav::avcodec PROPERTIES IMPORTED_LOCATION ${LIBAV_AVCODEC}
      INTERFACE_INCLUDE_DIRECTORIES ${LIBAV_INCLUDE_DIR}
      INTERFACE_LINK_LIBRARIES "Libav::avutil")
endif()
