#include "ui/png_file.h"

#include <array>
#include <cstdio>

namespace korvane::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Deflate's bit order: fields from the lowest bit up, Huffman codes from
// their highest bit.
class BitWriter {
 public:
  explicit BitWriter(Bytes& out) : out_(out) {}
  void Bits(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) Bit((value >> i) & 1);
  }
  void Code(std::uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) Bit((code >> i) & 1);
  }
  void Flush() {
    if (used_ > 0) out_.push_back(static_cast<std::uint8_t>(current_));
    current_ = used_ = 0;
  }

 private:
  void Bit(std::uint32_t bit) {
    current_ |= bit << used_;
    if (++used_ == 8) Flush();
  }
  Bytes& out_;
  std::uint32_t current_ = 0;
  int used_ = 0;
};

// The fixed literal/length code of `symbol` (0..287).
void FixedSymbol(BitWriter& w, int symbol) {
  if (symbol < 144) w.Code(0x30 + symbol, 8);
  else if (symbol < 256) w.Code(0x190 + symbol - 144, 9);
  else if (symbol < 280) w.Code(symbol - 256, 7);
  else w.Code(0xC0 + symbol - 280, 8);
}

constexpr int kLengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                               31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistanceBase[] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                 193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int kDistanceExtra[] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void Match(BitWriter& w, int length, int distance) {
  int l = 28;
  while (kLengthBase[l] > length) --l;
  FixedSymbol(w, 257 + l);
  w.Bits(length - kLengthBase[l], kLengthExtra[l]);
  int d = 29;
  while (kDistanceBase[d] > distance) --d;
  w.Code(d, 5);
  w.Bits(distance - kDistanceBase[d], kDistanceExtra[d]);
}

std::size_t MatchLength(const Bytes& data, std::size_t at, std::size_t distance) {
  if (distance == 0 || distance > at || distance > 32768) return 0;
  std::size_t n = 0;
  while (n < 258 && at + n < data.size() && data[at + n] == data[at + n - distance]) ++n;
  return n;
}

std::uint32_t Adler32(const Bytes& data) {
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void Put32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void Chunk(Bytes& file, const char* type, const Bytes& body) {
  Put32(file, static_cast<std::uint32_t>(body.size()));
  const std::size_t start = file.size();
  file.insert(file.end(), type, type + 4);
  file.insert(file.end(), body.begin(), body.end());
  Put32(file, Crc32(file.data() + start, file.size() - start));
}

// A zlib stream of `data`, rows of `rowBytes` bytes.
Bytes DeflateForPng(const Bytes& data, std::size_t rowBytes) {
  Bytes out = {0x78, 0x01};
  BitWriter w(out);
  w.Bits(1, 1);  // the last block
  w.Bits(1, 2);  // fixed codes
  for (std::size_t i = 0; i < data.size();) {
    const std::size_t left = MatchLength(data, i, 3), above = MatchLength(data, i, rowBytes);
    const std::size_t length = left >= above ? left : above;
    if (length >= 3) {
      Match(w, static_cast<int>(length), static_cast<int>(left >= above ? 3 : rowBytes));
      i += length;
    } else {
      FixedSymbol(w, data[i++]);
    }
  }
  FixedSymbol(w, 256);
  w.Flush();
  Put32(out, Adler32(data));
  return out;
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const Bytes& rgb) {
  const std::size_t rowBytes = 1 + static_cast<std::size_t>(width) * 3;
  Bytes rows;
  rows.reserve(rowBytes * height);
  for (int y = 0; y < height; ++y) {
    rows.push_back(0);  // no filter
    const auto row = rgb.begin() + static_cast<std::ptrdiff_t>(y) * width * 3;
    rows.insert(rows.end(), row, row + static_cast<std::ptrdiff_t>(width) * 3);
  }
  Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  Put32(header, static_cast<std::uint32_t>(width));
  Put32(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, deflate, no filter, no interlace
  Chunk(file, "IHDR", header);
  Chunk(file, "IDAT", DeflateForPng(rows, rowBytes));
  Chunk(file, "IEND", {});
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  return std::fclose(f) == 0 && written;
}

}  // namespace korvane::testing
