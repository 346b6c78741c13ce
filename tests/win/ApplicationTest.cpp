// The application object's default error box and its quit request.
#include <windows.h>

#include "platform/Application.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

namespace {

struct ErrorBoxCase {
    const char* message;      // UTF-8, as raised
    const wchar_t* shown;
};

const ErrorBoxCase kErrorBoxCases[] = {
    {"Unable to write to C:\\Data\\Photos\\dat.ini", L"Unable to write to C:\\Data\\Photos\\dat.ini."},
    {"Error: not a Hex String", L"Error: not a Hex String."},
    {"Error: the last char is NULL char.", L"Error: the last char is NULL char."},
    {"Failed to set data for ''", L"Failed to set data for ''"},  // "'" sorts before "."
    {"ends in a dash -", L"ends in a dash -"},
    {"无法加密文件夹", L"无法加密文件夹."},
    {"文件夹仍处于加密状态。", L"文件夹仍处于加密状态。"},
    {"", L""},
};

TEST(ApplicationTest, ErrorBoxShowsTheMessageUnderTheTitleWithTheErrorIcon) {
    for (const ErrorBoxCase& c : kErrorBoxCases) {
        SCOPED_TRACE(c.message);
        TApplication app;
        app.Title = L"鹭汀软件之文件加密";
        std::wstring text, caption;
        unsigned flags = 0;
        app.OnMessageBox = [&](const std::wstring& t, const std::wstring& cap, unsigned f) {
            text = t;
            caption = cap;
            flags = f;
            return IDOK;
        };
        app.Invoke([&] { throw Exception(c.message); });
        EXPECT_EQ(text, c.shown);
        EXPECT_EQ(caption, app.Title);
        EXPECT_EQ(flags, static_cast<unsigned>(MB_ICONERROR));
    }
}

// The quit request takes effect only once the handler is back in the loop:
// the statements after it still run.
TEST(ApplicationTest, QuitRequestLetsTheHandlerFinish) {
    TApplication app;
    bool after = false;
    app.Invoke([&] {
        app.Terminate();
        after = true;
    });
    EXPECT_TRUE(after);
    EXPECT_TRUE(app.Terminated());
    EXPECT_EQ(app.Run(), 0);  // returns at once
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
}

}  // namespace
