#include "platform/Application.h"

#include "platform/Form.h"
#include "platform/Text.h"

#include <commctrl.h>

#include <string_view>

TApplication::TApplication() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

// Forms go in reverse order of creation: a later form may refer to an
// earlier one, never the other way round.
TApplication::~TApplication() {
    while (!forms_.empty()) forms_.pop_back();
}

void TApplication::AdoptForm(std::unique_ptr<TForm> form) {
    TForm& ref = *form;
    forms_.push_back(std::move(form));
    if (!mainForm_) mainForm_ = &ref;
    ref.CreateHandle();
    if (ref.OnCreate) Invoke(ref.OnCreate);
}

int TApplication::Run() {
    if (ShowMainForm && mainForm_ && !terminated_) mainForm_->Show();
    MSG msg;
    while (!terminated_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (DispatchDialogKeys(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        if (DispatchDialogKeys(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Tab and Shift+Tab move the focus between a form's controls, as in a dialog.
bool TApplication::DispatchDialogKeys(MSG& msg) {
    for (const auto& form : forms_) {
        HWND window = form->Handle();
        if (window && (msg.hwnd == window || IsChild(window, msg.hwnd))) return IsDialogMessageW(window, &msg) != 0;
    }
    return false;
}

void TApplication::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    PostQuitMessage(0);
}

int TApplication::MessageBox(const std::wstring& text, const std::wstring& caption, unsigned flags) {
    if (OnMessageBox) return OnMessageBox(text, caption, flags);
    HWND owner = GetActiveWindow();
    if (!owner && mainForm_ && IsWindowVisible(mainForm_->Handle())) owner = mainForm_->Handle();
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags | MB_OK);
}

// A message whose last character sorts after "." gets a final "." (so an
// English system text reads as a sentence); one that already ends in a
// full-width sentence mark is left as it is.
void TApplication::ShowException(const std::exception& error) {
    std::wstring text = Utf8ToWide(error.what());
    constexpr std::wstring_view kSentenceEnds = L"。！？";
    if (!text.empty() && text.back() > L'.' && kSentenceEnds.find(text.back()) == std::wstring_view::npos)
        text += L'.';
    MessageBox(text, Title, MB_ICONERROR);
}

void TApplication::Invoke(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowException(error);
    }
}
