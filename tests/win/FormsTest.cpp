// The two windows, created for real in this process: text typed with
// WM_CHAR, keys and clicks sent as window messages, message boxes captured
// through the application object, and the folder checked on disk.
#include <windows.h>

#include "lock/FolderLock.h"
#include "platform/Application.h"
#include "platform/Text.h"
#include "ui/Main.h"
#include "ui/Messages.h"
#include "ui/Unit2.h"
#include "win/ImportPatch.h"
#include "win/ScratchRegistry.h"
#include "win/TestFolders.h"

#include <gtest/gtest.h>

namespace {

struct Box {
    std::wstring text, caption;
    unsigned flags;
    bool operator==(const Box&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Box& box) {
    return out << "flags " << box.flags << " caption bytes " << box.caption.size() << " text bytes "
               << box.text.size();
}

const Box kNoFolder{msg::kNoFolder, msg::kCaption, MB_ICONWARNING};
const Box kEmpty{msg::kEmptyPassword, msg::kCaption, MB_ICONWARNING};
const Box kMismatch{msg::kMismatch, msg::kCaption, MB_ICONWARNING};
const Box kLocked{msg::kLocked, msg::kCaption, MB_ICONINFORMATION};
const Box kUnencodable{msg::kUnencodable, msg::kCaption, MB_ICONWARNING};
const Box kUnlocked{msg::kUnlocked, msg::kCaption, MB_ICONINFORMATION};
const Box kWrong{msg::kWrongPassword, msg::kCaption, MB_ICONWARNING};
const Box kMenuRemoved{L"成功删除系统右键菜单！", L"成功", MB_ICONINFORMATION};

void DropQuitRequest() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
}

constexpr wchar_t kTitle[] = L"鹭汀软件之文件加密";
constexpr wchar_t kThai[] = L"\u0E01\u0E02";  // no form in code page 936

class FormsTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        app_.Title = kTitle;
        app_.OnMessageBox = [this](const std::wstring& text, const std::wstring& caption, unsigned flags) {
            boxes_.push_back({text, caption, flags});
            return IDOK;
        };
    }
    void TearDown() override {
        FolderPath.clear();
        DropQuitRequest();  // it must not reach the next test
        TempFolderTest::TearDown();
    }

    void Pump() { app_.ProcessMessages(); }

    void Type(TEdit& edit, const std::wstring& text) {
        for (wchar_t c : text) PostMessageW(edit.Handle(), WM_CHAR, c, 1);
        Pump();
    }
    void Key(WPARAM key) {
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
        PostMessageW(GetFocus(), WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
        Pump();
    }
    void Click(TButton& button) {
        SendMessageW(button.Handle(), BM_CLICK, 0, 0);
        Pump();
    }
    std::vector<Box> TakeBoxes() { return std::exchange(boxes_, {}); }

    TForm1& ShowEncryptWindow(const std::wstring& folder) {
        TForm1& form = app_.CreateForm<TForm1>();
        FolderPath = folder;
        form.Show();
        Pump();
        return form;
    }
    TForm2& ShowDecryptWindow(const std::wstring& lockedPath) {
        app_.CreateForm<TForm1>();
        TForm2& form = app_.CreateForm<TForm2>();
        FolderPath = lockedPath;
        form.Show();
        Pump();
        return form;
    }
    std::wstring LockedFolder(const std::wstring& name, const std::string& password) {
        const std::wstring folder = MakeFolder(name);
        LockFolder(folder, password);
        return folder;
    }

    ScratchRegistry registry_;
    TApplication app_;
    std::vector<Box> boxes_;
};

constexpr wchar_t kMenuKey[] = L"Folder\\Shell\\devadu";

TEST_F(FormsTest, CreatingTheEncryptWindowWritesTheMenuEntry) {
    ASSERT_FALSE(ScratchRegistry::KeyExists(HKEY_CLASSES_ROOT, kMenuKey));
    app_.CreateForm<TForm1>();
    std::wstring text;
    EXPECT_TRUE(ScratchRegistry::ReadDefault(HKEY_CLASSES_ROOT, kMenuKey, text));
    EXPECT_EQ(text, L"加密/解密文件夹");
    EXPECT_TRUE(boxes_.empty());
}

