#pragma once

#include <windows.h>

#include <functional>

// Pumps this thread's messages until the condition holds or the time is up.
bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
