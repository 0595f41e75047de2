#pragma once
// Windows for the tests and the benchmark: the one way to make a window of a
// test class, the windows of a process, and another program's windows (the
// overlay_helper executable beside this one, ended with its owner). Free of
// the test framework, so the benchmark and the helper share it.

#include <windows.h>

#include <string>
#include <vector>

namespace ox {

inline constexpr DWORD kOverlayStyle = WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW;
inline constexpr wchar_t kHelperClass[] = L"ClearpaneTestOverlay";

// A popup of a window class of the tests (registered on first use; again, it
// fails harmlessly), shown without activation unless told otherwise. A
// layered one is made opaque first: it would not show otherwise.
inline HWND makeTestWindow(const wchar_t* className, WNDPROC procedure, DWORD exStyle, const RECT& rect,
                           bool show = true, HBRUSH background = nullptr) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    windowClass.hbrBackground = background;
    RegisterClassExW(&windowClass);
    const HWND window = CreateWindowExW(exStyle, className, className, WS_POPUP, rect.left, rect.top,
                                        rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                        windowClass.hInstance, nullptr);
    if (window && (exStyle & WS_EX_LAYERED)) SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
    if (window && show) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

// Top-level windows of a process with the given class (any class for null),
// in z-order; visible ones only unless told otherwise.
inline std::vector<HWND> windowsOfClass(const wchar_t* className, DWORD processId = GetCurrentProcessId(),
                                        bool visibleOnly = true) {
    struct Query {
        const wchar_t* className;
        DWORD processId;
        bool visibleOnly;
        std::vector<HWND> found;
    } query{className, processId, visibleOnly, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& q = *reinterpret_cast<Query*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (owner == q.processId && (!q.visibleOnly || IsWindowVisible(window)) &&
                (!q.className || lstrcmpW(name, q.className) == 0)) {
                q.found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&query));
    return query.found;
}

// An event by which a test stalls a helper process and wakes it again.
inline HANDLE helperEvent(const wchar_t* what, DWORD processId) {
    const std::wstring name = L"ClearpaneTestHelper" + std::wstring(what) + std::to_wstring(processId);
    return CreateEventW(nullptr, TRUE, FALSE, name.c_str());
}

// The property in which a helper window counts a kind of input it received.
inline const wchar_t* receivedCount(UINT message) { return message == WM_MOUSEWHEEL ? L"wheels" : L"clicks"; }

struct HelperWindows {
    DWORD exStyle;
    RECT rect;
    int count = 1;
};

class OverlayHelper {
public:
    // Starts the helper with its options and waits until all its windows are shown.
    explicit OverlayHelper(const std::vector<HelperWindows>& groups, const std::wstring& options = L"") {
        wchar_t self[MAX_PATH] = {};
        std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
        std::wstring commandLine =
            L"\"" + path.substr(0, path.find_last_of(L'\\') + 1) + L"overlay_helper.exe\" " + options;
        size_t expected = 0;
        for (const HelperWindows& group : groups) {
            wchar_t arg[96];
            wsprintfW(arg, L" %lx,%ld,%ld,%ld,%ld,%d", group.exStyle, group.rect.left, group.rect.top,
                      group.rect.right - group.rect.left, group.rect.bottom - group.rect.top, group.count);
            commandLine += arg;
            expected += static_cast<size_t>(group.count);
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
        for (ULONGLONG end = GetTickCount64() + 10000; windows_.size() < expected && GetTickCount64() < end;) {
            Sleep(10);
            windows_ = windowsOfClass(kHelperClass, processId_);
        }
    }
    ~OverlayHelper() {
        for (HANDLE event : {stalled_, wake_}) {
            if (event) CloseHandle(event);
        }
        if (!process_) return;
        TerminateProcess(process_, 0);
        WaitForSingleObject(process_, 5000);
        CloseHandle(process_);
    }
    OverlayHelper(const OverlayHelper&) = delete;
    OverlayHelper& operator=(const OverlayHelper&) = delete;

    DWORD processId() const { return processId_; }
    // Its shown windows, in z-order when they had all been shown.
    const std::vector<HWND>& windows() const { return windows_; }
    HWND windowAt(const RECT& rect) const {
        for (HWND window : windows_) {
            RECT r{};
            if (GetWindowRect(window, &r) && EqualRect(&r, &rect)) return window;
        }
        return nullptr;
    }

    // Stops the helper answering until wake() (or for 20 s at most); true
    // once it has stopped.
    bool stall() {
        stalled_ = helperEvent(L"Stalled", processId_);
        wake_ = helperEvent(L"Wake", processId_);
        PostMessageW(windows_.at(0), WM_APP, 20000, 0);
        return WaitForSingleObject(stalled_, 10000) == WAIT_OBJECT_0;
    }
    bool stalled() const { return WaitForSingleObject(stalled_, 0) == WAIT_OBJECT_0; }
    // How many left clicks (WM_LBUTTONDOWN) or wheel turns (WM_MOUSEWHEEL) a window received.
    static INT_PTR received(HWND window, UINT message) {
        return reinterpret_cast<INT_PTR>(GetPropW(window, receivedCount(message)));
    }
    void wake() const { SetEvent(wake_); }

private:
    HANDLE process_ = nullptr, stalled_ = nullptr, wake_ = nullptr;
    DWORD processId_ = 0;
    std::vector<HWND> windows_;
};

}  // namespace ox
