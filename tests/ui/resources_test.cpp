// The program's resources as the windows load them: both menus item by item,
// the dialog templates control by control (and as live dialogs), the icon,
// the two bitmaps and the accelerator table.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "korvane_version.h"
#include "resource_ids.h"

namespace {

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

std::vector<std::uint8_t> ResourceBytes(UINT id, LPCWSTR type) {
  HRSRC found = FindResourceW(Module(), MAKEINTRESOURCEW(id), type);
  if (!found) return {};
  const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(Module(), found)));
  return std::vector<std::uint8_t>(data, data + SizeofResource(Module(), found));
}

// --- menus -------------------------------------------------------------------------

constexpr UINT kPopup = 0xFFFFFFFF;
constexpr UINT kSeparator = 0;

struct MenuRow {
  int depth;
  UINT id;  // kPopup for a submenu, kSeparator for a separator
  const wchar_t* japanese;
  const wchar_t* english;
};

// Both menus share their layout and ids; only the texts differ.
const MenuRow kMenu[] = {
    {0, kPopup, L"ﾌｧｲﾙ(&F)", L"&File"},
    {1, IDM_OPEN_FOLDER, L"フォルダを開く(&F)", L"Open Working &Folder"},
    {1, IDM_VIEW_HISTORY, L"履歴を見る(&H)", L"View &History"},
    {1, IDM_EXIT, L"終了(&x)", L"E&xit"},
    {0, kPopup, L"出力(&O)", L"&Output"},
    {1, kPopup, L"縮小率(&S)", L"&Scale"},
    {2, 32803, L"1/&1", L"1/&1"},
    {2, kSeparator, nullptr, nullptr},
    {2, 32776, L"1/&2", L"1/&2"},
    {2, 32777, L"1/&4", L"1/&4"},
    {2, 32778, L"1/&8", L"1/&8"},
    {1, kPopup, L"カラーモード(&C)", L"&Color Mode"},
    {2, 32813, L"オリジナル(&O)", L"&Original"},
    {2, kSeparator, nullptr, nullptr},
    {2, 32830, L"あざやか x &1 (+10%)", L"Vivid x &1 (+10%)"},
    {2, 32831, L"あざやか x &2 (+20%)", L"Vivid x &2 (+20%)"},
    {2, 32832, L"あざやか x &3 (+30%)", L"Vivid x &3 (+30%)"},
    {2, 32833, L"あざやか x &4 (+40%)", L"Vivid x &4 (+40%)"},
    {2, kSeparator, nullptr, nullptr},
    {2, 32868, L"色あせ x 1 (-25%) (&F)", L"&Fade x 1 (-25%)"},
    {2, 32869, L"色あせ x 2 (-50%) (&a)", L"F&ade x 2 (-50%)"},
    {2, 32870, L"色あせ x 3 (-75%) (&d)", L"Fa&de x 3 (-75%)"},
    {2, 32887, L"色あせ x 4 (-100%) (&e)", L"Fad&e x 4 (-100%)"},
    {2, kSeparator, nullptr, nullptr},
    {2, 32809, L"ナチュラルセピア(&S)", L"Natural &Sepia"},
    {2, 32836, L"ブルーセピア(&B)", L"&Blue Sepia"},
    {2, 32810, L"セピア x 1(&p)", L"Se&pia x 1"},
    {2, 32811, L"セピア x 2(&i)", L"Sep&ia x 2"},
    {2, 32812, L"セピア x 3(&x)", L"Sepia &x 3"},
    {2, kSeparator, nullptr, nullptr},
    {2, 32903, L"モノカラー(&M)", L"&Mono color"},
    {2, kSeparator, nullptr, nullptr},
    {2, 32821, L"ネガ(&N)", L"&Negative"},
    {2, kSeparator, nullptr, nullptr},
    {2, 32814, L"グレースケール(&G)", L"&Grayscale"},
    {1, kPopup, L"コントラスト(&n)", L"Co&ntrast"},
    {2, 32872, L"オリジナル(&O)", L"&Original"},
    {2, 32879, L"自動調整(&A)", L"&Auto"},
    {2, 32875, L"レベル &1 (+12.5%)", L"Level &1 (+12.5%)"},
    {2, 32876, L"レベル &2 (+25%)", L"Level &2 (+25%)"},
    {2, 32878, L"レベル &3 (+37.5%)", L"Level &3 (+37.5%)"},
    {2, 32882, L"レベル &4 (+50%)", L"Level &4 (+50%)"},
    {2, 32883, L"レベル &5 (+62.5%)", L"Level &5 (+62.5%)"},
    {2, 32885, L"レベル &6 (+75%)", L"Level &6 (+75%)"},
    {1, kPopup, L"ぼかし(&B)", L"&Blur"},
    {2, 32838, L"なし(&N)", L"&None"},
    {2, kSeparator, nullptr, nullptr},
    {2, 32841, L"ソフトフォーカス（美肌）(&F)", L"Soft &Focus"},
    {2, 32856, L"スーパーソフトフォーカス(&u)", L"S&uper Soft Focus"},
    {2, kSeparator, nullptr, nullptr},
    {2, 32839, L"ちょいぼけ(&L)", L"&Light"},
    {2, 32858, L"ややぼけ(&M)", L"&Medium"},
    {2, 32840, L"ぼけぼけ(&S)", L"&Strong"},
    {1, kPopup, L"回転・反転(&R)", L"&Rotation"},
    {2, 32816, L"なし(&N)", L"&None"},
    {2, kSeparator, nullptr, nullptr},
    {2, 32822, L"右回転(&R)", L"Clockwise (&R)"},
    {2, 32823, L"左回転(&L)", L"Counter Clockwise (&L)"},
    {2, 32827, L"180\u00B0回転(&d)", L"180-&degree Rotation"},
    {2, kSeparator, nullptr, nullptr},
    {2, 32824, L"左右反転(&H)", L"&Horizontal Flip (mirror)"},
    {2, 32825, L"上下反転(&V)", L"&Vertical Flip"},
    {1, kPopup, L"ふち\uFF08ビネット\uFF09(&V)", L"&Vignette"},
    {2, kPopup, L"色(&C)", L"&Color"},
    {3, 32847, L"なし(&N)", L"&None"},
    {3, kSeparator, nullptr, nullptr},
    {3, 32848, L"白(&W)", L"&White"},
    {3, 32849, L"黒(&B)", L"&Black"},
    {3, kSeparator, nullptr, nullptr},
    {3, 32863, L"他の色(&C)", L"&Custom"},
    {2, kPopup, L"形(&S)", L"&Shape"},
    {3, 32850, L"フレーム(&F)", L"&Frame"},
    {3, 32866, L"外側のまる(&O)", L"&Outer Ellipse"},
    {3, 32865, L"内側のまる(&I)", L"&Inner Ellipse"},
    {2, kPopup, L"厚さ(&T)", L"&Thickness"},
    {3, 32853, L"薄め(&L)", L"&Thin"},
    {3, 32854, L"標準(&M)", L"&Medium"},
    {3, 32855, L"厚め(&S)", L"T&hick"},
    {1, kPopup, L"クオリティ(&Q)", L"&Quality"},
    {2, 32783, L"100 (&best)", L"100 (&best)"},
    {2, 32784, L"&90", L"&90"},
    {2, 32785, L"&80", L"&80"},
    {2, 32786, L"&70", L"&70"},
    {2, 32787, L"&60", L"&60"},
    {2, 32788, L"&50", L"&50"},
    {2, 32789, L"&40", L"&40"},
    {2, 32790, L"&30", L"&30"},
    {2, 32791, L"&20", L"&20"},
    {2, 32792, L"&10", L"&10"},
    {1, kSeparator, nullptr, nullptr},
    {1, kPopup, L"特殊効果(&E)", L"Special &Effect"},
    {2, 32901, L"なし(&N)", L"&None"},
    {2, 32897, L"輪郭と影(&S)", L"Outline && &Shadow"},
    {1, kSeparator, nullptr, nullptr},
    {1, 32867, L"設定をリセット(&R)", L"&Reset Options"},
    {1, 32889, L"設定を保存(&a)", L"S&ave Options"},
    {1, 32886, L"設定(&O)", L"&Options"},
    {0, kPopup, L"表示(&V)", L"&View"},
    {1, 32835, L"コンパクト(&C)", L"&Compact"},
    {1, 32834, L"拡大(&L)", L"&Large"},
    {0, kPopup, L"ﾍﾙﾌﾟ(&H)", L"&Help"},
    {1, 32782, L"マニュアル(&M)", L"&Manual"},
    {1, 32829, L"製品ページ(&P)", L"&Product page"},
    {1, 32905, L"ギャラリー(&G)", L"&Gallery"},
    {1, 104, L"Korvaneリサイズについて(&A)", L"&About ..."},
};

