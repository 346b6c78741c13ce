#include "ui/Main.h"

#include "app/CommandLine.h"
#include "lock/FolderLock.h"
#include "platform/Application.h"
#include "platform/Text.h"
#include "shell/FolderMenu.h"
#include "ui/Messages.h"

std::wstring FolderPath;

namespace {

// The advertisement line under the password boxes and the page it opens.
constexpr wchar_t kHomePageText[] = L"鹭汀软件：访问主页获取更新与帮助";
constexpr wchar_t kHomePage[] = L"https://folderlock.example.com/";

constexpr COLORREF kBlue = RGB(0, 0, 255);

// Opens url in the user's browser. shell32 is loaded only here, on a click:
// linked at start-up it would bring in most of the shell's libraries and
// slow every start of the program for a link that is rarely used.
void OpenInBrowser(const wchar_t* url) {
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    if (!shell) return;
    using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    const auto shellExecute =
        reinterpret_cast<ShellExecuteFn>(reinterpret_cast<void (*)()>(GetProcAddress(shell, "ShellExecuteW")));
    if (shellExecute) shellExecute(nullptr, L"open", url, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

TForm1::TForm1(TApplication& app) : TForm(app) {
    Caption = L"文件夹加密-鹭汀软件2.0";
    Left = 350;
    Top = 342;
    ClientWidth = 345;
    ClientHeight = 174;
    SystemMenu = false;  // minimize and maximize only: no system menu, no close box

    GroupBox1.SetBounds(24, 16, 297, 129);
    GroupBox1.Caption = L" 加密文件夹 ";
    GroupBox1.TabOrder = 1;

    Label1.Parent = &GroupBox1;
    Label1.SetBounds(17, 23, 60, 13);
    Label1.Caption = L"输入密码：";

    Edit1.Parent = &GroupBox1;
    Edit1.SetBounds(88, 20, 121, 21);
    Edit1.TabOrder = 0;
    Edit1.PasswordChar = L'*';

    Label4.Parent = &GroupBox1;
    Label4.SetBounds(17, 55, 60, 13);
    Label4.Caption = L"确认密码：";

    Edit2.Parent = &GroupBox1;
    Edit2.SetBounds(88, 52, 121, 21);
    Edit2.TabOrder = 1;
    Edit2.PasswordChar = L'*';
    Edit2.OnExit = [this] { Edit2Exit(); };

    Button5.Parent = &GroupBox1;
    Button5.SetBounds(110, 88, 75, 25);
    Button5.Caption = L"退出";
    Button5.TabOrder = 2;
    Button5.OnClick = [this] { Button5Click(); };

    Button2.Parent = &GroupBox1;
    Button2.SetBounds(208, 88, 75, 25);
    Button2.Caption = L"删除右键";
    Button2.TabOrder = 3;
    Button2.OnClick = [this] { Button2Click(); };

    Button1.SetBounds(48, 104, 65, 25);
    Button1.Caption = L"加密";
    Button1.TabOrder = 0;
    Button1.OnClick = [this] { Button1Click(); };

    Label2.SetBounds(24, 152, 241, 13);
    Label2.Caption = kHomePageText;
    Label2.Color = kBlue;
    Label2.OnClick = [this] { Label2Click(); };

    OnCreate = [this] { FormCreate(); };
    OnShow = [this] { FormShow(); };
}

void TForm1::FormCreate() {
    RegisterFolderMenu();
    FolderPath = LastArgument(GetCommandLineW());
}

void TForm1::FormShow() { Edit1.SetFocus(); }

void TForm1::Button5Click() { Application().Terminate(); }

void TForm1::Button1Click() {
    TApplication& app = Application();
    if (FolderPath.empty()) {
        app.MessageBox(msg::kNoFolder, msg::kCaption, MB_ICONWARNING);
        app.Terminate();
        return;
    }
    if (Edit1.Text().empty() || Edit2.Text().empty()) {
        app.MessageBox(msg::kEmptyPassword, msg::kCaption, MB_ICONWARNING);
        return;
    }
    if (Edit2.Text() != Edit1.Text()) {
        app.MessageBox(msg::kMismatch, msg::kCaption, MB_ICONWARNING);
        Edit2.SetFocus();
        return;
    }
    const std::optional<std::string> password = WideToCp936(Edit2.Text());
    if (!password) {
        app.MessageBox(msg::kUnencodable, msg::kCaption, MB_ICONWARNING);
        Edit2.SetFocus();
        return;
    }
    // A failure raises: the error box shows why, the folder is as it was, and
    // the window stays open with both texts for another try.
    LockFolder(FolderPath, *password);
    app.MessageBox(msg::kLocked, msg::kCaption, MB_ICONINFORMATION);
    app.Terminate();
}

void TForm1::Edit2Exit() {
    if (Edit2.Text() != Edit1.Text()) {
        Application().MessageBox(msg::kMismatch, msg::kCaption, MB_ICONWARNING);
        Edit2.SetFocus();
    }
}

void TForm1::Button2Click() { RemoveFolderMenu(Application()); }

void TForm1::Label2Click() { OpenInBrowser(kHomePage); }
