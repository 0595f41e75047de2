// The Select Area command and what its selection's outcome does.
#include <windows.h>

#include "filter/controller.h"
#include "select/overlay.h"

bool startRegionSelection(std::function<void()> ended) {
    const auto done = [ended](bool accepted, RECT area) {
        // Cancelled, nothing changes: the filter is as the user last chose it.
        if (accepted) {
            setRegion(appState, area);
            setFilterActive(appState, true);
        }
        if (ended) ended();
    };
    return openSelectionOverlay(GetModuleHandleW(nullptr), done);
}
