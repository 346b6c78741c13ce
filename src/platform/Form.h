// TForm: a top-level window made of TControl fields. It creates the native
// windows, scales the 96-DPI layout to the screen, keeps the Tab order of its
// controls, tracks which control has the focus (to raise OnExit when the
// focus moves on within the form) and routes notifications to the controls'
// handlers through the application, which reports any exception.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/Controls.h"

class TApplication;

class TForm {
public:
    explicit TForm(TApplication& app);
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    // Window settings, read when the window is created (96-DPI pixels).
    std::wstring Caption;
    int Left = 0, Top = 0;
    int ClientWidth = 0, ClientHeight = 0;  // used when OuterWidth is 0
    int OuterWidth = 0, OuterHeight = 0;    // border and caption included
    bool SystemMenu = true;                 // false: no system menu and no close box

    std::function<void()> OnCreate, OnShow, OnClose, OnDblClick;

    HWND Handle() const { return handle_; }
    TApplication& Application() const { return app_; }

    // Makes the window visible (running OnShow first) and brings it to the front.
    void Show();
    bool Visible() const;

    // The control that has, or will get on activation, the input focus.
    TControl* ActiveControl() const;

    int Scale(int pixels96) const;

private:
    friend class TApplication;
    friend class TControl;

    void CreateHandle();
    void Register(TControl& control) { controls_.push_back(&control); }
    void ApplyTabOrder();
    void FocusControl(TControl& control);
    void ControlFocused(HWND control);
    TControl* FindControl(HWND window) const;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR form);

    TApplication& app_;
    HWND handle_ = nullptr;
    HFONT font_ = nullptr;
    int dpi_ = 96;
    std::vector<TControl*> controls_;
    HWND focus_ = nullptr;  // the control with the focus, or to focus on activation
};
