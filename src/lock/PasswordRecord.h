// The password record dat.ini of a folder: section 111, key "key", value
// DesEncryptHex(password, RecordKey). The reading and removing calls that the
// windows use are declared in lock/FolderLock.h; here are the pieces that
// LockFolder needs to write the record and to take the write back when the
// folder cannot be renamed.
#pragma once

#include <string>

#include "platform/IniFile.h"

extern const char RecordSection[];  // "111"
extern const char RecordEntry[];    // "key"

// Writes value into the record of the folder under its plain name, flushed
// to disk. Returns what dat.ini held before. Raises Exception "Unable to
// write to <folderPath>\dat.ini" when the record cannot be written.
IniFileState WritePasswordRecord(const std::wstring& folderPath, const std::string& value);

// Puts dat.ini back as before describes it (its old bytes, or no file).
// False when that could not be done.
bool RestorePasswordRecord(const std::wstring& folderPath, const IniFileState& before);
