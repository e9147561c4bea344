#include "batch/batch_worker.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <functional>
#include <mutex>
#include <set>

#include "history/history_file.h"
#include "platform/text.h"
#include "support/jpeg_fixtures.h"

namespace korvane {
namespace {

using testing::ScratchFolder;

platform::LocalTime TestClock() { return {2011, 3, 5, 14, 32, 7}; }

// The test helpers take the build machine's own separators.
std::u16string Slashed(std::u16string path) {
  for (char16_t& c : path)
    if (c == u'\\') c = u'/';
  return path;
}

std::u16string Units(const std::vector<std::uint8_t>& b) {
  std::u16string t;
  for (std::size_t i = 0; i + 1 < b.size(); i += 2) t += static_cast<char16_t>(b[i] | b[i + 1] << 8);
  return t;
}

// Records every call, in order; `onIndex` lets a test act while an entry runs.
class RecordingHost : public BatchHost {
 public:
  explicit RecordingHost(std::u16string appFolder) : appFolder_(std::move(appFolder)) {}

  std::u16string AppFolder() override { return appFolder_; }
  void ShowSummary(const std::u16string& t) override { Log(u"summary " + t); }
  void ShowIndex(const std::u16string& t) override {
    Log(u"index " + t);
    if (onIndex) onIndex(t);
  }
  void ShowTotal(const std::u16string& t) override { Log(u"total " + t); }
  void ShowFileName(const std::u16string& t) override { Log(u"name " + t); }
  void ShowError(const std::u16string& t) override { Log(u"error " + t); }
  void OpenFolder(const std::u16string& f) override { Log(u"open " + f); }
  void Beep() override { Log(u"beep"); }
  void Finished() override { Log(u"finished"); }

  std::vector<std::u16string> Events() {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
  }
  std::function<void(const std::u16string&)> onIndex;

 private:
  void Log(std::u16string e) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(e));
  }
  std::u16string appFolder_;
  std::mutex mutex_;
  std::vector<std::u16string> events_;
};

class BatchWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetLocalTimeSourceForTesting(TestClock); }
  void TearDown() override { platform::SetLocalTimeSourceForTesting(nullptr); }

  std::u16string Jpeg(const std::u16string& name, const ScratchFolder& where) const {
    testing::FixtureOptions o;
    o.width = 64;
    o.height = 48;
    EXPECT_TRUE(testing::WriteBytes(where.File(name), testing::MakeJpeg(o)));
    return where.File(name);
  }
  DropList List(const std::vector<std::u16string>& paths) const {
    return DropList::FromShellDrop(platform::MakeShellDrop(paths));
  }
  std::u16string OutFolder() const { return program.path() + u"\\2011_03_05_1432_07"; }
  std::vector<std::uint8_t> Report() const { return testing::ReadBytes(Slashed(OutFolder() + u"\\出力結果.txt")); }
  std::u16string History() const { return Units(testing::ReadBytes(Slashed(HistoryFilePath(program.path())))); }

  // Runs one batch on its own thread and waits for it.
  BatchOutcome RunBatch(DropList list, RecordingHost& host, const SharedSettings& s) {
    BatchWorker worker(std::move(list), s, host);
    EXPECT_TRUE(worker.Start());
    worker.Wait();
    EXPECT_TRUE(worker.Done());
    return worker.Outcome();
  }

  ScratchFolder program;
  ScratchFolder sources;
  SharedSettings settings;
};

