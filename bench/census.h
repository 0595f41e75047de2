#pragma once
// What the benchmarks count of this process: GDI objects and memory.

#include <windows.h>

// Live GDI objects of this process. GetGuiResources answers 0 under Wine;
// there a handle whose high word is 0 matches the live object in that slot
// of the handle table whatever its generation, so probing every slot counts
// the objects.
struct GdiCount {
    DWORD value;
    const char* method;
};
GdiCount liveGdiObjects();

// Open kernel handles of this process. GetProcessHandleCount answers 0 under
// Wine; there every handle value that GetHandleInformation accepts is counted.
DWORD openHandles();

struct Memory {
    double privateMb, workingSetMb;
};
Memory memoryNow();

// Whether the GDI census sees objects come and go: 100 brushes made and freed.
bool censusWorks();
