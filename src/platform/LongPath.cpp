// Extended-length paths through GetFullPathNameW, which works on the text
// only (it neither opens nor checks the path) and at any length.
#include "platform/LongPath.h"

#include <windows.h>

#include "platform/Exception.h"
#include "platform/Text.h"
#include "platform/WinError.h"

std::wstring ExtendedPath(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    std::wstring full;
    DWORD size = MAX_PATH;
    for (;;) {
        full.assign(size, L'\0');
        const DWORD n = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
        if (n == 0) {
            const DWORD error = GetLastError();
            throw Exception(WideToUtf8(L"无法取得路径“" + path + L"”的完整形式：" + SystemErrorText(error)));
        }
        if (n < size) {  // n characters written, without the NUL
            full.resize(n);
            break;
        }
        size = n;  // n is the size needed, with the NUL
    }
    if (full.rfind(L"\\\\.\\", 0) == 0) return L"\\\\?\\" + full.substr(4);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}
