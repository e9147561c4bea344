#include "dialogs/color_picker.h"

#include <commdlg.h>

namespace korvane {
namespace {

constexpr CustomColors kInitialCustomColors = {
    0xFFFFFF, 0xFFFFFF, 0xADD9E5, 0xB3BFAD, 0x8FB5CC, 0x68B3DD, 0x44B0E9, 0xC6C6C6,
    0xFFFFFF, 0xFFFFFF, 0x273236, 0x24301E, 0x00273D, 0x012450, 0x042164, 0x3B3B3B,
};

}  // namespace

CustomColors mainCustomColors = kInitialCustomColors;
CustomColors outlineCustomColors = kInitialCustomColors;

void PickColor(HWND owner, ColorRef& color, CustomColors& customColors) {
  customColors[0] = color;
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = owner;
  choose.rgbResult = color;
  choose.lpCustColors = customColors.data();
  choose.Flags = CC_RGBINIT | CC_ANYCOLOR | CC_SHOWHELP;
  // On Cancel the dialog leaves rgbResult as it started.
  ChooseColorW(&choose);
  color = static_cast<ColorRef>(choose.rgbResult & 0xFFFFFF);
}

}  // namespace korvane
