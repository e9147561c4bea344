#include "pipeline/process_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/text.h"
#include "support/jpeg_fixtures.h"

namespace korvane {
namespace {

using testing::DecodedJpeg;
using testing::DecodeJpeg;
using testing::FixtureOptions;
using testing::MakeJpeg;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

struct Outcome {
  bool ok;
  std::string text;
};

Outcome Convert(const std::u16string& source, const std::u16string& dstFolder, const OutputSettings& settings) {
  char16_t text[kResultTextUnits];
  const bool ok = ProcessImage(text, source, dstFolder, settings);
  return {ok, Utf16ToUtf8(text)};
}

class ProcessImageTest : public ::testing::Test {
 protected:
  void SetUp() override { out_ = scratch_.MakeSubfolder(u"out"); }
  void TearDown() override { SetImageBudget(kImageBudgetBytes); }

  std::u16string Source(const std::u16string& name, const std::vector<std::uint8_t>& bytes) {
    const std::u16string path = scratch_.File(name);
    EXPECT_TRUE(WriteBytes(path, bytes));
    return path;
  }
  std::u16string Output(const std::u16string& name) const { return out_ + u"/" + name; }
  DecodedJpeg DecodedOutput(const std::u16string& name) const { return DecodeJpeg(ReadBytes(Output(name))); }

  // A good file converts right after a failure: nothing was left behind.
  void ExpectNextFileConverts() {
    const Outcome r = Convert(Source(u"next.jpg", MakeJpeg({})), out_, OutputSettings{});
    EXPECT_TRUE(r.ok) << r.text;
    EXPECT_EQ(r.text, "64 x 48 -> 32 x 24");
  }

  ScratchFolder scratch_;
  std::u16string out_;
};

TEST_F(ProcessImageTest, SizesScalesAndTurns) {
  struct Case { int w, h, scale, rotation; const char* text; int outW, outH; };
  const Case cases[] = {
      {640, 480, 1, kRotateClockwise, "640 x 480 -> 320 x 240", 240, 320},
      {640, 480, 1, kRotateCounterClockwise, "640 x 480 -> 320 x 240", 240, 320},
      {1001, 750, 1, kRotateNone, "1001 x 750 -> 501 x 375", 501, 375},
      {100, 75, 3, kRotateNone, "100 x 75 -> 13 x 10", 13, 10},
      {100, 75, 0, kRotate180, "100 x 75 -> 100 x 75", 100, 75},
      {100, 75, 2, kFlipHorizontal, "100 x 75 -> 25 x 19", 25, 19},
      {100, 75, 2, kFlipVertical, "100 x 75 -> 25 x 19", 25, 19},
      {1, 1, 3, kRotateClockwise, "1 x 1 -> 1 x 1", 1, 1},
  };
  for (const Case& c : cases) {
    FixtureOptions o;
    o.width = c.w;
    o.height = c.h;
    OutputSettings s;
    s.scale = c.scale;
    s.rotation = c.rotation;
    const Outcome r = Convert(Source(u"size.jpg", MakeJpeg(o)), out_, s);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.text, c.text);
    const DecodedJpeg d = DecodedOutput(u"size.jpg");
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.width, c.outW) << c.text;
    EXPECT_EQ(d.height, c.outH) << c.text;
    EXPECT_EQ(d.components, 3);
    EXPECT_FALSE(d.progressive);
  }
}

TEST_F(ProcessImageTest, ComponentsFollowGrayscaleModeAndSource) {
  struct Case { J_COLOR_SPACE input; J_COLOR_SPACE stored; int colorMode; int components; };
  const Case cases[] = {
      {JCS_RGB, JCS_UNKNOWN, kColorGrayscale, 1},  // YCbCr source, grey mode
      {JCS_GRAYSCALE, JCS_UNKNOWN, kColorNegative, 1},  // a grey source stays grey
      {JCS_GRAYSCALE, JCS_UNKNOWN, kColorOriginal, 1},
      {JCS_RGB, JCS_RGB, kColorGrayscale, 1},      // RGB-coded source, grey mode
      {JCS_RGB, JCS_RGB, kColorOriginal, 3},
      {JCS_CMYK, JCS_UNKNOWN, kColorGrayscale, 1},  // CMYK goes grey through RGB
      {JCS_CMYK, JCS_UNKNOWN, kColorOriginal, 3},
      {JCS_CMYK, JCS_YCCK, kColorGrayscale, 1},
      {JCS_CMYK, JCS_YCCK, kColorOriginal, 3},
  };
  for (const Case& c : cases) {
    FixtureOptions o;
    o.input = c.input;
    o.stored = c.stored;
    OutputSettings s;
    s.colorMode = c.colorMode;
    const Outcome r = Convert(Source(u"c.jpg", MakeJpeg(o)), out_, s);
    EXPECT_TRUE(r.ok) << r.text;
    EXPECT_EQ(r.text, "64 x 48 -> 32 x 24");
    const DecodedJpeg d = DecodedOutput(u"c.jpg");
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.components, c.components) << c.input << "/" << c.stored << "/" << c.colorMode;
  }
}

