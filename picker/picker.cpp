#include "picker/picker.h"

#include "picker/candidate.h"
#include "settings/geometry.h"

#include <utility>

namespace {

constexpr std::size_t kLongestMenuTitle = 60;
constexpr std::size_t kShortenedTitleKeep = 57;
constexpr int kMinTargetWidth = 120;
constexpr int kMinTargetHeight = 90;

bool isHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

WindowFacts factsOf(HWND window) {
    WindowFacts facts;
    if (!readShownWindowFacts(window, facts) || (facts.exStyle & WS_EX_TOOLWINDOW) != 0) return facts;
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return facts;
    // The announced length counts even when fewer characters arrive.
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, buffer.data(), length + 1);
    facts.title = buffer.substr(0, static_cast<size_t>(length));
    GetWindowRect(window, &facts.rect);
    return facts;
}

}  // namespace

bool isMirrorCandidate(const WindowFacts& facts, DWORD ownProcessId) {
    return shownWindowOfAnother(facts, ownProcessId) && (facts.exStyle & WS_EX_TOOLWINDOW) == 0 && !facts.title.empty() &&
           rectWidth(facts.rect) >= kMinTargetWidth && rectHeight(facts.rect) >= kMinTargetHeight;
}

std::wstring shortenedTitle(const std::wstring& title) {
    if (title.size() <= kLongestMenuTitle) return title;
    size_t keep = kShortenedTitleKeep;
    if (isHighSurrogate(title[keep - 1])) --keep;
    return title.substr(0, keep) + L"\u2026";
}

std::wstring menuEscaped(const std::wstring& text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (wchar_t unit : text) {
        escaped += unit;
        if (unit == L'&') escaped += L'&';
    }
    return escaped;
}

std::vector<WindowTarget> collectWindowTargets() {
    std::vector<WindowTarget> targets;
    for (HWND window : topLevelWindows()) {
        WindowFacts facts = factsOf(window);
        if (!isMirrorCandidate(facts, GetCurrentProcessId())) continue;
        targets.push_back({window, std::move(facts.title)});
        if (targets.size() == kMaxWindowTargets) break;
    }
    return targets;
}