// One line per item, indented by depth: "[id] text", "[popup] text" or "---".
std::string RowLine(int depth, UINT id, const std::wstring& text) {
  std::string line(depth * 2, ' ');
  if (id == kSeparator && text.empty()) return line + "---";
  line += id == kPopup ? std::string("[popup] ") : "[" + std::to_string(id) + "] ";
  return line + Utf8(text);
}

void WalkMenu(HMENU menu, int depth, std::string& out) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[200] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 200;
    ASSERT_TRUE(GetMenuItemInfoW(menu, i, TRUE, &info));
    if (info.fType & MFT_SEPARATOR) {
      out += RowLine(depth, kSeparator, L"") + "\n";
    } else {
      out += RowLine(depth, info.hSubMenu ? kPopup : info.wID, text) + "\n";
      if (info.hSubMenu) WalkMenu(info.hSubMenu, depth + 1, out);
    }
  }
}

std::string ExpectedMenu(bool english) {
  std::string out;
  for (const MenuRow& row : kMenu) {
    const wchar_t* text = english ? row.english : row.japanese;
    out += RowLine(row.depth, row.id, text ? text : L"") + "\n";
  }
  return out;
}

TEST(ResourcesTest, MenusHoldEveryItemIdAndSeparatorInOrder) {
  for (const auto& [id, english] : {std::pair{IDM_MAIN_MENU, false}, std::pair{IDM_MAIN_MENU_EN, true}}) {
    SCOPED_TRACE(id);
    HMENU menu = LoadMenuW(Module(), MAKEINTRESOURCEW(id));
    ASSERT_NE(menu, nullptr);
    std::string actual;
    WalkMenu(menu, 0, actual);
    EXPECT_EQ(actual, ExpectedMenu(english));
    DestroyMenu(menu);
  }
}

