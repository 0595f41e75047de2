// The Select Area command and what its selection's outcome does.
#include <windows.h>

#include "filter/controller.h"
#include "select/select.h"

void startRegionSelection(std::function<void()> ended) {
    // The hot key repeats while held: one overlay, ended by one Esc.
    if (selectionOverlayOpen()) return;
    const bool wasActive = appState.filterActive;
    // The filter's windows must be gone before the screenshot is taken.
    if (wasActive) setFilterActive(appState, false);
    openSelectionOverlay(GetModuleHandleW(nullptr), [wasActive, ended](bool accepted, RECT area) {
        applyRegionSelection(appState, wasActive, accepted, area);
        if (ended) ended();
    });
}

void applyRegionSelection(AppState& state, bool wasActive, bool accepted, const RECT& area) {
    if (accepted) {
        setRegion(state, area);
        setFilterActive(state, true);
    } else if (wasActive) {
        setFilterActive(state, true);  // back with the region it had
    }
}
