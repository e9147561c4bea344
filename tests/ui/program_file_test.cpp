// The built program file itself: its manifest and its version resource.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "korvane_version.h"

namespace korvane::testing {
namespace {

struct Module {
  HMODULE handle = LoadLibraryExW(L"" KORVANE_APP_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ~Module() {
    if (handle != nullptr) FreeLibrary(handle);
  }
};

TEST(ProgramFile, ManifestAsksForLongPathsAndTheUsersOwnRights) {
  Module exe;
  ASSERT_NE(exe.handle, nullptr);
  const HRSRC found = FindResourceW(exe.handle, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(exe.handle, found)));
  const std::string manifest(bytes, SizeofResource(exe.handle, found));
  EXPECT_NE(manifest.find("<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true"
                          "</longPathAware>"),
            std::string::npos);
  EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
}

TEST(ProgramFile, VersionResourceCarriesTheProjectVersion) {
  const wchar_t* exe = L"" KORVANE_APP_EXE;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe, &ignored);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoW(exe, 0, size, &block[0]));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(KORVANE_VERSION_MINOR, KORVANE_VERSION_MAJOR)));
  EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, KORVANE_VERSION_PATCH)));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  for (const wchar_t* key : {L"\\StringFileInfo\\041104B0\\FileVersion", L"\\StringFileInfo\\041104B0\\ProductVersion"}) {
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), key, reinterpret_cast<void**>(&text), &length)) << key;
    EXPECT_EQ(std::wstring(text), L"" KORVANE_VERSION_TEXT) << key;
  }
}

}  // namespace
}  // namespace korvane::testing