LSTATUS WINAPI RefuseSetValue(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD) { return ERROR_ACCESS_DENIED; }

// A registry error while the window is created is shown, the rest of the
// creation handler is skipped, and start-up goes on with the window.
TEST_F(FormsTest, MenuWriteErrorDuringCreationIsShownAndStartUpGoesOn) {
    FolderPath.clear();
    {
        ImportPatch patch("RegSetValueExW", reinterpret_cast<ULONG_PTR>(&RefuseSetValue));
        ASSERT_TRUE(patch.Active());
        TForm1& form = app_.CreateForm<TForm1>();
        EXPECT_EQ(app_.MainForm(), &form);
        EXPECT_NE(form.Handle(), nullptr);
    }
    EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{L"Failed to set data for ''", kTitle, MB_ICONERROR}}));
    EXPECT_TRUE(FolderPath.empty());
    app_.CreateForm<TForm2>();  // start-up goes on
}

TEST_F(FormsTest, EncryptWindowStartsInFirstBoxAndTabCyclesInOrder) {
    TForm1& form = ShowEncryptWindow(MakeFolder(L"Photos"));
    EXPECT_TRUE(form.Edit1.Focused());
    form.Button1.SetFocus();
    Pump();
    const HWND expected[] = {form.Edit1.Handle(), form.Edit2.Handle(), form.Button5.Handle(),
                             form.Button2.Handle(), form.Button1.Handle()};
    for (HWND next : expected) {
        Key(VK_TAB);
        EXPECT_EQ(GetFocus(), next);
    }
    EXPECT_TRUE(boxes_.empty());  // both boxes empty: leaving Edit2 says nothing
}

// The tests of 加密, in order; only the first failing one is reported.
struct EncryptCase {
    const char* name;
    bool withFolder;
    const wchar_t* edit1;
    const wchar_t* edit2;
    const Box* box;
    bool terminated;
    bool locked;
};

const EncryptCase kEncryptCases[] = {
    {"no folder, same texts", false, L"abc", L"abc", &kNoFolder, true, false},
    {"no folder, both empty", false, L"", L"", &kNoFolder, true, false},
    {"both empty", true, L"", L"", &kEmpty, false, false},
    {"second empty", true, L"abc", L"", &kEmpty, false, false},
    {"first empty", true, L"", L"abc", &kEmpty, false, false},
    {"differ in case", true, L"abc", L"ABC", &kMismatch, false, false},
    {"trailing space", true, L"abc", L"abc ", &kMismatch, false, false},
    {"no GBK form", true, kThai, kThai, &kUnencodable, false, false},
    {"only spaces", true, L"   ", L"   ", &kLocked, true, true},
    {"Chinese", true, L"密码abc", L"密码abc", &kLocked, true, true},
};

TEST_F(FormsTest, EncryptButton) {
    for (const EncryptCase& c : kEncryptCases) {
        SCOPED_TRACE(c.name);
        TApplication app;
        app.OnMessageBox = app_.OnMessageBox;
        const std::wstring folder = MakeFolder(Utf8ToWide(c.name));
        TForm1& form = app.CreateForm<TForm1>();
        FolderPath = c.withFolder ? folder : L"";
        form.Show();
        app.ProcessMessages();
        // Typed with the focus kept in Edit1, so leaving Edit2 raises nothing.
        form.Edit1.SetText(c.edit1);
        form.Edit2.SetText(c.edit2);
        SendMessageW(form.Button1.Handle(), BM_CLICK, 0, 0);
        app.ProcessMessages();

        EXPECT_EQ(TakeBoxes(), std::vector<Box>{*c.box});
        EXPECT_EQ(app.Terminated(), c.terminated);
        EXPECT_EQ(Exists(folder + L"."), c.locked);
        EXPECT_EQ(Exists(folder), !c.locked);
        if (!c.locked) {
            EXPECT_FALSE(Exists(folder + L"\\dat.ini"));
        }
        if (c.box == &kMismatch) {
            EXPECT_TRUE(form.Edit2.Focused());
        }
        if (c.box == &kEmpty) {
            EXPECT_TRUE(form.Button1.Focused());
        }
        EXPECT_EQ(form.Edit1.Text(), c.edit1);  // the texts stay as typed
        DropQuitRequest();
    }
}

