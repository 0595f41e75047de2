#pragma once
// Hiding other programs' annotation overlays while a mirror is up, so crash-
// safe that a later run shows again what an earlier one left hidden.

#include "settings/settings.h"

// Hides overlay-like windows of other programs while a mirror is up.
void hideOverlayWindows(AppState& state);
// Shows again every window this run hid.
void restoreOverlayWindows(AppState& state);
// Start-up: shows what an earlier run hid and never showed again.
void restorePreviousRunOverlays();
