// What the main window does with every arrival in every situation: the
// decision as a table, and the real window procedure under seeded random
// runs of arrivals, menus, boxes, selections, frames and an ending.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/arrivals.h"
#include "app/ids.h"
#include "app/shell.h"
#include "app/texts.h"
#include "overlays/overlays.h"
#include "overlays/record.h"
#include "select/select.h"
#include "support/filter_fixtures.h"
#include "support/overlay_fixtures.h"
#include "support/shell_fixtures.h"

namespace {

using A = Arrival;
using D = Action;
using S = Situation;

TEST(Arrivals, EachSituationDecidesWhatEachArrivalDoes) {
    const struct {
        S situation;
        A arrival;
        D action;
    } rows[] = {
        {S::Idle, A::HideAnnotations, D::RunNow},   {S::Idle, A::Box, D::RunNow},
        {S::Idle, A::SelectArea, D::RunNow},        {S::Idle, A::ShowMenu, D::RunNow},
        {S::Idle, A::OtherTimer, D::Ignore},        {S::Idle, A::Nothing, D::Ignore},
        {S::Peek, A::PeekTimer, D::RunNow},         {S::Peek, A::Peek, D::RunNow},
        {S::Peek, A::ShowMenu, D::RunNow},          {S::Peek, A::OtherTimer, D::Ignore},
        {S::Menu, A::HideAnnotations, D::RunNow},   {S::Menu, A::WholeScreen, D::RunNow},
        {S::Menu, A::PeekTimer, D::RunNow},         {S::Menu, A::DisplayChange, D::RunNow},
        {S::Menu, A::FilterSync, D::RunNow},        {S::Menu, A::Box, D::RunLater},
        {S::Menu, A::SelectArea, D::EndSituationFirst}, {S::Menu, A::ShowMenu, D::Ignore},
        {S::Menu, A::Quit, D::RunNow},              {S::Menu, A::TrayRetry, D::RunNow},
        {S::Box, A::HideAnnotations, D::RunNow},    {S::Box, A::PeekTimer, D::RunNow},
        {S::Box, A::Box, D::RunLater},              {S::Box, A::ShowMenu, D::RunLater},
        {S::Box, A::SelectArea, D::RunLater},       {S::Box, A::Quit, D::RunNow},
        {S::Selection, A::WholeScreen, D::RunNow},  {S::Selection, A::SettingChange, D::RunNow},
        {S::Selection, A::DisplayChange, D::EndSituationFirst}, {S::Selection, A::Box, D::RunLater},
        {S::Selection, A::SelectArea, D::Ignore},   {S::Selection, A::ShowMenu, D::RunLater},
        {S::Selection, A::Quit, D::RunNow},         {S::Selection, A::TrayRetry, D::RunNow},
        {S::Ending, A::HideAnnotations, D::Ignore}, {S::Ending, A::ChooseWindow, D::Ignore},
        {S::Ending, A::FilterSync, D::Ignore},      {S::Ending, A::PeekTimer, D::Ignore},
        {S::Ending, A::DisplayChange, D::Ignore},   {S::Ending, A::ShowMenu, D::Ignore},
        {S::Ending, A::Box, D::Ignore},             {S::Ending, A::TaskbarCreated, D::Ignore},
        {S::Ending, A::Quit, D::RunNow},            {S::Ending, A::TrayRetry, D::Ignore},
        {S::Ending, A::Destroy, D::RunNow},         {S::Ending, A::QueryEndSession, D::RunNow},
    };
    for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(decide(rows[i].situation, rows[i].arrival), rows[i].action) << "row " << i;
}

TEST(Arrivals, MessagesAreReadAsWhatTheyAskFor) {
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool peekRunning;
        std::optional<A> arrival;
    } rows[] = {
        {WM_TIMER, kPeekTimerId, 0, true, A::PeekTimer},
        {WM_TIMER, kPeekTimerId, 0, false, A::OtherTimer},  // the peek was cancelled meanwhile
        {WM_TIMER, kTrayRetryTimerId, 0, true, A::TrayRetry},
        {WM_TIMER, 7, 0, true, A::OtherTimer},
        {WM_ENDSESSION, FALSE, 0, false, A::Nothing},
        {WM_ENDSESSION, TRUE, 0, false, A::Quit},  // it ends as Quit does, should the process outlive it
        {WM_CLOSE, 0, 0, false, A::Quit},
        {WM_COMMAND, kCommandQuit, 0, false, A::Quit},
        {WM_COMMAND, kCommandAbout, 0, false, A::Box},
        {WM_COMMAND, MAKEWPARAM(kCommandOutline, 1), 0, false, A::Outline},
        {WM_COMMAND, 5, 0, false, A::Nothing},
        {WM_COMMAND, kCommandQuit + 1, 0, false, A::Nothing},
        {WM_COMMAND, kCommandFirstWindow - 1, 0, false, A::Nothing},
        {WM_COMMAND, kCommandFirstWindow, 0, false, A::ChooseWindow},
        {WM_HOTKEY, kHotKeySelectArea, 0, false, A::SelectArea},
        {WM_HOTKEY, kHotKeyMenu, 0, false, A::ShowMenu},
        {WM_HOTKEY, kHotKeyMenu + 1, 0, false, A::Nothing},
        {kTrayCallbackMessage, 0, WM_RBUTTONUP, false, A::ShowMenu},
        {kTrayCallbackMessage, 0, WM_CONTEXTMENU, false, A::ShowMenu},
        {kTrayCallbackMessage, 0, WM_LBUTTONDBLCLK, false, A::Nothing},
        {kShowBoxMessage, kBoxTip, 0, false, A::Box},
        {RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, false, A::TaskbarCreated},
        {WM_PAINT, 0, 0, false, std::nullopt},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const auto& row = rows[i];
        EXPECT_EQ(arrivalOf(row.message, row.wParam, row.lParam, row.peekRunning), row.arrival) << "row " << i;
    }
    AppState state;
    state.peekTimer = 1;
    state.menuOpen = true;
    EXPECT_EQ(currentSituation(state), S::Menu) << "a menu opened during a peek";
    state.ending = true;
    EXPECT_EQ(currentSituation(state), S::Ending) << "an ending outranks everything";
}

