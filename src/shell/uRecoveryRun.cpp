#include "shell/uRecoveryRun.h"

#include "common/Utils.h"
#include "common/uNativePaths.h"

#include <filesystem>
#include <random>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <process.h>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace rs {

namespace {

std::string LockFileOf(const std::string& folder, const std::string& token)
{
    return IncludeTrailingDelim(folder) + token + ".lock";
}

// The lock this run holds, let go (and its file removed) when the program ends normally.
class THeldLock
{
public:
    ~THeldLock() { Release(); }
    const std::string& Path() const { return FPath; }
    bool Held() const
    {
#ifdef _WIN32
        return FHandle != INVALID_HANDLE_VALUE;
#else
        return FFd >= 0;
#endif
    }
    bool Take(const std::string& path)
    {
        Release();
#ifdef _WIN32
        // No sharing: every other opening fails while this run lives; the file goes with the handle.
        FHandle = CreateFileW(FsPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
#else
        FFd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (FFd >= 0 && ::flock(FFd, LOCK_EX | LOCK_NB) != 0) {
            ::close(FFd);
            FFd = -1;
        }
#endif
        if (Held())
            FPath = path;
        return Held();
    }
    void Release()
    {
        if (!Held())
            return;
#ifdef _WIN32
        CloseHandle(FHandle);
        FHandle = INVALID_HANDLE_VALUE;
#else
        ::unlink(FPath.c_str());
        ::close(FFd);
        FFd = -1;
#endif
        FPath.clear();
    }

private:
    std::string FPath;
#ifdef _WIN32
    HANDLE FHandle = INVALID_HANDLE_VALUE;
#else
    int FFd = -1;
#endif
};

THeldLock& OwnLock()
{
    static THeldLock lock;
    return lock;
}

} // namespace

const std::string& TRecoveryRun::Token()
{
    static const std::string token = [] {
#ifdef _WIN32
        const unsigned pid = unsigned(_getpid());
#else
        const unsigned pid = unsigned(getpid());
#endif
        // The random part tells apart a run that reuses the process id of an ended one.
        std::random_device rd;
        return Format("%x-%08x", pid, unsigned(rd()));
    }();
    return token;
}

std::string TRecoveryRun::TokenOf(const std::string& copyFile)
{
    std::string name = ExtractFileName(copyFile);
    const std::size_t tilde = name.rfind('~');
    if (tilde == std::string::npos)
        return {};
    name.erase(0, tilde + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos)
        name.resize(dot);
    const std::size_t dash = name.rfind('-');
    if (dash == std::string::npos || dash == 0)
        return {};
    name.resize(dash);
    for (char c : name)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || c == '-'))
            return {};
    return name;
}

bool TRecoveryRun::Claim(const std::string& folder)
{
    const std::string path = LockFileOf(folder, Token());
    THeldLock& own = OwnLock();
    // A lock whose file was deleted with its folder protects nothing: take it anew.
    if (own.Held() && own.Path() == path && FileExists(path))
        return true;
    return own.Take(path);
}

bool TRecoveryRun::IsHeldElsewhere(const std::string& folder, const std::string& token)
{
    if (token.empty() || token == Token())
        return false;
    const std::string path = LockFileOf(folder, token);
#ifdef _WIN32
    HANDLE h = CreateFileW(FsPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(h); // an ended run's file: deleted on closing
    return false;
#else
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (!held)
        ::unlink(path.c_str());
    ::close(fd);
    return held;
#endif
}

} // namespace rs