TEST(ResourcesTest, AcceleratorsOpenTheAboutBoxWithAltQuestionMarkAndAltSlash) {
  HACCEL table = LoadAcceleratorsW(Module(), MAKEINTRESOURCEW(IDA_ACCELERATORS));
  ASSERT_NE(table, nullptr);
  ACCEL entries[4] = {};
  ASSERT_EQ(CopyAcceleratorTableW(table, entries, 4), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(entries[i].cmd, IDM_ABOUT);
    EXPECT_EQ(entries[i].fVirt & (FALT | FVIRTKEY | FCONTROL | FSHIFT), FALT);
  }
  EXPECT_EQ(entries[0].key, '?');
  EXPECT_EQ(entries[1].key, '/');
  DestroyAcceleratorTable(table);
}

// --- dialog templates ------------------------------------------------------------------

enum class Kind { PushButton, DefaultButton, Radio, FirstRadio, CheckBox, GroupBox, Text, RightText, Frame, Icon, DropList, Slider };

struct ControlRow {
  int id;
  Kind kind;
  const wchar_t* japanese;
  const wchar_t* english;  // the twin's text (the About box has only this one)
  short x, y, cx, cy;
};

struct DialogSpec {
  UINT id;
  UINT twin;  // 0: none
  const wchar_t* caption;
  const wchar_t* twinCaption;
  const wchar_t* face;
  int points;
  short x, y, cx, cy;
  bool systemMenu;
  const ControlRow* rows;
  std::size_t count;
};

constexpr int kNoId = 0xFFFF;  // static texts and group boxes without an id

const ControlRow kProcessing[] = {
    {IDCANCEL, Kind::PushButton, L"中断", L"Cancel", 32, 83, 47, 14},
    {IDC_PROGRESS_INDEX, Kind::RightText, L"0", L"0", 35, 5, 21, 8},
    {IDC_PROGRESS_TOTAL, Kind::Text, L"/n", L"/n", 56, 5, 17, 8},
    {IDC_PROGRESS_FILE, Kind::Text, L"File name", L"File name", 3, 15, 109, 9},
    {kNoId, Kind::RightText, L"縮小率 =\nクオリティ =\nカラーモード =\nコントラスト =\nぼかし =\n回転・反転 =\nふち =",
     L"Scale =\nQuality =\nColor mode =\nContrast =\nBlur =\nRotation =\nVignette =", 1, 24, 41, 59},
    {IDC_PROGRESS_SUMMARY, Kind::Text, L"1/-\n-\n-\n-\n-\n-\n-", L"1/-\n-\n-\n-\n-\n-\n-", 44, 24, 68, 59},
};

const ControlRow kOutputOptions[] = {
    {IDC_OPT_SCALE, Kind::DropList, L"", L"", 66, 6, 75, 138},
    {kNoId, Kind::RightText, L"縮小率", L"Scale", 6, 8, 54, 8},
    {IDC_OPT_MONO_SWATCH, Kind::Frame, L"", L"", 54, 23, 10, 10},
    {IDC_OPT_COLOR_MODE, Kind::DropList, L"", L"", 66, 22, 75, 167},
    {kNoId, Kind::RightText, L"カラーモード", L"Color mode", 6, 24, 46, 8},
    {IDC_OPT_CONTRAST, Kind::DropList, L"", L"", 66, 38, 75, 138},
    {kNoId, Kind::RightText, L"コントラスト", L"Contrast", 6, 40, 54, 8},
    {IDC_OPT_BLUR, Kind::DropList, L"", L"", 66, 54, 75, 138},
    {kNoId, Kind::RightText, L"ぼかし", L"Blur", 6, 56, 54, 8},
    {IDC_OPT_ROTATION, Kind::DropList, L"", L"", 66, 70, 75, 138},
    {kNoId, Kind::RightText, L"回転・反転", L"Rotation", 6, 72, 54, 8},
    {IDC_OPT_VIGNETTE_SWATCH, Kind::Frame, L"", L"", 54, 87, 10, 10},
    {IDC_OPT_VIGNETTE_COLOR, Kind::DropList, L"", L"", 66, 86, 75, 138},
    {kNoId, Kind::RightText, L"ふち(ビネット)色", L"Vignette", 6, 88, 45, 8},
    {IDC_OPT_VIGNETTE_SHAPE, Kind::DropList, L"", L"", 66, 102, 75, 138},
    {kNoId, Kind::RightText, L"形", L"Shape", 6, 104, 54, 8},
    {IDC_OPT_VIGNETTE_THICKNESS, Kind::DropList, L"", L"", 66, 118, 75, 138},
    {kNoId, Kind::RightText, L"厚さ", L"Thickness", 6, 120, 54, 8},
    {IDC_OPT_QUALITY, Kind::DropList, L"", L"", 66, 134, 75, 138},
    {kNoId, Kind::RightText, L"クオリティ", L"Quality", 6, 136, 54, 8},
    {IDC_OPT_SPECIAL_EFFECT, Kind::DropList, L"", L"", 66, 150, 75, 138},
    {kNoId, Kind::RightText, L"特殊効果", L"Special effect", 6, 152, 54, 8},
    {IDC_OPT_RESET, Kind::PushButton, L"リセット", L"Reset", 20, 168, 36, 14},
    {IDCANCEL, Kind::PushButton, L"Cancel", L"Cancel", 61, 168, 37, 14},
    {IDOK, Kind::DefaultButton, L"OK", L"OK", 103, 168, 38, 14},
};

