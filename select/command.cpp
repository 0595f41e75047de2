// The Select Area command and what its selection's outcome does.
#include <windows.h>

#include "filter/controller.h"
#include "select/overlay.h"

namespace {

void applyRegionSelection(AppState& state, bool wasActive, bool accepted, const RECT& area) {
    state.selectionOpen = false;
    if (accepted) {
        setRegion(state, area);
        setFilterActive(state, true);
    } else if (wasActive) {
        setFilterActive(state, true);  // back with the region it had
    } else {
        restartFilter(state);  // a filter turned on meanwhile comes up now
    }
}

}  // namespace

void startRegionSelection(std::function<void()> ended) {
    const bool wasActive = appState.filterActive;
    // Held down while the overlay is up, whatever turns the filter on meanwhile.
    appState.selectionOpen = true;
    // The filter's windows must be gone before the screenshot is taken.
    if (wasActive) setFilterActive(appState, false);
    const auto done = [wasActive, ended](bool accepted, RECT area) {
        applyRegionSelection(appState, wasActive, accepted, area);
        if (ended) ended();
    };
    appState.selectionOpen = openSelectionOverlay(GetModuleHandleW(nullptr), done);
}
