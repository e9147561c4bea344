#pragma once

namespace korvane {

// The product's home page and its gallery, opened from the Help menu.
inline constexpr wchar_t kProductPageAddress[] = L"https://korvane.example/resize/";
inline constexpr wchar_t kGalleryPageAddress[] = L"https://gallery.korvane.example/resize";

}  // namespace korvane