const ControlRow kOutlineShadow[] = {
    {kNoId, Kind::GroupBox, L"背景", L"Background", 7, 7, 78, 91},
    {IDC_OS_BACKGROUND_ORIGINAL, Kind::FirstRadio, L"オリジナル", L"Original", 12, 18, 47, 10},
    {IDC_OS_BACKGROUND_WHITE, Kind::Radio, L"白", L"White", 12, 30, 24, 10},
    {IDC_OS_BACKGROUND_BLACK, Kind::Radio, L"黒", L"Black", 12, 43, 24, 10},
    {IDC_OS_BACKGROUND_CUSTOM, Kind::Radio, L"カスタム", L"Custom", 12, 56, 40, 10},
    {IDC_OS_BACKGROUND_RANDOM_VIVID, Kind::Radio, L"ランダム（濃いめ）", L"Random (vivid)", 12, 69, 69, 10},
    {IDC_OS_BACKGROUND_RANDOM_PALE, Kind::Radio, L"ランダム（薄め）", L"Random (pale)", 12, 82, 63, 10},
    {IDC_OS_BACKGROUND_SWATCH, Kind::Frame, L"", L"", 56, 56, 22, 9},
    {IDC_OS_OUTLINE_UNDER_SHADOW, Kind::CheckBox, L"影の下に輪郭を描画", L"Shadow on top", 6, 104, 79, 12},
    {IDC_OS_SHADOW_TAKES_OUTLINE_COLOR, Kind::CheckBox, L"影は輪郭と同じ色", L"Shadow as outline", 6, 119, 78, 12},
    {kNoId, Kind::GroupBox, L"輪郭", L"Outline", 89, 7, 78, 143},
    {IDC_OS_OUTLINE_NONE, Kind::FirstRadio, L"なし", L"None", 94, 18, 29, 10},
    {IDC_OS_OUTLINE_WHITE, Kind::Radio, L"白", L"White", 94, 30, 24, 10},
    {IDC_OS_OUTLINE_BLACK, Kind::Radio, L"黒", L"Black", 94, 43, 24, 10},
    {IDC_OS_OUTLINE_CUSTOM, Kind::Radio, L"カスタム", L"Custom", 94, 56, 40, 10},
    {IDC_OS_OUTLINE_RANDOM_VIVID, Kind::Radio, L"ランダム（濃いめ）", L"Random (vivid)", 94, 69, 69, 10},
    {IDC_OS_OUTLINE_RANDOM_PALE, Kind::Radio, L"ランダム（薄め）", L"Random (pale)", 94, 82, 63, 10},
    {IDC_OS_OUTLINE_SWATCH, Kind::Frame, L"", L"", 138, 56, 22, 9},
    {IDC_OS_OUTLINE_LEVEL_TEXT, Kind::RightText, L"255", L"255", 91, 96, 13, 8},
    {IDC_OS_OUTLINE_LEVEL, Kind::Slider, L"", L"", 105, 94, 60, 13},
    {IDC_OS_OUTLINE_GROUPING, Kind::CheckBox, L"エリアをまとめる", L"Merge areas", 94, 107, 56, 12},
    {IDC_OS_OUTLINE_SMOOTHING, Kind::CheckBox, L"スムージング", L"Smoothing", 94, 120, 56, 12},
    {IDC_OS_OUTLINE_BEFORE_BLUR, Kind::CheckBox, L"ぼかす前に処理", L"Before blur", 94, 133, 65, 12},
    {kNoId, Kind::GroupBox, L"影", L"Shadow", 172, 7, 78, 143},
    {IDC_OS_SHADOW_NONE, Kind::FirstRadio, L"なし", L"None", 177, 18, 29, 10},
    {IDC_OS_SHADOW_WHITE, Kind::Radio, L"白", L"White", 177, 30, 24, 10},
    {IDC_OS_SHADOW_BLACK, Kind::Radio, L"黒", L"Black", 177, 43, 24, 10},
    {IDC_OS_SHADOW_CUSTOM, Kind::Radio, L"カスタム", L"Custom", 177, 56, 40, 10},
    {IDC_OS_SHADOW_RANDOM_VIVID, Kind::Radio, L"ランダム（濃いめ）", L"Random (vivid)", 177, 69, 69, 10},
    {IDC_OS_SHADOW_RANDOM_PALE, Kind::Radio, L"ランダム（薄め）", L"Random (pale)", 177, 82, 63, 10},
    {IDC_OS_SHADOW_SWATCH, Kind::Frame, L"", L"", 221, 56, 22, 9},
    {IDC_OS_SHADOW_LEVEL_TEXT, Kind::RightText, L"255", L"255", 174, 96, 13, 8},
    {IDC_OS_SHADOW_LEVEL, Kind::Slider, L"", L"", 188, 94, 60, 13},
    {IDC_OS_SHADOW_GROUPING, Kind::CheckBox, L"エリアをまとめる", L"Merge areas", 176, 107, 56, 12},
    {IDC_OS_SHADOW_SMOOTHING, Kind::CheckBox, L"スムージング", L"Smoothing", 176, 119, 56, 12},
    {IDC_OS_SHADOW_BEFORE_BLUR, Kind::CheckBox, L"ぼかす前に処理", L"Before blur", 176, 131, 65, 12},
    {IDC_OS_RESET, Kind::PushButton, L"リセット", L"Reset", 85, 155, 49, 15},
    {IDCANCEL, Kind::PushButton, L"Cancel", L"Cancel", 142, 156, 50, 14},
    {IDOK, Kind::DefaultButton, L"OK", L"OK", 199, 156, 50, 14},
};

