// The check marks, greying and colour swatches of the Output and View menus,
// which always show the current options.
#pragma once

#include <windows.h>

#include "settings/output_settings.h"

namespace korvane {

void MarkScale(int value);
void MarkQuality(int value);
void MarkContrast(int value, bool redraw);
void MarkBlur(int value, bool redraw);
void MarkColorMode(int value, bool redraw);
void MarkRotation(int value, bool redraw);
void MarkSpecialEffect(int value, bool redraw);
void MarkVignette(bool on, ColorRef rgb, int shape, int thickness, bool redraw);
void MarkView(bool compact);

// Every group from appState.currentSettings, without redrawing.
void RefreshAllMenuMarks();
// Rebuilds both swatches from the current colours and shows them as the
// checked-state bitmaps of "モノカラー" and "他の色".
void RefreshSwatches();

}  // namespace korvane
