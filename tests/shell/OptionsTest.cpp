#include "shell/uOptions.h"

#include <gtest/gtest.h>

#include <climits>
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
        dir = fs::temp_directory_path() / ("rs-opt-" + std::to_string(rd()) + std::to_string(rd()));
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
    TOptions Load(std::vector<std::string>* bad = nullptr) const
    {
        TOptions o;
        o.Load(TIniFile(file), bad);
        return o;
    }
    fs::path dir;
    std::string file;
};

// The file after a first run with the defaults, in Latin-1 with CR LF.
const std::string kFirstRun = "[Informa\xE7\xF5" "es]\r\n"
                              "Execu\xE7\xF5" "es=1\r\n"
                              "[Cores do Gr\xE1" "fico]\r\n"
                              "Fundo=$FFFFFF\r\n"
                              "Grade=$C0C0C0\r\n"
                              "Curva=$C00000\r\n"
                              "[Op\xE7\xF5" "es]\r\n"
                              "Bot\xE3" "oInserir=1\r\n"
                              "Bot\xE3" "oExcluir=2\r\n"
                              "Bot\xE3" "oTransb.=3\r\n"
                              "Bot\xE3" "oModoCur=4\r\n"
                              "NovoArquivoExclusivo=0\r\n"
                              "NumArqs=4\r\n";

std::string Options(const std::string& lines) { return "[Op\xE7\xF5" "es]\r\n" + lines; }

} // namespace

TEST(Options, BuiltInValuesBeforeLoading)
{
    TOptions o;
    EXPECT_EQ(o.Background, RGB(255, 255, 255));
    EXPECT_EQ(o.Grid, RGB(255, 176, 64));
    EXPECT_EQ(o.Curve, RGB(0, 0, 128));
    EXPECT_EQ(o.Buttons, (TTaskButtons{0, 0, 0, 0}));
    EXPECT_EQ(o.NumRecentFiles, 0);
    EXPECT_EQ(o.RunCount, 0);
}

TEST(Options, FirstRunWritesTheDefaultsExactly)
{
    TempIni ini;
    TOptions o = ini.Load();
    EXPECT_EQ(o, TOptions::FileDefaults());
    EXPECT_EQ(o.Buttons, (TTaskButtons{0, 1, 2, 3}));
    EXPECT_EQ(o.Grid, 0xC0C0C0u);
    EXPECT_EQ(o.Curve, RGB(0, 0, 192));
    TIniFile file(ini.file);
    ASSERT_TRUE(o.Save(file));
    EXPECT_EQ(ini.Read(), kFirstRun);

    // The second run counts on and changes nothing else.
    TOptions again = ini.Load();
    EXPECT_EQ(again.RunCount, 1);
    ASSERT_TRUE(again.Save(file));
    std::string second = kFirstRun;
    second.replace(second.find("=1\r\n"), 4, "=2\r\n");
    EXPECT_EQ(ini.Read(), second);
}

TEST(Options, TheVirtualTabletIsRememberedOnceUsed)
{
    TempIni ini;
    TOptions o = ini.Load();
    EXPECT_FALSE(o.VirtualTabletOpen);
    o.VirtualTabletOpen = true;
    o.VirtualTabletImage = "/dados/digitaliza\xE7\xE3o/carta 01.png";
    TIniFile file(ini.file);
    ASSERT_TRUE(o.Save(file));
    EXPECT_NE(ini.Read().find("[Mesa Virtual]\r\nAberta=1\r\nImagem=/dados/digitaliza\xE7\xE3o/carta 01.png\r\n"),
              std::string::npos);
    TOptions back = ini.Load();
    EXPECT_TRUE(back.VirtualTabletOpen);
    EXPECT_EQ(back.VirtualTabletImage, o.VirtualTabletImage);

    // Closed and without a chart later: still written, so that it stays closed.
    back.VirtualTabletOpen = false;
    back.VirtualTabletImage.clear();
    ASSERT_TRUE(back.Save(file));
    EXPECT_NE(ini.Read().find("Aberta=0"), std::string::npos);
    EXPECT_FALSE(ini.Load().VirtualTabletOpen);
}

TEST(Options, ButtonsAreCountedFromOneInTheFile)
{
    TempIni ini;
    ini.Write(Options("Bot\xE3" "oModoCur=1\r\nBot\xE3" "oInserir=4\r\n"));
    TOptions o = ini.Load();
    EXPECT_EQ(o.SwapButton(), 0);
    EXPECT_EQ(o.InsertButton(), 3);
    EXPECT_EQ(o.DeleteButton(), 1);
    TIniFile file(ini.file);
    ASSERT_TRUE(o.Save(file));
    EXPECT_EQ(file.ReadInteger("Op\xE7\xF5" "es", "Bot\xE3" "oModoCur", 0), 1);
    EXPECT_EQ(file.ReadInteger("Op\xE7\xF5" "es", "Bot\xE3" "oInserir", 0), 4);
}

