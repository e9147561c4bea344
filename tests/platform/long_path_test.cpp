#ifdef _WIN32
#include "platform/win32/long_path.h"

#include <gtest/gtest.h>

namespace korvane::platform {
namespace {

TEST(LongPath, OnlyPathsPastTheLimitTakeTheExtendedFormReadTheUsualWay) {
  const std::u16string deep = u"C:\\" + std::u16string(130, u'a') + u"\\" + std::u16string(130, u'写');
  const std::u16string share = u"\\\\server\\share\\" + std::u16string(250, u'b');
  struct Case {
    std::u16string given, expected;
  };
  const Case cases[] = {
      {u"C:\\p\\a.jpg", u"C:\\p\\a.jpg"},
      {u"C:/p//a.jpg", u"C:/p//a.jpg"},  // short: left to the usual reading
      {deep + u"\\x.jpg", u"\\\\?\\" + deep + u"\\x.jpg"},
      // A joined path with a doubled separator, "/" and dot folders.
      {deep + u"\\\\c/./d\\..\\x.jpg", u"\\\\?\\" + deep + u"\\c\\x.jpg"},
      {share + u"\\x.jpg", u"\\\\?\\UNC\\server\\share\\" + std::u16string(250, u'b') + u"\\x.jpg"},
      {u"\\\\?\\" + deep + u"\\.\\x.jpg", u"\\\\?\\" + deep + u"\\.\\x.jpg"},  // literal already
      {u"\\\\.\\COM1", u"\\\\.\\COM1"},
  };
  for (const Case& c : cases)
    EXPECT_TRUE(ExtendedLengthPath(c.given) == c.expected) << c.given.size();
}

}  // namespace
}  // namespace korvane::platform
#endif
