// Interrupted work. A lock (LockFolder, and 加密 in the encrypt window) and
// an unlock attempt (解密 in the decrypt window, right and wrong password)
// are run again and again with the file calls they make replaced by
// stand-ins (through the executable's import table, win/ImportPatch.h):
//
//  - one call fails: the first call of a kind (rename, open, read, write,
//    flush, the rename that puts a rewritten dat.ini in place, delete) in
//    the first run, the second in the next, and so on until a run no longer
//    reaches the call that is to fail;
//  - two calls fail: every pair of file calls, so that the second failure
//    also meets the steps that take the first one back;
//  - the disk is lost: the N-th file call and every one after it fail, for
//    N = 1, 2, ... (the state on disk is then that of a crash at step N).
//
// A failing write first puts half of its bytes in the file, as a write cut
// short does. After every run the folder must be plain, or locked with a
// record of the right password (never locked without it); the folder's
// other files untouched; dat.ini whole (as before, or as the finished
// operation leaves it, never a mixture of the two); and the one message
// shown must tell the truth: a success only when the folder is in that
// state, an error or warning whenever the operation did not finish. A
// temporary file of the dat.ini rewrite may stay only when the program's
// delete of it failed (as after a crash); a wrong password must leave the
// folder locked and dat.ini as it was whatever fails.
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

#include <climits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

// ---- the stand-ins ----

enum Call { kMove, kCreate, kRead, kWrite, kFlush, kReplace, kDelete, kCallCount };

struct CallInfo {
    const char* import;
    DWORD error;  // of an injected failure of this call alone
    const char* errorName;
};

// Each with the error a real cause of its failure gives.
const CallInfo kCalls[kCallCount] = {
    {"MoveFileW", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},            // a file in the folder is open
    {"CreateFileW", ERROR_SHARING_VIOLATION, "ERROR_SHARING_VIOLATION"},  // dat.ini open elsewhere
    {"ReadFile", ERROR_LOCK_VIOLATION, "ERROR_LOCK_VIOLATION"},           // a range of it locked
    {"WriteFile", ERROR_DISK_FULL, "ERROR_DISK_FULL"},                    // after half the bytes
    {"FlushFileBuffers", ERROR_WRITE_FAULT, "ERROR_WRITE_FAULT"},
    {"MoveFileExW", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},          // dat.ini held open elsewhere
    {"DeleteFileW", ERROR_SHARING_VIOLATION, "ERROR_SHARING_VIOLATION"},
};

// Every call of a lost disk fails so.
constexpr DWORD kDiskLostError = ERROR_NOT_READY;

enum class Mode {
    None,
    OneCall,   // the at-th call of one kind fails
    TwoCalls,  // the at-th and the second-th file call fail: a failure, and another on the way back
    DiskLost,  // the at-th file call and every one after it fail
};

// Which call fails, and what the calls of the run were.
struct Faults {
    Mode mode = Mode::None;
    Call call = kMove;  // OneCall: the kind of call that fails
    int at = INT_MAX;
    int second = INT_MAX;
    int counts[kCallCount] = {};
    int total = 0;
    bool injected = false;
    std::string log;  // the calls in order, a failed one marked "!"
    // What another program writes as a new file of the name that the next
    // CreateFileW with CREATE_NEW asks for, just before that call runs.
    std::optional<std::string> appears;
    // The files whose DeleteFileW failed.
    std::vector<std::wstring> undeleted;
};

// The stand-ins are plain functions: they find the plan, and the real
// functions, here.
Faults faults;
ULONG_PTR real[kCallCount];

template <class Function>
Function Real(Call call) {
    return reinterpret_cast<Function>(real[call]);
}

// Counts the call and decides whether it fails; a failing call has its
// error set as last error.
bool Fails(Call call) {
    ++faults.counts[call];
    ++faults.total;
    bool fail = false;
    DWORD error = 0;
    if (faults.mode == Mode::OneCall) {
        fail = call == faults.call && faults.counts[call] == faults.at;
        error = kCalls[call].error;
    } else if (faults.mode == Mode::TwoCalls) {
        fail = faults.total == faults.at || faults.total == faults.second;
        error = kCalls[call].error;
    } else if (faults.mode == Mode::DiskLost) {
        fail = faults.total >= faults.at;
        error = kDiskLostError;
    }
    if (faults.total <= 40) {
        faults.log += (faults.log.empty() ? "" : " ") + std::string(kCalls[call].import) + (fail ? "!" : "");
    }
    if (fail) {
        faults.injected = true;
        SetLastError(error);
    }
    return fail;
}

