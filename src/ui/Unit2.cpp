#include "ui/Unit2.h"

#include "lock/FolderLock.h"
#include "platform/Application.h"
#include "platform/Exception.h"
#include "platform/Text.h"
#include "shell/FolderMenu.h"
#include "ui/Main.h"
#include "ui/Messages.h"

TForm2::TForm2(TApplication& app) : TForm(app) {
    Caption = L"解密窗口";
    Left = 401;
    Top = 278;
    OuterWidth = 275;
    OuterHeight = 179;

    GroupBox1.SetBounds(40, 16, 185, 105);
    GroupBox1.Caption = L" 解密密码 ";
    GroupBox1.TabOrder = 0;

    Edit1.SetBounds(72, 56, 121, 21);
    Edit1.TabOrder = 1;
    Edit1.PasswordChar = L'*';

    Button1.SetBounds(56, 88, 75, 25);
    Button1.Caption = L"解密";
    Button1.TabOrder = 2;
    Button1.OnClick = [this] { Button1Click(); };

    Button2.SetBounds(144, 88, 75, 25);
    Button2.Caption = L"退出";
    Button2.TabOrder = 3;
    Button2.OnClick = [this] { Button2Click(); };

    OnClose = [this] { FormClose(); };
    OnDblClick = [this] { FormDblClick(); };
}

void TForm2::Button2Click() { Application().Terminate(); }

// The stored password is read through the locked name, so a wrong password
// or a record that cannot be read leaves the folder locked and untouched;
// only the right password renames it.
void TForm2::Button1Click() {
    TApplication& app = Application();
    if (FolderPath.empty()) {
        app.MessageBox(msg::kNoLockedFolder, msg::kCaption, MB_ICONWARNING);
        return;
    }
    const std::optional<std::string> typed = WideToCp936(Edit1.Text());
    if (!typed) {
        app.MessageBox(msg::kUnencodable, msg::kCaption, MB_ICONWARNING);
        Edit1.SetFocus();
        return;
    }
    // A path that ends in "." but names no locked folder (perhaps a plain
    // folder of that name) is left alone: nothing is written or renamed.
    if (!LockedFolderExists(FolderPath)) {
        app.MessageBox(msg::kLockedFolderMissing + FolderPath, msg::kCaption, MB_ICONWARNING);
        return;
    }

    std::string stored;
    try {
        stored = ReadLockedStoredPassword(FolderPath);
    } catch (const std::exception& error) {
        throw Exception(std::string(error.what()) + "\n" + WideToUtf8(msg::kStillLocked));
    }
    if (*typed != stored) {
        app.MessageBox(msg::kWrongPassword, msg::kCaption, MB_ICONWARNING);
        Edit1.SetFocus();
        return;
    }
    UnlockFolder(FolderPath);  // raises when the folder stays locked
    RemovePasswordRecord(FolderPath.substr(0, FolderPath.size() - 1));  // a record left behind is harmless
    app.MessageBox(msg::kUnlocked, msg::kCaption, MB_ICONINFORMATION);
    app.Terminate();
}

// The encrypt window is the hidden main window in this mode, so closing this
// window alone would leave the program running with nothing on screen.
void TForm2::FormClose() { Application().Terminate(); }

void TForm2::FormDblClick() { RemoveFolderMenu(Application()); }