TEST_F(BatchWorkerTest, ThreeJpegsGiveTheReportByteForByte) {
  const std::vector<std::u16string> files = {Jpeg(u"a.jpg", sources), Jpeg(u"写真 b.JPG", sources),
                                             Jpeg(u"c.jpeg", sources)};
  RecordingHost host(program.path());
  const BatchOutcome out = RunBatch(List(files), host, settings);
  EXPECT_TRUE(out.started);
  EXPECT_EQ(out.successCount, 3);
  EXPECT_FALSE(out.aborted);

  const std::u16string folder = sources.path() + u"/";
  const std::u16string expected =
      u"     処理時刻:2011/03/05 14:32:07\r\n"
      u"   元画像場所:" + folder + u"\r\n"
      u"   ファイル数:3\r\n"
      u"         設定:縮小率=1/2, カラー=オリジナル, FF0000, コントラスト=オリジナル, ぼかし=なし, "
      u"回転・反転=なし, クオリティ=100\r\n"
      u"         ふち:なし, -, -\r\n"
      u"\r\n"
      u"a.jpg\r\n\t64 x 48 -> 32 x 24\r\n\r\n"
      u"写真 b.JPG\r\n\t64 x 48 -> 32 x 24\r\n\r\n"
      u"c.jpeg\r\n\t64 x 48 -> 32 x 24\r\n\r\n";
  std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
  for (char16_t c : expected) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  EXPECT_EQ(Report(), bytes);
  EXPECT_TRUE(testing::FileExists(Slashed(OutFolder() + u"\\写真 b.JPG")));

  const std::vector<std::u16string> events = host.Events();
  const std::vector<std::u16string> want = {
      u"summary 1/2\n100\nオリジナル\nオリジナル\nなし\nなし\nなし",
      u"index 0", u"total /3", u"index 1", u"name a.jpg", u"index 2", u"name 写真 b.JPG",
      u"index 3", u"name c.jpeg", u"open " + OutFolder(), u"beep", u"finished"};
  EXPECT_EQ(events, want);
  const std::u16string entryTop = u"\xFEFF" u"2011/03/05 14:32:07\r\n" + folder + u"\r\n画像数 3/3\r\n";
  EXPECT_EQ(History().substr(0, entryTop.size()), entryTop);
}

TEST_F(BatchWorkerTest, FoldersAreListedAndFailuresDoNotStopTheBatch) {
  const std::u16string sub = sources.MakeSubfolder(u"dir.jpg");
  ScratchFolder other;
  ASSERT_TRUE(testing::WriteBytes(sources.File(u"notes.txt"), {'x'}));
  const std::vector<std::u16string> files = {sub, sources.File(u"notes.txt"),
                                             sources.File(u"missing.jpg"), Jpeg(u"x.jpg", other)};
  RecordingHost host(program.path());
  // Options changed after the summary, before the first entry: the header
  // and the conversions take them.
  host.onIndex = [&](const std::u16string& index) {
    if (index != u"1") return;
    settings.Update([](OutputSettings& s) {
      s.scale = 3;
      s.vignetteOn = 1;
      s.vignetteRgb = 0x00FF00;
      s.vignetteShape = kShapeOuterEllipse;
    });
  };
  const BatchOutcome out = RunBatch(List(files), host, settings);
  EXPECT_EQ(host.Events().front(), u"summary 1/2\n100\nオリジナル\nオリジナル\nなし\nなし\nなし");
  EXPECT_EQ(out.successCount, 1);
  EXPECT_EQ(out.folderCount, 1u);

  const std::u16string report = Units(Report());
  // The source folder is that of the first entry, the folder itself.
  EXPECT_NE(report.find(u"   元画像場所:" + sources.path() + u"/\r\n   ファイル数:4\r\n"),
            std::u16string::npos);
  EXPECT_NE(report.find(u"         ふち:00FF00, まる（外側）, 標準\r\n\r\ndir.jpg\r\n\tFOLDER\r\n\r\n"
                        u"notes.txt\r\n\tUNSUPPORTED FILE\r\n\r\n"
                        u"missing.jpg\r\n\tFailed to open source file \"missing.jpg\". (ProcessImage())\r\n\r\n"
                        u"x.jpg\r\n\t64 x 48 -> 8 x 6\r\n\r\n"),
            std::u16string::npos);
  EXPECT_EQ(report.back(), u'\n');
  EXPECT_NE(History().find(u"画像数 1/4\r\n縮小率=1/8,"), std::u16string::npos);
}

