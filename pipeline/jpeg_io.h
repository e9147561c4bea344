// The converter's use of libjpeg: an error manager that turns a fatal library
// error into a jump back to the caller, and source and destination managers
// over the platform layer's files with 4096-byte buffers.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>
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

// Ends the running decode or encode like a fatal library error, with `text`
// as its message (also written to the standard error stream).
[[noreturn]] void FailConversion(j_common_ptr cinfo, const char* text);

// Limits a hostile file must meet. The scan cap is the one the library's own
// fuzzing uses; the memory cap keeps the library's whole-image buffers (a
// progressive or multi-scan file's coefficients) well inside the address
// space of the 32-bit product, beside the decoded rows.
constexpr int kMaxScans = 500;
constexpr long kDecoderMemoryBytes = 512L * 1024 * 1024;
constexpr char kTooManyScansText[] = "Too many scans (more than 500)";
constexpr char kDecoderMemoryText[] = "Insufficient memory (the decoder's buffers would pass 512 MB)";

// After jpeg_create_decompress: the memory cap and a progress monitor that
// fails a file with more than kMaxScans scans.
void LimitDecoder(j_decompress_ptr decoder);

// After jpeg_read_header: the bytes of the whole-image coefficient buffers
// the decoder will need (0 for a single-scan file), in 64 bits so that no
// declared size can wrap it.
std::uint64_t CoefficientBufferBytes(j_decompress_ptr decoder);

constexpr std::size_t kJpegBufferSize = 4096;

// A source reading the open `file` (not owned); allocated on first use.
void AttachHandleSource(j_decompress_ptr decoder, platform::File* file);
// A destination writing the open `file` (not owned); allocated on first use.
void AttachHandleDestination(j_compress_ptr encoder, platform::File* file);

}  // namespace korvane