const ControlRow kAbout[] = {
    {IDC_ABOUT_ICON, Kind::Icon, nullptr, nullptr, 14, 9, 20, 20},
    {IDC_ABOUT_NAME, Kind::Text, nullptr, L"" KORVANE_ABOUT_NAME, 42, 7, 86, 18},
    {IDC_ABOUT_NOTICE, Kind::Text, nullptr,
     L"This software is based in part on the work of the Independent JPEG Group.", 42, 27, 136, 18},
    {IDOK, Kind::DefaultButton, nullptr, L"OK", 133, 12, 30, 11},
};

template <std::size_t N>
constexpr std::size_t Count(const ControlRow (&)[N]) { return N; }

const DialogSpec kDialogs[] = {
    {IDD_PROCESSING, IDD_PROCESSING_EN, L"Processing..........", L"Processing..........", L"Microsoft Sans Serif",
     10, 0, 0, 113, 102, false, kProcessing, Count(kProcessing)},
    {IDD_OUTPUT_OPTIONS, IDD_OUTPUT_OPTIONS_EN, L"出力設定", L"Output Options", L"MS Sans Serif", 8, 0, 0, 148, 189,
     true, kOutputOptions, Count(kOutputOptions)},
    {IDD_OUTLINE_SHADOW, IDD_OUTLINE_SHADOW_EN, L"輪郭と影", L"Outline & Shadow", L"MS Sans Serif", 8, 0, 0, 257,
     176, true, kOutlineShadow, Count(kOutlineShadow)},
    {IDD_ABOUT, 0, L"About", nullptr, L"MS Sans Serif", 8, 22, 17, 184, 50, true, kAbout, Count(kAbout)},
};

// A DLGTEMPLATEEX read field by field.
struct ParsedControl {
  DWORD style = 0;
  int id = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::wstring className;  // predefined classes by their names
  std::wstring text;
  int textOrdinal = -1;
};

struct ParsedDialog {
  DWORD style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::wstring caption, face;
  int points = 0, weight = 0;
  std::vector<ParsedControl> controls;
};

class TemplateReader {
 public:
  explicit TemplateReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  template <typename T>
  T Read() {
    T value{};
    if (pos_ + sizeof(T) <= bytes_.size()) std::memcpy(&value, bytes_.data() + pos_, sizeof(T));
    pos_ += sizeof(T);
    return value;
  }
  std::wstring String() {
    std::wstring s;
    for (wchar_t c; (c = Read<wchar_t>()) != 0 && pos_ <= bytes_.size();) s += c;
    return s;
  }
  // A name or an ordinal (0xFFFF then the number).
  std::wstring NameOrOrdinal(int* ordinal) {
    if (Peek() == 0xFFFF) {
      Read<WORD>();
      *ordinal = Read<WORD>();
      return {};
    }
    *ordinal = -1;
    return String();
  }
  void AlignDword() { pos_ = (pos_ + 3) & ~std::size_t{3}; }
  bool Ok() const { return pos_ <= bytes_.size(); }

 private:
  WORD Peek() const {
    WORD value = 0;
    if (pos_ + 2 <= bytes_.size()) std::memcpy(&value, bytes_.data() + pos_, 2);
    return value;
  }
  const std::vector<std::uint8_t>& bytes_;
  std::size_t pos_ = 0;
};

