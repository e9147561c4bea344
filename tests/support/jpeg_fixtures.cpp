#include "support/jpeg_fixtures.h"

#include <csetjmp>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/text.h"

namespace korvane::testing {
namespace fs = std::filesystem;

namespace {

struct TestErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void ExitToTest(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<TestErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void Quiet(j_common_ptr, int) {}

fs::path AsPath(const std::u16string& p) { return fs::path(p); }

#ifdef _WIN32
// Removes a tree through "\\?\" paths, which the runtime's own remover does
// not take, so that trees deeper than MAX_PATH go too.
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}
#endif

}  // namespace

std::vector<std::uint8_t> MakeJpeg(const FixtureOptions& o) {
  const int comps = o.input == JCS_GRAYSCALE ? 1 : o.input == JCS_CMYK ? 4 : 3;
  std::vector<std::uint8_t> pixels(std::size_t(o.width) * o.height * comps);
  for (int y = 0; y < o.height; ++y)
    for (int x = 0; x < o.width; ++x)
      for (int k = 0; k < comps; ++k) {
        const std::size_t i = (std::size_t(y) * o.width + x) * comps + k;
        const int wx = o.width > 1 ? o.width - 1 : 1, hy = o.height > 1 ? o.height - 1 : 1;
        const int ramp = k == 0 ? x * 255 / wx : k == 1 ? y * 255 / hy : k == 2 ? (x + y) * 255 / (wx + hy) : 60;
        pixels[i] = o.useFill ? o.fill[k] : static_cast<std::uint8_t>(ramp);
      }

  jpeg_compress_struct cinfo{};
  TestErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ExitToTest;
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return {};
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &out, &outSize);
  cinfo.image_width = static_cast<JDIMENSION>(o.width);
  cinfo.image_height = static_cast<JDIMENSION>(o.height);
  cinfo.input_components = comps;
  cinfo.in_color_space = o.input;
  jpeg_set_defaults(&cinfo);
  if (o.stored != JCS_UNKNOWN) jpeg_set_colorspace(&cinfo, o.stored);
  if (comps == 4) cinfo.write_Adobe_marker = o.adobeMarker ? TRUE : FALSE;
  jpeg_set_quality(&cinfo, o.quality, TRUE);
  if (o.progressive) jpeg_simple_progression(&cinfo);
  cinfo.arith_code = o.arithmetic ? TRUE : FALSE;
  cinfo.restart_in_rows = o.restartRows;
  jpeg_start_compress(&cinfo, TRUE);
  for (const auto& m : o.markers)
    jpeg_write_marker(&cinfo, m.first, reinterpret_cast<const JOCTET*>(m.second.data()),
                      static_cast<unsigned>(m.second.size()));
  std::vector<JSAMPROW> rows(o.height);
  for (int y = 0; y < o.height; ++y) rows[y] = pixels.data() + std::size_t(y) * o.width * comps;
  jpeg_write_scanlines(&cinfo, rows.data(), static_cast<JDIMENSION>(o.height));
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<std::uint8_t> bytes(out, out + outSize);
  std::free(out);
  return bytes;
}

DecodedJpeg DecodeJpeg(const std::vector<std::uint8_t>& bytes) {
  DecodedJpeg d;
  jpeg_decompress_struct cinfo{};
  TestErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ExitToTest;
  err.pub.emit_message = Quiet;
  if (setjmp(err.jump)) {
    d.ok = false;
    d.error = err.message;
    jpeg_destroy_decompress(&cinfo);
    return d;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  for (int m = 0; m < 16; ++m) jpeg_save_markers(&cinfo, JPEG_APP0 + m, 0xFFFF);
  jpeg_save_markers(&cinfo, JPEG_COM, 0xFFFF);
  jpeg_read_header(&cinfo, TRUE);
  for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next)
    d.markerCodes.push_back(m->marker);
  for (int t = 0; t < NUM_QUANT_TBLS; ++t) {
    if (cinfo.quant_tbl_ptrs[t] == nullptr) continue;
    d.quantTables.emplace_back(cinfo.quant_tbl_ptrs[t]->quantval, cinfo.quant_tbl_ptrs[t]->quantval + DCTSIZE2);
  }
  d.colorSpace = cinfo.jpeg_color_space;
  d.progressive = cinfo.progressive_mode != 0;
  jpeg_start_decompress(&cinfo);
  d.width = static_cast<int>(cinfo.output_width);
  d.height = static_cast<int>(cinfo.output_height);
  d.components = cinfo.output_components;
  d.pixels.resize(std::size_t(d.width) * d.height * d.components);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = d.pixels.data() + std::size_t(cinfo.output_scanline) * d.width * d.components;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  d.ok = true;
  return d;
}

std::vector<std::uint8_t> ReadBytes(const std::u16string& path) {
  std::ifstream in(AsPath(path), std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WriteBytes(const std::u16string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(AsPath(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::u16string ReadUtf16File(const std::u16string& path) {
  const std::vector<std::uint8_t> b = ReadBytes(path);
  std::u16string text;
  for (std::size_t i = 0; i + 1 < b.size(); i += 2) text += static_cast<char16_t>(b[i] | b[i + 1] << 8);
  return text;
}

bool FileExists(const std::u16string& path) {
  std::error_code ec;
  return fs::exists(AsPath(path), ec);
}

ScratchFolder::ScratchFolder() {
  std::random_device rd;
  const fs::path base = fs::temp_directory_path();
  for (;;) {
    const fs::path p = base / ("korvane-test-" + std::to_string(rd()));
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      path_ = p.u16string();
      return;
    }
  }
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
#ifdef _WIN32
  // Tests make trees deeper than MAX_PATH inside.
  std::wstring whole(path_.begin(), path_.end());
  for (wchar_t& c : whole)
    if (c == L'/') c = L'\\';
  if (whole.size() > 2 && whole[1] == L':') RemoveTree(L"\\\\?\\" + whole);
  fs::remove_all(AsPath(path_), ec);  // whatever is left
#else
  fs::remove_all(AsPath(path_), ec);
#endif
}

std::u16string ScratchFolder::MakeSubfolder(const std::u16string& name) const {
  const std::u16string p = File(name);
  std::error_code ec;
  fs::create_directories(AsPath(p), ec);
  return p;
}

std::u16string SamplePath(const char* fileName) {
  return Utf8ToUtf16(std::string(KORVANE_SAMPLES_DIR) + "/" + fileName);
}

std::u16string ReferencePath(const std::string& fileName) {
  return Utf8ToUtf16(std::string(KORVANE_REFERENCE_DIR) + "/" + fileName);
}

}  // namespace korvane::testing