TEST_F(FormsTest, EncryptLocksWithTheRecordOfTheTypedPassword) {
    const std::wstring folder = MakeFolder(L"My Photos 照片");
    const auto contents = Snapshot(folder);
    TForm1& form = ShowEncryptWindow(folder);
    Type(form.Edit1, L"abc");
    Key(VK_TAB);
    Type(form.Edit2, L"abc");
    Click(form.Button1);
    EXPECT_EQ(TakeBoxes(), std::vector<Box>{kLocked});
    EXPECT_TRUE(app_.Terminated());
    EXPECT_EQ(ListNames(root_), std::vector<std::wstring>{L"My Photos 照片."});
    EXPECT_EQ(ReadBytes(folder + L".\\dat.ini"), "[111]\r\nkey=84FAABF62CFF447E\r\n");
    UnlockFolder(folder + L".");
    RemovePasswordRecord(folder);
    EXPECT_EQ(Snapshot(folder), contents);
}

// A lock that fails is reported as an error, never as a success.
TEST_F(FormsTest, EncryptShowsTheErrorWhenTheLockFails) {
    const std::wstring folder = MakeFolder(L"Photos");
    MakeDir(folder + L".");  // the locked name is taken
    TForm1& form = ShowEncryptWindow(folder);
    form.Edit1.SetText(L"abc");
    form.Edit2.SetText(L"abc");
    Click(form.Button1);
    const std::vector<Box> boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, kTitle);
    EXPECT_EQ(boxes[0].flags, static_cast<unsigned>(MB_ICONERROR));
    EXPECT_NE(boxes[0].text.find(folder), std::wstring::npos);
    EXPECT_FALSE(app_.Terminated());
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.Edit2.Text(), L"abc");
    EXPECT_FALSE(Exists(folder + L"\\dat.ini"));
}

TEST_F(FormsTest, EncryptRefusesAMissingFolderWithTheRecordPath) {
    const std::wstring folder = root_ + L"\\missing";
    TForm1& form = ShowEncryptWindow(folder);
    form.Edit1.SetText(L"abc");
    form.Edit2.SetText(L"abc");
    Click(form.Button1);
    EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{L"Unable to write to " + folder + L"\\dat.ini.", kTitle, MB_ICONERROR}}));
    EXPECT_FALSE(app_.Terminated());
}

struct LeaveCase {
    const char* name;
    const wchar_t* edit1;
    const wchar_t* edit2;
    bool warns;
};

const LeaveCase kLeaveCases[] = {
    {"second empty, first filled", L"abc", L"", true},
    {"second filled first", L"", L"abc", true},
    {"both empty", L"", L"", false},
    {"same", L"abc", L"abc", false},
    {"differ in case", L"abc", L"abC", true},
};

TEST_F(FormsTest, LeavingTheSecondBox) {
    TForm1& form = ShowEncryptWindow(MakeFolder(L"Photos"));
    for (const LeaveCase& c : kLeaveCases) {
        SCOPED_TRACE(c.name);
        form.Edit1.SetText(c.edit1);
        form.Edit2.SetFocus();
        Pump();
        form.Edit2.SetText(c.edit2);
        Key(VK_TAB);
        EXPECT_EQ(TakeBoxes(), c.warns ? std::vector<Box>{kMismatch} : std::vector<Box>{});
        EXPECT_EQ(GetFocus(), c.warns ? form.Edit2.Handle() : form.Button5.Handle());
        form.Edit1.SetFocus();
        form.Edit2.SetText(c.edit1);
        Pump();
        TakeBoxes();
    }
}

TEST_F(FormsTest, EnterAndEscPressNothing) {
    TForm1& form = ShowEncryptWindow(MakeFolder(L"Photos"));
    Type(form.Edit1, L"abc");
    Key(VK_RETURN);
    Key(VK_ESCAPE);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_FALSE(app_.Terminated());
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.Edit1.Text(), L"abc");
}

