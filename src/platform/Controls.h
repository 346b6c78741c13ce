// The controls a form is built from: TEdit, TButton, TLabel, TGroupBox.
//
// A control is a field of its form and registers itself there; the form
// creates the native child windows when it creates its own. Positions are in
// pixels at 96 DPI, relative to the parent: the form's client area, or a group
// box (whose children are still child windows of the form, placed inside the
// box, so that one Tab cycle runs through the whole window as it appears).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class TForm;

class TControl {
public:
    explicit TControl(TForm& owner);
    virtual ~TControl() = default;
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    TControl* Parent = nullptr;   // nullptr: the form itself
    int Left = 0, Top = 0, Width = 0, Height = 0;
    int TabOrder = 0;             // order among the controls of one parent
    std::wstring Caption;         // initial text

    std::function<void()> OnClick;
    std::function<void()> OnExit; // the focus moved to another control of the form

    void SetBounds(int left, int top, int width, int height);
    HWND Handle() const { return handle_; }
    TForm& Owner() const { return owner_; }

    std::wstring Text() const;
    void SetText(const std::wstring& text);
    void SetFocus();
    bool Focused() const;

    // Position on the form's client area at 96 DPI (parents' offsets added).
    POINT FormPosition() const;

    virtual bool TakesFocus() const = 0;
    virtual COLORREF FontColor() const { return CLR_INVALID; }
    // A frame drawn around other controls: kept below them, and a click on
    // it is the frame's, not the form's.
    virtual bool IsFrame() const { return false; }

protected:
    friend class TForm;
    virtual const wchar_t* WindowClass() const = 0;
    virtual DWORD WindowStyle() const = 0;
    virtual DWORD ExtendedStyle() const { return 0; }
    virtual void Created() {}        // the native window exists now
    virtual void Notify(WORD code);  // WM_COMMAND notification from the control

private:
    TForm& owner_;
    HWND handle_ = nullptr;
};

class TEdit : public TControl {
public:
    using TControl::TControl;
    wchar_t PasswordChar = 0;     // 0: text shown as typed
    bool TakesFocus() const override { return true; }

protected:
    const wchar_t* WindowClass() const override { return L"EDIT"; }
    DWORD WindowStyle() const override;
    DWORD ExtendedStyle() const override { return WS_EX_CLIENTEDGE; }
    void Created() override;
};

class TButton : public TControl {
public:
    using TControl::TControl;
    bool TakesFocus() const override { return true; }
    void Click();                 // as if pressed

protected:
    const wchar_t* WindowClass() const override { return L"BUTTON"; }
    DWORD WindowStyle() const override { return BS_PUSHBUTTON | WS_TABSTOP; }
    void Notify(WORD code) override;
};

class TLabel : public TControl {
public:
    using TControl::TControl;
    COLORREF Color = CLR_INVALID; // font colour; CLR_INVALID: the window's
    bool TakesFocus() const override { return false; }
    COLORREF FontColor() const override { return Color; }

protected:
    const wchar_t* WindowClass() const override { return L"STATIC"; }
    DWORD WindowStyle() const override { return SS_LEFT | SS_NOTIFY | SS_NOPREFIX; }
    void Notify(WORD code) override;
};

class TGroupBox : public TControl {
public:
    using TControl::TControl;
    bool TakesFocus() const override { return false; }
    bool IsFrame() const override { return true; }

protected:
    const wchar_t* WindowClass() const override { return L"BUTTON"; }
    DWORD WindowStyle() const override { return BS_GROUPBOX; }
};
