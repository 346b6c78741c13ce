// Times locking and unlocking of folders with the lock library itself, without
// windows: LockFolder, then UnlockFolder and RemovePasswordRecord, repeated.
//   lock_bench RUNS FOLDER...
// prints, per folder, "LOCK <index> <lock ms> <unlock ms> <total ms>", each the
// median over RUNS runs, and fails when a run does not leave the folder plain
// and without its record again. It also prints "FLOOR <index> <ms>": creating
// and deleting one new file in the folder, the least that writing a record
// there can cost (under Wine, looking up a name that does not exist reads the
// whole directory, so this grows with the number of entries).
#include "lock/FolderLock.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return (values[(values.size() - 1) / 2] + values[values.size() / 2]) / 2;
}

bool IsPlainFolderWithoutRecord(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW((L"\\\\?\\" + folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           GetFileAttributesW((L"\\\\?\\" + folder + L"\\dat.ini").c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc >= 3 ? _wtoi(argv[1]) : 0;
    if (runs < 1) {
        std::fprintf(stderr, "usage: lock_bench RUNS FOLDER...\n");
        return 2;
    }
    try {
        for (int f = 2; f < argc; ++f) {
            const std::wstring folder = argv[f];
            std::vector<double> lock, unlock, total;
            for (int run = 0; run < runs; ++run) {
                const double start = Now();
                LockFolder(folder, std::string("bench-password"));
                const double locked = Now();
                UnlockFolder(folder + L".");
                RemovePasswordRecord(folder);
                const double unlocked = Now();
                if (!IsPlainFolderWithoutRecord(folder)) {
                    std::fprintf(stderr, "run %d on folder %d did not leave it plain without dat.ini\n", run, f - 2);
                    return 1;
                }
                lock.push_back(locked - start);
                unlock.push_back(unlocked - locked);
                total.push_back(unlocked - start);
            }
            std::vector<double> floor;
            const std::wstring probe = L"\\\\?\\" + folder + L"\\bench-probe.tmp";
            for (int run = 0; run < runs; ++run) {
                const double start = Now();
                HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
                if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
                DeleteFileW(probe.c_str());
                floor.push_back(Now() - start);
            }
            std::printf("LOCK %d %.2f %.2f %.2f\n", f - 2, Median(lock), Median(unlock), Median(total));
            std::printf("FLOOR %d %.2f\n", f - 2, Median(floor));
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "error: %s\n", error.what());
        return 1;
    }
    return 0;
}
