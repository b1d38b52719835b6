#include "common/uAppFiles.h"

#include "common/Utils.h"
#include "common/uNativePaths.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <process.h>
#else
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace rs {

namespace {

const char* const kProgramFolder = "RainScribe";

std::string& ExeOverride()
{
    static std::string path;
    return path;
}

bool& AppFolderReadOnly()
{
    static bool readOnly = false;
    return readOnly;
}

std::string& ConfigOverride()
{
    static std::string folder;
    return folder;
}

std::string RealExePath()
{
#ifdef _WIN32
    std::vector<char> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buf.data(), DWORD(buf.size()));
        if (n == 0)
            return {};
        if (n < buf.size())
            return std::string(buf.data(), n);
        buf.resize(buf.size() * 2);
        if (buf.size() > 32768 * 2)
            return {};
    }
#else
    std::error_code ec;
    fs::path p = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && !p.empty()) {
        std::string s = p.string();
        // A replaced executable is shown with this suffix.
        const std::string deleted = " (deleted)";
        if (!fs::exists(p, ec) && s.size() > deleted.size() &&
            s.compare(s.size() - deleted.size(), deleted.size(), deleted) == 0)
            s.resize(s.size() - deleted.size());
        return s;
    }
    // No /proc: the best guess is a program started from the current folder.
    fs::path cwd = fs::current_path(ec);
    return ec ? std::string("rainscribe") : (cwd / "rainscribe").string();
#endif
}

std::string HomeFolder()
{
#ifdef _WIN32
    const char* home = std::getenv("USERPROFILE");
    return home ? home : "";
#else
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return {};
#endif
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return fs::equivalent(FsPath(a), FsPath(b), ec);
}

} // namespace

std::string ExePath()
{
    static const std::string real = RealExePath();
    return ExeOverride().empty() ? real : ExeOverride();
}

std::string AppPath() { return IncludeTrailingDelim(ExtractFilePath(ExePath())); }

std::string ExeIniFileName()
{
    std::string exe = ExePath();
    std::string name = ExtractFileName(exe);
    std::size_t dot = name.rfind('.');
    std::size_t keep = exe.size() - name.size() + (dot == std::string::npos || dot == 0 ? name.size() : dot);
    return exe.substr(0, keep) + ".ini";
}

std::string UserConfigFolder()
{
    if (!ConfigOverride().empty())
        return IncludeTrailingDelim(ConfigOverride());
    std::string base;
#ifdef _WIN32
    if (const char* appData = std::getenv("APPDATA"); appData && *appData)
        base = appData;
    else if (std::string home = HomeFolder(); !home.empty())
        base = JoinPath(JoinPath(home, "AppData"), "Roaming");
#else
    // The XDG rule: only an absolute path counts.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        base = xdg;
    else if (std::string home = HomeFolder(); !home.empty())
        base = JoinPath(home, ".config");
#endif
    if (base.empty())
        return AppPath(); // nowhere else to go
    return IncludeTrailingDelim(JoinPath(base, kProgramFolder));
}

bool IsFolderWritable(const std::string& folder)
{
    if (folder.empty() || !DirectoryExists(folder))
        return false;
    static std::atomic<unsigned> counter{0};
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
#ifdef _WIN32
    const int pid = _getpid();
#else
    const int pid = int(getpid());
#endif
    fs::path probe = FsPath(folder) / ("~rs" + std::to_string(pid) + "-" + std::to_string(ticks % 1000000) + "-" +
                                          std::to_string(counter.fetch_add(1)) + ".tmp");
#ifdef _WIN32
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
#else
    int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    std::error_code ec;
    fs::remove(probe, ec);
    return true;
#endif
}

std::string WritableAppFile(const std::string& name)
{
    const std::string beside = AppPath() + name;
    if (!AppFolderReadOnly() && IsFolderWritable(AppPath()))
        return beside;
    const std::string folder = UserConfigFolder();
    const std::string own = folder + name;
    if (SameFile(folder, AppPath()))
        return beside;
    ForceDirectories(folder);
    if (!FileExists(own) && FileExists(beside)) {
        std::error_code ec;
        fs::copy_file(FsPath(beside), FsPath(own), fs::copy_options::skip_existing, ec);
    }
    return own;
}

std::string ReadableAppFile(const std::string& name)
{
    const std::string own = UserConfigFolder() + name;
    if (FileExists(own))
        return own;
    return AppPath() + name;
}

std::string IniFileName() { return WritableAppFile(ExtractFileName(ExeIniFileName())); }

TIniFile OpenIni() { return TIniFile(IniFileName()); }

std::string PointSetsFileName() { return WritableAppFile(kPointSetsFile); }

std::string StationListFileName() { return ReadableAppFile(kStationListFile); }

std::string RedigitFileName() { return WritableAppFile(kRedigitFile); }

std::string RecoveryFolder() { return IncludeTrailingDelim(UserConfigFolder() + "Recovery"); }

void SetAppFolderForTesting(const std::string& folder, const std::string& exeName, bool readOnly)
{
    ExeOverride() = folder.empty() ? std::string() : IncludeTrailingDelim(folder) + exeName;
    AppFolderReadOnly() = !folder.empty() && readOnly;
}

void SetConfigFolderForTesting(const std::string& folder) { ConfigOverride() = folder; }

} // namespace rs
