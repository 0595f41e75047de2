#pragma once

#include <windows.h>

#include <functional>

// Pumps this thread's messages until the condition holds or the time is up.
bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
// Pumps this thread's messages for a while (used where only time is at stake).
void pumpMessagesFor(DWORD milliseconds);
