#pragma once

// Prints the cost of hideOverlayWindows over another program's windows
// beside a bare enumeration that asks each window the same questions.
void runOverlayBench();
