// Locking and unlocking a folder on disk.
//
// Locking writes the password record dat.ini inside the folder (section 111,
// key "key", value DesEncryptHex(password, RecordKey)), flushes it, and then
// renames the folder to its locked name: its own name followed by one ".".
// The file manager lists such an entry but cannot open it. Unlocking renames
// it back. Nothing else in the folder is read or changed.
//
// Paths are UTF-16 and may be longer than MAX_PATH; passwords are bytes in
// code page 936. Every failure raises Exception with a message for the user
// and leaves the folder as it was before the call.
#pragma once

#include <string>

// Key text of the password record's cipher, the same for every folder.
extern const char RecordKey[];

// The password's bytes in code page 936; raises Exception when a character
// has no form there.
std::string EncodePassword(const std::wstring& password);

// folderPath: the folder under its plain name.
void LockFolder(const std::wstring& folderPath, const std::string& password);
void LockFolder(const std::wstring& folderPath, const std::wstring& password);

// lockedPath: the folder path followed by one "." (as the file manager names
// the locked folder).
void UnlockFolder(const std::wstring& lockedPath);

// Whether lockedPath names an existing locked folder (a directory whose name
// ends in "."), without changing anything.
bool LockedFolderExists(const std::wstring& lockedPath);

// The record's raw value (any length), "" when the file, section or key is
// missing. Reads only. Raises Exception when dat.ini is there but cannot be
// read (a record that exists never reads as empty).
std::string ReadPasswordRecord(const std::wstring& folderPath);

// DesDecryptHex of the record's value: the stored password's bytes.
std::string ReadStoredPassword(const std::wstring& folderPath);

// The same two reads for a folder that is locked, through its locked path,
// without renaming anything: the record can be checked while the folder
// stays locked.
std::string ReadLockedPasswordRecord(const std::wstring& lockedPath);
std::string ReadLockedStoredPassword(const std::wstring& lockedPath);

// Removes the record's entry; deletes dat.ini when nothing else is left in it.
// Returns false when that could not be done (the user's data is kept).
bool RemovePasswordRecord(const std::wstring& folderPath);