TEST_F(FormsTest, RemoveMenuButtonReportsEveryTimeAndKeepsTheWindow) {
    TForm1& form = ShowEncryptWindow(MakeFolder(L"Photos"));
    ASSERT_TRUE(ScratchRegistry::KeyExists(HKEY_CLASSES_ROOT, kMenuKey));
    Click(form.Button2);
    Click(form.Button2);
    EXPECT_EQ(TakeBoxes(), (std::vector<Box>{kMenuRemoved, kMenuRemoved}));
    EXPECT_FALSE(ScratchRegistry::KeyExists(HKEY_CLASSES_ROOT, kMenuKey));
    EXPECT_FALSE(app_.Terminated());
    EXPECT_TRUE(form.Visible());
}

TEST_F(FormsTest, ExitButtonEndsTheProgram) {
    TForm1& form = ShowEncryptWindow(MakeFolder(L"Photos"));
    Click(form.Button5);
    EXPECT_TRUE(app_.Terminated());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(FormsTest, DecryptWindowStartsInThePasswordBox) {
    TForm2& form = ShowDecryptWindow(LockedFolder(L"Photos", "abc") + L".");
    EXPECT_TRUE(form.Edit1.Focused());
    EXPECT_FALSE(app_.MainForm()->Visible());
    Key(VK_TAB);
    EXPECT_TRUE(form.Button1.Focused());
}

TEST_F(FormsTest, WrongPasswordsLeaveTheFolderLockedThenTheRightOneUnlocks) {
    const std::wstring folder = LockedFolder(L"Photos", "abc");
    const auto contents = Snapshot(folder + L".");
    const std::string record = ReadBytes(folder + L".\\dat.ini");
    TForm2& form = ShowDecryptWindow(folder + L".");
    for (const wchar_t* wrong : {L"", L"ABC", L"abc ", L"xyz"}) {
        form.Edit1.SetText(wrong);
        Click(form.Button1);
        EXPECT_EQ(TakeBoxes(), std::vector<Box>{kWrong});
        EXPECT_TRUE(form.Edit1.Focused());
        EXPECT_EQ(ListNames(root_), std::vector<std::wstring>{L"Photos."});
        EXPECT_EQ(ReadBytes(folder + L".\\dat.ini"), record);
        EXPECT_FALSE(app_.Terminated());
    }
    form.Edit1.SetText(L"abc");
    Click(form.Button1);
    EXPECT_EQ(TakeBoxes(), std::vector<Box>{kUnlocked});
    EXPECT_TRUE(app_.Terminated());
    EXPECT_EQ(ListNames(root_), std::vector<std::wstring>{L"Photos"});
    EXPECT_FALSE(Exists(folder + L"\\dat.ini"));
    auto expected = contents;
    std::erase_if(expected, [](const auto& file) { return file.first == L"dat.ini"; });
    EXPECT_EQ(Snapshot(folder), expected);
}

TEST_F(FormsTest, ExitAndCloseEndTheProgramAndKeepTheLock) {
    const std::wstring folder = LockedFolder(L"Photos", "abc");
    {
        TForm2& form = ShowDecryptWindow(folder + L".");
        Click(form.Button2);
        EXPECT_TRUE(app_.Terminated());
    }
    TApplication app;
    app.CreateForm<TForm1>();
    TForm2& form = app.CreateForm<TForm2>();
    form.Show();
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(app.Terminated());
    EXPECT_EQ(ListNames(root_), std::vector<std::wstring>{L"Photos."});
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(FormsTest, DoubleClickOnTheDecryptWindowRemovesTheMenu) {
    const std::wstring folder = LockedFolder(L"Photos", "abc");
    TForm2& form = ShowDecryptWindow(folder + L".");
    SendMessageW(form.Handle(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(TakeBoxes(), std::vector<Box>{kMenuRemoved});
    EXPECT_FALSE(ScratchRegistry::KeyExists(HKEY_CLASSES_ROOT, kMenuKey));
    EXPECT_FALSE(app_.Terminated());
    EXPECT_EQ(ListNames(root_), std::vector<std::wstring>{L"Photos."});
}

// A path ending in "." that names no locked folder is never locked or written.
TEST_F(FormsTest, DecryptLeavesAFolderThatIsNotLockedAlone) {
    const std::wstring folder = MakeFolder(L"Photos");
    const auto contents = Snapshot(folder);
    TForm2& form = ShowDecryptWindow(folder + L".");
    form.Edit1.SetText(L"");
    Click(form.Button1);
    EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{std::wstring(msg::kLockedFolderMissing) + folder + L".",
                                               msg::kCaption, MB_ICONWARNING}}));
    EXPECT_EQ(ListNames(root_), std::vector<std::wstring>{L"Photos"});
    EXPECT_EQ(Snapshot(folder), contents);
}

TEST_F(FormsTest, DecryptRefusesWithoutFolderOrWithAnUnencodablePassword) {
    const std::wstring folder = LockedFolder(L"Photos", "abc");
    TForm2& form = ShowDecryptWindow(L"");
    Click(form.Button1);
    FolderPath = folder + L".";
    form.Edit1.SetText(kThai);
    Click(form.Button1);
    EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{msg::kNoLockedFolder, msg::kCaption, MB_ICONWARNING}, kUnencodable}));
    EXPECT_EQ(ListNames(root_), std::vector<std::wstring>{L"Photos."});
}

