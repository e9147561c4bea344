// The converter's use of libjpeg: an error manager that turns a fatal library
// error into a jump back to the caller, and source and destination managers
// over the platform layer's files with 4096-byte buffers.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdio>  // jpeglib.h wants FILE and size_t declared first

#include <jpeglib.h>

#include "platform/platform.h"

namespace korvane {

struct JpegErrorManager {
  jpeg_error_mgr pub;  // first, so the library's pointer is ours too
  std::jmp_buf jump;   // where a fatal error lands
  bool failedInDecoder = false;
  char fatalMessage[JMSG_LENGTH_MAX] = {};
  bool warned = false;
  char firstWarning[JMSG_LENGTH_MAX] = {};  // the library's first warning, as formatted
};

// jpeg_std_error on `err.pub` with the exits redirected: messages still go to
// the standard error stream as the library writes them, and a fatal error
// records its text and longjmps to `err.jump` instead of ending the process.
// The captured texts survive a second set-up for the encoder.
jpeg_error_mgr* SetUpErrorManager(JpegErrorManager& err);

constexpr std::size_t kJpegBufferSize = 4096;

// A source reading the open `file` (not owned); allocated on first use.
void AttachHandleSource(j_decompress_ptr decoder, platform::File* file);
// A destination writing the open `file` (not owned); allocated on first use.
void AttachHandleDestination(j_compress_ptr encoder, platform::File* file);

}  // namespace korvane
