# The portable release: build/win32/KorvaneResize-<version>-win32.zip, made by
# `cmake --build --preset win32 --target release`. The program writes its
# outputs and history beside itself, so the release is a folder to unpack
# anywhere writable, not an installer.
set(KORVANE_RELEASE_ZIP ${CMAKE_BINARY_DIR}/KorvaneResize-${PROJECT_VERSION}-win32.zip)
set(_release_inputs
  ${CMAKE_SOURCE_DIR}/release/usage.txt
  ${KORVANE_JPEG_SOURCE_DIR}/LICENSE.md
  ${KORVANE_JPEG_SOURCE_DIR}/README.ijg
  ${CMAKE_SOURCE_DIR}/release/sample-photo-notice.txt
  ${CMAKE_SOURCE_DIR}/samples/copyright.lomiri-wallpapers)
add_custom_command(OUTPUT ${KORVANE_RELEASE_ZIP}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/make_release.py ${KORVANE_RELEASE_ZIP}
    ${PROJECT_VERSION} $<TARGET_FILE:KorvaneResize> ${KORVANE_MANUAL} ${_release_inputs}
  DEPENDS KorvaneResize ${KORVANE_MANUAL} ${_release_inputs} ${CMAKE_SOURCE_DIR}/scripts/make_release.py
  VERBATIM)
add_custom_target(release DEPENDS ${KORVANE_RELEASE_ZIP})
