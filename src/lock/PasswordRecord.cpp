// The password record: dat.ini in the folder, section 111, key "key". All
// file work goes through TIniFile, which reads values whole (no length cut)
// and never writes when reading.
#include "lock/PasswordRecord.h"

#include "cipher/DES.h"
#include "lock/FolderLock.h"
#include "lock/LockPaths.h"
#include "platform/Exception.h"
#include "platform/LongPath.h"
#include "platform/Text.h"

const char RecordKey[] = "TORVAN";
const char RecordSection[] = "111";
const char RecordEntry[] = "key";

namespace {

// dat.ini inside the locked folder, reached through the extended form of the
// locked name: the plain forms "...\Photos.\dat.ini" and "...\Photos..\dat.ini"
// lose the dot and miss the folder.
TIniFile LockedRecordFile(const std::wstring& lockedPath) {
    if (!IsLockedPath(lockedPath)) {
        throw Exception(WideToUtf8(L"“" + lockedPath + L"”不是加密文件夹的路径（加密文件夹的路径以一个“.”结尾）。"));
    }
    return TIniFile(ExtendedPath(PlainPath(lockedPath)) + L".\\dat.ini");
}

}  // namespace

IniFileState WritePasswordRecord(const std::wstring& folderPath, const std::string& value) {
    TIniFile ini(RecordPath(folderPath));
    return ini.WriteString(RecordSection, RecordEntry, value);
}

bool RestorePasswordRecord(const std::wstring& folderPath, const IniFileState& before) {
    TIniFile ini(RecordPath(folderPath));
    return ini.Restore(before);
}

std::string ReadPasswordRecord(const std::wstring& folderPath) {
    return TIniFile(RecordPath(folderPath)).ReadString(RecordSection, RecordEntry, "");
}

std::string ReadStoredPassword(const std::wstring& folderPath) {
    return DesDecryptHex(ReadPasswordRecord(folderPath), RecordKey);
}

std::string ReadLockedPasswordRecord(const std::wstring& lockedPath) {
    return LockedRecordFile(lockedPath).ReadString(RecordSection, RecordEntry, "");
}

std::string ReadLockedStoredPassword(const std::wstring& lockedPath) {
    return DesDecryptHex(ReadLockedPasswordRecord(lockedPath), RecordKey);
}

bool RemovePasswordRecord(const std::wstring& folderPath) {
    TIniFile ini(RecordPath(folderPath));
    return ini.DeleteKey(RecordSection, RecordEntry);
}
