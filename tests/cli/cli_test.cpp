#include <gtest/gtest.h>

#include "cli/options.h"
#include "cli/run.h"
#include "history/history_file.h"
#include "history/option_text.h"
#include "platform/text.h"
#include "support/jpeg_fixtures.h"

namespace korvane {
namespace {

using testing::ScratchFolder;

platform::LocalTime clockNow;
platform::LocalTime TestClock() { return clockNow; }

std::u16string Slashed(std::u16string path) {
  for (char16_t& c : path)
    if (c == u'\\') c = u'/';
  return path;
}

std::u16string TextOf(const std::u16string& path) {
  const std::vector<std::uint8_t> b = testing::ReadBytes(Slashed(path));
  std::u16string t;
  for (std::size_t i = 0; i + 1 < b.size(); i += 2) t += static_cast<char16_t>(b[i] | b[i + 1] << 8);
  return t;
}

bool Has(const std::u16string& text, const std::u16string& piece) {
  return text.find(piece) != std::u16string::npos;
}

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clockNow = {2011, 3, 5, 14, 32, 7};
    platform::SetLocalTimeSourceForTesting(TestClock);
  }
  void TearDown() override { platform::SetLocalTimeSourceForTesting(nullptr); }

  int Run(std::vector<std::u16string> args) {
    args.insert(args.begin(), {u"--folder", program.path(), u"--no-open"});
    return cli::RunCommandLine(args);
  }
  std::u16string Report(int second) const {
    return TextOf(program.path() + u"/2011_03_05_1432_" + ZeroPadded(second, 2) + u"/出力結果.txt");
  }

  ScratchFolder program;
};

const char* const kSamples[] = {"Kleiber_by_Lukas_Baubkus.jpg",
                                "picosdeeuropa_by_Aitzol_Berasategi_gray.jpg",
                                "seeding_by_Clements_Engelhardt.jpg"};

TEST_F(CommandLineTest, ConvertsTheSamplesAsOneBatchAndKeepsTheOptions) {
  std::vector<std::u16string> args = {u"--scale", u"1/8", u"--color", u"sepia2", u"--quality", u"80",
                                      u"--rotate", u"cw", u"--vignette", u"white,frame,thick"};
  for (const char* s : kSamples) args.push_back(testing::SamplePath(s));
  ASSERT_EQ(Run(args), cli::kAllConverted);

  const std::u16string report = Report(7);
  const std::u16string settingsLine =
      u"縮小率=1/8, カラー=セピアx2, FF0000, コントラスト=オリジナル, ぼかし=なし, 回転・反転=右回り, "
      u"クオリティ=80\r\n";
  const std::u16string top = u"\xFEFF     処理時刻:2011/03/05 14:32:07\r\n";
  EXPECT_EQ(report.substr(0, top.size()), top);
  EXPECT_TRUE(Has(report, u"   ファイル数:3\r\n         設定:" + settingsLine +
                              u"         ふち:FFFFFF, フレーム, 厚め\r\n\r\n"));
  EXPECT_TRUE(Has(report, u"Kleiber_by_Lukas_Baubkus.jpg\r\n\t6028 x 3391 -> 754 x 424\r\n\r\n"));
  EXPECT_TRUE(Has(report, u"seeding_by_Clements_Engelhardt.jpg\r\n\t5312 x 2988 -> 664 x 374\r\n"));
  // The output turned a quarter: 754 x 424 becomes 424 x 754.
  const testing::DecodedJpeg out = testing::DecodeJpeg(testing::ReadBytes(
      Slashed(program.path() + u"/2011_03_05_1432_07/Kleiber_by_Lukas_Baubkus.jpg")));
  EXPECT_EQ(out.width, 424);
  EXPECT_EQ(out.height, 754);

  const std::u16string history = TextOf(HistoryFilePath(program.path()));
  EXPECT_TRUE(Has(history, u"\r\n画像数 3/3\r\n" + settingsLine + u"ふち:FFFFFF, フレーム, 厚め\r\n"
                           u"\r\nWelcome to Korvane_resize!\r\n2011/03/05 14:32:07\r\n"));

  // The next run starts from the saved options; --reset starts afresh.
  clockNow.second = 8;
  ASSERT_EQ(Run({testing::SamplePath(kSamples[1])}), cli::kAllConverted);
  EXPECT_TRUE(Has(Report(8), u"設定:" + settingsLine));
  clockNow.second = 9;
  ASSERT_EQ(Run({u"--reset", u"--scale", u"3", testing::SamplePath(kSamples[1])}), cli::kAllConverted);
  EXPECT_TRUE(Has(Report(9), u"設定:縮小率=1/8, カラー=オリジナル, FF0000,"));
  EXPECT_TRUE(Has(Report(9), u"ふち:なし, -, -\r\n"));
}

