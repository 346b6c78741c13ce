// Path text of the lock: which folder paths can be locked, and the way from a
// locked path back to the folder path.
#include "lock/LockPaths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(LockPaths, RecordAndLockedPath) {
    EXPECT_EQ(L"C:\\Data\\Photos\\dat.ini", RecordPath(L"C:\\Data\\Photos"));
    EXPECT_EQ(L"C:\\Data\\Photos.", LockedPath(L"C:\\Data\\Photos"));
    EXPECT_EQ(L"C:\\Data\\Photos", PlainPath(L"C:\\Data\\Photos."));
}

struct ProblemCase {
    std::wstring path;
    PathProblem problem;
};

const std::vector<ProblemCase> kProblemCases = {
    {L"C:\\Data\\Photos", PathProblem::None},
    {L"C:/Data/Photos", PathProblem::None},
    {L"Photos", PathProblem::None},
    {L"..\\Photos", PathProblem::None},
    {L"C:Photos", PathProblem::None},
    {L"\\Photos", PathProblem::None},
    {L"C:\\我的 照片\\2024 夏天", PathProblem::None},
    {L"C:\\Data\\.hidden", PathProblem::None},
    {L"C:\\Data\\a.b", PathProblem::None},
    {L"\\\\server\\share\\Photos", PathProblem::None},
    {L"\\\\?\\C:\\Data\\Photos", PathProblem::None},
    {L"\\\\?\\UNC\\server\\share\\Photos", PathProblem::None},
    {L"\\\\?\\C:\\a/b", PathProblem::None},  // "/" is a name character after \\?\ .
    {L"", PathProblem::Empty},
    {L"C:", PathProblem::Root},
    {L"C:\\", PathProblem::Root},
    {L"d:/", PathProblem::Root},
    {L"\\", PathProblem::Root},
    {L"/", PathProblem::Root},
    {L"\\\\server\\share", PathProblem::Root},
    {L"\\\\server\\share\\", PathProblem::Root},
    {L"\\\\server", PathProblem::Root},
    {L"\\\\?\\C:\\", PathProblem::Root},
    {L"\\\\?\\C:", PathProblem::Root},
    {L"\\\\?\\UNC\\server\\share", PathProblem::Root},
    {L"\\\\?\\unc\\server\\share\\", PathProblem::Root},
    {L"C:\\Data\\Photos\\", PathProblem::EndsInSeparator},
    {L"C:\\Data\\Photos/", PathProblem::EndsInSeparator},
    {L"C:\\Data\\Photos\\\\", PathProblem::EndsInSeparator},
    {L"\\\\?\\C:\\Data\\Photos\\", PathProblem::EndsInSeparator},
    {L".", PathProblem::NoName},
    {L"..", PathProblem::NoName},
    {L"C:\\Data\\.", PathProblem::NoName},
    {L"C:\\Data\\Photos\\..", PathProblem::NoName},
    {L"C:\\Data\\Photos.", PathProblem::TrailingDotOrBlank},
    {L"C:\\Data\\Photos..", PathProblem::TrailingDotOrBlank},
    {L"C:\\Data\\Photos ", PathProblem::TrailingDotOrBlank},
};

TEST(LockPaths, Problems) {
    for (const ProblemCase& c : kProblemCases) {
        SCOPED_TRACE(testing::PrintToString(c.path));
        EXPECT_EQ(c.problem, LockPathProblem(c.path));
    }
}

// A path is a locked path exactly when it is a lockable folder path followed
// by one ".", so the way back always lands on a folder that can be locked.
TEST(LockPaths, LockedPaths) {
    for (const ProblemCase& c : kProblemCases) {
        SCOPED_TRACE(testing::PrintToString(c.path));
        const bool lockable = c.problem == PathProblem::None;
        EXPECT_EQ(lockable, IsLockedPath(LockedPath(c.path)));
        if (lockable) {
            EXPECT_EQ(c.path, PlainPath(LockedPath(c.path)));
        }
    }
    for (const wchar_t* notLocked : {L"C:\\Data\\Photos", L".", L"C:.", L"C:\\.", L"C:\\Data\\..", L"C:\\a..", L"C:\\a .",
                                     L"C:\\Data\\Photos\\."}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(notLocked)));
        EXPECT_FALSE(IsLockedPath(notLocked));
    }
}

}  // namespace
