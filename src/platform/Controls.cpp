#include "platform/Controls.h"

#include "platform/Application.h"
#include "platform/Form.h"

TControl::TControl(TForm& owner) : owner_(owner) { owner.Register(*this); }

void TControl::SetBounds(int left, int top, int width, int height) {
    Left = left;
    Top = top;
    Width = width;
    Height = height;
}

POINT TControl::FormPosition() const {
    POINT p{Left, Top};
    if (Parent) {
        const POINT parent = Parent->FormPosition();
        p.x += parent.x;
        p.y += parent.y;
    }
    return p;
}

std::wstring TControl::Text() const {
    if (!handle_) return Caption;
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(handle_)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(handle_, text.data(), static_cast<int>(text.size()))));
    return text;
}

void TControl::SetText(const std::wstring& text) {
    Caption = text;
    if (handle_) SetWindowTextW(handle_, text.c_str());
}

void TControl::SetFocus() { owner_.FocusControl(*this); }

bool TControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TControl::Notify(WORD) {}

DWORD TEdit::WindowStyle() const {
    return ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP | (PasswordChar ? ES_PASSWORD : 0);
}

void TEdit::Created() {
    if (PasswordChar) SendMessageW(Handle(), EM_SETPASSWORDCHAR, PasswordChar, 0);
}

void TButton::Click() {
    if (OnClick) Owner().Application().Invoke(OnClick);
}

void TButton::Notify(WORD code) {
    if (code == BN_CLICKED) Click();
}

void TLabel::Notify(WORD code) {
    if (code == STN_CLICKED && OnClick) Owner().Application().Invoke(OnClick);
}
