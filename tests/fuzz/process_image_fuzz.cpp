// libFuzzer harness for the decode path: any bytes as a .jpg file through
// ProcessImage at every scale (and in the grey mode, which changes what the
// decoder is asked for). Each call must end with one result line and leave
// an output file exactly when it reports success.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "pipeline/process_image.h"
#include "platform/platform.h"
#include "platform/text.h"

using namespace korvane;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

struct QuietError {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void JumpOut(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<QuietError*>(cinfo->err)->jump, 1); }
void Silent(j_common_ptr, int) {}

// Declared pixels, or 0 when the header does not read. Inputs that declare
// more than the library's own fuzzers allow are left out: they only measure
// decoding speed, and the unit tests cover the size limits.
std::uint64_t DeclaredPixels(const std::uint8_t* data, std::size_t size) {
  jpeg_decompress_struct cinfo{};
  QuietError err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = JumpOut;
  err.pub.emit_message = Silent;
  std::uint64_t pixels = 0;
  if (setjmp(err.jump) == 0) {
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    pixels = std::uint64_t{cinfo.image_width} * cinfo.image_height;
  }
  jpeg_destroy_decompress(&cinfo);
  return pixels;
}

// A fresh folder for the input and the output, made once per run.
std::string Folder() {
  char pattern[] = "/tmp/korvane-fuzz-XXXXXX";
  Check(mkdtemp(pattern) != nullptr);
  return pattern;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (DeclaredPixels(data, size) > 1024u * 1024) return 0;
  static const std::string folder = Folder();
  static const bool made = platform::CreateFolder(Utf8ToUtf16(folder + "/out"));
  (void)made;
  const std::string source = folder + "/in.jpg";
  const std::string output = folder + "/out/in.jpg";
  std::FILE* f = std::fopen(source.c_str(), "wb");
  Check(f != nullptr);
  Check(size == 0 || std::fwrite(data, 1, size, f) == size);
  std::fclose(f);
  for (int pass = 0; pass < 5; ++pass) {
    OutputSettings settings;
    settings.scale = pass % 4;
    if (pass == 4) settings.colorMode = kColorGrayscale;
    std::remove(output.c_str());
    char16_t text[kResultTextUnits];
    const bool ok = ProcessImage(text, Utf8ToUtf16(source), Utf8ToUtf16(folder + "/out"), settings);
    const std::u16string line(text);
    Check(!line.empty() && line.find_first_of(u"\r\n") == std::u16string::npos);
    Check(ok == platform::QueryAttributes(Utf8ToUtf16(output)).exists);
  }
  return 0;
}
