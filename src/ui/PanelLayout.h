// Where the main dialog paints its two information panels, in client pixels (they do not follow
// the dialog font), and their fill colours. The end-to-end scripts find the panels from here too
// (scripts/walk.sh takes the numbers out of this file): keep each on one line.
#pragma once

#include <windows.h>

constexpr RECT kPropertiesRect = {24, 176, 194, 384};
constexpr COLORREF kPropertiesColour = RGB(192, 128, 192);
constexpr RECT kStatusRect = {230, 116, 400, 166};
constexpr COLORREF kStatusColour = RGB(255, 128, 192);