bool ParseDialog(UINT id, ParsedDialog* out) {
  const std::vector<std::uint8_t> bytes = ResourceBytes(id, RT_DIALOG);
  TemplateReader r(bytes);
  if (bytes.empty() || r.Read<WORD>() != 1 || r.Read<WORD>() != 0xFFFF) return false;
  r.Read<DWORD>();  // help id
  r.Read<DWORD>();  // extended style
  out->style = r.Read<DWORD>();
  const WORD items = r.Read<WORD>();
  out->x = r.Read<short>(), out->y = r.Read<short>(), out->cx = r.Read<short>(), out->cy = r.Read<short>();
  int ordinal = 0;
  r.NameOrOrdinal(&ordinal);  // menu
  r.NameOrOrdinal(&ordinal);  // class
  out->caption = r.String();
  if (out->style & DS_SETFONT) {
    out->points = r.Read<WORD>();
    out->weight = r.Read<WORD>();
    r.Read<BYTE>();  // italic
    r.Read<BYTE>();  // character set
    out->face = r.String();
  }
  static const wchar_t* const kPredefined[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"};
  for (WORD i = 0; i < items; ++i) {
    r.AlignDword();
    ParsedControl c;
    r.Read<DWORD>();  // help id
    r.Read<DWORD>();  // extended style
    c.style = r.Read<DWORD>();
    c.x = r.Read<short>(), c.y = r.Read<short>(), c.cx = r.Read<short>(), c.cy = r.Read<short>();
    c.id = static_cast<int>(r.Read<DWORD>() & 0xFFFF);
    c.className = r.NameOrOrdinal(&ordinal);
    if (ordinal >= 0x80 && ordinal <= 0x85) c.className = kPredefined[ordinal - 0x80];
    c.text = r.NameOrOrdinal(&c.textOrdinal);
    const WORD extra = r.Read<WORD>();
    for (WORD b = 0; b < extra; ++b) r.Read<BYTE>();
    out->controls.push_back(c);
  }
  return r.Ok();
}

// The class and the style bits that make each kind.
struct KindTraits {
  const wchar_t* className;
  DWORD mask;
  DWORD value;
};

KindTraits Traits(Kind kind) {
  switch (kind) {
    case Kind::PushButton: return {L"Button", BS_TYPEMASK, BS_PUSHBUTTON};
    case Kind::DefaultButton: return {L"Button", BS_TYPEMASK, BS_DEFPUSHBUTTON};
    case Kind::Radio: return {L"Button", BS_TYPEMASK | WS_GROUP, BS_AUTORADIOBUTTON};
    case Kind::FirstRadio: return {L"Button", BS_TYPEMASK | WS_GROUP | WS_TABSTOP, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP};
    case Kind::CheckBox: return {L"Button", BS_TYPEMASK | WS_TABSTOP, BS_AUTOCHECKBOX | WS_TABSTOP};
    case Kind::GroupBox: return {L"Button", BS_TYPEMASK, BS_GROUPBOX};
    case Kind::Text: return {L"Static", SS_TYPEMASK, SS_LEFT};
    case Kind::RightText: return {L"Static", SS_TYPEMASK, SS_RIGHT};
    // Swatch placeholders let mouse clicks through to the dialog.
    case Kind::Frame: return {L"Static", SS_TYPEMASK | SS_NOTIFY, SS_GRAYFRAME};
    case Kind::Icon: return {L"Static", SS_TYPEMASK, SS_ICON};
    case Kind::DropList: return {L"ComboBox", 0x3 | WS_VSCROLL | WS_TABSTOP, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP};
    case Kind::Slider: return {L"msctls_trackbar32", TBS_VERT | TBS_NOTICKS, TBS_HORZ | TBS_NOTICKS};
  }
  return {L"", 0, 0};
}

void CheckTemplate(const DialogSpec& want, bool twin) {
  const UINT id = twin ? want.twin : want.id;
  SCOPED_TRACE("dialog " + std::to_string(id));
  ParsedDialog d;
  ASSERT_TRUE(ParseDialog(id, &d));
  EXPECT_EQ(Utf8(d.caption), Utf8(twin ? want.twinCaption : want.caption));
  EXPECT_EQ(Utf8(d.face), Utf8(want.face));
  EXPECT_EQ(d.points, want.points);
  EXPECT_EQ(d.weight, FW_NORMAL);
  EXPECT_EQ((d.style & WS_CHILD), 0u);
  EXPECT_EQ(d.style & (WS_POPUP | WS_CAPTION | DS_MODALFRAME), DWORD{WS_POPUP | WS_CAPTION | DS_MODALFRAME});
  EXPECT_EQ((d.style & WS_SYSMENU) != 0, want.systemMenu);
  EXPECT_EQ(d.style & WS_VISIBLE, 0u);
  EXPECT_EQ((d.style & DS_CENTERMOUSE) != 0, want.id == IDD_PROCESSING);
  EXPECT_EQ(d.x, want.x);
  EXPECT_EQ(d.y, want.y);
  EXPECT_EQ(d.cx, want.cx);
  EXPECT_EQ(d.cy, want.cy);
  ASSERT_EQ(d.controls.size(), want.count);
  // The loaded dialogs, and the processing dialog's twin, sit exactly where
  // their layout puts them; the other twins may widen a control for English.
  const bool checkPlaces = !twin || want.id == IDD_PROCESSING;
  for (std::size_t i = 0; i < want.count; ++i) {
    const ControlRow& row = want.rows[i];
    const ParsedControl& c = d.controls[i];
    SCOPED_TRACE("control " + std::to_string(i) + ", id " + std::to_string(row.id));
    const KindTraits traits = Traits(row.kind);
    EXPECT_EQ(c.id, row.id);
    EXPECT_EQ(CompareStringOrdinal(c.className.c_str(), -1, traits.className, -1, TRUE), CSTR_EQUAL)
        << Utf8(c.className);
    EXPECT_EQ(c.style & traits.mask, traits.value);
    EXPECT_EQ(c.style & (WS_CHILD | WS_VISIBLE), DWORD{WS_CHILD | WS_VISIBLE});
    if (row.kind == Kind::Icon) {
      EXPECT_EQ(c.textOrdinal, IDI_APP_ICON);
    } else {
      const wchar_t* text = (twin || !row.japanese) ? row.english : row.japanese;
      EXPECT_EQ(Utf8(c.text), Utf8(text));
    }
    if (checkPlaces) {
      EXPECT_EQ(c.x, row.x);
      EXPECT_EQ(c.y, row.y);
      EXPECT_EQ(c.cx, row.cx);
      EXPECT_EQ(c.cy, row.cy);
    } else {
      EXPECT_EQ(c.x, row.x);
      EXPECT_EQ(c.y, row.y);
      EXPECT_GE(c.cx, row.cx);
      EXPECT_EQ(c.cy, row.cy);
    }
  }
}

TEST(ResourcesTest, DialogTemplatesHoldTheirControlsWithIdsTextsAndPlaces) {
  for (const DialogSpec& want : kDialogs) {
    CheckTemplate(want, false);
    if (want.twin) CheckTemplate(want, true);
  }
}

// File names and labels with "&" must show as written.
TEST(ResourcesTest, FieldsTheProgramFillsShowAmpersandsLiterally) {
  for (UINT dialog : {IDD_PROCESSING, IDD_PROCESSING_EN}) {
    ParsedDialog d;
    ASSERT_TRUE(ParseDialog(dialog, &d));
    for (const ParsedControl& c : d.controls)
      if (c.id == IDC_PROGRESS_FILE || c.id == IDC_PROGRESS_SUMMARY) {
        EXPECT_TRUE(c.style & SS_NOPREFIX) << c.id;
      }
  }
}

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

HWND CreateQuietDialog(UINT id) {
  static const bool ready = [] {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&init) != FALSE;
  }();
  (void)ready;
  return CreateDialogParamW(Module(), MAKEINTRESOURCEW(id), nullptr, QuietDialog, 0);
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

TEST(ResourcesTest, EveryDialogOpensWithItsControlsOfTheRightClasses) {
  for (const DialogSpec& want : kDialogs) {
    for (UINT id : {want.id, want.twin}) {
      if (!id) continue;
      SCOPED_TRACE("dialog " + std::to_string(id));
      HWND dialog = CreateQuietDialog(id);
      ASSERT_NE(dialog, nullptr);
      int children = 0;
      for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++children;
      EXPECT_EQ(children, static_cast<int>(want.count));
      for (std::size_t i = 0; i < want.count; ++i) {
        const ControlRow& row = want.rows[i];
        if (row.id == kNoId) continue;
        HWND control = GetDlgItem(dialog, row.id);
        ASSERT_NE(control, nullptr) << row.id;
        wchar_t className[64] = {};
        GetClassNameW(control, className, 64);
        EXPECT_EQ(CompareStringOrdinal(className, -1, Traits(row.kind).className, -1, TRUE), CSTR_EQUAL)
            << row.id << " " << Utf8(className);
        if (row.kind == Kind::Icon) {
          EXPECT_NE(SendMessageW(control, STM_GETICON, 0, 0), 0) << "icon not loaded";
        }
        if (row.kind == Kind::Frame) {  // a click on a swatch reaches the dialog
          RECT r{};
          GetWindowRect(control, &r);
          EXPECT_EQ(SendMessageW(control, WM_NCHITTEST, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2)),
                    HTTRANSPARENT)
              << row.id;
        }
      }
      DestroyWindow(dialog);
    }
  }
}