// ---- seeded random runs ------------------------------------------------------

struct Message {
    const char* name;
    UINT message;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

const Message kArrivals[] = {
    {"Hide Annotations", WM_COMMAND, kCommandHideAnnotations}, {"Peek", WM_COMMAND, kCommandPeek},
    {"Whole Screen", WM_COMMAND, kCommandWholeScreen},         {"Select Area", WM_COMMAND, kCommandSelectArea},
    {"mode area", WM_COMMAND, kCommandModeScreenArea},         {"mode window", WM_COMMAND, kCommandModeOneWindow},
    {"mode cover", WM_COMMAND, kCommandModeSolidCover},        {"outline", WM_COMMAND, kCommandOutline},
    {"hide overlays", WM_COMMAND, kCommandHideOverlays},       {"About", WM_COMMAND, kCommandAbout},
    {"the window", WM_COMMAND, kCommandFirstWindow},           {"hot key D", WM_HOTKEY, kHotKeyHideAnnotations},
    {"hot key P", WM_HOTKEY, kHotKeyPeek},                     {"hot key A", WM_HOTKEY, kHotKeySelectArea},
    {"hot key F", WM_HOTKEY, kHotKeyWholeScreen},              {"hot key W", WM_HOTKEY, kHotKeyMenu},
    {"peek's timer", WM_TIMER, kPeekTimerId},                  {"other timer", WM_TIMER, 7},
    {"display change", WM_DISPLAYCHANGE},                      {"setting change", WM_SETTINGCHANGE},
    {"icon clicked", kTrayCallbackMessage, 0, WM_LBUTTONUP},   {"menu asked for", kShowTrayMenuMessage},
    {"session end cancelled", WM_ENDSESSION, FALSE},           {"filter sync", kFilterSyncMessage},
};
// What another program may send while a frame prints its window.
const Message kDuringFrame[] = {
    {"display change", WM_DISPLAYCHANGE}, {"setting change", WM_SETTINGCHANGE},
    {"outline", WM_COMMAND, kCommandOutline}, {"mode cover", WM_COMMAND, kCommandModeSolidCover},
    {"mode area", WM_COMMAND, kCommandModeScreenArea}, {"hot key D", WM_HOTKEY, kHotKeyHideAnnotations},
};
const Message kEndings[] = {
    {"session end", WM_ENDSESSION, TRUE}, {"installer's close", WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP},
    {"WM_CLOSE", WM_CLOSE}, {"Quit", WM_COMMAND, kCommandQuit}, {"WM_QUIT from outside", WM_QUIT},
};

// This process's windows of a class (the program's all live on this thread);
// shown ones only unless told otherwise.
std::vector<HWND> own(const wchar_t* className, bool visibleOnly = true) {
    return fx::windowsOfClass(className, GetCurrentProcessId(), visibleOnly);
}

class Interleaving : public shellfx::ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        current = this;
    }
    void TearDown() override {
        current = nullptr;
        offerWindows({});
        ShellFixture::TearDown();
    }

    // Runs the steps, each posted behind what the one before posted, so
    // that whatever loop is running (this one, the menu's or a box's)
    // delivers them. False when a step broke a rule; `report` says where.
    bool runSeed(unsigned seed) {
        random_.seed(seed);
        steps_.clear();
        stepsLeft_ = 120;
        ending_ = kEndings[seed % std::size(kEndings)];
        ended_ = done_ = quit_ = false;
        waits_ = 0;
        PostMessageW(driver_.get(), WM_APP, 0, 0);
        while (!done_) {
            MSG msg;
            if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 10000, QS_ALLINPUT) == WAIT_TIMEOUT) broken("stalled");
                continue;
            }
            // What the program does once its loop has ended.
            if (msg.message == WM_QUIT) {
                quit_ = true;
                beginEnding();
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        return report_.empty();
    }
    std::string report_;
    ox::OverlayHelper overlay_{{{ox::kOverlayStyle, RECT{0, 0, 1920, 1080}}}};

