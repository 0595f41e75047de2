#include "overlays/overlays.h"

// Overlay hiding is not built yet: nothing is ever hidden, so there is
// nothing to show again.
void hideOverlayWindows(AppState&) {}

void restoreOverlayWindows(AppState& state) { state.hiddenOverlays.clear(); }

void restorePreviousRunOverlays() {}
