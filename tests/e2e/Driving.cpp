#include "e2e/Driving.h"

#include <algorithm>
#include <cwctype>

namespace {

bool SameClass(HWND window, const std::wstring& className) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    const std::wstring actual = name;
    return actual.size() == className.size() &&
           std::equal(actual.begin(), actual.end(), className.begin(),
                      [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); });
}

DWORD ProcessOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

std::vector<HWND> TopLevelWindows(DWORD process) {
    std::vector<HWND> found;
    struct Search {
        DWORD process;
        std::vector<HWND>* found;
    } search{process, &found};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (ProcessOf(window) == s->process) s->found->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return found;
}

}  // namespace

DriveError::DriveError(const std::wstring& message) : std::runtime_error(Utf8(message)) {}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::wstring WindowsPath(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    if (path.size() >= 1 && path[0] == L'\\' && (path.size() == 1 || path[1] != L'\\')) path = L"Z:" + path;
    return path;
}

std::wstring QuotedCommandLine(const std::wstring& exe, const std::vector<std::wstring>& arguments) {
    std::wstring line = L"\"" + exe + L"\"";
    for (const std::wstring& argument : arguments) line += L" \"" + argument + L"\"";
    return line;
}

DrivenProcess::DrivenProcess(const std::wstring& exe, const std::vector<std::wstring>& arguments) {
    std::wstring line = QuotedCommandLine(exe, arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_))
        throw DriveError(L"cannot start " + line + L" (error " + std::to_wstring(GetLastError()) + L")");
    // Returns once the program waits for input, usually with its window up;
    // callers still wait for the window itself.
    WaitForInputIdle(info_.hProcess, kWaitMs);
}

DrivenProcess::~DrivenProcess() {
    if (info_.hProcess) {
        if (Running()) {
            TerminateProcess(info_.hProcess, 1);
            WaitForSingleObject(info_.hProcess, kWaitMs);
        }
        CloseHandle(info_.hProcess);
    }
    if (info_.hThread) CloseHandle(info_.hThread);
}

bool DrivenProcess::Running() const {
    return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

void DrivenProcess::Detach() {
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
    info_ = {};
}

HWND DrivenProcess::Window(const std::wstring& caption, bool visibleOnly) const {
    for (HWND window : TopLevelWindows(info_.dwProcessId)) {
        if (SameClass(window, L"#32770")) continue;  // message boxes
        if (visibleOnly && !IsWindowVisible(window)) continue;
        if (caption.empty() || WindowText(window) == caption) return window;
    }
    return nullptr;
}

HWND DrivenProcess::WaitForWindow(const std::wstring& caption, DWORD timeoutMs) const {
    HWND window = nullptr;
    if (!WaitUntil(timeoutMs, [&] { return (window = Window(caption, true)) != nullptr || !Running(); }) || !window)
        throw DriveError(L"no visible window \"" + caption + L"\" after " + std::to_wstring(timeoutMs / 1000) + L" s" +
                         (Running() ? L"" : L" (the program has ended)"));
    return window;
}

HWND DrivenProcess::MessageBoxWindow() const {
    for (HWND window : TopLevelWindows(info_.dwProcessId))
        if (SameClass(window, L"#32770") && IsWindowVisible(window)) return window;
    return nullptr;
}

SeenMessageBox DrivenProcess::WaitForMessageBox(DWORD timeoutMs) const {
    SeenMessageBox box;
    if (!WaitUntil(timeoutMs, [&] { return (box.window = MessageBoxWindow()) != nullptr || !Running(); }) ||
        !box.window)
        throw DriveError(L"no message box after " + std::to_wstring(timeoutMs / 1000) + L" s" +
                         (Running() ? L"" : L" (the program has ended)"));
    box.caption = WindowText(box.window);
    // The text is set while the box is created; wait for it rather than read
    // a half-built box.
    WaitUntil(2000, [&] { return !(box.text = WindowText(GetDlgItem(box.window, 0xFFFF))).empty(); });
    return box;
}

DWORD DrivenProcess::WaitForExit(DWORD timeoutMs) const {
    if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        std::wstring shown;
        if (HWND box = MessageBoxWindow())
            shown = L" (a message box is open: " + WindowText(GetDlgItem(box, 0xFFFF)) + L")";
        throw DriveError(L"the program is still running after " + std::to_wstring(timeoutMs / 1000) + L" s" + shown);
    }
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

HWND DrivenProcess::Focus(HWND window) const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool DrivenProcess::WaitForFocus(HWND form, HWND control) const {
    if (WaitUntil(3000, [&] { return Focus(form) == control; })) return true;
    if (GetForegroundWindow() == form) return false;
    SetForegroundWindow(form);
    return WaitUntil(kWaitMs, [&] { return Focus(form) == control; });
}

std::string DrivenProcess::FocusReport(HWND window) const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    auto describe = [](HWND w) -> std::wstring {
        if (!w) return L"none";
        wchar_t name[64] = {};
        GetClassNameW(w, name, 64);
        return std::wstring(name) + L" \"" + WindowText(w) + L"\"";
    };
    return Utf8(L"focus: " + describe(info.hwndFocus) + L", active: " + describe(info.hwndActive) + L", foreground: " +
                describe(GetForegroundWindow()));
}

std::vector<HWND> Children(HWND parent, const std::wstring& className) {
    struct Search {
        const std::wstring* className;
        std::vector<HWND> found;
    } search{&className, {}};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (SameClass(window, *s->className)) s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    std::sort(search.found.begin(), search.found.end(), [](HWND a, HWND b) {
        RECT ra{}, rb{};
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    return search.found;
}

HWND ChildByText(HWND parent, const std::wstring& className, const std::wstring& text) {
    for (HWND child : Children(parent, className))
        if (WindowText(child) == text) return child;
    throw DriveError(L"window \"" + WindowText(parent) + L"\" has no " + className + L" \"" + text + L"\"");
}

std::wstring WindowText(HWND window) {
    if (!window) return {};
    wchar_t text[1024] = {};
    DWORD_PTR length = 0;
    // With a timeout: a hung program must not hang the driver.
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &length))
        return {};
    return std::wstring(text, std::min<size_t>(length, 1023));
}

void SetText(HWND control, const std::wstring& text) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                             &result) ||
        !result)
        throw DriveError(L"cannot set the text of a control to \"" + text + L"\"");
}

void Click(HWND button) {
    if (!PostMessageW(button, BM_CLICK, 0, 0)) throw DriveError(L"cannot click \"" + WindowText(button) + L"\"");
}

void PressOk(const SeenMessageBox& box) {
    PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box.window, IDOK)));
    if (!WaitUntil(kWaitMs, [&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); }))
        throw DriveError(L"the message box \"" + box.text + L"\" did not close on OK");
}

// Posted to the control itself, not sent through the keyboard: the program's
// own message loop hands the key to its dialog navigation, as for a real key
// press, but nothing can reach another program's window that happens to be
// in the foreground (tests run in parallel on one display).
void PressTab(HWND control) {
    constexpr LPARAM kTabScanCode = 0x0F << 16;
    if (!PostMessageW(control, WM_KEYDOWN, VK_TAB, kTabScanCode | 1) ||
        !PostMessageW(control, WM_KEYUP, VK_TAB, kTabScanCode | 1 | (LPARAM{3} << 30)))
        throw DriveError(L"cannot press Tab in a control");
}

void ClickInto(HWND control) {
    const LPARAM at = MAKELPARAM(4, 4);  // inside the control's client area
    if (!PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at) || !PostMessageW(control, WM_LBUTTONUP, 0, at))
        throw DriveError(L"cannot click into a control");
}
