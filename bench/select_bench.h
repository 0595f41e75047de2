#pragma once

// Prints the cost of opening and painting the selection overlay, and how a
// drag keeps up, beside the bare platform calls: at 1920x1080 and over the
// whole virtual screen, or over the virtual screen only.
void runSelectionBench(bool virtualScreenOnly);
