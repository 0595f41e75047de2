#pragma once

#include "settings/settings.h"

// Hides overlay-like windows of other programs while a mirror is up.
void hideOverlayWindows(AppState& state);
// Shows again every window this run hid.
void restoreOverlayWindows(AppState& state);
// Shows windows that an earlier run hid and never showed again.
void restorePreviousRunOverlays();