TEST_F(BatchWorkerTest, ZeroEntriesStillMakeTheFolderAnEmptyReportAndAnEntry) {
  RecordingHost host(program.path());
  const BatchOutcome out = RunBatch(DropList::FromArgumentText(u"C:\\p\\a.jpg"), host, settings);
  EXPECT_TRUE(out.started);
  EXPECT_FALSE(out.sourceFolderText.has_value());
  EXPECT_TRUE(testing::FileExists(Slashed(OutFolder() + u"\\出力結果.txt")));
  EXPECT_TRUE(Report().empty());  // not even the byte-order mark
  // An empty source line: the entry is a batch's, not a Save Options one.
  const std::u16string entryTop = u"\xFEFF" u"2011/03/05 14:32:07\r\n\r\n画像数 0/0\r\n縮小率";
  EXPECT_EQ(History().substr(0, entryTop.size()), entryTop);
  const std::vector<std::u16string> events = host.Events();
  EXPECT_EQ(events.back(), u"finished");
  EXPECT_EQ(events[events.size() - 3], u"open " + OutFolder());
}

TEST_F(BatchWorkerTest, CancelIsHonouredAfterTheEntryUnderWayExceptTheLast) {
  std::vector<std::u16string> files;
  for (const char16_t* n : {u"1.jpg", u"2.jpg", u"3.jpg", u"4.jpg", u"5.jpg"}) files.push_back(Jpeg(n, sources));
  const std::u16string cancelLine = u"---------- 処理が中断されました -----------\r\n";
  struct Case {
    const char16_t* cancelAt;
    int entries;
    bool aborted;
  };
  for (const Case& c : {Case{u"2", 2, true}, Case{u"5", 5, false}}) {
    ScratchFolder folder;
    RecordingHost host(folder.path());
    BatchWorker worker(List(files), settings, host);
    host.onIndex = [&](const std::u16string& index) {
      if (index == c.cancelAt) worker.RequestCancel();
    };
    ASSERT_TRUE(worker.Start());
    worker.Wait();
    const BatchOutcome& out = worker.Outcome();
    EXPECT_EQ(out.aborted, c.aborted);
    EXPECT_EQ(out.successCount, c.entries);
    EXPECT_FALSE(!c.aborted && worker.CancelRequested());  // dropped during the last entry

    const std::u16string report =
        Units(testing::ReadBytes(Slashed(folder.path() + u"\\2011_03_05_1432_07\\出力結果.txt")));
    const std::u16string lastBlock = DecimalText(c.entries) + u".jpg\r\n\t64 x 48 -> 32 x 24\r\n\r\n";
    const std::u16string tail = lastBlock + (c.aborted ? cancelLine : u"");
    ASSERT_GE(report.size(), tail.size());
    EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
    const std::u16string history = Units(testing::ReadBytes(Slashed(HistoryFilePath(folder.path()))));
    EXPECT_NE(history.find(u"画像数 " + DecimalText(c.entries) + u"/5\r\n"), std::u16string::npos);
    EXPECT_EQ(history.find(cancelLine) != std::u16string::npos, c.aborted);
    EXPECT_EQ(host.Events().back(), u"finished");
  }
}

TEST_F(BatchWorkerTest, ASecondBatchInTheSameSecondFailsWithAMessage) {
  const std::vector<std::u16string> files = {Jpeg(u"a.jpg", sources)};
  RecordingHost first(program.path());
  RunBatch(List(files), first, settings);
  const std::u16string historyBefore = History();

  RecordingHost second(program.path());
  const BatchOutcome out = RunBatch(List(files), second, settings);
  EXPECT_FALSE(out.started);
  EXPECT_EQ(second.Events(),
            (std::vector<std::u16string>{u"summary 1/2\n100\nオリジナル\nオリジナル\nなし\nなし\nなし",
                                         u"index 0", u"total /1", u"error Fail to create a new folder.",
                                         u"finished"}));
  EXPECT_EQ(History(), historyBefore);  // no entry, no letter
}