TEST_F(ProcessImageTest, FourComponentSourcesBecomeTheirRgbColours) {
  // Inks (C, M, Y, K) as a printer sees them; Adobe files store them inverted.
  struct Case { std::uint8_t ink[4]; bool adobe; J_COLOR_SPACE stored; std::uint8_t rgb[3]; };
  const Case cases[] = {
      {{255, 0, 0, 0}, true, JCS_UNKNOWN, {0, 255, 255}},   // cyan
      {{0, 255, 0, 0}, true, JCS_YCCK, {255, 0, 255}},      // magenta
      {{0, 0, 0, 128}, true, JCS_UNKNOWN, {127, 127, 127}},  // half black
      {{0, 0, 255, 0}, false, JCS_UNKNOWN, {255, 255, 0}},  // yellow, not inverted
  };
  for (const Case& c : cases) {
    FixtureOptions o;
    o.input = JCS_CMYK;
    o.stored = c.stored;
    o.adobeMarker = c.adobe;
    o.quality = 100;
    o.useFill = true;
    for (int k = 0; k < 4; ++k) o.fill[k] = c.adobe ? 255 - c.ink[k] : c.ink[k];
    OutputSettings s;
    s.scale = 0;
    ASSERT_TRUE(Convert(Source(u"k.jpg", MakeJpeg(o)), out_, s).ok);
    const DecodedJpeg d = DecodedOutput(u"k.jpg");
    ASSERT_EQ(d.components, 3);
    const std::uint8_t* centre = &d.pixels[(std::size_t(d.height / 2) * d.width + d.width / 2) * 3];
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(centre[k], c.rgb[k], 6) << "channel " << k;
  }
}

TEST_F(ProcessImageTest, QualityTablesAndMarkers) {
  FixtureOptions o;
  o.markers = {{JPEG_APP0 + 1, std::string("Exif\0\0MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0", 26)},
               {JPEG_APP0 + 2, "ICC_PROFILE"}, {JPEG_APP0 + 13, "Photoshop 3.0"}, {JPEG_COM, "a comment"}};
  const std::u16string src = Source(u"m.jpg", MakeJpeg(o));
  ASSERT_EQ(DecodeJpeg(ReadBytes(src)).markerCodes.size(), 5u);  // JFIF + the four

  OutputSettings best;
  best.quality = 0;
  ASSERT_TRUE(Convert(src, out_, best).ok);
  DecodedJpeg d = DecodedOutput(u"m.jpg");
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.markerCodes, std::vector<int>{JPEG_APP0});  // only the encoder's own JFIF header
  ASSERT_EQ(d.quantTables.size(), 2u);
  for (const auto& table : d.quantTables)
    for (unsigned q : table) EXPECT_EQ(q, 1u);

  OutputSettings worst;
  worst.quality = 9;
  ASSERT_TRUE(Convert(src, out_, worst).ok);
  d = DecodedOutput(u"m.jpg");
  ASSERT_EQ(d.quantTables.size(), 2u);
  EXPECT_EQ(d.quantTables[0][0], 80u);  // 16 scaled to quality 10
  EXPECT_EQ(d.quantTables[1][0], 85u);  // 17 scaled to quality 10
}

TEST_F(ProcessImageTest, CodingVariantsConvert) {
  struct Case { bool progressive, arithmetic; int restartRows; };
  const Case cases[] = {{true, false, 0}, {false, true, 0}, {true, true, 0}, {false, false, 1}};
  for (const Case& c : cases) {
    FixtureOptions o;
    o.progressive = c.progressive;
    o.arithmetic = c.arithmetic;
    o.restartRows = c.restartRows;
    const Outcome r = Convert(Source(u"v.jpg", MakeJpeg(o)), out_, OutputSettings{});
    EXPECT_TRUE(r.ok) << r.text;
    EXPECT_EQ(r.text, "64 x 48 -> 32 x 24");
  }
}