BOOL WINAPI MoveStandIn(LPCWSTR from, LPCWSTR to) {
    if (Fails(kMove)) return FALSE;
    return Real<decltype(&MoveFileW)>(kMove)(from, to);
}

HANDLE WINAPI CreateStandIn(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                            DWORD disposition, DWORD flags, HANDLE templateFile) {
    if (Fails(kCreate)) return INVALID_HANDLE_VALUE;
    if (faults.appears && disposition == CREATE_NEW) {
        HANDLE other = Real<decltype(&CreateFileW)>(kCreate)(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        Real<decltype(&WriteFile)>(kWrite)(other, faults.appears->data(), static_cast<DWORD>(faults.appears->size()),
                                           &written, nullptr);
        CloseHandle(other);
        faults.appears.reset();
    }
    return Real<decltype(&CreateFileW)>(kCreate)(name, access, share, security, disposition, flags, templateFile);
}

BOOL WINAPI ReadStandIn(HANDLE file, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED overlapped) {
    if (Fails(kRead)) return FALSE;
    return Real<decltype(&ReadFile)>(kRead)(file, buffer, size, got, overlapped);
}

// A failing write is cut short: its first half reaches the file.
BOOL WINAPI WriteStandIn(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    if (!Fails(kWrite)) return Real<decltype(&WriteFile)>(kWrite)(file, data, size, written, overlapped);
    const DWORD error = GetLastError();
    DWORD part = 0;
    Real<decltype(&WriteFile)>(kWrite)(file, data, size / 2, &part, overlapped);
    if (written) *written = 0;
    SetLastError(error);
    return FALSE;
}

BOOL WINAPI FlushStandIn(HANDLE file) {
    if (Fails(kFlush)) return FALSE;
    return Real<decltype(&FlushFileBuffers)>(kFlush)(file);
}

BOOL WINAPI ReplaceStandIn(LPCWSTR from, LPCWSTR to, DWORD flags) {
    if (Fails(kReplace)) return FALSE;
    return Real<decltype(&MoveFileExW)>(kReplace)(from, to, flags);
}

BOOL WINAPI DeleteStandIn(LPCWSTR name) {
    if (Fails(kDelete)) {
        faults.undeleted.emplace_back(name);
        return FALSE;
    }
    return Real<decltype(&DeleteFileW)>(kDelete)(name);
}

const ULONG_PTR kStandIns[kCallCount] = {
    reinterpret_cast<ULONG_PTR>(&MoveStandIn),  reinterpret_cast<ULONG_PTR>(&CreateStandIn),
    reinterpret_cast<ULONG_PTR>(&ReadStandIn),  reinterpret_cast<ULONG_PTR>(&WriteStandIn),
    reinterpret_cast<ULONG_PTR>(&FlushStandIn), reinterpret_cast<ULONG_PTR>(&ReplaceStandIn),
    reinterpret_cast<ULONG_PTR>(&DeleteStandIn),
};

// The stand-ins in place, with plan, for as long as it lives. The test's own
// file calls go through them too: nothing but the operation may run then.
class InjectedFaults {
public:
    explicit InjectedFaults(const Faults& plan) {
        faults = plan;
        for (int call = 0; call < kCallCount; ++call) {
            patches_.push_back(std::make_unique<ImportPatch>(kCalls[call].import, kStandIns[call]));
            real[call] = patches_.back()->Original();
        }
    }
    bool Active() const {
        for (const auto& patch : patches_) {
            if (!patch->Active()) return false;
        }
        return true;
    }

private:
    std::vector<std::unique_ptr<ImportPatch>> patches_;
};

// ---- what an attempt shows and leaves ----

struct Box {
    std::wstring text, caption;
    unsigned flags;
    bool operator==(const Box&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Box& box) {
    return out << "flags " << box.flags << ": " << WideToUtf8(box.text);
}

constexpr wchar_t kTitle[] = L"鹭汀软件之文件加密";
const Box kLockedBox{msg::kLocked, msg::kCaption, MB_ICONINFORMATION};
const Box kUnlockedBox{msg::kUnlocked, msg::kCaption, MB_ICONINFORMATION};
const Box kWrongBox{msg::kWrongPassword, msg::kCaption, MB_ICONWARNING};

bool IsError(const Box& box) { return box.flags == static_cast<unsigned>(MB_ICONERROR) && box.caption == kTitle; }
bool Says(const Box& box, const std::wstring& part) { return box.text.find(part) != std::wstring::npos; }

using Files = std::vector<std::pair<std::wstring, std::string>>;

// The folder on disk: plain or locked, dat.ini, the other files.
struct FolderState {
    bool locked = false;
    std::optional<std::string> datIni;
    Files others;
    std::optional<std::string> storedPassword;  // the record decoded, when locked
};

// Shown as text in failure messages (dat.ini with its line breaks visible).
std::string Show(const std::optional<std::string>& bytes) {
    if (!bytes) return "(no dat.ini)";
    std::string out = "\"";
    for (const char c : *bytes) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// A temporary file of the dat.ini rewrite ("dat.ini.<process id>.<n>.tmp")
// that the run tried to delete and could not: the one kind of file a run
// may leave behind.
bool IsUndeletedTemporary(const std::wstring& name, const Faults& calls) {
    if (!name.starts_with(L"dat.ini.") || !name.ends_with(L".tmp")) return false;
    for (const std::wstring& path : calls.undeleted) {
        if (path.ends_with(L"\\" + name)) return true;
    }
    return false;
}

void DropQuitRequest() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
}

// ---- the scenarios ----

enum class Action {
    Lock,           // LockFolder on a plain folder
    EncryptWindow,  // 加密 in the encrypt window, both boxes filled
    DecryptRight,   // 解密 in the decrypt window with the right password
    DecryptWrong,   // the same with a wrong one
};

constexpr wchar_t kLockPassword[] = L"密码abc";
constexpr wchar_t kRecordPassword[] = L"abc";  // the password of the locked scenarios' records
constexpr wchar_t kWrongPassword[] = L"abd";
const std::string kAbcRecord = "[111]\r\nkey=84FAABF62CFF447E\r\n";  // DesEncryptHex("abc", "TORVAN")

// Settings of another program that shares the file name.
const std::string kViewer = "; photo viewer settings\r\n[view]\r\nmode=thumbnails\r\nsort=date\r\n";
const std::string kPrint = "[print]\r\ncopies=2\r\n";
// A record left by an earlier lock with a longer password: the new record
// is shorter, so the rewritten file must also be cut to its new length.
const std::string kOldLongRecord = "[111]\r\nkey=00112233445566778899AABBCCDDEEFF0011223344556677\r\n";

struct Scenario {
    const char* name;
    Action action;
    std::optional<std::string> datIni;  // in the folder before; the decrypt actions find the folder locked with it
};

const Scenario kScenarios[] = {
    {"lock, no dat.ini", Action::Lock, std::nullopt},
    {"lock, another program's dat.ini", Action::Lock, kViewer},
    {"lock, dat.ini with a longer old record and another program's settings", Action::Lock,
     kOldLongRecord + kViewer},
    {"encrypt window, no dat.ini", Action::EncryptWindow, std::nullopt},
    {"encrypt window, another program's dat.ini", Action::EncryptWindow, kViewer},
    {"encrypt window, dat.ini with a longer old record", Action::EncryptWindow, kOldLongRecord + kViewer},
    {"decrypt, right password, record alone", Action::DecryptRight, kAbcRecord},
    {"decrypt, right password, record between another program's sections", Action::DecryptRight,
     kViewer + kAbcRecord + kPrint},
    {"decrypt, wrong password, record alone", Action::DecryptWrong, kAbcRecord},
    {"decrypt, wrong password, record between another program's sections", Action::DecryptWrong,
     kViewer + kAbcRecord + kPrint},
};

bool IsDecrypt(Action action) { return action == Action::DecryptRight || action == Action::DecryptWrong; }

// One attempt: the boxes it showed (a raised Exception counts as an error
// box), whether it ended the program, what it left on disk, and its calls.
struct Attempt {
    std::vector<Box> boxes;
    bool terminated = false;
    FolderState after;
    Faults calls;
};

class FaultInjectionTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        folder_ = root_ + L"\\照片 2024";
    }
    void TearDown() override {
        FolderPath.clear();
        DropQuitRequest();
        TempFolderTest::TearDown();
    }

    // The scenario's folder, fresh: a few files, its dat.ini, locked by a
    // plain rename for the decrypt actions.
    FolderState Prepare(const Scenario& scenario) {
        RemoveTree(folder_);
        RemoveTree(folder_ + L".");
        MakeFolder(folder_.substr(root_.size() + 1));
        if (scenario.datIni) WriteBytes(folder_ + L"\\dat.ini", *scenario.datIni);
        if (IsDecrypt(scenario.action)) {
            EXPECT_TRUE(MoveFileW(Extended(folder_).c_str(), Extended(folder_ + L".").c_str()));
        }
        return Observe();
    }

    FolderState Observe() {
        FolderState state;
        const std::wstring name = folder_.substr(root_.size() + 1);
        const std::vector<std::wstring> names = ListNames(root_);
        state.locked = names == std::vector<std::wstring>{name + L"."};
        EXPECT_TRUE(state.locked || names == std::vector<std::wstring>{name})
            << "the folder must be there under exactly one of its two names";
        const std::wstring path = state.locked ? folder_ + L"." : folder_;
        if (Exists(path + L"\\dat.ini")) state.datIni = ReadBytes(path + L"\\dat.ini");
        state.others = Snapshot(path);
        std::erase_if(state.others, [](const auto& file) { return file.first == L"dat.ini"; });
        if (state.locked) {
            try {
                state.storedPassword = ReadLockedStoredPassword(folder_ + L".");
            } catch (const std::exception&) {
            }
        }
        return state;
    }

    Attempt Run(const Scenario& scenario, const Faults& plan) {
        Attempt attempt;
        TApplication app;
        app.Title = kTitle;
        app.OnMessageBox = [&attempt](const std::wstring& text, const std::wstring& caption, unsigned flags) {
            attempt.boxes.push_back({text, caption, flags});
            return IDOK;
        };
        TButton* button = nullptr;
        if (scenario.action == Action::EncryptWindow) {
            TForm1& form = app.CreateForm<TForm1>();
            FolderPath = folder_;
            form.Show();
            app.ProcessMessages();
            form.Edit1.SetText(kLockPassword);
            form.Edit2.SetText(kLockPassword);
            button = &form.Button1;
        } else if (IsDecrypt(scenario.action)) {
            app.CreateForm<TForm1>();
            TForm2& form = app.CreateForm<TForm2>();
            FolderPath = folder_ + L".";
            form.Show();
            app.ProcessMessages();
            form.Edit1.SetText(scenario.action == Action::DecryptRight ? kRecordPassword : kWrongPassword);
            button = &form.Button1;
        }
        {
            InjectedFaults injected(plan);
            if (!injected.Active()) {
                ADD_FAILURE() << "a file call of the program is not in the import table";
                return attempt;
            }
            if (button) {
                SendMessageW(button->Handle(), BM_CLICK, 0, 0);
                app.ProcessMessages();
            } else {
                try {
                    LockFolder(folder_, std::wstring(kLockPassword));
                } catch (const std::exception& error) {
                    attempt.boxes.push_back({Utf8ToWide(error.what()), kTitle, MB_ICONERROR});
                }
            }
            attempt.calls = faults;
        }
        attempt.terminated = app.Terminated();
        DropQuitRequest();
        attempt.after = Observe();
        return attempt;
    }

    // The scenario without faults: it must succeed; its end state is what a
    // finished operation leaves.
    FolderState Finished(const Scenario& scenario) {
        Prepare(scenario);
        const Attempt clean = Run(scenario, Faults{});
        EXPECT_EQ(clean.boxes, Succeeds(scenario.action)) << "without faults";
        return clean.after;
    }

    static std::vector<Box> Succeeds(Action action) {
        switch (action) {
        case Action::Lock:
            return {};
        case Action::EncryptWindow:
            return {kLockedBox};
        case Action::DecryptRight:
            return {kUnlockedBox};
        case Action::DecryptWrong:
            return {kWrongBox};
        }
        return {};
    }

    // The checks of one attempt, given the folder before it and after the
    // same attempt without faults.
    void Check(const Scenario& scenario, Mode mode, const FolderState& before, const FolderState& finished,
               const Attempt& attempt) {
        const FolderState& after = attempt.after;
        Files others = after.others;
        std::erase_if(others, [&attempt](const auto& file) { return IsUndeletedTemporary(file.first, attempt.calls); });
        EXPECT_EQ(others, before.others) << "the folder's other files changed";
        if (scenario.action == Action::Lock) {
            ASSERT_LE(attempt.boxes.size(), 1u) << "LockFolder raises at most one error";
        } else {
            ASSERT_EQ(attempt.boxes.size(), 1u) << "one message";
        }
        const bool succeeded = attempt.boxes == Succeeds(scenario.action);
        const Box* error = !succeeded && !attempt.boxes.empty() && IsError(attempt.boxes[0]) ? &attempt.boxes[0] : nullptr;
        if (!succeeded) {
            ASSERT_NE(error, nullptr) << "neither the success message nor an error: " << attempt.boxes[0];
            EXPECT_FALSE(attempt.terminated) << "the window must stay open after an error";
        }
        if (after.locked) {
            EXPECT_EQ(after.storedPassword.value_or("(record unreadable)"),
                      EncodePassword(scenario.action == Action::Lock || scenario.action == Action::EncryptWindow
                                         ? kLockPassword
                                         : kRecordPassword))
                << "locked, so its record must hold the password: " << Show(after.datIni);
        }

        switch (scenario.action) {
        case Action::Lock:
        case Action::EncryptWindow:
            EXPECT_EQ(succeeded, after.locked) << "success shown exactly when the folder got locked";
            if (after.locked) {
                EXPECT_EQ(Show(after.datIni), Show(finished.datIni));
            } else if (mode == Mode::OneCall) {  // the failed write taken back
                EXPECT_EQ(Show(after.datIni), Show(before.datIni)) << "dat.ini must be as before the failed lock";
            } else {
                // When taking the write back fails too, dat.ini may hold the
                // new record (the error says so), and a file the lock created
                // may be cut short; a file that was there must be whole.
                const bool asBefore = after.datIni == before.datIni;
                const bool asFinished = after.datIni == finished.datIni;
                const bool ownCutShort = !before.datIni && after.datIni && finished.datIni &&
                                         finished.datIni->starts_with(*after.datIni);
                EXPECT_TRUE(asBefore || asFinished || ownCutShort)
                    << "dat.ini is a mixture: " << Show(after.datIni) << "\nbefore: " << Show(before.datIni)
                    << "\nlocked: " << Show(finished.datIni);
                if (!asBefore && error) {
                    EXPECT_TRUE(Says(*error, L"dat.ini")) << *error;
                }
            }
            break;
        case Action::DecryptRight:
        case Action::DecryptWrong: {
            // An attempt only reads the record; with the right password it
            // may remove it once the folder is plain.
            const bool whole = after.datIni == before.datIni ||
                               (scenario.action == Action::DecryptRight && !after.locked &&
                                after.datIni == finished.datIni);
            EXPECT_TRUE(whole) << "dat.ini is not whole: " << Show(after.datIni) << "\nbefore: " << Show(before.datIni);
            if (scenario.action == Action::DecryptRight) {
                EXPECT_NE(attempt.boxes[0], kWrongBox) << "the right password called wrong";
                if (succeeded) {
                    EXPECT_FALSE(after.locked) << "success shown but the folder is locked";
                }
            } else {
                // The record is read through the locked name: nothing is renamed.
                EXPECT_TRUE(after.locked) << "a wrong password left the folder plain";
                EXPECT_FALSE(attempt.terminated);
            }
            // An error tells whether the folder was left without its lock.
            if (error) {
                EXPECT_EQ(Says(*error, L"没有加密"), !after.locked) << *error;
            }
            break;
        }
        }
    }

    static std::string Describe(const Faults& plan) {
        switch (plan.mode) {
        case Mode::OneCall:
            return std::string(kCalls[plan.call].import) + " call " + std::to_string(plan.at) + " fails with " +
                   kCalls[plan.call].errorName;
        case Mode::TwoCalls:
            return "file calls " + std::to_string(plan.at) + " and " + std::to_string(plan.second) + " fail";
        case Mode::DiskLost:
            return "disk lost from file call " + std::to_string(plan.at);
        case Mode::None:
            break;
        }
        return "no faults";
    }

    // One run of the scenario under plan, checked when a failure was
    // injected; returns the run's calls.
    Faults RunAndCheck(const Scenario& scenario, const FolderState& finished, const Faults& plan) {
        const FolderState before = Prepare(scenario);
        const Attempt attempt = Run(scenario, plan);
        if (attempt.calls.injected) {
            SCOPED_TRACE(Describe(plan) + "; calls: " + attempt.calls.log);
            Check(scenario, plan.mode, before, finished, attempt);
        }
        return attempt.calls;
    }

    std::wstring folder_;
    ScratchRegistry registry_;
};

