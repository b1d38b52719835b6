#include "common/uIniFile.h"
#include "shell/uLastFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace rs;
namespace fs = std::filesystem;

namespace {

struct TempIni
{
    TempIni()
    {
        std::random_device rd;
        dir = fs::temp_directory_path() / ("rs-last-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(dir);
        file = (dir / "rainscribe.ini").string();
    }
    ~TempIni()
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    void Write(const std::string& bytes) const
    {
        std::ofstream out(file, std::ios::binary);
        out << bytes;
    }
    std::string Read() const
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path dir;
    std::string file;
};

std::vector<std::string> Names(const TLastFiles& l)
{
    std::vector<std::string> names;
    for (const auto& e : l.Entries())
        names.push_back(e.FileName);
    return names;
}

std::vector<std::string> Captions(const TLastFiles& l)
{
    std::vector<std::string> captions;
    for (const auto& e : l.Entries())
        captions.push_back(e.Caption);
    return captions;
}

using Strings = std::vector<std::string>;

} // namespace

TEST(LastFiles, NewestFirstAndMovedToTheTop)
{
    TLastFiles l("");
    EXPECT_FALSE(l.HasSeparator());
    int changes = 0;
    l.OnChange = [&](const TLastFiles&) { ++changes; };
    l.Add("/d/a.pvd");
    l.Add("/d/b.pvd");
    l.Add("/d/c.pvd");
    EXPECT_TRUE(l.HasSeparator());
    EXPECT_EQ(Names(l), (Strings{"/d/c.pvd", "/d/b.pvd", "/d/a.pvd"}));
    EXPECT_EQ(Captions(l), (Strings{"&1 c.pvd", "&2 b.pvd", "&3 a.pvd"}));
    EXPECT_EQ(l.Entries()[2].Hint, "Reabre o arquivo: /d/a.pvd");
    EXPECT_TRUE(l.Add("/D/A.PVD")); // the listed one moves, with its spelling
    EXPECT_EQ(Names(l), (Strings{"/d/a.pvd", "/d/c.pvd", "/d/b.pvd"}));
    EXPECT_EQ(Captions(l), (Strings{"&1 a.pvd", "&2 c.pvd", "&3 b.pvd"}));
    l.Add("/d/a.pvd"); // already first: nothing moves
    EXPECT_EQ(Names(l), (Strings{"/d/a.pvd", "/d/c.pvd", "/d/b.pvd"}));
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(l.IndexOf("/d/C.pvd"), 1);
    EXPECT_EQ(l.IndexOf("/d/x.pvd"), -1);
}

TEST(LastFiles, LimitDropsTheOldest)
{
    TLastFiles l("");
    l.SetLimit(4);
    for (const char* n : {"a", "b", "c", "d", "e"})
        l.Add(n);
    EXPECT_EQ(Names(l), (Strings{"e", "d", "c", "b"}));

    TLastFiles six("");
    EXPECT_EQ(six.Limit(), 6);
    for (const char* n : {"1", "2", "3", "4", "5", "6"})
        six.Add(n);
    six.SetLimit(0);
    six.SetLimit(10);
    EXPECT_EQ(six.Limit(), 6);
    EXPECT_EQ(six.Count(), 6);
    six.SetLimit(2);
    EXPECT_EQ(Names(six), (Strings{"6", "5"}));
    six.SetLimit(9);
    EXPECT_EQ(six.Count(), 2);
}

TEST(LastFiles, Rename)
{
    TLastFiles l("");
    for (const char* n : {"/d/a.pvd", "/d/b.pvd", "/d/c.pvd"})
        l.Add(n); // c, b, a
    EXPECT_TRUE(l.Rename("/d/b.pvd", "/d/x.pvd"));
    EXPECT_EQ(Names(l), (Strings{"/d/c.pvd", "/d/x.pvd", "/d/a.pvd"}));
    EXPECT_EQ(l.Entries()[1].Caption, "&2 x.pvd");
    EXPECT_EQ(l.Entries()[1].Hint, "Reabre o arquivo: /d/x.pvd");

    // Onto a listed name: one entry remains, where the old one was.
    EXPECT_TRUE(l.Rename("/d/a.pvd", "/d/C.pvd"));
    EXPECT_EQ(Names(l), (Strings{"/d/x.pvd", "/d/C.pvd"}));
    EXPECT_EQ(Captions(l), (Strings{"&1 x.pvd", "&2 C.pvd"}));

    EXPECT_FALSE(l.Rename("/d/x.pvd", "/D/X.PVD"));
    EXPECT_FALSE(l.Rename("/d/none.pvd", "/d/y.pvd"));
    EXPECT_EQ(Names(l), (Strings{"/d/x.pvd", "/d/C.pvd"}));
}

TEST(LastFiles, CaptionsShowTheFileNameOnly)
{
    EXPECT_EQ(TLastFiles::MakeCaption(0, "C:\\Dados\\12345678\\12345678-19760508.pvd"), "&1 12345678-19760508.pvd");
    EXPECT_EQ(TLastFiles::MakeCaption(8, "/d/P&D.pvd"), "&9 P&&D.pvd");
    EXPECT_EQ(TLastFiles::MakeCaption(2, ""), "&3 ");
}

TEST(LastFiles, LoadKeepsKeyOneFirstWithinTheLimit)
{
    TempIni ini;
    std::string text = "[Outra]\r\nx=1\r\n[Arquivos Recentes]\r\n";
    for (int k = 1; k <= 8; ++k)
        text += std::to_string(k) + "=/d/f" + std::to_string(k) + ".pvd\r\n";
    ini.Write(text);
    TLastFiles l(ini.file);
    int changes = 0;
    l.OnChange = [&](const TLastFiles&) { ++changes; };
    EXPECT_TRUE(l.Load());
    EXPECT_EQ(changes, 1); // one rebuild for the whole load
    EXPECT_EQ(Names(l), (Strings{"/d/f1.pvd", "/d/f2.pvd", "/d/f3.pvd", "/d/f4.pvd", "/d/f5.pvd", "/d/f6.pvd"}));

    // Save erases the section and writes what is listed; other sections stay.
    l.SetLimit(2);
    ASSERT_TRUE(l.Save());
    EXPECT_EQ(ini.Read(), "[Outra]\r\nx=1\r\n[Arquivos Recentes]\r\n1=/d/f1.pvd\r\n2=/d/f2.pvd\r\n");
}

TEST(LastFiles, MissingKeyGivesAnEmptyEntry)
{
    TempIni ini;
    ini.Write("[Arquivos Recentes]\r\n1=/d/a.pvd\r\n3=/d/c.pvd\r\n");
    TLastFiles l(ini.file);
    ASSERT_TRUE(l.Load());
    EXPECT_EQ(Names(l), (Strings{"/d/a.pvd", ""}));
    EXPECT_EQ(Captions(l), (Strings{"&1 a.pvd", "&2 "}));
}

TEST(LastFiles, LoadReplacesTheEntriesAndSaveRoundTrips)
{
    TempIni ini;
    TLastFiles l(ini.file);
    l.Add("/velho.pvd");
    EXPECT_TRUE(l.Load()); // no file: no entries
    EXPECT_EQ(l.Count(), 0);
    EXPECT_FALSE(l.HasSeparator());
    l.Add("/d/S\xE3o Paulo.pvd");
    l.Add("/d/b.pvd");
    ASSERT_TRUE(l.Save());
    TLastFiles again(ini.file);
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(Names(again), Names(l));
}

TEST(LastFiles, WithoutSettingsFileOrMenu)
{
    TLastFiles noFile("");
    noFile.Add("a");
    EXPECT_FALSE(noFile.Load());
    EXPECT_FALSE(noFile.Save());
    EXPECT_EQ(noFile.Count(), 1);

    TLastFiles noMenu("", false);
    EXPECT_FALSE(noMenu.Add("a"));
    EXPECT_EQ(noMenu.Count(), 0);
    EXPECT_FALSE(noMenu.HasSeparator());
}

TEST(LastFiles, FailedSaveIsReported)
{
    TempIni ini;
    TLastFiles l((ini.dir / "gone" / "x.ini").string());
    l.Add("a");
    EXPECT_FALSE(l.Save());
    EXPECT_FALSE(l.LastError().empty());
}

TEST(LastFiles, ChoosingAnEntryOpensItsFile)
{
    TLastFiles l("");
    l.Add("/d/a.pvd");
    l.Add("/d/b.pvd");
    std::string opened;
    int index = -1;
    l.Choose(0); // no handler: nothing happens
    l.OnOpenFile = [&](int i, const std::string& name) {
        index = i;
        opened = name;
    };
    l.Choose(1);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(opened, "/d/a.pvd");
    opened.clear();
    l.Choose(5);
    EXPECT_TRUE(opened.empty());
    l.Clear();
    EXPECT_FALSE(l.HasSeparator());
    EXPECT_EQ(l.Count(), 0);
}