// A record that cannot be decoded: the folder gets its locked name back
// before the error is shown, and the record is kept as it was.
TEST_F(FormsTest, DecryptRelocksWhenTheRecordIsNotHex) {
    const std::wstring folder = MakeFolder(L"Photos");
    const std::string record = "[111]\r\nkey=not hex at all\r\n";
    WriteBytes(folder + L"\\dat.ini", record);
    ASSERT_TRUE(MoveFileW(Extended(folder).c_str(), Extended(folder + L".").c_str()));
    TForm2& form = ShowDecryptWindow(folder + L".");
    form.Edit1.SetText(L"abc");
    Click(form.Button1);
    const std::vector<Box> boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, std::wstring(L"Error: not a Hex String\n") + msg::kStillLocked);
    EXPECT_EQ(boxes[0].caption, kTitle);
    EXPECT_EQ(ListNames(root_), std::vector<std::wstring>{L"Photos."});
    EXPECT_EQ(ReadBytes(folder + L".\\dat.ini"), record);
}

// An attempt only reads the record, so a read-only one does not block it.
TEST_F(FormsTest, DecryptWorksWithAReadOnlyRecord) {
    const std::wstring folder = LockedFolder(L"Photos", "abc");
    ASSERT_TRUE(SetFileAttributesW(Extended(folder + L".\\dat.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    TForm2& form = ShowDecryptWindow(folder + L".");
    form.Edit1.SetText(L"xyz");
    Click(form.Button1);
    EXPECT_EQ(ListNames(root_), std::vector<std::wstring>{L"Photos."});
    form.Edit1.SetText(L"abc");
    Click(form.Button1);
    EXPECT_EQ(TakeBoxes(), (std::vector<Box>{kWrong, kUnlocked}));
    EXPECT_EQ(ListNames(root_), std::vector<std::wstring>{L"Photos"});
}

// A locked folder without a record takes the empty password, and an attempt
// never writes a record into it.
TEST_F(FormsTest, DecryptOfAFolderWithoutRecord) {
    const std::wstring folder = MakeFolder(L"Photos");
    ASSERT_TRUE(MoveFileW(Extended(folder).c_str(), Extended(folder + L".").c_str()));
    TForm2& form = ShowDecryptWindow(folder + L".");
    form.Edit1.SetText(L"abc");
    Click(form.Button1);
    EXPECT_FALSE(Exists(folder + L".\\dat.ini"));
    form.Edit1.SetText(L"");
    Click(form.Button1);
    EXPECT_EQ(TakeBoxes(), (std::vector<Box>{kWrong, kUnlocked}));
    EXPECT_EQ(ListNames(root_), std::vector<std::wstring>{L"Photos"});
}

// When the folder cannot get its plain name, the user is told and it stays locked.
TEST_F(FormsTest, DecryptReportsAnUnlockThatFails) {
    const std::wstring folder = LockedFolder(L"Photos", "abc");
    MakeDir(folder);  // the plain name is taken
    TForm2& form = ShowDecryptWindow(folder + L".");
    form.Edit1.SetText(L"abc");
    Click(form.Button1);
    const std::vector<Box> boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].flags, static_cast<unsigned>(MB_ICONERROR));
    EXPECT_FALSE(app_.Terminated());
    EXPECT_EQ(ListNames(root_), (std::vector<std::wstring>{L"Photos", L"Photos."}));
    EXPECT_TRUE(Exists(folder + L".\\dat.ini"));
}

}  // namespace