TEST_F(ProcessImageTest, FailuresTheConverterReports) {
  const std::vector<std::uint8_t> good = MakeJpeg({});
  // Not a JPEG name: nothing is touched, not even a missing file.
  Outcome r = Convert(scratch_.File(u"photo.png"), out_, OutputSettings{});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.text, "UNSUPPORTED FILE");

  r = Convert(scratch_.File(u"missing.jpg"), out_, OutputSettings{});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.text, "Failed to open source file \"missing.jpg\". (ProcessImage())");

  // A folder with a JPEG name cannot be opened as a file.
  r = Convert(scratch_.MakeSubfolder(u"album.jpg"), out_, OutputSettings{});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.text, "Failed to open source file \"album.jpg\". (ProcessImage())");

  r = Convert(Source(u"a.jpg", good), scratch_.File(u"no-such-folder"), OutputSettings{});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.text, "Failed to save a new file \"a.jpg\". (ProcessImage())");
  ExpectNextFileConverts();
}

TEST_F(ProcessImageTest, MemoryShortagesFailTheFileAlone) {
  FixtureOptions o;
  o.width = 640;
  o.height = 480;
  const std::u16string src = Source(u"big.jpg", MakeJpeg(o));
  OutputSettings s;  // 1/2: 320 x 240 x 3 = 230400 bytes of rows
  struct Case { std::uint64_t budget; int rotation; const char* text; };
  const Case cases[] = {
      {100, kRotateNone, "Failed to allocate memory. (ProcessImage() #1)"},
      {100000, kRotateNone, "Failed to allocate memory. (ProcessImage() #2)"},
      // Room for the decoded rows but not for their turned copy.
      {300000, kRotateClockwise, "Error occurred during image process."},
      {300000, kFlipVertical, "Error occurred during image process."},
  };
  for (const Case& c : cases) {
    SetImageBudget(c.budget);
    s.rotation = c.rotation;
    const Outcome r = Convert(src, out_, s);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.text, c.text);
    EXPECT_FALSE(testing::FileExists(Output(u"big.jpg"))) << c.text;  // no empty or partial file
    SetImageBudget(kImageBudgetBytes);
    ExpectNextFileConverts();
  }
}

// Offset of the first byte after marker `code` (its length field), or 0.
std::size_t MarkerOffset(const std::vector<std::uint8_t>& bytes, int code) {
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == code) return i + 2;
  return 0;
}

TEST_F(ProcessImageTest, LibraryErrorsFailTheFileWithTheLibrarysMessage) {
  const std::vector<std::uint8_t> good = MakeJpeg({});
  const std::size_t sof = MarkerOffset(good, 0xC0);
  const std::size_t sos = MarkerOffset(good, 0xDA);
  ASSERT_GT(sof, 0u);
  ASSERT_GT(sos, sof);

  std::vector<std::uint8_t> precision12 = good;
  precision12[sof + 2] = 12;
  std::vector<std::uint8_t> huge = good;  // declares 65500 x 65500
  huge[sof + 3] = huge[sof + 5] = 0xFF;
  huge[sof + 4] = huge[sof + 6] = 0xDC;
  std::vector<std::uint8_t> twoComponents = good;  // SOF claims 2 of its 3 components
  twoComponents[sof + 7] = 2;
  twoComponents[sof] = 0;
  twoComponents[sof + 1] = 14;

  struct Case { const char* name; std::vector<std::uint8_t> bytes; OutputSettings settings; const char* text; };
  OutputSettings full;
  full.scale = 0;
  const std::vector<Case> cases = {
      {"png", {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13}, {},
       "Failed to decode \"bad.jpg\": Not a JPEG file: starts with 0x89 0x50 (ProcessImage())"},
      {"empty", {}, {}, "Failed to decode \"bad.jpg\": Empty input file (ProcessImage())"},
      {"cut before the frame", std::vector<std::uint8_t>(good.begin(), good.begin() + (sof - 2)), {},
       "Failed to decode \"bad.jpg\": JPEG datastream contains no image (ProcessImage())"},
      {"12-bit", precision12, {}, "Failed to decode \"bad.jpg\": Unsupported JPEG data precision 12 (ProcessImage())"},
      {"huge at 1/1", huge, full, "Failed to allocate memory. (ProcessImage() #2)"},
  };
  for (const Case& c : cases) {
    const Outcome r = Convert(Source(u"bad.jpg", c.bytes), out_, c.settings);
    EXPECT_FALSE(r.ok) << c.name;
    EXPECT_EQ(r.text, c.text) << c.name;
    EXPECT_FALSE(testing::FileExists(Output(u"bad.jpg"))) << c.name;
    ExpectNextFileConverts();
  }

  // A cut inside the frame header or a malformed frame fails some way or
  // other, never ends the process and never leaves a file.
  const std::vector<std::vector<std::uint8_t>> broken = {
      std::vector<std::uint8_t>(good.begin(), good.begin() + sof + 4), twoComponents,
      std::vector<std::uint8_t>(good.begin(), good.begin() + sos + 3)};
  for (const auto& bytes : broken) {
    const Outcome r = Convert(Source(u"bad.jpg", bytes), out_, OutputSettings{});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.text.rfind("Failed to decode \"bad.jpg\": ", 0), 0u) << r.text;
    EXPECT_FALSE(testing::FileExists(Output(u"bad.jpg")));
    ExpectNextFileConverts();
  }
}