// For each kind of call, its first call fails, then its second, ... until
// a run makes no more calls of that kind.
TEST_F(FaultInjectionTest, OneFileCallFailsAtEachStep) {
    for (const Scenario& scenario : kScenarios) {
        SCOPED_TRACE(scenario.name);
        const FolderState finished = Finished(scenario);
        for (int call = 0; call < kCallCount; ++call) {
            Faults plan;
            plan.mode = Mode::OneCall;
            plan.call = static_cast<Call>(call);
            for (plan.at = 1; RunAndCheck(scenario, finished, plan).injected; ++plan.at) {}
        }
    }
}

// Every pair of file calls fails, the second one often on the way that
// takes the first failure back.
TEST_F(FaultInjectionTest, TwoFileCallsFail) {
    for (const Scenario& scenario : kScenarios) {
        SCOPED_TRACE(scenario.name);
        const FolderState finished = Finished(scenario);
        Faults plan;
        plan.mode = Mode::TwoCalls;
        for (plan.at = 1;; ++plan.at) {
            Faults calls;
            for (plan.second = plan.at + 1;; ++plan.second) {
                calls = RunAndCheck(scenario, finished, plan);
                if (calls.total < plan.second) break;
            }
            if (calls.total < plan.at) break;
        }
    }
}

// The state a crash at each step leaves, and what the program says when
// it is still running.
TEST_F(FaultInjectionTest, DiskLostAtEachStep) {
    for (const Scenario& scenario : kScenarios) {
        SCOPED_TRACE(scenario.name);
        const FolderState finished = Finished(scenario);
        Faults plan;
        plan.mode = Mode::DiskLost;
        for (plan.at = 1; RunAndCheck(scenario, finished, plan).injected; ++plan.at) {}
    }
}

