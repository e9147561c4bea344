#include "history/history_file.h"

#include <gtest/gtest.h>

#include "support/jpeg_fixtures.h"

namespace korvane {
namespace {

using testing::ScratchFolder;

platform::LocalTime clockNow;
platform::LocalTime TestClock() { return clockNow; }

// The file's bytes as code units; an odd last byte shows as U+FFFF.
// The test helpers take the build machine's own separators.
std::u16string Slashed(std::u16string path) {
  for (char16_t& c : path)
    if (c == u'\\') c = u'/';
  return path;
}

std::u16string Units(const std::vector<std::uint8_t>& b) {
  std::u16string t;
  for (std::size_t i = 0; i + 1 < b.size(); i += 2) t += static_cast<char16_t>(b[i] | b[i + 1] << 8);
  if (b.size() % 2) t += u'\xFFFF';
  return t;
}

std::vector<std::uint8_t> Bytes(std::u16string_view t) {
  std::vector<std::uint8_t> b;
  for (char16_t c : t) {
    b.push_back(static_cast<std::uint8_t>(c & 0xFF));
    b.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return b;
}

class HistoryFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clockNow = {2011, 3, 5, 14, 32, 7};
    platform::SetLocalTimeSourceForTesting(TestClock);
  }
  void TearDown() override { platform::SetLocalTimeSourceForTesting(nullptr); }

  std::u16string Read() const { return Units(testing::ReadBytes(Slashed(HistoryFilePath(scratch.path())))); }
  void Write(std::u16string_view text) const {
    ASSERT_TRUE(testing::WriteBytes(Slashed(HistoryFilePath(scratch.path())), Bytes(text)));
  }
  void SaveOptions(const OutputSettings& s, platform::LocalTime t) const {
    ASSERT_TRUE(PrependHistoryEntry(scratch.path(), s, 0, 0, false, std::nullopt, t));
  }
  OutputSettings Loaded() const {
    OutputSettings s;
    LoadSavedOptions(scratch.path(), s);
    return s;
  }