TEST_F(BatchWorkerTest, AProgramFolderThatCannotBeWrittenFailsWithAMessage) {
  // Below a regular file nobody can create anything, root included (the
  // tests run as root, whom a read-only folder does not stop).
  ASSERT_TRUE(testing::WriteBytes(program.File(u"KorvaneResize.exe"), {'M', 'Z'}));
  RecordingHost host(program.path() + u"\\KorvaneResize.exe\\");
  const BatchOutcome out = RunBatch(List({Jpeg(u"a.jpg", sources)}), host, settings);
  EXPECT_FALSE(out.started);
  const std::vector<std::u16string> events = host.Events();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[events.size() - 2], u"error Fail to create a new folder.");
  EXPECT_EQ(events.back(), u"finished");
}

// The disk fills up while an output is written: that file fails alone and
// leaves nothing behind, not even at the cost of an earlier output of the
// same name; the report and the history, which still fit, get every line.
// POSIX: the real file size limit of the process; Win32: the same limit
// simulated in the file layer.
TEST_F(BatchWorkerTest, ADiskFillingUpDuringAnOutputFailsThatFileAlone) {
  testing::FixtureOptions o;
  o.width = 1600;
  o.height = 1200;
  ScratchFolder other;
  const std::vector<std::uint8_t> big = testing::MakeJpeg(o);
  ASSERT_TRUE(testing::WriteBytes(sources.File(u"big.jpg"), big));
  ASSERT_TRUE(testing::WriteBytes(other.File(u"a.jpg"), big));
  const std::vector<std::u16string> files = {Jpeg(u"a.jpg", sources), sources.File(u"big.jpg"),
                                             Jpeg(u"c.jpg", sources), other.File(u"a.jpg")};
  RecordingHost host(program.path());
  BatchOutcome out;
  {
    struct Limit {
      Limit() { platform::LimitFileSizeForTesting(48 * 1024); }
      ~Limit() { platform::LimitFileSizeForTesting(-1); }
    } limit;
    out = RunBatch(List(files), host, settings);
  }
  EXPECT_EQ(out.successCount, 2);
  std::set<std::u16string> left;
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(Slashed(OutFolder()))))
    left.insert(e.path().filename().u16string());
  EXPECT_EQ(left, (std::set<std::u16string>{u"a.jpg", u"c.jpg", u"出力結果.txt"}));
  EXPECT_EQ(testing::DecodeJpeg(testing::ReadBytes(Slashed(OutFolder() + u"\\a.jpg"))).width, 32);  // the first a.jpg
  const std::u16string full = u"\tFailed to encode \"%s\": Output file write error --- out of disk space? "
                              u"(ProcessImage())\r\n\r\n";
  auto failed = [&](const std::u16string& name) {
    std::u16string t = full;
    return name + u"\r\n" + t.replace(t.find(u"%s"), 2, name);
  };
  const std::u16string tail = failed(u"big.jpg") + u"c.jpg\r\n\t64 x 48 -> 32 x 24\r\n\r\n" + failed(u"a.jpg");
  const std::u16string report = Units(Report());
  ASSERT_GE(report.size(), tail.size());
  EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
  const std::u16string history = History();
  EXPECT_NE(history.find(u"画像数 2/4\r\n"), std::u16string::npos);
  EXPECT_EQ(history.back(), u'H');  // the view letter comes last: the entry is whole
  // Without the limit the same file converts: it was the disk, not the photo.
  ScratchFolder again;
  RecordingHost second(again.path());
  EXPECT_EQ(RunBatch(List({files[1]}), second, settings).successCount, 1);
}