// Another program creates dat.ini after the lock has found none and before
// the lock creates it. That program's file must stay: either the lock fails
// and leaves it as it is, or the lock adds its record to it.
TEST_F(FaultInjectionTest, DatIniCreatedMeanwhileByAnotherProgramIsKept) {
    for (const Scenario& scenario : kScenarios) {
        if (IsDecrypt(scenario.action) || scenario.datIni) continue;
        SCOPED_TRACE(scenario.name);
        const FolderState before = Prepare(scenario);
        Faults plan;
        plan.appears = kViewer;
        const Attempt attempt = Run(scenario, plan);
        EXPECT_TRUE(!attempt.calls.appears) << "no file was created";
        EXPECT_EQ(attempt.after.others, before.others);
        if (attempt.after.locked) {
            EXPECT_EQ(attempt.boxes, Succeeds(scenario.action));
            EXPECT_TRUE(attempt.after.datIni && attempt.after.datIni->starts_with(kViewer))
                << Show(attempt.after.datIni);
            EXPECT_EQ(attempt.after.storedPassword.value_or("(record unreadable)"), EncodePassword(kLockPassword));
        } else {
            ASSERT_EQ(attempt.boxes.size(), 1u);
            EXPECT_TRUE(IsError(attempt.boxes[0])) << attempt.boxes[0];
            EXPECT_EQ(Show(attempt.after.datIni), Show(kViewer)) << "the other program's dat.ini";
        }
    }
}

}  // namespace
