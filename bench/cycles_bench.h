#pragma once

// Turns the filter on and off many times in each mode, and peeks many times,
// printing the GDI objects, handles and memory after the first few cycles
// and after all of them: a leak shows as growth.
void runCycleBench(int cycles);