  ScratchFolder scratch;
};

constexpr char16_t kDefaultsEntry[] =
    u"設定保存\r\n画像数 0/0\r\n縮小率=1/2, カラー=オリジナル, FF0000, コントラスト=オリジナル, "
    u"ぼかし=なし, 回転・反転=なし, クオリティ=100\r\nふち:なし, -, -\r\n";

TEST_F(HistoryFileTest, FirstRunWritesTheWelcomeBlockAndALetterWithoutMark) {
  WriteViewLetter(scratch.path(), false);
  // Second 7: A + 7 = H, even, so large view.
  EXPECT_EQ(Read(), u"Welcome to Korvane_resize!\r\n2011/03/05 14:32:07\r\nH");
  OutputSettings s;
  s.compactView = 1;
  ReadViewMode(scratch.path(), s);
  EXPECT_FALSE(s.compactView);
}

TEST_F(HistoryFileTest, SaveOptionsTwiceKeepsOneMarkAndOneEmptyLineBetweenEntries) {
  WriteViewLetter(scratch.path(), false);
  clockNow.second = 24;
  SaveOptions(OutputSettings{}, {2011, 3, 5, 14, 40, 1});
  EXPECT_EQ(Read(), u"\xFEFF" u"2011/03/05 14:40:01\r\n" + std::u16string(kDefaultsEntry) +
                        u"\r\nWelcome to Korvane_resize!\r\n2011/03/05 14:32:07\r\nZ");
  OutputSettings s;
  s.scale = 3;
  clockNow.second = 24;
  ASSERT_TRUE(PrependHistoryEntry(scratch.path(), s, 0, 0, false, std::nullopt, {2012, 1, 2, 3, 4, 5}));
  const std::u16string text = Read();
  EXPECT_EQ(text.rfind(u'\xFEFF'), 0u);
  const std::u16string top = u"\xFEFF" u"2012/01/02 03:04:05\r\n設定保存\r\n画像数 0/0\r\n縮小率=1/8,";
  EXPECT_EQ(text.substr(0, top.size()), top);
  EXPECT_NE(text.find(u"=100\r\nふち:なし, -, -\r\n\r\n2011/03/05 14:40:01\r\n設定保存"), std::u16string::npos);
  EXPECT_EQ(text.back(), u'Z');
}

TEST_F(HistoryFileTest, MissingFileKeepsTheEntryWholeWithTheLetterAfterIt) {
  clockNow.second = 0;  // A, odd: compact
  OutputSettings s;
  s.compactView = 1;
  ASSERT_TRUE(PrependHistoryEntry(scratch.path(), s, 0, 0, false, std::nullopt, {2011, 3, 5, 0, 0, 0}));
  EXPECT_EQ(Read(), u"\xFEFF" u"2011/03/05 00:00:00\r\n" + std::u16string(kDefaultsEntry) + u"A");
  EXPECT_EQ(Loaded().scale, 1);
}

TEST_F(HistoryFileTest, AWriteThatFailsHalfWayLeavesTheLogAsItWas) {
  WriteViewLetter(scratch.path(), false);
  SaveOptions(OutputSettings{}, {2011, 3, 5, 14, 40, 1});
  const std::u16string before = Read();
  OutputSettings s;
  s.scale = 3;
  platform::FailOneWriteForTesting(1);  // the new entry goes in, the old content does not
  const bool written = PrependHistoryEntry(scratch.path(), s, 0, 0, false, std::nullopt, {2012, 1, 1, 0, 0, 0});
  platform::FailOneWriteForTesting(-1);
  EXPECT_FALSE(written);
  EXPECT_EQ(Read(), before);
}

TEST_F(HistoryFileTest, CancelledBatchEntryHasTheCancelLineAndStillReadsBack) {
  WriteViewLetter(scratch.path(), false);
  OutputSettings s;
  s.colorMode = kColorSepia2;
  ASSERT_TRUE(PrependHistoryEntry(scratch.path(), s, 2, 5, true, std::u16string(u"C:\\写真\\"),
                                  {2011, 3, 5, 14, 33, 0}));
  const std::u16string text = Read();
  const std::u16string lines = text.substr(1, text.find(u"\r\n\r\nWelcome") + 2 - 1);
  EXPECT_EQ(lines,
            u"2011/03/05 14:33:00\r\nC:\\写真\\\r\n画像数 2/5\r\n縮小率=1/2, カラー=セピアx2, FF0000, "
            u"コントラスト=オリジナル, ぼかし=なし, 回転・反転=なし, クオリティ=100\r\nふち:なし, -, -\r\n"
            u"---------- 処理が中断されました -----------\r\n");
  EXPECT_EQ(Loaded().colorMode, kColorSepia2);
}

TEST_F(HistoryFileTest, EveryWrittenFieldReadsBack) {
  OutputSettings a;  // the far ends of every table, a custom vignette
  a.scale = 3;
  a.contrast = kContrastLevel6;
  a.colorMode = kColorGrayscale;
  a.monoColor = 0x0A0B0C;
  a.rotation = kFlipVertical;
  a.blur = kBlurStrong;
  a.vignetteOn = 1;
  a.vignetteRgb = 0x12AB34;
  a.vignetteShape = kShapeInnerEllipse;
  a.vignetteThickness = kThicknessThick;
  a.quality = 9;
  OutputSettings b;  // the other ends; mono colour pure blue
  b.scale = 0;
  b.contrast = kContrastAuto;
  b.colorMode = kColorMono;
  b.rotation = kRotateClockwise;
  b.blur = kBlurSoftFocus;
  b.vignetteOn = 1;
  b.vignetteRgb = 0;
  b.vignetteShape = kShapeOuterEllipse;
  b.vignetteThickness = kThicknessThin;
  b.quality = 4;
  for (const OutputSettings& saved : {a, b}) {
    OutputSettings withEffect = saved;
    withEffect.specialEffect = kEffectOutlineShadow;
    SaveOptions(withEffect, {2011, 1, 1, 0, 0, 0});
    const OutputSettings r = Loaded();
    EXPECT_EQ(r.scale, saved.scale);
    EXPECT_EQ(r.contrast, saved.contrast);
    EXPECT_EQ(r.colorMode, saved.colorMode);
    EXPECT_EQ(r.monoColor, saved.monoColor);
    EXPECT_EQ(r.rotation, saved.rotation);
    EXPECT_EQ(r.blur, saved.blur);
    EXPECT_EQ(r.vignetteOn, saved.vignetteOn);
    EXPECT_EQ(r.vignetteRgb, saved.vignetteRgb);
    EXPECT_EQ(r.vignetteShape, saved.vignetteShape);
    EXPECT_EQ(r.vignetteThickness, saved.vignetteThickness);
    EXPECT_EQ(r.quality, saved.quality);
    EXPECT_EQ(r.specialEffect, kEffectNone);  // never saved
  }
  EXPECT_NE(Read().find(u"カラー=モノカラー, FF0000,"), std::u16string::npos);
  OutputSettings blue;
  LoadSavedOptions(scratch.path(), blue);
  EXPECT_EQ(blue.monoColor, 0xFF0000u);
}

TEST_F(HistoryFileTest, VignetteOffLeavesTheColourAndResetsShapeAndThickness) {
  SaveOptions(OutputSettings{}, {2011, 1, 1, 0, 0, 0});
  OutputSettings s;
  s.vignetteOn = 1;
  s.vignetteRgb = 0x123456;
  s.vignetteShape = kShapeInnerEllipse;
  LoadSavedOptions(scratch.path(), s);
  EXPECT_FALSE(s.vignetteOn);
  EXPECT_EQ(s.vignetteRgb, 0x123456u);
  EXPECT_EQ(s.vignetteShape, kShapeFrame);
  EXPECT_EQ(s.vignetteThickness, kThicknessMedium);
}

// Hand-edited and damaged newest entries: each field stands on its own,
// and a cut line ends the reading.
TEST_F(HistoryFileTest, ReaderWalksTheFieldsOfHandEditedEntries) {
  const std::u16string head = u"\xFEFF" u"2011/03/05 14:32:07\r\nC:\\x\\\r\n画像数 1/1\r\n";
  struct Case {
    const char16_t* lines;
    int colorMode, quality, contrast, scale, vignetteOn;
    ColorRef monoColor, vignetteRgb;
  };
  const Case cases[] = {
      // upper-case X still names あざやかx1
      {u"縮小率=1/4, カラー=あざやかX1, 00FF00, コントラスト=自動調整, ぼかし=なし, 回転・反転=なし, "
       u"クオリティ=80\r\nふち:0000FF, まる（外側）, 厚め\r\n",
       kColorVivid1, 2, kContrastAuto, 2, 1, 0x00FF00, 0x0000FF},
      // quality 95 matches nothing; the vignette is still read
      {u"縮小率=1/4, カラー=ネガ, 00FF00, コントラスト=レベル１, ぼかし=なし, 回転・反転=なし, "
       u"クオリティ=95\r\nふち:ABCDEF, フレーム, 薄め\r\n",
       kColorNegative, 0, kContrastLevel1, 2, 1, 0x00FF00, 0xABCDEF},
      // a malformed colour is white; an unknown colour mode stays at its reset value
      {u"縮小率=1/3, カラー=セピア, 12345, コントラスト=レベル2, ぼかし=なし, 回転・反転=なし, "
       u"クオリティ=10\r\nふち:なし, -, -\r\n",
       kColorOriginal, 9, kContrastOriginal, 1, 0, 0xFFFFFF, 0xFFFFFF},
      // the line ends after the colour field, with no comma: nothing later is read
      {u"縮小率=1/8, カラー=ネガ, 00FF00\r\n", kColorNegative, 0, kContrastOriginal, 3, 0,
       0xFF0000, 0xFFFFFF},
  };
  for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const Case& c = cases[i];
    Write(head + c.lines + u"\r\nWelcome to Korvane_resize!\r\n2011/03/05 14:32:07\r\nH");
    const OutputSettings s = Loaded();
    EXPECT_EQ(s.colorMode, c.colorMode) << "case " << i;
    EXPECT_EQ(s.quality, c.quality) << "case " << i;
    EXPECT_EQ(s.contrast, c.contrast) << "case " << i;
    EXPECT_EQ(s.scale, c.scale) << "case " << i;
    EXPECT_EQ(s.vignetteOn, c.vignetteOn) << "case " << i;
    EXPECT_EQ(s.monoColor, c.monoColor) << "case " << i;
    EXPECT_EQ(s.vignetteRgb, c.vignetteRgb) << "case " << i;
  }
}