// Each drop-down list is tall enough to show all the entries the dialog puts
// into it without scrolling.
TEST(ResourcesTest, DropDownListsShowAllTheirEntries) {
  const struct {
    int id;
    int entries;
  } kLists[] = {{IDC_OPT_SCALE, 4},          {IDC_OPT_CONTRAST, 8},         {IDC_OPT_COLOR_MODE, 17},
                {IDC_OPT_ROTATION, 6},       {IDC_OPT_BLUR, 6},             {IDC_OPT_VIGNETTE_COLOR, 4},
                {IDC_OPT_VIGNETTE_SHAPE, 3}, {IDC_OPT_VIGNETTE_THICKNESS, 3}, {IDC_OPT_QUALITY, 10},
                {IDC_OPT_SPECIAL_EFFECT, 2}};
  HWND dialog = CreateQuietDialog(IDD_OUTPUT_OPTIONS);
  ASSERT_NE(dialog, nullptr);
  for (const auto& list : kLists) {
    HWND combo = GetDlgItem(dialog, list.id);
    for (int i = 0; i < list.entries; ++i) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"1/8"));
    RECT dropped{}, field{};
    SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    GetWindowRect(combo, &field);
    const int itemHeight = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
    EXPECT_GE((dropped.bottom - dropped.top) - (field.bottom - field.top), list.entries * itemHeight + 2)
        << "list " << list.id;
  }
  DestroyWindow(dialog);
}

// Auto radio buttons toggle within their own group only: the three groups of
// the outline dialog are separate.
TEST(ResourcesTest, OutlineDialogRadioGroupsAreIndependent) {
  const int kGroups[3][6] = {
      {1013, 1014, 1015, 1016, 1017, 1018}, {1019, 1020, 1021, 1022, 1023, 1024}, {1031, 1032, 1033, 1034, 1036, 1037}};
  for (UINT id : {IDD_OUTLINE_SHADOW, IDD_OUTLINE_SHADOW_EN}) {
    HWND dialog = CreateQuietDialog(id);
    ASSERT_NE(dialog, nullptr);
    for (const auto& group : kGroups) CheckDlgButton(dialog, group[0], BST_CHECKED);
    SendDlgItemMessageW(dialog, kGroups[1][4], BM_CLICK, 0, 0);
    EXPECT_TRUE(Checked(dialog, kGroups[0][0]));
    EXPECT_FALSE(Checked(dialog, kGroups[1][0]));
    EXPECT_TRUE(Checked(dialog, kGroups[1][4]));
    EXPECT_TRUE(Checked(dialog, kGroups[2][0]));
    SendDlgItemMessageW(dialog, kGroups[2][5], BM_CLICK, 0, 0);
    EXPECT_TRUE(Checked(dialog, kGroups[1][4]));
    EXPECT_FALSE(Checked(dialog, kGroups[2][0]));
    // A check box toggles by itself.
    SendDlgItemMessageW(dialog, IDC_OS_OUTLINE_SMOOTHING, BM_CLICK, 0, 0);
    EXPECT_TRUE(Checked(dialog, IDC_OS_OUTLINE_SMOOTHING));
    DestroyWindow(dialog);
  }
}

