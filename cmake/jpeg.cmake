# korvane_jpeg: Debian's libjpeg-turbo natively; for Windows the same version
# cross-built from Debian's source package into the build tree (cached).
add_library(korvane_jpeg INTERFACE)
if(WIN32)
  set(KORVANE_DEPS_DIR "${CMAKE_BINARY_DIR}/deps" CACHE PATH "Cache for cross-built libraries")
  set(_jpeg_prefix "${KORVANE_DEPS_DIR}/libjpeg-turbo-2.1.5-win32")
  # The unpacked source, whose licence texts go into the release.
  set(KORVANE_JPEG_SOURCE_DIR "${KORVANE_DEPS_DIR}/src/libjpeg-turbo-2.1.5")
  if(NOT EXISTS "${_jpeg_prefix}/lib/libjpeg.a")
    execute_process(
      COMMAND bash "${CMAKE_SOURCE_DIR}/scripts/build-libjpeg-win32.sh" "${KORVANE_DEPS_DIR}"
      RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0)
      message(FATAL_ERROR "libjpeg-turbo cross build failed")
    endif()
  endif()
  target_include_directories(korvane_jpeg INTERFACE "${_jpeg_prefix}/include")
  target_link_libraries(korvane_jpeg INTERFACE "${_jpeg_prefix}/lib/libjpeg.a")
else()
  find_package(JPEG REQUIRED)
  target_link_libraries(korvane_jpeg INTERFACE JPEG::JPEG)
endif()
