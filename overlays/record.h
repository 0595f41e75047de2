#pragma once
// Every window this program hides is named in the registry before it goes,
// so that a run that ends without showing it again (a crash, a forced end)
// leaves the next run a list of what to show.

#include <windows.h>

#include <vector>

// The recorded handles, oldest first; empty when there is no valid record.
std::vector<HWND> readHiddenOverlayRecord();
// Appends the handle unless it is already recorded. True when the record
// names the window afterwards: a window must not be hidden otherwise.
bool addToHiddenOverlayRecord(HWND window);
// Drops every entry of the handle; the value goes with its last entry.
void removeFromHiddenOverlayRecord(HWND window);
void deleteHiddenOverlayRecord();

// Shows a window hidden by this or an earlier run, if it still exists,
// without waiting for its program: one that does not answer holds nothing up.
void showHiddenWindowAgain(HWND window);
