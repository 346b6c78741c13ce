// Every text the two windows show the user, in one place.
#pragma once

namespace msg {

constexpr wchar_t kCaption[] = L"系统";  // caption of the windows' message boxes

// Encrypt window.
constexpr wchar_t kNoFolder[] = L"没有可加密的文件夹，请从文件夹上右键启动加密程序！";
constexpr wchar_t kEmptyPassword[] = L"密码不能为空，请输入你的密码！";
constexpr wchar_t kMismatch[] = L"两次输入的密码不一致，请重新输入！";
constexpr wchar_t kLocked[] = L"文件夹添加密码成功，请牢记您的密码！";

// Both windows: a password the record cannot hold.
constexpr wchar_t kUnencodable[] = L"密码中含有无法保存的字符（只能使用简体中文、英文字母、数字和常用符号），请重新输入！";

// Decrypt window.
constexpr wchar_t kUnlocked[] = L"文件夹解密成功！";
constexpr wchar_t kWrongPassword[] = L"您输入的密码错误，请重新输入密码！";
constexpr wchar_t kNoLockedFolder[] = L"没有可解密的文件夹，请从加密的文件夹上右键启动解密程序！";
constexpr wchar_t kLockedFolderMissing[] = L"没有找到加密的文件夹：";  // + path
constexpr wchar_t kStillLocked[] = L"文件夹仍处于加密状态。";

}  // namespace msg
