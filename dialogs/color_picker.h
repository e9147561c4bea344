// The one way a colour is chosen: the system's colour dialog, with one of two
// custom colour lists that last for the whole run.
#pragma once

#include <windows.h>

#include <array>

#include "settings/output_settings.h"

namespace korvane {

using CustomColors = std::array<COLORREF, 16>;

// For the main menu and the Output Options dialog.
extern CustomColors mainCustomColors;
// For the Outline & Shadow dialog.
extern CustomColors outlineCustomColors;

// Opens the colour dialog modal to `owner`, starting from `color`, and leaves
// the chosen colour there (unchanged on Cancel). Slot 0 of the list shows the
// colour being edited; the user's own custom colours stay in the list.
void PickColor(HWND owner, ColorRef& color, CustomColors& customColors);

}  // namespace korvane
