#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "resource_ids.h"

namespace {

std::wstring LoadText(UINT id) {
  wchar_t buffer[100] = {};
  LoadStringW(GetModuleHandleW(nullptr), id, buffer, 100);
  return buffer;
}

TEST(Resources, TitleAndClassStrings) {
  EXPECT_EQ(LoadText(IDS_APP_TITLE), L"Korvane\u30EA\u30B5\u30A4\u30BA\u7121\u6599\u5B8C\u5168\u7248");
  EXPECT_EQ(LoadText(IDS_APP_CLASS), LoadText(IDS_APP_TITLE));
}

}  // namespace
