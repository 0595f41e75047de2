#include "bench/census.h"

#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <vector>

GdiCount liveGdiObjects() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) return {reported, "GetGuiResources"};
    DWORD live = 0;
    for (std::uintptr_t slot = 1; slot < 0x10000 + 32; ++slot) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) ++live;
    }
    return {live, "handle-table probe"};
}

DWORD openHandles() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return count;
    DWORD flags = 0;
    for (std::uintptr_t value = 4; value < 0x10000; value += 4) {
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

namespace {

// Committed private memory by walking the address space: Wine reports a
// PrivateUsage of 0, so the counter is used only where it says something.
double committedPrivateMb() {
    std::uint64_t total = 0;
    MEMORY_BASIC_INFORMATION info{};
    for (const char* address = nullptr;
         VirtualQuery(address, &info, sizeof info) == sizeof info;
         address = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        if (info.RegionSize == 0) break;
    }
    return total / 1048576.0;
}

}  // namespace

Memory memoryNow() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    const double privateMb = counters.PrivateUsage != 0 ? counters.PrivateUsage / 1048576.0 : committedPrivateMb();
    return {privateMb, counters.WorkingSetSize / 1048576.0};
}

bool censusWorks() {
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
