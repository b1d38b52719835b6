#include "common/uNativePaths.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace rs {

#ifdef _WIN32
std::filesystem::path FsPath(const std::string& native)
{
    if (native.empty())
        return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, native.data(), int(native.size()), nullptr, 0);
    std::wstring w(std::size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, native.data(), int(native.size()), w.data(), n);
    return std::filesystem::path(w);
}

std::string NativeString(const std::filesystem::path& p)
{
    const std::wstring& w = p.native();
    if (w.empty())
        return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(std::size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}
#else
std::filesystem::path FsPath(const std::string& native) { return std::filesystem::path(native); }
std::string NativeString(const std::filesystem::path& p) { return p.native(); }
#endif

bool IsHiddenEntry(const std::filesystem::path& entry)
{
    const auto name = entry.filename().native();
    if (name.empty() || name[0] == '.')
        return true;
#ifdef _WIN32
    // The wide name: no code page stands between the file system and the test.
    const DWORD a = GetFileAttributesW(entry.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
#else
    return false;
#endif
}

} // namespace rs