// Sources deeper than MAX_PATH, in a program folder as deep whose text ends
// in a separator, so every joined path holds a doubled one.
TEST_F(BatchWorkerTest, PathsLongerThanMaxPathWork) {
  const std::u16string part(60, u'深');
  std::u16string srcFolder = sources.path();
  std::u16string appFolder = program.path();
  for (int i = 0; i < 5; ++i) {
    srcFolder += u"\\" + part + DecimalText(i);
    appFolder += u"\\" + part + DecimalText(i);
    ASSERT_TRUE(platform::CreateFolder(srcFolder));
    ASSERT_TRUE(platform::CreateFolder(appFolder));
  }
  const std::u16string source = srcFolder + u"\\写真.jpg";
  ASSERT_GT(source.size(), 300u);
  testing::FixtureOptions o;
  const std::vector<std::uint8_t> jpeg = testing::MakeJpeg(o);
  ASSERT_TRUE(platform::CreateForWriting(source).Write(jpeg.data(), static_cast<std::uint32_t>(jpeg.size())));

  RecordingHost host(appFolder + u"\\");
  const BatchOutcome out = RunBatch(List({source, srcFolder}), host, settings);
  ASSERT_TRUE(out.started);
  EXPECT_EQ(out.successCount, 1);
  EXPECT_EQ(out.folderCount, 1u);
  EXPECT_TRUE(platform::QueryAttributes(out.dstFolder + u"\\写真.jpg").exists);
  std::u16string report;
  {
    platform::File f = platform::OpenForReading(out.dstFolder + u"\\出力結果.txt");
    std::vector<char> bytes(8192);
    std::uint32_t got = 0;
    ASSERT_TRUE(f.Read(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &got));
    report = Units(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + got));
  }
  EXPECT_NE(report.find(u"   元画像場所:" + srcFolder + u"\\\r\n"), std::u16string::npos);
  EXPECT_NE(report.find(u"写真.jpg\r\n\t64 x 48 -> 32 x 24\r\n"), std::u16string::npos);
  EXPECT_TRUE(platform::QueryAttributes(HistoryFilePath(appFolder + u"\\")).exists);
}

#ifdef _WIN32
// A source another program holds open without sharing fails alone.
TEST_F(BatchWorkerTest, ASourceLockedByAnotherProgramFailsAloneAndTheBatchGoesOn) {
  const std::vector<std::u16string> files = {Jpeg(u"locked.jpg", sources), Jpeg(u"free.jpg", sources)};
  const std::wstring locked(files[0].begin(), files[0].end());
  const HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  RecordingHost host(program.path());
  const BatchOutcome out = RunBatch(List(files), host, settings);
  CloseHandle(holder);
  EXPECT_EQ(out.successCount, 1);
  EXPECT_NE(Units(Report()).find(u"locked.jpg\r\n\tFailed to open source file \"locked.jpg\". (ProcessImage())\r\n\r\n"
                                 u"free.jpg\r\n\t64 x 48 -> 32 x 24\r\n\r\n"),
            std::u16string::npos);
  EXPECT_NE(History().find(u"画像数 1/2\r\n"), std::u16string::npos);
}
#endif

TEST_F(BatchWorkerTest, EachBatchOwnsItsCancelFlagAndReadsSettingsUnderTheLock) {
  // Separate sources: a file being converted is shared with nobody.
  ScratchFolder otherSources;
  std::vector<std::u16string> filesA, filesB;
  for (const char16_t* n : {u"1.jpg", u"2.jpg", u"3.jpg"}) {
    filesA.push_back(Jpeg(n, sources));
    filesB.push_back(Jpeg(n, otherSources));
  }
  ScratchFolder otherProgram;
  RecordingHost cancelled(program.path());
  RecordingHost whole(otherProgram.path());
  BatchWorker a(List(filesA), settings, cancelled);
  BatchWorker b(List(filesB), settings, whole);
  cancelled.onIndex = [&](const std::u16string& index) {
    if (index == u"1") a.RequestCancel();
  };
  // The interface thread keeps changing the options while both run.
  ASSERT_TRUE(a.Start());
  ASSERT_TRUE(b.Start());
  while (!a.Done() || !b.Done())
    settings.Update([](OutputSettings& s) { s.quality = (s.quality + 1) % kQualityCount; });
  a.Wait();
  b.Wait();
  EXPECT_TRUE(a.Outcome().aborted);
  EXPECT_EQ(a.Outcome().successCount, 1);
  EXPECT_FALSE(b.Outcome().aborted);
  EXPECT_EQ(b.Outcome().successCount, 3);
  EXPECT_FALSE(b.CancelRequested());
}

}  // namespace
}  // namespace korvane
