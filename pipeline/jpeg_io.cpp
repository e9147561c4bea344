#include "pipeline/jpeg_io.h"

#include <jerror.h>

#include <cstdio>
#include <cstring>

namespace korvane {
namespace {

// --- error manager ------------------------------------------------------------

[[noreturn]] void JumpBack(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  err->failedInDecoder = cinfo->is_decompressor != 0;
  std::longjmp(err->jump, 1);
}

void ExitByJump(j_common_ptr cinfo) {
  // Without backing store (the library is built without temporary files)
  // this error only means that the whole-image buffers passed the cap.
  if (cinfo->err->msg_code == JERR_NO_BACKING_STORE) FailConversion(cinfo, kDecoderMemoryText);
  auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  (*cinfo->err->output_message)(cinfo);
  (*cinfo->err->format_message)(cinfo, err->fatalMessage);
  JumpBack(cinfo);
}

// The decoder calls this at least once for every scan it reads into its
// coefficient buffers.
void LimitScans(j_common_ptr cinfo) {
  if (cinfo->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
    FailConversion(cinfo, kTooManyScansText);
}

// The library's own rule (first warning shown, later ones counted), plus a
// copy of the first warning for the file's result line.
void EmitMessage(j_common_ptr cinfo, int msgLevel) {
  auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  jpeg_error_mgr* pub = cinfo->err;
  if (msgLevel < 0) {
    if (pub->num_warnings == 0 || pub->trace_level >= 3) (*pub->output_message)(cinfo);
    if (!err->warned) {
      (*pub->format_message)(cinfo, err->firstWarning);
      err->warned = true;
    }
    pub->num_warnings++;
  } else if (pub->trace_level >= msgLevel) {
    (*pub->output_message)(cinfo);
  }
}

// --- source ---------------------------------------------------------------------

struct HandleSource {
  jpeg_source_mgr pub;
  platform::File* file;
  JOCTET* buffer;
  boolean startOfFile;
};

void InitSource(j_decompress_ptr cinfo) {
  reinterpret_cast<HandleSource*>(cinfo->src)->startOfFile = TRUE;
}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<HandleSource*>(cinfo->src);
  std::uint32_t got = 0;
  if (!src->file->Read(src->buffer, kJpegBufferSize, &got)) got = 0;
  if (got == 0) {
    if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    // A fake end-of-image marker, so that a cut-off file decodes to the end.
    src->buffer[0] = 0xFF;
    src->buffer[1] = JPEG_EOI;
    got = 2;
  }
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = got;
  src->startOfFile = FALSE;
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long numBytes) {
  jpeg_source_mgr* src = cinfo->src;
  if (numBytes <= 0) return;
  while (numBytes > static_cast<long>(src->bytes_in_buffer)) {
    numBytes -= static_cast<long>(src->bytes_in_buffer);
    (void)(*src->fill_input_buffer)(cinfo);
  }
  src->next_input_byte += numBytes;
  src->bytes_in_buffer -= static_cast<std::size_t>(numBytes);
}

void TermSource(j_decompress_ptr) {}

// --- destination ----------------------------------------------------------------

struct HandleDestination {
  jpeg_destination_mgr pub;
  platform::File* file;
  JOCTET* buffer;
};

void InitDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<HandleDestination*>(cinfo->dest);
  dest->buffer = static_cast<JOCTET*>(
      (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kJpegBufferSize));
  dest->pub.next_output_byte = dest->buffer;
  dest->pub.free_in_buffer = kJpegBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<HandleDestination*>(cinfo->dest);
  if (!dest->file->Write(dest->buffer, kJpegBufferSize)) ERREXIT(cinfo, JERR_FILE_WRITE);
  dest->pub.next_output_byte = dest->buffer;
  dest->pub.free_in_buffer = kJpegBufferSize;
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<HandleDestination*>(cinfo->dest);
  const std::size_t count = kJpegBufferSize - dest->pub.free_in_buffer;
  if (count > 0 && !dest->file->Write(dest->buffer, static_cast<std::uint32_t>(count)))
    ERREXIT(cinfo, JERR_FILE_WRITE);
}

}  // namespace

void FailConversion(j_common_ptr cinfo, const char* text) {
  auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  std::fprintf(stderr, "%s\n", text);
  std::snprintf(err->fatalMessage, sizeof err->fatalMessage, "%s", text);
  JumpBack(cinfo);
}

void LimitDecoder(j_decompress_ptr cinfo) {
  cinfo->mem->max_memory_to_use = kDecoderMemoryBytes;
  if (cinfo->progress == nullptr) {
    auto* progress = static_cast<jpeg_progress_mgr*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(jpeg_progress_mgr)));
    *progress = jpeg_progress_mgr{};
    progress->progress_monitor = LimitScans;
    cinfo->progress = progress;
  }
}

std::uint64_t CoefficientBufferBytes(j_decompress_ptr cinfo) {
  // The library's own rule for buffering the whole image.
  if (!cinfo->progressive_mode && cinfo->comps_in_scan >= cinfo->num_components) return 0;
  std::uint64_t bytes = 0;
  for (int ci = 0; ci < cinfo->num_components; ++ci) {
    const jpeg_component_info& comp = cinfo->comp_info[ci];
    // Rows and columns of blocks, rounded up to whole MCUs as the library does.
    const std::uint64_t h = comp.h_samp_factor > 0 ? static_cast<std::uint64_t>(comp.h_samp_factor) : 1;
    const std::uint64_t v = comp.v_samp_factor > 0 ? static_cast<std::uint64_t>(comp.v_samp_factor) : 1;
    const std::uint64_t columns = (comp.width_in_blocks + h - 1) / h * h;
    const std::uint64_t rows = (comp.height_in_blocks + v - 1) / v * v;
    bytes += columns * rows * sizeof(JBLOCK);
  }
  return bytes;
}

jpeg_error_mgr* SetUpErrorManager(JpegErrorManager& err) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = ExitByJump;
  err.pub.emit_message = EmitMessage;
  return &err.pub;
}

void AttachHandleSource(j_decompress_ptr cinfo, platform::File* file) {
  if (cinfo->src == nullptr) {
    auto* src = static_cast<HandleSource*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(HandleSource)));
    src->buffer = static_cast<JOCTET*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kJpegBufferSize));
    cinfo->src = &src->pub;
  }
  auto* src = reinterpret_cast<HandleSource*>(cinfo->src);
  src->pub.init_source = InitSource;
  src->pub.fill_input_buffer = FillInputBuffer;
  src->pub.skip_input_data = SkipInputData;
  src->pub.resync_to_restart = jpeg_resync_to_restart;
  src->pub.term_source = TermSource;
  src->file = file;
  src->pub.bytes_in_buffer = 0;
  src->pub.next_input_byte = nullptr;
}

void AttachHandleDestination(j_compress_ptr cinfo, platform::File* file) {
  if (cinfo->dest == nullptr) {
    cinfo->dest = static_cast<jpeg_destination_mgr*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(HandleDestination)));
  }
  auto* dest = reinterpret_cast<HandleDestination*>(cinfo->dest);
  dest->pub.init_destination = InitDestination;
  dest->pub.empty_output_buffer = EmptyOutputBuffer;
  dest->pub.term_destination = TermDestination;
  dest->file = file;
}

}  // namespace korvane