TEST(Options, ButtonNumbersNoTabletHasTakeTheDefault)
{
    TempIni ini;
    ini.Write(Options("Bot\xE3" "oInserir=0\r\nBot\xE3" "oExcluir=33\r\nBot\xE3" "oTransb.=32\r\n"));
    std::vector<std::string> bad;
    TOptions o = ini.Load(&bad);
    EXPECT_EQ(o.InsertButton(), 0);
    EXPECT_EQ(o.DeleteButton(), 1);
    EXPECT_EQ(o.OverflowButton(), 31);
    EXPECT_EQ(bad.size(), 2u);
}

TEST(Options, RecentFileCountIsLimited)
{
    TempIni ini;
    ini.Write(Options("NumArqs=12\r\n"));
    TOptions o = ini.Load();
    EXPECT_EQ(o.NumRecentFiles, 8);
    TIniFile file(ini.file);
    ASSERT_TRUE(o.Save(file));
    EXPECT_EQ(file.ReadString("Op\xE7\xF5" "es", "NumArqs", ""), "8");

    ini.Write(Options("NumArqs=-3\r\n"));
    EXPECT_EQ(ini.Load().NumRecentFiles, 0);
    ini.Write(Options("NumArqs=muitos\r\n"));
    EXPECT_EQ(ini.Load().NumRecentFiles, 4);
}

TEST(Options, ColoursReadAsHexOrDecimalAndWriteAsHex)
{
    TempIni ini;
    ini.Write("[Cores do Gr\xE1" "fico]\r\nFundo=16777215\r\nGrade=$ff\r\nCurva=$FF00000F\r\n");
    TOptions o = ini.Load();
    EXPECT_EQ(o.Background, RGB(255, 255, 255));
    EXPECT_EQ(o.Grid, RGB(255, 0, 0));
    EXPECT_EQ(o.Curve, 0xFF00000Fu);
    TIniFile file(ini.file);
    ASSERT_TRUE(o.Save(file));
    EXPECT_EQ(file.ReadString("Cores do Gr\xE1" "fico", "Fundo", ""), "$FFFFFF");
    EXPECT_EQ(file.ReadString("Cores do Gr\xE1" "fico", "Grade", ""), "$0000FF");
    EXPECT_EQ(file.ReadString("Cores do Gr\xE1" "fico", "Curva", ""), "$FF00000F");
    EXPECT_EQ(ColorToText(RGB(0, 0, 0)), "$000000");
}

TEST(Options, MalformedColourDoesNotStopTheLoading)
{
    TempIni ini;
    ini.Write("[Cores do Gr\xE1" "fico]\r\nFundo=$000000\r\nGrade=verde\r\nCurva=$00FF00\r\n" +
              Options("Bot\xE3" "oModoCur=2\r\nNovoArquivoExclusivo=1\r\nNumArqs=7\r\n") +
              "[Informa\xE7\xF5" "es]\r\nExecu\xE7\xF5" "es=9\r\n");
    std::vector<std::string> bad;
    TOptions o = ini.Load(&bad);
    EXPECT_EQ(bad, (std::vector<std::string>{"Grade"}));
    EXPECT_EQ(o.Background, 0u);
    EXPECT_EQ(o.Grid, 0xC0C0C0u); // its file default
    EXPECT_EQ(o.Curve, RGB(0, 255, 0));
    EXPECT_EQ(o.SwapButton(), 1);
    EXPECT_TRUE(o.ExclusiveNewFile);
    EXPECT_EQ(o.NumRecentFiles, 7);
    EXPECT_EQ(o.RunCount, 9);
}

TEST(Options, BooleansAndRunCounter)
{
    TempIni ini;
    ini.Write("[Informa\xE7\xF5" "es]\r\nExecu\xE7\xF5" "es=2147483647\r\n" + Options("NovoArquivoExclusivo=-5\r\n"));
    TOptions o = ini.Load();
    EXPECT_TRUE(o.ExclusiveNewFile);
    TIniFile file(ini.file);
    ASSERT_TRUE(o.Save(file));
    EXPECT_EQ(file.ReadString("Op\xE7\xF5" "es", "NovoArquivoExclusivo", ""), "1");
    EXPECT_EQ(file.ReadInteger("Informa\xE7\xF5" "es", "Execu\xE7\xF5" "es", 0), INT_MAX); // no wrap to negative
}

