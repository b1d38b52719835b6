#include "common/uAppFiles.h"
#include "common/Utils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace rs;
namespace fs = std::filesystem;

namespace {

struct TempDir
{
    TempDir()
    {
        std::random_device rd;
        path = fs::temp_directory_path() / ("rs-app-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(path);
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string Sub(const std::string& name) const
    {
        fs::create_directories(path / name);
        return (path / name).string() + "/";
    }
    fs::path path;
};

void WriteBytes(const std::string& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

std::string ReadBytes(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Sets an environment variable for one test and puts the old value back.
struct EnvGuard
{
    EnvGuard(const char* name, const char* value) : name(name)
    {
        if (const char* v = std::getenv(name))
            old = v;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvGuard()
    {
        if (old)
            setenv(name, old->c_str(), 1);
        else
            unsetenv(name);
    }
    const char* name;
    std::optional<std::string> old;
};

class AppFiles : public ::testing::Test
{
protected:
    void TearDown() override
    {
        SetAppFolderForTesting("");
        SetConfigFolderForTesting("");
    }
    TempDir dir;
};

} // namespace

TEST_F(AppFiles, RealExecutableAndItsSettingsName)
{
    EXPECT_EQ(ExtractFileName(ExePath()), "test_common");
    EXPECT_TRUE(fs::is_regular_file(ExePath()));
    ASSERT_FALSE(AppPath().empty());
    EXPECT_EQ(AppPath().back(), '/');
    EXPECT_EQ(ExeIniFileName(), ExePath() + ".ini");
}

TEST_F(AppFiles, SettingsNameReplacesOnlyTheExtension)
{
    const std::string dotted = dir.Sub("v1.02");
    SetAppFolderForTesting(dotted);
    EXPECT_EQ(ExeIniFileName(), dotted + "rainscribe.ini");
    SetAppFolderForTesting(dotted, "RainScribe.exe");
    EXPECT_EQ(ExeIniFileName(), dotted + "RainScribe.ini");
    EXPECT_EQ(AppPath(), dotted);
}

TEST_F(AppFiles, WritableProgramFolderKeepsEverythingBesideIt)
{
    const std::string app = dir.Sub("app");
    const std::string cfg = (dir.path / "cfg").string();
    SetAppFolderForTesting(app);
    SetConfigFolderForTesting(cfg);
    EXPECT_EQ(IniFileName(), app + "rainscribe.ini");
    EXPECT_EQ(PointSetsFileName(), app + "PontosDef.txt");
    EXPECT_EQ(RedigitFileName(), app + "Redigit.txt");
    EXPECT_EQ(StationListFileName(), app + "CodigoEstacoes.txt");
    EXPECT_EQ(OpenIni().FileName(), app + "rainscribe.ini");
    EXPECT_FALSE(fs::exists(cfg)); // nothing made in the user's folder
    EXPECT_EQ(RecoveryFolder(), cfg + "/Recovery/");
}

TEST_F(AppFiles, ReadOnlyProgramFolderMovesWritableFilesToTheUserFolder)
{
    // A folder that cannot receive files whoever runs the test.
    const std::string app = (dir.path / "missing-install").string() + "/";
    const std::string cfg = (dir.path / "cfg").string();
    SetAppFolderForTesting(app);
    SetConfigFolderForTesting(cfg);
    EXPECT_FALSE(IsFolderWritable(app));
    EXPECT_EQ(IniFileName(), cfg + "/rainscribe.ini");
    EXPECT_TRUE(fs::is_directory(cfg));
    EXPECT_EQ(PointSetsFileName(), cfg + "/PontosDef.txt");
    // Read-only files stay beside the program until the user has a copy.
    EXPECT_EQ(StationListFileName(), app + "CodigoEstacoes.txt");
    WriteBytes(cfg + "/CodigoEstacoes.txt", "1=A\r\n");
    EXPECT_EQ(StationListFileName(), cfg + "/CodigoEstacoes.txt");
}

TEST_F(AppFiles, ShippedFilesSeedTheUserCopy)
{
    const std::string app = dir.Sub("app");
    const std::string cfg = (dir.path / "cfg").string();
    WriteBytes(app + "PontosDef.txt", "shipped sets");
    WriteBytes(app + "rainscribe.ini", "[Op\xE7\xF5" "es]\r\nNumArqs=2\r\n");
    SetAppFolderForTesting(app, "rainscribe", true);
    SetConfigFolderForTesting(cfg);
    const std::string points = PointSetsFileName();
    EXPECT_EQ(points, cfg + "/PontosDef.txt");
    EXPECT_EQ(ReadBytes(points), "shipped sets");
    EXPECT_EQ(ReadBytes(IniFileName()), "[Op\xE7\xF5" "es]\r\nNumArqs=2\r\n");
    EXPECT_EQ(RedigitFileName(), cfg + "/Redigit.txt");
    EXPECT_FALSE(fs::exists(RedigitFileName())); // nothing to seed it from
    // The user's copy is not replaced on later calls.
    WriteBytes(points, "user sets");
    EXPECT_EQ(ReadBytes(PointSetsFileName()), "user sets");
}

#ifndef _WIN32
TEST_F(AppFiles, ReadOnlyFolderIsSeenByTheProbe)
{
    const std::string app = dir.Sub("ro");
    fs::permissions(app, fs::perms::owner_read | fs::perms::owner_exec);
    bool writable = IsFolderWritable(app);
    bool bindsUser = ::access(app.c_str(), W_OK) != 0;
    fs::permissions(app, fs::perms::owner_all);
    if (!bindsUser)
        GTEST_SKIP() << "folder permissions do not bind this user";
    EXPECT_FALSE(writable);
}

TEST_F(AppFiles, UserFolderFollowsXdgThenHome)
{
    {
        EnvGuard xdg("XDG_CONFIG_HOME", "/srv/conf");
        EXPECT_EQ(UserConfigFolder(), "/srv/conf/RainScribe/");
    }
    {
        EnvGuard xdg("XDG_CONFIG_HOME", "relative/conf"); // not absolute: ignored
        EnvGuard home("HOME", "/home/operador");
        EXPECT_EQ(UserConfigFolder(), "/home/operador/.config/RainScribe/");
        EXPECT_EQ(RecoveryFolder(), "/home/operador/.config/RainScribe/Recovery/");
    }
}
#endif

TEST_F(AppFiles, WritableProbeLeavesNothingBehind)
{
    const std::string app = dir.Sub("probe");
    EXPECT_TRUE(IsFolderWritable(app));
    EXPECT_TRUE(fs::is_empty(app));
    EXPECT_FALSE(IsFolderWritable(""));
    WriteBytes(app + "file", "x");
    EXPECT_FALSE(IsFolderWritable(app + "file"));
}
