// The decrypt window, shown instead of the encrypt window when the program is
// started on a locked folder (a path ending in "."). The user types the
// password and presses 解密; a right password unlocks the folder for good.
#pragma once

#include "platform/Form.h"

class TForm2 : public TForm {
public:
    explicit TForm2(TApplication& app);

    TGroupBox GroupBox1{*this};
    TEdit Edit1{*this};          // password
    TButton Button1{*this};      // 解密
    TButton Button2{*this};      // 退出

private:
    void Button2Click();
    void Button1Click();
    void FormClose();
    void FormDblClick();
};