TEST(Options, SavingKeepsEverythingElseInTheFile)
{
    TempIni ini;
    const std::string others = "[Arquivos Recentes]\r\n1=C:\\Dados\\a.pvd\r\n"
                               "[Janela do Explorador]\r\nPosi\xE7\xE3" "oTamanho=1 2 3 4\r\nSempre Vis\xED" "vel=1\r\n"
                               "[Pastas Exploradas]\r\n1=/dados\r\n"
                               "[Outra Coisa]\r\n; nota\r\nx=y\r\n";
    ini.Write(others + Options("NumArqs=5\r\nChaveNova=abc\r\n"));
    TOptions o = ini.Load();
    TIniFile file(ini.file);
    ASSERT_TRUE(o.Save(file));
    std::string text = ini.Read();
    EXPECT_EQ(text.substr(0, others.size()), others);
    EXPECT_NE(text.find("ChaveNova=abc\r\n"), std::string::npos);
    EXPECT_NE(text.find("NumArqs=5\r\n"), std::string::npos);
}

TEST(Options, FailedSaveIsReported)
{
    TempIni ini;
    TIniFile file((ini.dir / "gone" / "rainscribe.ini").string());
    EXPECT_FALSE(TOptions::FileDefaults().Save(file));
    EXPECT_FALSE(file.LastError().empty());
}

TEST(Options, MainWindowBoundsOnlyWhenKept)
{
    TempIni ini;
    TOptions o = ini.Load();
    EXPECT_FALSE(o.MainWindowBounds);
    o.MainWindowBounds = TBounds{10, 20, 800, 600};
    TIniFile file(ini.file);
    ASSERT_TRUE(o.Save(file));
    EXPECT_EQ(file.ReadString("Janela Principal", "Posi\xE7\xE3" "oTamanho", ""), "10 20 800 600");
    EXPECT_EQ(ini.Load().MainWindowBounds, (TBounds{10, 20, 800, 600}));
}

TEST(Options, BoundsTextHoldsExactlyFourIntegers)
{
    TBounds b;
    EXPECT_TRUE(ParseBounds("-4 0 640 480", b));
    EXPECT_EQ(b, (TBounds{-4, 0, 640, 480}));
    EXPECT_EQ(FormatBounds(b), "-4 0 640 480");
    TBounds keep = b;
    EXPECT_FALSE(ParseBounds("1 2 3", b));
    EXPECT_FALSE(ParseBounds("1 2 3 4 5", b));
    EXPECT_FALSE(ParseBounds("1 2 x 4", b));
    EXPECT_FALSE(ParseBounds("", b));
    EXPECT_EQ(b, keep);
}

TEST(Options, ApplyingHandsTheColoursToTheDrawing)
{
    TChartColors saved = ChartColors();
    TOptions savedOptions = rs::Options();
    TOptions o = TOptions::FileDefaults();
    o.Curve = RGB(1, 2, 3);
    ApplyOptions(o);
    EXPECT_EQ(ChartColors().Curve, RGB(1, 2, 3));
    EXPECT_EQ(ChartColors().Grid, 0xC0C0C0u);
    EXPECT_EQ(rs::Options(), o);
    ChartColors() = saved;
    rs::Options() = savedOptions;
}

TEST(Preferences, TaskButtonsMustDiffer)
{
    EXPECT_TRUE(TaskButtonsDistinct({0, 1, 2, 3}));
    EXPECT_TRUE(TaskButtonsDistinct({5, 0, 31, 2}));
    EXPECT_FALSE(TaskButtonsDistinct({0, 0, 2, 3}));
    EXPECT_FALSE(TaskButtonsDistinct({0, 1, 2, 0}));
    EXPECT_STREQ(TabletTaskName(ttOverflow), "Sinalizar Transbordamento");
    EXPECT_STREQ(TabletTaskName(ttSwap), "Alternar Modos Abs/Rel");
}

TEST(Preferences, DuplicateButtonsKeepTheOldButtonsButStoreTheRest)
{
    TOptions o = TOptions::FileDefaults();
    TPreferencesEdit e = TPreferencesEdit::From(o);
    EXPECT_EQ(e.Task, ttOverflow);
    EXPECT_EQ(e.SelectedButton(), 2);
    e.Background = RGB(0, 0, 0);
    e.NumRecentFiles = 2;
    e.Task = ttInsert;
    e.AssignButton(1); // the delete button's
    EXPECT_FALSE(e.Commit(o));
    EXPECT_EQ(o.Background, RGB(0, 0, 0)); // in force even if the dialog is then cancelled
    EXPECT_EQ(o.NumRecentFiles, 2);
    EXPECT_EQ(o.Buttons, (TTaskButtons{0, 1, 2, 3}));

    e.Task = ttDelete;
    e.AssignButton(7);
    e.AssignButton(40); // no such button: ignored
    EXPECT_TRUE(e.Commit(o));
    EXPECT_EQ(o.Buttons, (TTaskButtons{1, 7, 2, 3}));
}