// The limits a hostile file meets: each fails the file alone, or converts it
// when within them, and the next file converts as usual.
TEST_F(ProcessImageTest, HostileFilesMeetTheDecodersLimits) {
  FixtureOptions o;
  o.progressive = true;
  const std::vector<std::uint8_t> progressive = MakeJpeg(o);
  // The last scan repeated (a bogus progression only warns) up to `scans`.
  auto withScans = [&](int scans) {
    std::size_t last = 0;
    int count = 0;
    for (std::size_t i = 0; i + 1 < progressive.size(); ++i)
      if (progressive[i] == 0xFF && progressive[i + 1] == 0xDA) last = i, ++count;
    std::vector<std::uint8_t> bytes(progressive.begin(), progressive.end() - 2);
    const std::vector<std::uint8_t> scan(progressive.begin() + last, progressive.end() - 2);
    for (int n = count; n < scans; ++n) bytes.insert(bytes.end(), scan.begin(), scan.end());
    bytes.push_back(0xFF);
    bytes.push_back(0xD9);
    return bytes;
  };
  auto withSize = [](std::vector<std::uint8_t> bytes, int sofCode) {
    const std::size_t sof = MarkerOffset(bytes, sofCode);
    bytes[sof + 3] = bytes[sof + 5] = 0xFF;  // 65500 x 65500
    bytes[sof + 4] = bytes[sof + 6] = 0xDC;
    return bytes;
  };
  const std::vector<std::uint8_t> good = MakeJpeg({});
  std::vector<std::uint8_t> comments(good.begin(), good.begin() + 2);  // SOI, then empty COM markers
  for (int i = 0; i < 200000; ++i) comments.insert(comments.end(), {0xFF, 0xFE, 0x00, 0x02});
  comments.insert(comments.end(), good.begin() + 2, good.end());

  OutputSettings eighth;
  eighth.scale = 3;
  struct Case { const char* name; std::vector<std::uint8_t> bytes; OutputSettings settings; bool ok; std::string text; };
  const std::vector<Case> cases = {
      {"500 scans", withScans(500), {}, true, "64 x 48 -> 32 x 24 (warning: "},
      {"501 scans", withScans(501), {}, false,
       "Failed to decode \"h.jpg\": Too many scans (more than 500) (ProcessImage())"},
      {"progressive 65500 x 65500", withSize(progressive, 0xC2), eighth, false,
       "Failed to decode \"h.jpg\": Insufficient memory (the decoder's buffers would pass 512 MB) (ProcessImage())"},
      {"baseline 65500 x 65500 at 1/8", withSize(good, 0xC0), eighth, true, "65500 x 65500 -> 8188 x 8188 (warning: "},
      {"200000 comments", comments, {}, true, "64 x 48 -> 32 x 24"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(std::filesystem::path(Output(u"h.jpg")));
    const Outcome r = Convert(Source(u"h.jpg", c.bytes), out_, c.settings);
    EXPECT_EQ(r.ok, c.ok) << c.name << ": " << r.text;
    EXPECT_EQ(r.text.substr(0, c.text.size()), c.text) << c.name;
    if (!c.ok) {
      EXPECT_FALSE(testing::FileExists(Output(u"h.jpg"))) << c.name;
    } else if (c.text.back() != ' ') {
      EXPECT_EQ(r.text, c.text) << c.name;
    }
    ExpectNextFileConverts();
  }
}

#ifndef _WIN32
// A full disk while writing: the encoder's error fails the file alone and the
// partial output is removed (here the output's working name leads to /dev/full).
TEST_F(ProcessImageTest, FullDiskFailsTheFileAndLeavesNoOutput) {
  std::filesystem::create_symlink("/dev/full", std::filesystem::path(Output(u"full.jpg.part")));
  FixtureOptions o;
  o.width = 300;
  o.height = 300;
  const Outcome r = Convert(Source(u"full.jpg", MakeJpeg(o)), out_, OutputSettings{});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.text, "Failed to encode \"full.jpg\": Output file write error --- out of disk space? (ProcessImage())");
  EXPECT_FALSE(testing::FileExists(Output(u"full.jpg")));
  ExpectNextFileConverts();
}
#endif

