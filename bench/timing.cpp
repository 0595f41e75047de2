#include "bench/timing.h"

#include <windows.h>

#include <algorithm>

double nowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / ticksPerMs;
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

std::vector<double> medianMs(int rounds, const std::vector<std::function<void()>>& calls) {
    for (int i = 0; i < 3; ++i) {
        for (const auto& call : calls) call();
    }
    GdiFlush();
    std::vector<std::vector<double>> times(calls.size());
    for (int i = 0; i < rounds; ++i) {
        for (size_t c = 0; c < calls.size(); ++c) {
            const double start = nowMs();
            calls[c]();
            GdiFlush();
            times[c].push_back(nowMs() - start);
        }
        if (i % 16 == 0) pumpMessages();
    }
    std::vector<double> medians;
    for (auto& series : times) {
        std::sort(series.begin(), series.end());
        medians.push_back(series[series.size() / 2]);
    }
    return medians;
}
