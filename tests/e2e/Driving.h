// Driving a real Windows program from another process, the way a user would
// see it: start it with a command line, find its windows and controls, type
// into edit boxes, press buttons and keys, read and answer its message boxes.
// Used by the end-to-end tests, the screenshot helper and the start-up
// benchmark. Every wait is bounded; a timeout raises DriveError naming what
// did not happen.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

// Generous: under Wine a start or a window can take several seconds.
constexpr DWORD kWaitMs = 20000;

class DriveError : public std::runtime_error {
public:
    explicit DriveError(const std::wstring& message);
};

std::string Utf8(const std::wstring& text);

// A Linux path /a/b becomes Z:\a\b (Wine maps Z: to the root); any other
// path only gets backslashes.
std::wstring WindowsPath(std::wstring path);

// The command line the folder context menu runs: "<exe>" "<argument>" for
// each argument, each in double quotes.
std::wstring QuotedCommandLine(const std::wstring& exe, const std::vector<std::wstring>& arguments);

// Polls condition every 50 ms until it holds or timeoutMs has passed.
template <class Condition>
bool WaitUntil(DWORD timeoutMs, Condition condition) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(50);
    }
}

struct SeenMessageBox {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;  // the static control 0xFFFF
};

// A program started by the driver. A process still running when the object
// goes away is ended, so a failed test leaves nothing behind.
class DrivenProcess {
public:
    DrivenProcess(const std::wstring& exe, const std::vector<std::wstring>& arguments);
    ~DrivenProcess();
    DrivenProcess(const DrivenProcess&) = delete;
    DrivenProcess& operator=(const DrivenProcess&) = delete;

    HANDLE Handle() const { return info_.hProcess; }
    DWORD Id() const { return info_.dwProcessId; }
    bool Running() const;

    // Lets the process run on after the object goes away (screenshots).
    void Detach();

    // A top-level window of this process with this caption (any caption when
    // empty); nullptr when there is none. visibleOnly skips hidden ones.
    HWND Window(const std::wstring& caption, bool visibleOnly) const;
    // Waits until such a window is visible.
    HWND WaitForWindow(const std::wstring& caption, DWORD timeoutMs = kWaitMs) const;

    // The visible message box (#32770 dialog) of this process, if any.
    HWND MessageBoxWindow() const;
    SeenMessageBox WaitForMessageBox(DWORD timeoutMs = kWaitMs) const;

    // Waits for the end of the process; raises when it is still running.
    DWORD WaitForExit(DWORD timeoutMs = kWaitMs) const;

    // The control that has the keyboard focus in window's thread.
    HWND Focus(HWND window) const;
    // Whether the focus ends up in control of form. Under Wine without a
    // window manager the owner of a message box is sometimes not activated
    // again when the box closes (the desktop keeps the foreground); a user
    // would click into the window then, so the window is activated the way
    // such a click does before the focus is looked at again.
    bool WaitForFocus(HWND form, HWND control) const;
    // Where focus and activation are, in words, for failure messages.
    std::string FocusReport(HWND window) const;

private:
    PROCESS_INFORMATION info_{};
};

// Child controls of a window class (case-insensitive class name), sorted top
// to bottom, then left to right.
std::vector<HWND> Children(HWND parent, const std::wstring& className);
// The child of that class whose text is exactly text; raises when missing.
HWND ChildByText(HWND parent, const std::wstring& className, const std::wstring& text);

std::wstring WindowText(HWND window);
void SetText(HWND control, const std::wstring& text);

// Presses a button the way a mouse click does (BM_CLICK), posted so that the
// driver does not wait for a modal box the click opens.
void Click(HWND button);

// Presses OK (IDOK) of a message box and waits until it has gone.
void PressOk(const SeenMessageBox& box);

// Presses Tab in control, which should have the focus.
void PressTab(HWND control);

// A mouse click into control (an edit box: the focus moves into it).
void ClickInto(HWND control);