private:
    static LRESULT CALLBACK driverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_APP || !current) return DefWindowProcW(window, message, wParam, lParam);
        current->step();
        return 0;
    }

    size_t pick(size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(random_); }
    bool chance(int percent) { return static_cast<int>(pick(100)) < percent; }
    void post(const Message& m, HWND to = nullptr) {
        steps_.push_back(m.name);
        if (m.message == WM_QUIT) {
            PostQuitMessage(0);
        } else if (m.message == WM_ENDSESSION && m.wParam) {
            SendMessageW(main_.get(), m.message, m.wParam, m.lParam);  // the system sends it
        } else {
            PostMessageW(to ? to : main_.get(), m.message, m.wParam, m.lParam);
        }
    }

    void step() {
        if (done_) return;
        const std::string rule = brokenRule();
        if (rule == "wait" && ++waits_ < 4) return next();  // a rebuild is still on its way
        if (!rule.empty()) return broken(rule == "wait" ? "a posted rebuild never ran" : rule);
        waits_ = 0;
        if (unchanged_ && std::exchange(unchanged_, std::nullopt) != appState.filterActive) {
            return broken("Select Area or Esc switched the filter");
        }
        const bool open = appState.menuOpen || appState.boxOpen || appState.selectionOpen;
        if (stepsLeft_-- <= 0 && !open) return ended_ && !quitAsked() ? broken("the program outlives its ending") : finish();
        act();
        next();
    }
    void next() { PostMessageW(driver_.get(), WM_APP, 0, 0); }
    // Seen, or waiting behind the steps: it comes only once nothing else is posted.
    bool quitAsked() const {
        MSG quit;
        return quit_ || PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
    }

    void act() {
        if (!ended_ && stepsLeft_ <= 10) {
            const bool nestedLoop = appState.menuOpen || appState.boxOpen;
            ended_ = true;
            // Wine's menu loop spins on a WM_QUIT.
            return post(ending_.message == WM_QUIT && nestedLoop ? kEndings[0] : ending_);
        }
        if (appState.menuOpen && chance(25)) return steps_.push_back("menu ends"), void(EndMenu());
        if (appState.boxOpen && chance(25)) {
            if (const auto boxes = own(L"#32770"); !boxes.empty()) post({"box answered", WM_COMMAND, IDOK}, boxes[0]);
            return;
        }
        if (appState.selectionOpen && chance(30)) return endSelection();
        if (!appState.mirrorWindows.empty() && chance(15)) return frame();
        if (chance(5)) return steps_.push_back("tip forgotten"), void(testenv::deleteValue(kValueTipShown));
        if (appState.filterActive && chance(3)) {  // Wine cannot change its monitors while it runs
            appState.region = RECT{-30000, -30000, -29000, -29000};
            return post({"the monitors move away from the region", WM_DISPLAYCHANGE});
        }
        offerWindows({{target_.window, L"target"}});  // every menu collects the list anew
        const Message& arrival = kArrivals[pick(std::size(kArrivals))];
        // Neither opening a selection nor cancelling it switches the filter: it is as the user last chose.
        if (!appState.selectionOpen && arrivalOf(arrival.message, arrival.wParam, 0, false) == Arrival::SelectArea) {
            unchanged_ = appState.filterActive;
        }
        post(arrival);
    }

    void endSelection() {
        const auto overlays = own(kSelectClass);
        if (overlays.empty()) return;
        const HWND overlay = overlays[0];
        if (chance(30)) return unchanged_ = appState.filterActive, post({"Esc", WM_KEYDOWN, VK_ESCAPE}, overlay);
        const int x = static_cast<int>(1300 + pick(1200)), y = static_cast<int>(100 + pick(600));
        const int size = chance(20) ? 10 : static_cast<int>(30 + pick(500));
        post({"drag starts", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)}, overlay);
        post({"drag ends", WM_LBUTTONUP, 0, MAKELPARAM(x + size, y + size)}, overlay);
    }

    // A frame of a mirror; one of the one-window mirror prints the target,
    // whose thread may send the program something meanwhile.
    void frame() {
        const HWND mirror = appState.mirrorWindows[pick(appState.mirrorWindows.size())];
        if (chance(60)) {
            duringFrame_ = kDuringFrame[pick(std::size(kDuringFrame))];
            steps_.push_back(std::string("sent during the frame: ") + duringFrame_->name);
        }
        post({"frame", WM_TIMER, kMirrorTimerId}, mirror);
    }

    void broken(const std::string& rule) {
        if (report_.empty()) {
            std::ostringstream out;
            out << rule << " after step " << steps_.size() << ":";
            for (size_t i = steps_.size() > 12 ? steps_.size() - 12 : 0; i < steps_.size(); ++i) out << " | " << steps_[i];
            report_ = out.str();
        }
        finish();
    }
    void finish() {
        done_ = true;
        beginEnding();
    }

    // The first rule the program breaks now, "wait" while a rebuild is on
    // its way, or nothing.
    std::string brokenRule() const {
        const AppState& s = appState;
        const auto mirrors = own(kMirrorClass, false), covers = own(kCoverClass, false);
        auto named = s.mirrorWindows, sortedMirrors = mirrors;
        std::sort(named.begin(), named.end());
        std::sort(sortedMirrors.begin(), sortedMirrors.end());
        if (sortedMirrors != named || covers != (s.coverWindow ? std::vector{s.coverWindow} : std::vector<HWND>{})) {
            return "filter windows the state does not name";
        }
        const size_t most = s.style == FilterStyle::OneWindow ? 1 : static_cast<size_t>(GetSystemMetrics(SM_CMONITORS));
        if (mirrors.size() > most || covers.size() > 1) return "a second set of filter windows";
        const size_t menus = own(L"#32768").size(), boxes = own(L"#32770").size(), selections = own(kSelectClass).size();
        if (menus > 1 || boxes > 1 || selections > 1) return "a second menu, box or selection";
        if (boxes && (menus || selections)) return "a box inside the menu or over the selection";
        if ((testenv::readDword(kValueEnabled).value_or(0) != 0) != s.filterActive) return "Enabled differs from the state";
        if (!s.ending && shellfx::trayShown.tip != (s.filterActive ? text::statusFiltered : text::statusIdle)) {
            return "the tray icon shows another state";
        }
        if (readHiddenOverlayRecord() != s.hiddenOverlays) return "the record differs from what is hidden";
        if (s.filterActive && !onSomeMonitor(s.region)) return "filtered with the region on no monitor";
        if (s.filterSyncPosted && !s.ending) return "wait";
        const bool up = !mirrors.empty() || !covers.empty();
        if (up && (menus || selections || s.peekTimer || s.ending)) return "filter windows up while they must be down";
        const bool wanted = s.filterActive && !menus && !selections && !s.peekTimer && !s.ending;
        if (!s.hiddenOverlays.empty() && !wanted) return "an overlay hidden with the filter down";
        if (!wanted) return "";
        return windowsFollowTheState(mirrors, covers);
    }

    static std::string windowsFollowTheState(const std::vector<HWND>& mirrors, const std::vector<HWND>& covers) {
        const AppState& s = appState;
        const bool shown = s.filterActive && s.hasRegion &&
                           (s.style != FilterStyle::OneWindow || targetUsable(s));
        const bool cover = s.style == FilterStyle::SolidCover;
        if (shown ? (cover ? covers.size() != 1 || !mirrors.empty() : mirrors.empty() || !covers.empty())
                  : !mirrors.empty() || !covers.empty()) {
            return "the filter windows differ from the state";
        }
        for (HWND mirror : mirrors) {
            if (fx::contextOf(mirror) && fx::contextOf(mirror)->outline != s.outline) return "a mirror with an old outline";
        }
        return "";
    }

    static Interleaving* current;
    fx::HiddenMainWindow driver_{driverProc};
    fx::ThreadTarget target_{[this] {
        if (auto sent = std::exchange(duringFrame_, std::nullopt)) SendMessageW(main_.get(), sent->message, sent->wParam, sent->lParam);
    }};
    std::optional<Message> duringFrame_;
    std::optional<bool> unchanged_;  // the filter's state, as the last step must have left it
    std::mt19937 random_;
    std::vector<std::string> steps_;
    int stepsLeft_ = 0, waits_ = 0;
    Message ending_{};
    bool ended_ = false, done_ = false, quit_ = false;
};
Interleaving* Interleaving::current = nullptr;

TEST_F(Interleaving, NoArrivalInAnySituationBreaksTheRules) {
    for (const unsigned seed : {1u, 2u, 3u, 4u, 5u}) {  // each ends its own way
        SCOPED_TRACE(seed);
        const HWND overlay = overlay_.windows().at(0);
        ASSERT_TRUE(runSeed(seed)) << "seed " << seed << ": " << report_;
        EXPECT_TRUE(own(kMirrorClass, false).empty() && own(kCoverClass, false).empty()) << "filter windows after the end";
        EXPECT_TRUE(appState.hiddenOverlays.empty() && !fx::storedRecord()) << "an overlay recorded after the end";
        EXPECT_TRUE(waitUntil([&] { return IsWindowVisible(overlay) != FALSE; })) << "the overlay stays hidden";
        EXPECT_TRUE(own(kSelectClass).empty() && own(L"#32768").empty());
        // The next seed starts afresh.
        fx::resetFilterState(appState);
        fx::freshAppState(main_.get());
        trayFollowsState();  // as at start-up
        testenv::clearSettingsKey();
        testenv::writeDword(kValueTipShown, 1);
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
}

}  // namespace
