#include "pipeline/file_name.h"

namespace korvane {

std::size_t FileNameStart(std::u16string_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); ++i)
    if (path[i] == u'\\' || path[i] == u'/') start = i + 1;
  return start;
}

std::u16string_view ExtensionOf(std::u16string_view fileName) {
  const std::size_t dot = fileName.rfind(u'.');
  return dot == std::u16string_view::npos ? fileName : fileName.substr(dot + 1);
}

namespace {

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view lower) {
  if (a.size() != lower.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t c = a[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != lower[i]) return false;
  }
  return true;
}

}  // namespace

bool HasJpegExtension(std::u16string_view path) {
  const std::u16string_view ext = ExtensionOf(path.substr(FileNameStart(path)));
  for (std::u16string_view known : {u"jpg", u"jpeg", u"jpe", u"jif", u"jfif", u"jfi"})
    if (EqualsIgnoringAsciiCase(ext, known)) return true;
  return false;
}

}  // namespace korvane
