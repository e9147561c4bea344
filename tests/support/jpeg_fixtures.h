// Small JPEGs made in the test, files in a scratch folder, and decoding an
// output back for inspection.
#pragma once

#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace korvane::testing {

struct FixtureOptions {
  int width = 64;
  int height = 48;
  J_COLOR_SPACE input = JCS_RGB;       // JCS_RGB, JCS_GRAYSCALE or JCS_CMYK
  J_COLOR_SPACE stored = JCS_UNKNOWN;  // colour space in the file; UNKNOWN = the library's default
  bool adobeMarker = true;             // for CMYK/YCCK: write the Adobe marker
  bool progressive = false;
  bool arithmetic = false;
  int restartRows = 0;
  int quality = 90;
  // Pixels: a smooth gradient unless `fill` is set (then every pixel is it).
  bool useFill = false;
  std::uint8_t fill[4] = {0, 0, 0, 0};
  // Extra markers written after the JFIF header: (code, payload).
  std::vector<std::pair<int, std::string>> markers;
};

std::vector<std::uint8_t> MakeJpeg(const FixtureOptions& options);

struct DecodedJpeg {
  bool ok = false;
  std::string error;
  int width = 0;
  int height = 0;
  int components = 0;
  J_COLOR_SPACE colorSpace = JCS_UNKNOWN;
  bool progressive = false;
  std::vector<std::uint8_t> pixels;      // width x height x components
  std::vector<int> markerCodes;          // every marker other than SOI/EOI/SOF/DHT/DQT/SOS
  std::vector<std::vector<unsigned>> quantTables;
};

DecodedJpeg DecodeJpeg(const std::vector<std::uint8_t>& bytes);

std::vector<std::uint8_t> ReadBytes(const std::u16string& path);
bool WriteBytes(const std::u16string& path, const std::vector<std::uint8_t>& bytes);
bool FileExists(const std::u16string& path);
// A UTF-16LE file's code units (byte-order mark included); empty when missing.
std::u16string ReadUtf16File(const std::u16string& path);

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes away.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::u16string& path() const { return path_; }
  std::u16string File(const std::u16string& name) const { return path_ + u"/" + name; }
  std::u16string MakeSubfolder(const std::u16string& name) const;

 private:
  std::u16string path_;
};

std::u16string SamplePath(const char* fileName);
std::u16string ReferencePath(const std::string& fileName);

}  // namespace korvane::testing
