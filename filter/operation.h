#pragma once

#include "settings/settings.h"

// Marks a filter operation under way for its scope. Windows handles the
// messages sent to this thread while it waits on another program's window,
// so a rebuild can be asked for in the middle of one: it waits until after.
class FilterOperation {
public:
    explicit FilterOperation(AppState& state) : state_(state) { ++state_.filterBusy; }
    ~FilterOperation() { --state_.filterBusy; }
    FilterOperation(const FilterOperation&) = delete;
    FilterOperation& operator=(const FilterOperation&) = delete;

private:
    AppState& state_;
};