TEST_F(HistoryFileTest, FilesThatAreNotHistoryLeaveTheResetValues) {
  OutputSettings changed;
  changed.scale = 3;
  changed.quality = 5;
  const std::string garbage[] = {
      std::string(),
      std::string("\xFF"),
      std::string("\n\0\n\0\n\0", 6),                    // three line feeds and nothing after
      std::string("\n\0\n\0\n\0,\0,", 10),               // an odd byte after a comma
      std::string(100001, '\n'),                         // line feeds in the high bytes too
      std::string("\x0A\x00\x0A\x00\x0A\x00\x3A\x00", 8),  // a colon, but no fields
  };
  for (const std::string& g : garbage) {
    ASSERT_TRUE(testing::WriteBytes(Slashed(HistoryFilePath(scratch.path())),
                                    std::vector<std::uint8_t>(g.begin(), g.end())));
    OutputSettings s = changed;
    LoadSavedOptions(scratch.path(), s);
    EXPECT_EQ(s.scale, 1);
    EXPECT_EQ(s.quality, 0);
    ReadViewMode(scratch.path(), s);
  }
  // A valid entry cut inside its settings line.
  SaveOptions(changed, {2011, 1, 1, 0, 0, 0});
  std::vector<std::uint8_t> bytes = testing::ReadBytes(Slashed(HistoryFilePath(scratch.path())));
  const std::size_t cut = Read().find(u"ぼかし") * 2 + 1;  // mid-unit, an odd length
  bytes.resize(cut);
  ASSERT_TRUE(testing::WriteBytes(Slashed(HistoryFilePath(scratch.path())), bytes));
  const OutputSettings s = Loaded();
  EXPECT_EQ(s.scale, 3);     // read before the cut
  EXPECT_EQ(s.quality, 0);   // after it
}