TEST_F(ProcessImageTest, DamagedScansConvertWithTheirFirstWarning) {
  FixtureOptions o;
  o.width = 256;
  o.height = 256;
  const std::vector<std::uint8_t> good = MakeJpeg(o);
  const std::size_t sos = MarkerOffset(good, 0xDA);
  std::vector<std::uint8_t> cut(good.begin(), good.begin() + (sos + good.size()) / 2);
  std::vector<std::uint8_t> corrupt = good;
  // Flipped bits inside the scan, never making or breaking a marker.
  for (std::size_t i = sos + 40; i < sos + 400; i += 7)
    if (corrupt[i] != 0xFF && corrupt[i - 1] != 0xFF && (corrupt[i] ^ 0x5A) != 0xFF) corrupt[i] ^= 0x5A;

  Outcome r = Convert(Source(u"cut.jpg", cut), out_, OutputSettings{});
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.text, "256 x 256 -> 128 x 128 (warning: Premature end of JPEG file)");
  EXPECT_EQ(DecodedOutput(u"cut.jpg").width, 128);

  r = Convert(Source(u"corrupt.jpg", corrupt), out_, OutputSettings{});
  EXPECT_TRUE(r.ok) << r.text;
  EXPECT_EQ(r.text.rfind("256 x 256 -> 128 x 128 (warning: Corrupt JPEG data", 0), 0u) << r.text;

  // A clean file's line carries no warning, even right after a damaged one.
  ExpectNextFileConverts();
}

TEST_F(ProcessImageTest, SameNameReplacesTheEarlierOutput) {
  FixtureOptions small;
  small.width = 16;
  small.height = 16;
  const std::u16string first = scratch_.MakeSubfolder(u"one") + u"/p.JPG";
  const std::u16string second = scratch_.MakeSubfolder(u"two") + u"/p.JPG";
  ASSERT_TRUE(WriteBytes(first, MakeJpeg({})));
  ASSERT_TRUE(WriteBytes(second, MakeJpeg(small)));
  ASSERT_TRUE(Convert(first, out_, OutputSettings{}).ok);
  // The same file written with the other separator before its name.
  const std::u16string secondBackslash = second.substr(0, second.size() - 6) + u"\\p.JPG";
  ASSERT_TRUE(Convert(secondBackslash, out_, OutputSettings{}).ok);
  EXPECT_EQ(DecodedOutput(u"p.JPG").width, 8);  // the name keeps its letter case
}

// The converter's output with the initial options equals libjpeg-turbo's own
// tools doing the same work: djpeg -scale 1/N [-grayscale] | cjpeg -quality Q -baseline.
TEST(ProcessImageReference, MatchesTheLibrarysToolsByteForByte) {
  ScratchFolder scratch;
  struct Sample { const char* file; const char* stem; };
  const Sample samples[] = {{"Kleiber_by_Lukas_Baubkus.jpg", "Kleiber_by_Lukas_Baubkus"},
                            {"picosdeeuropa_by_Aitzol_Berasategi_gray.jpg", "picosdeeuropa_by_Aitzol_Berasategi_gray"}};
  for (const Sample& sample : samples)
    for (int scale : {1, 3})
      for (int quality : {0, 4})
        for (bool gray : {false, true}) {
          OutputSettings s;
          s.scale = scale;
          s.quality = quality;
          s.colorMode = gray ? kColorGrayscale : kColorOriginal;
          const Outcome r = Convert(testing::SamplePath(sample.file), scratch.path(), s);
          ASSERT_TRUE(r.ok) << r.text;
          const std::string ref = std::string(sample.stem) + "_s" + std::to_string(ScaleDenominator(scale)) + "_q" +
                                  std::to_string(QualityValue(quality)) + (gray ? "_gray" : "_color") + ".jpg";
          const std::vector<std::uint8_t> expected = ReadBytes(testing::ReferencePath(ref));
          ASSERT_FALSE(expected.empty()) << ref;
          EXPECT_TRUE(ReadBytes(scratch.File(Utf8ToUtf16(sample.file))) == expected) << ref;
        }
}

}  // namespace
}  // namespace korvane
