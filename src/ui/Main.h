// The encrypt window: the application's main window. The user types a
// password twice and presses 加密; the folder named by FolderPath is locked.
// Its creation handler also writes the folder context-menu entry and sets
// FolderPath, in both modes, since this window is always created.
#pragma once

#include "platform/Form.h"

#include <string>

// The folder both windows act on: the last command-line argument, set while
// the encrypt window is created; empty without an argument.
extern std::wstring FolderPath;

class TForm1 : public TForm {
public:
    explicit TForm1(TApplication& app);

    TButton Button1{*this};      // 加密
    TGroupBox GroupBox1{*this};
    TLabel Label1{*this};
    TEdit Edit1{*this};          // password
    TEdit Edit2{*this};          // password again
    TLabel Label4{*this};
    TButton Button5{*this};      // 退出
    TButton Button2{*this};      // 删除右键
    TLabel Label2{*this};        // link to the program's home page

private:
    void Button5Click();
    void Button1Click();
    void Edit2Exit();
    void FormShow();
    void FormCreate();
    void Button2Click();
    void Label2Click();
};
