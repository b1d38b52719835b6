#include "common/Utils.h"
#include "common/uIniFile.h"
#include "shell/uDataFolder.h"
#include "shell/uOptions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace rs;
namespace fs = std::filesystem;

namespace {

struct TempDir
{
    TempDir()
    {
        std::random_device rd;
        dir = fs::temp_directory_path() / ("rs-datafolder-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(dir);
        ini = (dir / "rainscribe.ini").string();
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    void WriteIni(const std::string& bytes) const
    {
        std::ofstream out(ini, std::ios::binary);
        out << bytes;
    }
    std::string ReadIni() const
    {
        std::ifstream in(ini, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Every entry of the folder, recursively, as paths relative to it.
    std::vector<std::string> Contents() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(dir))
            names.push_back(fs::relative(e.path(), dir).string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path dir;
    std::string ini;
};

using Items = std::vector<std::string>;

} // namespace

TEST(DataFolderList, ChoosingReordersAndCapsAtSix)
{
    // A listed folder changes places with the first one.
    TDataFolderList l({"/d/a", "/d/b", "/d/c", "/d/d"});
    l.Choose("/d/c/");
    EXPECT_EQ(l.Items(), (Items{"/d/c", "/d/b", "/d/a", "/d/d"}));
    // Ignoring case and the trailing separator.
    l.Choose("/D/B");
    EXPECT_EQ(l.Items(), (Items{"/d/b", "/d/c", "/d/a", "/d/d"}));
    // The first one chosen again: nothing moves.
    l.Choose("/d/b");
    EXPECT_EQ(l.Items(), (Items{"/d/b", "/d/c", "/d/a", "/d/d"}));
    // A new one goes first, stored without its separator.
    l.Choose("/d/new/");
    EXPECT_EQ(l.Items(), (Items{"/d/new", "/d/b", "/d/c", "/d/a", "/d/d"}));

    TDataFolderList full({"1", "2", "3", "4", "5", "6"});
    full.Choose("7");
    EXPECT_EQ(full.Items(), (Items{"7", "1", "2", "3", "4", "5"}));
    // An oversized list (edited by hand) is cut to six as well.
    TDataFolderList big({"1", "2", "3", "4", "5", "6", "7", "8"});
    big.Choose("9");
    EXPECT_EQ(big.Items(), (Items{"9", "1", "2", "3", "4", "5"}));

    TDataFolderList empty;
    empty.Choose("/x/");
    EXPECT_EQ(empty.Items(), (Items{"/x"}));
}

TEST(DataFolderList, TrailingSeparators)
{
    EXPECT_EQ(ExcludeTrailingDelim("/a/b/"), "/a/b");
    EXPECT_EQ(ExcludeTrailingDelim("/a/b//"), "/a/b");
    EXPECT_EQ(ExcludeTrailingDelim("/a/b"), "/a/b");
    EXPECT_EQ(ExcludeTrailingDelim("/"), "/");
    EXPECT_EQ(ExcludeTrailingDelim("C:\\Dados\\"), "C:\\Dados");
    EXPECT_EQ(ExcludeTrailingDelim("C:\\"), "C:\\");
    EXPECT_EQ(ExcludeTrailingDelim(""), "");
}

TEST(DataFolderList, LoadAndSaveTheSection)
{
    TempDir t;
    t.WriteIni("[Op\xE7\xF5" "es]\r\nNumArqs=4\r\n"
               "[Pasta de Dados Recentes]\r\n1=/dados/um\r\n3=/dados/tr\xEAs\r\n2=\r\n9=/dados/dois\r\n"
               "5=/e/5\r\n6=/e/6\r\n7=/e/7\r\n8=/e/8\r\n");
    TIniFile ini(t.ini);
    TDataFolderList l;
    l.Load(ini);
    // File order, values only, empty ones skipped, at most six.
    EXPECT_EQ(l.Items(), (Items{"/dados/um", "/dados/tr\xEAs", "/dados/dois", "/e/5", "/e/6", "/e/7"}));

    l.Choose("/dados/dois");
    ASSERT_TRUE(l.Save(ini));
    const std::string text = t.ReadIni();
    EXPECT_NE(text.find("[Pasta de Dados Recentes]\r\n1=/dados/dois\r\n2=/dados/tr\xEAs\r\n3=/dados/um\r\n"
                        "4=/e/5\r\n5=/e/6\r\n6=/e/7\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("7="), std::string::npos);
    EXPECT_NE(text.find("NumArqs=4"), std::string::npos); // other sections untouched

    TDataFolderList missing;
    missing.Load(TIniFile(t.Path("none.ini")));
    EXPECT_EQ(missing.Count(), 0);
}

TEST(DataFolderList, StartupFolder)
{
    TempDir t;
    fs::create_directories(t.dir / "second");
    const std::string app = t.Path("app");

    EXPECT_EQ(TDataFolderList().StartupFolder(app), app + kPathDelim);
    // Folders that no longer exist are skipped but stay in the list.
    TDataFolderList l({t.Path("gone"), t.Path("second"), t.dir.string()});
    EXPECT_EQ(l.StartupFolder(app), t.Path("second") + kPathDelim);
    EXPECT_EQ(l.Count(), 3);
    TDataFolderList none({t.Path("gone")});
    EXPECT_EQ(none.StartupFolder(app + kPathDelim), app + kPathDelim);
}

TEST(FolderTest, ExistingFolderLeavesNothingBehind)
{
    TempDir t;
    fs::create_directories(t.dir / "dados");
    const auto before = t.Contents();
    EXPECT_EQ(TestFolder(t.Path("dados")), TFolderTest::Writable);
    EXPECT_EQ(TestFolder(t.Path("dados") + kPathDelim), TFolderTest::Writable);
    EXPECT_EQ(t.Contents(), before);
}

TEST(FolderTest, MissingFolderIsCreatedAndRemovedWithItsParents)
{
    TempDir t;
    const auto before = t.Contents();
    EXPECT_EQ(TestFolder(t.Path("a/b/c")), TFolderTest::Writable);
    EXPECT_EQ(TestFolder(t.Path("x/y") + kPathDelim), TFolderTest::Writable);
    EXPECT_EQ(t.Contents(), before);
    EXPECT_FALSE(fs::exists(t.dir / "a"));
}

TEST(FolderTest, FailuresAndTheirMessages)
{
    TempDir t;
    EXPECT_EQ(TestFolder(""), TFolderTest::CannotCreate);
    EXPECT_EQ(TestFolder("   "), TFolderTest::CannotCreate);
    // A file where the folder (or one of its parents) should be.
    std::ofstream(t.Path("file.txt")) << "x";
    EXPECT_EQ(TestFolder(t.Path("file.txt")), TFolderTest::CannotCreate);
    EXPECT_EQ(TestFolder(t.Path("file.txt/sub")), TFolderTest::CannotCreate);
    EXPECT_TRUE(fs::is_regular_file(t.dir / "file.txt"));

#ifndef _WIN32
    // A folder of a file system in which no file can be made, whatever the
    // user's rights (permissions do not bind root).
    if (DirectoryExists("/proc/self")) {
        EXPECT_EQ(TestFolder("/proc/self"), TFolderTest::NotWritable);
    }
#endif

    EXPECT_EQ(FolderTestMessage(TFolderTest::NotWritable), "Arquivos n\xE3o podem ser gravados na pasta escolhida.");
    EXPECT_EQ(FolderTestMessage(TFolderTest::CannotCreate), "A pasta escolhida n\xE3o pode ser criada.");
    EXPECT_EQ(FolderTestMessage(TFolderTest::Writable), "");
}

TEST(FolderTest, TheTestCanBeReplaced)
{
    SetFolderTestForTesting([](const std::string& f) {
        return f == "ro" ? TFolderTest::NotWritable : TFolderTest::Writable;
    });
    EXPECT_EQ(TestFolder("ro"), TFolderTest::NotWritable);
    EXPECT_TRUE(FolderWritable("rw"));
    SetFolderTestForTesting(nullptr);
    EXPECT_EQ(TestFolder(""), TFolderTest::CannotCreate);
}
