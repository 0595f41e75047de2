#pragma once
// Another program's windows for the overlay tests and the benchmark: the
// overlay_helper executable beside this one, started with the windows wanted
// and ended with its owner. Header-only, free of the test framework, so the
// benchmark shares it.

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "settings/registry.h"

namespace ox {

// The extended style of a drawing layer laid over the screen.
inline constexpr DWORD kOverlayStyle = WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW;

struct HelperWindows {
    DWORD exStyle;
    RECT rect;
    int count = 1;
};

inline std::wstring besideThisProgram(const wchar_t* name) {
    wchar_t self[MAX_PATH] = {};
    std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

// The helper's window class.
inline constexpr wchar_t kHelperClass[] = L"ClearpaneTestOverlay";

// Top-level windows of the helper's class in a process, hidden ones included, in z-order.
inline std::vector<HWND> helperWindowsOf(DWORD processId) {
    struct Search {
        DWORD processId;
        std::vector<HWND> found;
    } search{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (owner == s.processId && lstrcmpW(name, kHelperClass) == 0) s.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The stored form, spelt out: 8 little-endian bytes per handle.
inline std::vector<BYTE> recordBytes(std::initializer_list<std::uint64_t> handles) {
    std::vector<BYTE> bytes;
    for (std::uint64_t h : handles) {
        for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<BYTE>(h >> (8 * i)));
    }
    return bytes;
}

struct StoredValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool operator==(const StoredValue&) const = default;
};

inline std::optional<StoredValue> storedRecord() {
    RegistryKey key;
    if (key.openForRead(kSettingsKeyPath) != ERROR_SUCCESS) return std::nullopt;
    StoredValue stored;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), kValueHiddenOverlays, nullptr, &stored.type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    stored.bytes.resize(size);
    RegQueryValueExW(key.get(), kValueHiddenOverlays, nullptr, nullptr, stored.bytes.data(), &size);
    return stored;
}

inline StoredValue binaryRecord(std::initializer_list<std::uint64_t> handles) {
    return {REG_BINARY, recordBytes(handles)};
}

class OverlayHelper {
public:
    // Starts the helper and waits until all its windows are shown.
    explicit OverlayHelper(const std::vector<HelperWindows>& specs) {
        std::wstring commandLine = L"\"" + besideThisProgram(L"overlay_helper.exe") + L"\"";
        size_t expected = 0;
        for (const HelperWindows& spec : specs) {
            wchar_t arg[96];
            wsprintfW(arg, L" %lx,%ld,%ld,%ld,%ld,%d", spec.exStyle, spec.rect.left, spec.rect.top,
                      spec.rect.right - spec.rect.left, spec.rect.bottom - spec.rect.top, spec.count);
            commandLine += arg;
            expected += static_cast<size_t>(spec.count);
        }
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                            &startup, &info)) {
            return;
        }
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        processId_ = info.dwProcessId;
        for (ULONGLONG end = GetTickCount64() + 10000; GetTickCount64() < end; Sleep(10)) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            windows_ = helperWindowsOf(processId_);
            size_t shown = 0;
            for (HWND window : windows_) shown += IsWindowVisible(window) ? 1 : 0;
            if (shown == expected) break;
            if (WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) break;
        }
    }
    ~OverlayHelper() {
        if (!process_) return;
        TerminateProcess(process_, 0);
        WaitForSingleObject(process_, 5000);
        CloseHandle(process_);
    }
    OverlayHelper(const OverlayHelper&) = delete;
    OverlayHelper& operator=(const OverlayHelper&) = delete;

    DWORD processId() const { return processId_; }
    // Its windows as they stood when all were shown.
    const std::vector<HWND>& windows() const { return windows_; }
    // The one window with this rectangle, or null.
    HWND windowAt(const RECT& rect) const {
        for (HWND window : windows_) {
            RECT r{};
            if (GetWindowRect(window, &r) && EqualRect(&r, &rect)) return window;
        }
        return nullptr;
    }

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    std::vector<HWND> windows_;
};

}  // namespace ox
