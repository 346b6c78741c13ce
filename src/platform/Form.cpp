#include "platform/Form.h"

#include "platform/Application.h"

#include <commctrl.h>

#include <algorithm>

namespace {

constexpr wchar_t kFormClass[] = L"FolderLockForm";
constexpr int kAppIcon = 1;  // resource id of the application icon

void RegisterFormClass(WNDPROC proc) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(kAppIcon));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    RegisterClassExW(&wc);
    registered = true;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

// The system's message font (Segoe UI, Microsoft YaHei UI, ...), which Windows
// links to a CJK font for the Chinese texts, at 9 points.
HFONT CreateUiFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    font.lfHeight = -MulDiv(9, dpi, 72);
    return CreateFontIndirectW(&font);
}

// Controls of one parent in tab order, each container followed by its own.
void CollectInTabOrder(const TControl* parent, const std::vector<TControl*>& all, std::vector<TControl*>& out) {
    std::vector<TControl*> level;
    for (TControl* c : all)
        if (c->Parent == parent) level.push_back(c);
    std::stable_sort(level.begin(), level.end(),
                     [](const TControl* a, const TControl* b) { return a->TabOrder < b->TabOrder; });
    for (TControl* c : level) {
        out.push_back(c);
        CollectInTabOrder(c, all, out);
    }
}

}  // namespace

TForm::TForm(TApplication& app) : app_(app) {}

TForm::~TForm() {
    controls_.clear();  // the control fields are gone already
    if (handle_) {
        SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
    }
    if (font_) DeleteObject(font_);
}

int TForm::Scale(int pixels96) const { return MulDiv(pixels96, dpi_, 96); }

void TForm::CreateHandle() {
    RegisterFormClass(&TForm::WndProc);
    dpi_ = ScreenDpi();
    font_ = CreateUiFont(dpi_);

    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    if (SystemMenu) style |= WS_SYSMENU;
    RECT frame{0, 0, Scale(OuterWidth), Scale(OuterHeight)};
    if (OuterWidth == 0) {
        frame = RECT{0, 0, Scale(ClientWidth), Scale(ClientHeight)};
        AdjustWindowRectEx(&frame, style, FALSE, 0);
    }
    CreateWindowExW(0, kFormClass, Caption.c_str(), style, Scale(Left), Scale(Top), frame.right - frame.left,
                    frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleW(nullptr), this);

    int id = 100;
    for (TControl* c : controls_) {
        const POINT at = c->FormPosition();
        c->handle_ = CreateWindowExW(c->ExtendedStyle(), c->WindowClass(), c->Caption.c_str(),
                                     WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | c->WindowStyle(), Scale(at.x),
                                     Scale(at.y), Scale(c->Width), Scale(c->Height), handle_,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), GetModuleHandleW(nullptr),
                                     nullptr);
        SendMessageW(c->handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        c->Created();
        SetWindowSubclass(c->handle_, &TForm::ControlProc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    ApplyTabOrder();
}

// The dialog manager walks the z-order for Tab, so the focusable controls are
// stacked in tab order; group boxes go to the bottom so they never cover the
// controls drawn inside them.
void TForm::ApplyTabOrder() {
    std::vector<TControl*> order;
    CollectInTabOrder(nullptr, controls_, order);
    std::stable_partition(order.begin(), order.end(),
                          [](const TControl* c) { return !c->IsFrame(); });
    HWND after = HWND_TOP;
    for (TControl* c : order) {
        SetWindowPos(c->handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = c->handle_;
    }
}

void TForm::Show() {
    if (OnShow) app_.Invoke(OnShow);
    ShowWindow(handle_, SW_SHOW);
    SetForegroundWindow(handle_);
    SetActiveWindow(handle_);
    UpdateWindow(handle_);
}

bool TForm::Visible() const { return handle_ && IsWindowVisible(handle_); }

TControl* TForm::ActiveControl() const { return FindControl(focus_); }

void TForm::FocusControl(TControl& control) {
    if (GetActiveWindow() == handle_ && IsWindowVisible(handle_))
        ::SetFocus(control.Handle());
    else
        focus_ = control.Handle();  // takes effect when the form is activated
}

// VCL-style OnExit: raised after the focus has moved from one control of the
// form to another, not when the whole window loses activation.
void TForm::ControlFocused(HWND control) {
    const HWND previous = focus_;
    focus_ = control;
    if (!previous || previous == control) return;
    if (TControl* left = FindControl(previous); left && left->OnExit) app_.Invoke(left->OnExit);
}

TControl* TForm::FindControl(HWND window) const {
    if (!window) return nullptr;
    for (TControl* c : controls_)
        if (c->Handle() == window) return c;
    return nullptr;
}

LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        // Only notifications from controls; IDOK / IDCANCEL that the dialog
        // manager sends for Enter and Esc press nothing.
        if (TControl* c = FindControl(reinterpret_cast<HWND>(lParam))) c->Notify(HIWORD(wParam));
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
            HWND target = focus_ && IsWindow(focus_) ? focus_ : GetNextDlgTabItem(handle_, nullptr, FALSE);
            if (target) ::SetFocus(target);
        }
        return 0;
    case WM_CLOSE:
        if (OnClose) app_.Invoke(OnClose);
        if (this == app_.MainForm()) app_.Terminate();
        ShowWindow(handle_, SW_HIDE);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (OnDblClick) app_.Invoke(OnDblClick);
        return 0;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        if (TControl* c = FindControl(reinterpret_cast<HWND>(lParam)); c && c->FontColor() != CLR_INVALID)
            SetTextColor(dc, c->FontColor());
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    default:
        return DefWindowProcW(handle_, message, wParam, lParam);
    }
}

LRESULT CALLBACK TForm::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<TForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->handle_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!form) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {  // last message: unhook first
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        form->handle_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return form->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& error) {  // never unwind through user32
        form->app_.ShowException(error);
        return 0;
    }
}

LRESULT CALLBACK TForm::ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR data) {
    auto* form = reinterpret_cast<TForm*>(data);
    switch (message) {
    case WM_SETFOCUS: {
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        form->ControlFocused(window);
        return result;
    }
    case WM_NCHITTEST:
        // A group box is a control of its own: clicks on it are not clicks on
        // the form's surface.
        if (const TControl* c = form->FindControl(window); c && c->IsFrame()) return HTCLIENT;
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, &TForm::ControlProc, id);
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}
