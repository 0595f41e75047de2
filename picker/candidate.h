#pragma once

#include <windows.h>

#include "settings/window_facts.h"

// Whether a window with these facts is offered, for a picker in process ownProcessId.
bool isMirrorCandidate(const WindowFacts& facts, DWORD ownProcessId);
