#include "batch/drop_list.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

std::vector<std::u16string> Entries(const DropList& list) {
  std::vector<std::u16string> out;
  for (std::uint32_t i = 0; i < list.Count(); ++i) out.push_back(list.Name(i).value_or(u"<none>"));
  return out;
}

TEST(DropList, ArgumentTextTakesTheTextsBetweenQuotePairs) {
  struct Case {
    const char16_t* text;
    std::vector<std::u16string> entries;
  };
  const Case cases[] = {
      {u"", {}},
      {u"C:\\p\\a.jpg", {}},  // no quotes: nothing
      {u"\"C:\\p\\a.jpg\" \"C:\\p\\b c.jpg\"", {u"C:\\p\\a.jpg", u"C:\\p\\b c.jpg"}},
      {u"\"a.jpg\" word \"b.jpg", {u"a.jpg"}},  // an unmatched last quote
      {u"\"\"", {u""}},
      {u"x\"a\"y\"b\"z", {u"a", u"b"}},
      {u"\"a\"\"b\"", {u"a", u"b"}},
      {u"\"写真 1.jpg\"\"\"", {u"写真 1.jpg", u""}},
  };
  for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
    EXPECT_EQ(Entries(DropList::FromArgumentText(cases[i].text)), cases[i].entries) << "case " << i;
  const DropList list = DropList::FromArgumentText(u"\"a\"");
  EXPECT_FALSE(list.Name(1).has_value());
}

TEST(DropList, ShellDropEntriesUntilReleased) {
  DropList list = DropList::FromShellDrop(platform::MakeShellDrop({u"C:\\a.jpg", u"D:\\dir"}));
  EXPECT_EQ(Entries(list), (std::vector<std::u16string>{u"C:\\a.jpg", u"D:\\dir"}));
  EXPECT_FALSE(list.Name(2).has_value());
  list.Release();
  EXPECT_EQ(list.Count(), 0u);
  list.Release();  // once more does no harm
}

TEST(DropList, FileNameOffsetTakesBothSeparators) {
  struct Case {
    const char16_t* path;
    std::size_t offset;
  };
  const Case cases[] = {{u"C:\\dir/sub\\x.jpg", 11}, {u"x.jpg", 0},   {u"C:\\dir\\", 7},
                        {u"", 0},                    {u"/a/b", 3},    {u"\\\\server\\s\\y", 11}};
  for (const Case& c : cases) EXPECT_EQ(FileNameOffset(c.path), c.offset);
}

TEST(DropList, AppFolderIsTheFolderOfTheFirstQuotedText) {
  struct Case {
    const char16_t* line;
    const char16_t* folder;
  };
  const Case cases[] = {
      {u"\"C:\\Tools\\Photo\\prog.exe\" \"D:\\a.jpg\"", u"C:\\Tools\\Photo\\"},
      {u"C:\\Tools\\prog.exe \"D:\\pics/a.jpg\"", u"D:\\pics/"},  // program path not quoted
      {u"prog.exe a.jpg", u""},
      {u"\"prog.exe\" \"a.jpg\"", u""},
      {u"\"C:\\Tools\\prog.exe", u"C:\\Tools\\"},  // no closing quote
  };
  for (const Case& c : cases) EXPECT_EQ(AppFolderFromCommandLine(c.line), c.folder);
}

TEST(DropList, AppFolderComesFromTheWorkingDirectoryOrTheCommandLine) {
  EXPECT_EQ(QueryAppFolder(u""), platform::QueryCurrentDirectory());
  const std::u16string fromLine = QueryAppFolder(u"\"x.jpg\"");
  EXPECT_EQ(fromLine, AppFolderFromCommandLine(platform::QueryFullCommandLine()));
  // This test program was started by its path, so the folder ends in a separator.
  if (!fromLine.empty()) {
    EXPECT_TRUE(fromLine.back() == u'\\' || fromLine.back() == u'/');
  }
  EXPECT_EQ(JoinPath(u"C:\\Tools\\", u"履歴.txt"), u"C:\\Tools\\\\履歴.txt");
}

}  // namespace
}  // namespace korvane