TEST_F(CommandLineTest, ExitStatusTellsWhatHappened) {
  ScratchFolder sources;
  ASSERT_TRUE(testing::WriteBytes(sources.File(u"a.jpg"), testing::MakeJpeg({})));
  ASSERT_TRUE(testing::WriteBytes(sources.File(u"b.png"), {1, 2, 3}));
  EXPECT_EQ(Run({sources.File(u"a.jpg"), sources.File(u"b.png")}), cli::kSomeFailed);
  EXPECT_TRUE(Has(Report(7), u"b.png\r\n\tUNSUPPORTED FILE\r\n"));
  // The same second again: the folder exists, the batch cannot start.
  EXPECT_EQ(Run({sources.File(u"a.jpg")}), cli::kNotStarted);

  clockNow.second = 10;
  EXPECT_EQ(Run({}), cli::kNotStarted);
  EXPECT_EQ(Run({u"--colour", u"purple", sources.File(u"a.jpg")}), cli::kNotStarted);
  EXPECT_EQ(Run({u"--quality", u"95", sources.File(u"a.jpg")}), cli::kNotStarted);
  EXPECT_EQ(Run({u"--frobnicate", sources.File(u"a.jpg")}), cli::kNotStarted);
  EXPECT_EQ(cli::RunCommandLine({u"--folder", sources.File(u"a.jpg"), sources.File(u"a.jpg")}),
            cli::kNotStarted);
  EXPECT_FALSE(testing::FileExists(Slashed(program.path() + u"/2011_03_05_1432_10")));
  // A program folder that does not exist yet is made, parents included.
  const std::u16string fresh = program.path() + u"/新しい/folder";
  EXPECT_EQ(cli::RunCommandLine({u"--folder", fresh, u"--no-open", sources.File(u"a.jpg")}),
            cli::kAllConverted);
  EXPECT_TRUE(testing::FileExists(Slashed(fresh + u"/2011_03_05_1432_10/a.jpg")));
}

TEST(CommandLineOptions, ValuesByNameLabelOrIndex) {
  struct Case {
    std::vector<std::u16string> args;
    int OutputSettings::*field;
    int value;
  };
  const Case cases[] = {
      {{u"--scale", u"1/4"}, &OutputSettings::scale, 2},
      {{u"--scale=0"}, &OutputSettings::scale, 0},
      {{u"--color", u"Sepia2"}, &OutputSettings::colorMode, kColorSepia2},
      {{u"--color", u"セピアx2"}, &OutputSettings::colorMode, kColorSepia2},
      {{u"--color", u"16"}, &OutputSettings::colorMode, kColorGrayscale},
      {{u"--contrast", u"level6"}, &OutputSettings::contrast, kContrastLevel6},
      {{u"--blur", u"ぼけぼけ"}, &OutputSettings::blur, kBlurStrong},
      {{u"--rotate", u"ccw"}, &OutputSettings::rotation, kRotateCounterClockwise},
      {{u"--rotate", u"mirror"}, &OutputSettings::rotation, kFlipHorizontal},
      {{u"--quality", u"10"}, &OutputSettings::quality, 9},  // a value, not an index
      {{u"--quality", u"3"}, &OutputSettings::quality, 3},
      {{u"--effect", u"outline-shadow"}, &OutputSettings::specialEffect, kEffectOutlineShadow},
      {{u"--vignette", u"#00FF00,inner"}, &OutputSettings::vignetteShape, kShapeInnerEllipse},
  };
  for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    cli::CliOptions o;
    std::u16string error;
    ASSERT_TRUE(cli::ParseArguments(cases[i].args, &o, &error)) << "case " << i;
    OutputSettings s;
    for (const auto& change : o.changes) change(s);
    EXPECT_EQ(s.*cases[i].field, cases[i].value) << "case " << i;
  }

  cli::CliOptions o;
  std::u16string error;
  ASSERT_TRUE(cli::ParseArguments({u"--mono-color", u"0000ff", u"--vignette", u"123456,outer,thin",
                                   u"--outline-shadow", u"outline=white,shadow-level=200,outline-grouping=on",
                                   u"--view", u"compact", u"--", u"--odd name.jpg"},
                                  &o, &error));
  OutputSettings s;
  for (const auto& change : o.changes) change(s);
  EXPECT_EQ(s.monoColor, 0xFF0000u);    // red first on the command line, blue first stored
  EXPECT_EQ(s.vignetteRgb, 0x563412u);
  EXPECT_TRUE(s.vignetteOn);
  EXPECT_EQ(s.vignetteThickness, kThicknessThin);
  EXPECT_EQ(s.outlineShadow.outline, kFillWhite);
  EXPECT_EQ(s.outlineShadow.shadowLevel, 200);
  EXPECT_EQ(s.outlineShadow.outlineGrouping, 1);
  EXPECT_TRUE(s.compactView);
  EXPECT_EQ(o.files, std::vector<std::u16string>{u"--odd name.jpg"});

  for (std::vector<std::u16string> bad :
       {std::vector<std::u16string>{u"--scale", u"1/3"}, {u"--scale"}, {u"--rotate", u"6"},
        {u"--vignette", u"white,round"}, {u"--outline-shadow", u"shadow-level=300"},
        {u"--mono-color", u"12345"}}) {
    cli::CliOptions bo;
    error.clear();
    EXPECT_FALSE(cli::ParseArguments(bad, &bo, &error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(CommandLineOptions, HelpNamesEveryOptionAndTheExitStatus) {
  const std::u16string help = cli::HelpText();
  EXPECT_EQ(help.rfind(u"Usage: korvane-resize [OPTIONS] FILE...", 0), 0u);
  for (const char16_t* option :
       {u"--folder", u"--scale", u"--color", u"--mono-color", u"--contrast", u"--blur", u"--rotate",
        u"--vignette", u"--quality", u"--effect", u"--outline-shadow", u"--view", u"--reset",
        u"--no-open", u"--help", u"出力結果.txt", u"履歴.txt", u"Exit status"})
    EXPECT_TRUE(Has(help, option)) << "missing " << Utf16ToUtf8(option);
  EXPECT_EQ(cli::RunCommandLine({u"--help"}), cli::kAllConverted);
}

}  // namespace
}  // namespace korvane
