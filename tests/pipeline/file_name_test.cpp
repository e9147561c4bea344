#include "pipeline/file_name.h"

#include <gtest/gtest.h>

#include <string>

namespace korvane {
namespace {

TEST(FileName, StartsAfterTheLastSeparatorOfEitherKind) {
  struct Case { std::u16string path; std::size_t start; };
  const Case cases[] = {
      {u"C:\\dir/sub\\x.jpg", 11}, {u"x.jpg", 0}, {u"C:\\dir\\", 7},
      {u"/a/b/c.jpg", 5}, {u"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(FileNameStart(c.path), c.start);
}

TEST(FileName, JpegExtensionCheck) {
  struct Case { std::u16string path; bool jpeg; };
  const Case cases[] = {
      {u"photo.JPG", true},          {u"a.JpEg", true},
      {u"scan.jfi", true},           {u"x.jpe", true},
      {u"x.JIF", true},              {u"x.jfif", true},
      {u"jpeg", true},               // no dot: the whole name is the extension
      {u"C:\\dir\\jpg", true},
      {u"photo.jpg.txt", false},     {u"photo.png", false},
      {u"a.", false},                // a name that ends in a dot
      {u"C:\\pics.old\\photo", false},  // the dot is in the folder, not the name
      {u"C:/pics.old/photo", false},
      {u"C:\\pics.jpg\\photo", false},
      {u"C:\\pics.old/photo.jpg", true},
      {u"photo.jpg ", false},        {u"photo.ｊｐｇ", false},  // only ASCII letters fold
  };
  for (const Case& c : cases) EXPECT_EQ(HasJpegExtension(c.path), c.jpeg) << std::string(c.path.begin(), c.path.end());
}

}  // namespace
}  // namespace korvane