// A program folder nobody can write to (tests run as root, whom mode bits do
// not stop; below a regular file no one can create anything): every
// operation skips what it cannot do, without a trace.
TEST_F(HistoryFileTest, AProgramFolderThatCannotBeWrittenFailsEveryOperationSilently) {
  ASSERT_TRUE(testing::WriteBytes(scratch.File(u"KorvaneResize.exe"), {'M', 'Z'}));
  const std::u16string appFolder = scratch.path() + u"\\KorvaneResize.exe\\";
  OutputSettings s;
  s.scale = 3;
  s.compactView = 1;
  EXPECT_FALSE(PrependHistoryEntry(appFolder, s, 1, 1, false, std::u16string(u"C:\\"), {2011, 1, 1, 0, 0, 0}));
  WriteViewLetter(appFolder, true);
  ReadViewMode(appFolder, s);
  EXPECT_TRUE(s.compactView);
  LoadSavedOptions(appFolder, s);
  EXPECT_EQ(s.scale, 1);  // the reset values
  EXPECT_EQ(testing::ReadBytes(scratch.File(u"KorvaneResize.exe")), (std::vector<std::uint8_t>{'M', 'Z'}));
}

TEST_F(HistoryFileTest, SwitchingViewChangesOnlyTheLastCharacter) {
  WriteViewLetter(scratch.path(), false);
  SaveOptions(OutputSettings{}, {2011, 1, 1, 0, 0, 0});
  const std::u16string before = Read();
  for (int second : {0, 7, 24, 59}) {
    clockNow.second = second;
    WriteViewLetter(scratch.path(), true);
    const std::u16string after = Read();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(0, after.size() - 1), before.substr(0, before.size() - 1));
    EXPECT_EQ(after.back() & 1, 1);
    OutputSettings s;
    ReadViewMode(scratch.path(), s);
    EXPECT_TRUE(s.compactView);
  }
  EXPECT_EQ(ViewLetter(true, 24), u'Y');
  EXPECT_EQ(ViewLetter(false, 24), u'Z');
  EXPECT_EQ(ViewLetter(false, 25), u'B');
  EXPECT_EQ(ViewLetter(true, 1), u'C');
}

TEST_F(HistoryFileTest, ViewModeIgnoresATrailingOddByteAndEmptyFiles) {
  OutputSettings s;
  s.compactView = 1;
  ReadViewMode(scratch.path(), s);  // missing
  EXPECT_TRUE(s.compactView);
  ASSERT_TRUE(testing::WriteBytes(Slashed(HistoryFilePath(scratch.path())), {}));
  ReadViewMode(scratch.path(), s);
  EXPECT_TRUE(s.compactView);
  ASSERT_TRUE(testing::WriteBytes(Slashed(HistoryFilePath(scratch.path())), {'B', 0, 'C'}));
  ReadViewMode(scratch.path(), s);
  EXPECT_FALSE(s.compactView);
  // A one-byte file still gets a letter written over it.
  WriteViewLetter(scratch.path(), true);
  EXPECT_EQ(testing::ReadBytes(Slashed(HistoryFilePath(scratch.path()))),
            (std::vector<std::uint8_t>{'I', 0, 'C'}));
}

TEST(ParseHexColor, SixHexDigitsOrWhite) {
  struct Case {
    const char16_t* text;
    std::uint32_t value;
  };
  const Case cases[] = {{u"FF0000", 0xFF0000}, {u"00ff7f", 0x00FF7F}, {u"000000", 0},
                        {u"FFFFF", 0xFFFFFF},  {u"1234567", 0xFFFFFF}, {u"12345G", 0xFFFFFF},
                        {u"", 0xFFFFFF},       {u" 12345", 0xFFFFFF},  {u"１２３４５６", 0xFFFFFF}};
  for (const Case& c : cases) EXPECT_EQ(ParseHexColor(c.text), c.value);
}

}  // namespace
}  // namespace korvane
