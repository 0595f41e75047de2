// The Select Area command and what its selection's outcome does.
#include <windows.h>

#include "app/tray.h"
#include "filter/controller.h"
#include "select/select.h"

void startRegionSelection() {
    // The hot key repeats while held: one overlay, ended by one Esc.
    if (selectionOverlayOpen()) return;
    const bool wasActive = appState.filterActive;
    // The filter's windows must be gone before the screenshot is taken.
    if (wasActive) setFilterActive(appState, false);
    openSelectionOverlay(GetModuleHandleW(nullptr), [wasActive](bool accepted, RECT area) {
        applyRegionSelection(appState, wasActive, accepted, area);
    });
}

void applyRegionSelection(AppState& state, bool wasActive, bool accepted, const RECT& area) {
    if (accepted) {
        setRegion(state, area);
        setFilterActive(state, true);
    } else if (wasActive) {
        setFilterActive(state, true);  // back with the region it had
    }
    // The outcome arrives outside the main window's commands, which refresh
    // the icon; without this it would show the state from before the end.
    updateTrayIcon();
}
