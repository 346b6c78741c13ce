// The "加密/解密文件夹" entry on every folder's context menu in the file
// manager: a verb key under Folder\Shell whose command starts this program
// with the folder's path as its one argument.
#pragma once

class TApplication;

// Writes Folder\Shell\devadu (menu text) and Folder\Shell\devadu\command
// (command text) under HKEY_CLASSES_ROOT, or, where that cannot be written,
// under HKEY_CURRENT_USER\Software\Classes. A key that cannot be opened is
// skipped without a word; a value that cannot be written raises Exception.
void RegisterFolderMenu();

// Deletes the entry's key tree from both places and reports it to the user
// through the application's message box, whether or not anything was there.
void RemoveFolderMenu(TApplication& app);
