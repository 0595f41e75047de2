#pragma once
// Timing shared by the benchmarks.

#include <functional>
#include <vector>

// Milliseconds on the performance counter.
double nowMs();
// Dispatches this thread's pending messages.
void pumpMessages();
// Median time of one call of each function. The calls take turns, round
// after round, so that a noisy spell of the machine weighs on all alike.
std::vector<double> medianMs(int rounds, const std::vector<std::function<void()>>& calls);
