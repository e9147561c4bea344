// Writes the hostile corpus's files that libjpeg-turbo's command-line tools
// cannot make: four-component (CMYK, YCCK) and two-component JPEGs.
// Usage: corpus_fixtures FOLDER
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/jpeg_fixtures.h"

namespace {

using korvane::testing::FixtureOptions;
using korvane::testing::MakeJpeg;

// Two components with no colour space, as a scanner's alpha-and-grey might
// write them: legal for the library, not a picture the converter takes.
std::vector<std::uint8_t> TwoComponents() {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  cinfo.image_width = 40;
  cinfo.image_height = 30;
  cinfo.input_components = 2;
  cinfo.in_color_space = JCS_UNKNOWN;
  jpeg_set_defaults(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(40 * 2, 128);
  JSAMPROW rows[1] = {row.data()};
  while (cinfo.next_scanline < cinfo.image_height) jpeg_write_scanlines(&cinfo, rows, 1);
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<std::uint8_t> bytes(out, out + size);
  std::free(out);
  return bytes;
}

bool Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok && !bytes.empty();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: corpus_fixtures FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  FixtureOptions cmyk;
  cmyk.width = 120;
  cmyk.height = 90;
  cmyk.input = JCS_CMYK;
  FixtureOptions ycck = cmyk;
  ycck.stored = JCS_YCCK;
  FixtureOptions plainCmyk = cmyk;
  plainCmyk.adobeMarker = false;
  FixtureOptions progressiveYcck = ycck;
  progressiveYcck.progressive = true;
  bool ok = Write(folder + "/cmyk.jpg", MakeJpeg(cmyk)) && Write(folder + "/ycck.jpg", MakeJpeg(ycck)) &&
            Write(folder + "/cmyk_without_adobe_marker.jpg", MakeJpeg(plainCmyk)) &&
            Write(folder + "/ycck_progressive.jpg", MakeJpeg(progressiveYcck)) &&
            Write(folder + "/two_components.jpg", TwoComponents());
  return ok ? 0 : 1;
}
