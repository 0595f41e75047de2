// A copy of the real Clearpane.exe run from a folder where a web page may
// have left DLLs under the names of system DLLs that Windows does not protect
// (names off its KnownDLLs list, which it looks for beside the program
// first): through start, the filter, a box, the menu, a selection and Quit,
// the program loads none of them.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "app/ids.h"
#include "app/texts.h"
#include "e2e/e2e_support.h"
#include "filter/mirror_windows.h"
#include "select/select.h"
#include "support/test_env.h"
#include "support/wait.h"

namespace {

// Left out: version, shcore and imm32, which Wine's own built-in DLLs import
// while they load, from the program's folder first, before any code of the
// program runs (on Windows their importers are KnownDLLs).
constexpr const wchar_t* kPlanted[] = {L"msimg32", L"uxtheme", L"dwmapi",  L"winmm",    L"dbghelp",
                                       L"wtsapi32", L"propsys", L"oleacc",  L"userenv",  L"dxgi",
                                       L"comctl32", L"dwrite",  L"cryptbase"};
// A browser's name for a second download of the program; Wine's settings for
// this name reach no other test's program.
constexpr wchar_t kCopy[] = L"Clearpane (1).exe";
constexpr wchar_t kCopyDefaults[] = L"Software\\Wine\\AppDefaults\\Clearpane (1).exe";

class Downloads : public e2e::ProgramTest {
protected:
    void TearDown() override {
        program_.stop();
        // However far the run got: a planted DLL that refused to load may have stopped it.
        for (const wchar_t* name : kPlanted) {
            const std::wstring mark = downloads_ + name + L".dll.loaded";
            EXPECT_EQ(GetFileAttributesW(mark.c_str()), INVALID_FILE_ATTRIBUTES) << testenv::narrow(name) << ".dll ran";
        }
        e2e::ProgramTest::TearDown();
        RegDeleteTreeW(HKEY_CURRENT_USER, kCopyDefaults);
    }
    std::wstring downloads_;
};

TEST_F(Downloads, ACopyBesideDllsWithSystemNamesLoadsNoneOfThem) {
    downloads_ = folder(L"clearpane-downloads") + L"\\";
    ASSERT_TRUE(CopyFileW(e2e::programPath().c_str(), (downloads_ + kCopy).c_str(), FALSE));
    for (const wchar_t* name : kPlanted) {
        const std::wstring dll = downloads_ + name + L".dll";
        ASSERT_TRUE(CopyFileW(e2e::programPath(L"planted_dll.dll").c_str(), dll.c_str(), FALSE));
        // Wine then takes a DLL found beside the program, as Windows does for these names.
        testenv::writeValue(name, testenv::RawValue::sz(L"native,builtin"),
                            (std::wstring(kCopyDefaults) + L"\\DllOverrides").c_str());
    }
    storeRegion({100, 100, 500, 400});
    ASSERT_NO_FATAL_FAILURE(start(downloads_ + kCopy));

    // The filter, and the one-time tip's box that comes with it.
    PostMessageW(main_, WM_COMMAND, kCommandHideAnnotations, 0);
    HWND box = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (box = program_.findMessageBox(text::appName)) != nullptr; }, 10000));
    e2e::pressOk(box);
    ASSERT_TRUE(waitUntil([] { return e2e::trayIconShown() == e2e::TrayIcon::Filtered; }));

    ASSERT_TRUE(e2e::pressKeys("ctrl+alt+shift+w"));
    ASSERT_TRUE(waitUntil([&] { return !visible(L"#32768").empty(); })) << "no menu";
    PostMessageW(main_, WM_CANCELMODE, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return visible(L"#32768").empty(); }));

    ASSERT_TRUE(e2e::pressKeys("ctrl+alt+shift+a"));
    ASSERT_TRUE(waitUntil([&] { return !visible(kSelectClass).empty(); })) << "no overlay";
    ASSERT_TRUE(e2e::movePointer({600, 500}) && e2e::leftButton(true));
    ASSERT_TRUE(e2e::movePointer({300, 300}) && e2e::leftButton(false));
    ASSERT_TRUE(waitUntil([&] { return visible(kSelectClass).empty() && !visible(kMirrorClass).empty(); }));

    PostMessageW(main_, WM_COMMAND, kCommandQuit, 0);
    EXPECT_EQ(program_.waitForExit(), std::optional<DWORD>(0));
}

}  // namespace
