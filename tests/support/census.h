#pragma once
// What the benchmarks and the leak tests count of this process: GDI objects,
// handles and memory. Header-only and free of the test framework, so that
// both share it.

#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <vector>

struct GdiCount {
    DWORD value;
    const char* method;
};

// Live GDI objects of this process. GetGuiResources answers 0 under Wine;
// there a handle whose high word is 0 matches the live object in that slot
// of the handle table whatever its generation, so probing every slot counts
// the objects.
inline GdiCount liveGdiObjects() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) return {reported, "GetGuiResources"};
    DWORD live = 0;
    for (std::uintptr_t slot = 1; slot < 0x10000 + 32; ++slot) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) ++live;
    }
    return {live, "handle-table probe"};
}

// Open kernel handles of this process. GetProcessHandleCount answers 0 under
// Wine; there every handle value that GetHandleInformation accepts is counted.
inline DWORD openHandles() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return count;
    DWORD flags = 0;
    for (std::uintptr_t value = 4; value < 0x10000; value += 4) {
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

struct Memory {
    double privateMb, workingSetMb;
};

// Committed private memory by walking the address space: Wine reports a
// PrivateUsage of 0, so the counter is used only where it says something.
inline double committedPrivateMb() {
    std::uint64_t total = 0;
    MEMORY_BASIC_INFORMATION info{};
    for (const char* address = nullptr; VirtualQuery(address, &info, sizeof info) == sizeof info;
         address = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        if (info.RegionSize == 0) break;
    }
    return total / 1048576.0;
}

inline Memory memoryNow() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    const double privateMb = counters.PrivateUsage != 0 ? counters.PrivateUsage / 1048576.0 : committedPrivateMb();
    return {privateMb, counters.WorkingSetSize / 1048576.0};
}

// Whether the GDI census sees objects come and go: 100 brushes made and freed.
inline bool censusWorks() {
    const DWORD before = liveGdiObjects().value;
    std::vector<HBRUSH> brushes;
    for (int i = 0; i < 100; ++i) brushes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    const DWORD during = liveGdiObjects().value;
    for (HBRUSH b : brushes) DeleteObject(b);
    const DWORD after = liveGdiObjects().value;
    std::printf("census check: %lu objects, %lu with 100 more brushes, %lu after deleting them\n",
                static_cast<unsigned long>(before), static_cast<unsigned long>(during),
                static_cast<unsigned long>(after));
    return during == before + 100 && after == before;
}