// --- images ----------------------------------------------------------------------------

TEST(ResourcesTest, IconHasSixteenThirtyTwoAndFortyEightPixelImages) {
  const std::vector<std::uint8_t> group = ResourceBytes(IDI_APP_ICON, RT_GROUP_ICON);
  ASSERT_GE(group.size(), 6u);
  const int count = group[4] | (group[5] << 8);
  ASSERT_EQ(group.size(), 6u + 14u * count);
  std::vector<int> sizes;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* entry = group.data() + 6 + 14 * i;
    const int width = entry[0] ? entry[0] : 256, height = entry[1] ? entry[1] : 256;
    EXPECT_EQ(width, height);
    EXPECT_EQ(entry[6] | (entry[7] << 8), 32) << "bits per pixel";
    const UINT imageId = entry[12] | (entry[13] << 8);
    const std::vector<std::uint8_t> image = ResourceBytes(imageId, RT_ICON);
    HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(image.data()), static_cast<DWORD>(image.size()), TRUE,
                                          0x00030000, width, height, 0);
    EXPECT_NE(icon, nullptr) << width;
    if (icon) DestroyIcon(icon);
    sizes.push_back(width);
  }
  EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));
  HICON small = static_cast<HICON>(LoadImageW(Module(), MAKEINTRESOURCEW(IDI_APP_ICON), IMAGE_ICON, 16, 16, 0));
  EXPECT_NE(small, nullptr);
}

const BITMAPINFOHEADER* BitmapHeader(const std::vector<std::uint8_t>& bytes) {
  return bytes.size() >= sizeof(BITMAPINFOHEADER) ? reinterpret_cast<const BITMAPINFOHEADER*>(bytes.data())
                                                  : nullptr;
}

TEST(ResourcesTest, SamplePictureIs220By220WithTwentyFourBits) {
  const std::vector<std::uint8_t> bytes = ResourceBytes(IDB_SAMPLE, RT_BITMAP);
  const BITMAPINFOHEADER* h = BitmapHeader(bytes);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->biWidth, 220);
  EXPECT_EQ(h->biHeight, 220);  // bottom-up
  EXPECT_EQ(h->biBitCount, 24);
  EXPECT_EQ(h->biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(bytes.size(), h->biSize + 220u * 220u * 3u);
  // A photograph in colour, not a flat or grey image.
  const std::uint8_t* pixels = bytes.data() + h->biSize;
  int colourful = 0;
  for (std::size_t i = 0; i < 220u * 220u; ++i) {
    const int b = pixels[3 * i], g = pixels[3 * i + 1], r = pixels[3 * i + 2];
    if (std::max({r, g, b}) - std::min({r, g, b}) > 40) ++colourful;
  }
  EXPECT_GT(colourful, 220 * 220 / 20);
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageW(Module(), MAKEINTRESOURCEW(IDB_SAMPLE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(bitmap, nullptr);
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 220);
  EXPECT_EQ(info.bmHeight, 220);
  EXPECT_EQ(info.bmBitsPixel, 24);
  DeleteObject(bitmap);
}

TEST(ResourcesTest, SwatchTemplateIsGreyEdgedFourBitSixteenBySixteen) {
  const std::vector<std::uint8_t> bytes = ResourceBytes(IDB_SWATCH_TEMPLATE, RT_BITMAP);
  const BITMAPINFOHEADER* h = BitmapHeader(bytes);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->biWidth, 16);
  EXPECT_EQ(h->biHeight, 16);
  EXPECT_EQ(h->biBitCount, 4);
  EXPECT_EQ(h->biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_TRUE(h->biClrUsed == 0 || h->biClrUsed == 16);
  ASSERT_EQ(bytes.size(), h->biSize + 16u * 4u + 16u * 8u);
  const auto* palette = reinterpret_cast<const RGBQUAD*>(bytes.data() + h->biSize);
  EXPECT_EQ(palette[7].rgbRed, 128);
  EXPECT_EQ(palette[7].rgbGreen, 128);
  EXPECT_EQ(palette[7].rgbBlue, 128);
  const std::uint8_t* pixels = bytes.data() + h->biSize + 16 * 4;
  for (int y = 0; y < 16; ++y) {
    const std::uint8_t* row = pixels + (15 - y) * 8;  // bottom-up
    for (int x = 0; x < 16; ++x) {
      const int index = (x % 2 == 0) ? row[x / 2] >> 4 : row[x / 2] & 0xF;
      EXPECT_EQ(index, (x == 0 || y == 0) ? 7 : 0) << x << "," << y;
    }
  }
}

}  // namespace
