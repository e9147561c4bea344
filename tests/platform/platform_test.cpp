#include "platform/platform.h"

#include <gtest/gtest.h>

#include <atomic>

#include "support/jpeg_fixtures.h"

namespace korvane {
namespace {

using testing::ScratchFolder;

TEST(Platform, FoldersFailWhenTheyExistAndReportTheirAttributes) {
  ScratchFolder scratch;
  const std::u16string folder = scratch.File(u"新しいフォルダ");
  EXPECT_FALSE(platform::QueryAttributes(folder).exists);
  ASSERT_TRUE(platform::CreateFolder(folder));
  EXPECT_FALSE(platform::CreateFolder(folder));  // a batch in the same second must fail
  EXPECT_TRUE(platform::QueryAttributes(folder).directory);

  const std::u16string file = scratch.File(u"a.jpg");
  ASSERT_TRUE(platform::CreateForWriting(file).IsOpen());
  const platform::PathAttributes a = platform::QueryAttributes(file);
  EXPECT_TRUE(a.exists);
  EXPECT_FALSE(a.directory);
  EXPECT_FALSE(platform::CreateFolder(file));
  // Joined Windows-style, with a doubled separator, the path still works.
  EXPECT_TRUE(platform::QueryAttributes(scratch.path() + u"\\\\a.jpg").exists);
}

TEST(Platform, UpdateOpenCreatesOnceSeeksTruncatesAndSharesWithNobody) {
  ScratchFolder scratch;
  const std::u16string path = scratch.File(u"履歴.txt");
  bool created = false;
  {
    platform::File f = platform::OpenOrCreateForUpdate(path, &created);
    ASSERT_TRUE(f.IsOpen());
    EXPECT_TRUE(created);
    ASSERT_TRUE(f.Write("abcdef", 6));
    // A second opener is refused while this one holds the file.
    bool again = true;
    EXPECT_FALSE(platform::OpenOrCreateForUpdate(path, &again).IsOpen());
    EXPECT_FALSE(again);
  }
  platform::File f = platform::OpenOrCreateForUpdate(path, &created);
  ASSERT_TRUE(f.IsOpen());
  EXPECT_FALSE(created);
  std::uint64_t size = 0;
  ASSERT_TRUE(f.Size(&size));
  EXPECT_EQ(size, 6u);
  ASSERT_TRUE(f.Seek(4));
  ASSERT_TRUE(f.Write("X", 1));
  ASSERT_TRUE(f.Truncate());
  f.Close();
  const std::vector<std::uint8_t> bytes = testing::ReadBytes(path);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "abcdX");
}

TEST(Platform, ShellDropHandsBackEveryNameWhole) {
  const std::u16string longName = u"C:\\" + std::u16string(400, u'長') + u"\\x.jpg";
  platform::ShellDrop drop = platform::MakeShellDrop({u"C:\\p\\a.jpg", u"", longName, u"D:\\f"});
  ASSERT_TRUE(drop.IsHeld());
  ASSERT_EQ(drop.Count(), 3u);  // the empty one is left out, as no drop can hold it
  std::u16string name;
  ASSERT_TRUE(drop.Name(0, &name));
  EXPECT_EQ(name, u"C:\\p\\a.jpg");
  ASSERT_TRUE(drop.Name(1, &name));
  EXPECT_EQ(name, longName);
  EXPECT_FALSE(drop.Name(3, &name));
  drop.Finish();
  EXPECT_FALSE(drop.IsHeld());
  EXPECT_EQ(drop.Count(), 0u);
}

platform::LocalTime TestTime() { return {2011, 3, 5, 14, 32, 7}; }

TEST(Platform, ClockCanBeReplacedAndThreadsJoin) {
  platform::SetLocalTimeSourceForTesting(TestTime);
  EXPECT_EQ(platform::QueryLocalTime().second, 7);
  platform::SetLocalTimeSourceForTesting(nullptr);
  const platform::LocalTime now = platform::QueryLocalTime();
  EXPECT_GE(now.year, 2020);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12 && now.second >= 0 && now.second <= 59);

  std::atomic<int> ran{0};
  platform::Thread t;
  ASSERT_TRUE(t.Start([&] { ran = 1; }));
  t.Join();
  EXPECT_EQ(ran.load(), 1);
  EXPECT_FALSE(t.Joinable());
}

TEST(Platform, WorkingDirectoryAndFullPaths) {
  const std::u16string cwd = platform::QueryCurrentDirectory();
  ASSERT_FALSE(cwd.empty());
  const std::u16string full = platform::FullPath(u"x.jpg");
  EXPECT_EQ(full.substr(0, cwd.size()), cwd);
  EXPECT_EQ(full.substr(full.size() - 5), u"x.jpg");
  EXPECT_EQ(platform::FullPath(full), full);
}

}  // namespace
}  // namespace korvane
