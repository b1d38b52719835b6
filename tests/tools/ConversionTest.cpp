#include "common/uAtomicFile.h"
#include "tools/uCnvLibrary.h"
#include "tools/uDpbFile.h"

#include "support/TestCharts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace rs;

namespace {

struct Conversion : ::testing::Test
{
    std::string dir = test::TempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    void TearDown() override { std::filesystem::remove_all(dir); }

    void WriteDpbOf(TRChart& c, const std::string& path)
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << WriteDpb(c);
    }
    static std::string Read(const std::string& p)
    {
        std::ifstream f(p, std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
};

} // namespace

TEST_F(Conversion, OldFilesBecomeCurrentOnes)
{
    TRChart c;
    test::MakeDigitizedChart(c, false);
    WriteDpbOf(c, dir + "a.dpb");
    EXPECT_EQ(ConvertDpbFile(dir + "a.dpb"), 0);
    EXPECT_FALSE(FileExists(dir + "a.dpb"));
    EXPECT_TRUE(FileExists(dir + "a.pv0"));
    TRChart back;
    ASSERT_TRUE(back.LoadFromFile(dir + "a.pvd"));
    EXPECT_EQ(back.Curve().Count(), 4);
    EXPECT_NEAR(back.Curve().Sum, 13.0, 1e-9);
    EXPECT_TRUE(back.Scale().Concluded);
    // Refitted in double precision: the planes match the original fit closely.
    EXPECT_NEAR(back.Scale().TimeA, c.Scale().TimeA, 1e-9);
    EXPECT_NEAR(back.Scale().PrecC, c.Scale().PrecC, 1e-6);
    // A second pass finds it converted before.
    std::ofstream(dir + "a.dpb") << "x";
    EXPECT_EQ(ConvertDpbFile(dir + "a.dpb"), 1);
}

TEST_F(Conversion, ForeignFilesAreErrorsAndPoorScalesRedigitize)
{
    std::ofstream(dir + "junk.dpb") << "not a beta file at all";
    EXPECT_EQ(ConvertDpbFile(dir + "junk.dpb"), -1);
    EXPECT_TRUE(FileExists(dir + "junk.dpb"));
    TRChart c;
    test::MakeDigitizedChart(c, true);
    std::string dpb = WriteDpb(c);
    std::ofstream(dir + "extra.dpb", std::ios::binary) << dpb << "z"; // bytes left over
    EXPECT_EQ(ConvertDpbFile(dir + "extra.dpb"), -1);
    // A concluded scale whose control points no longer agree with each other.
    c.Scale().Items(2)->SetValue(c.Scale().Items(2)->Time() + 0.5, c.Scale().Items(2)->Prec());
    WriteDpbOf(c, dir + "poor.dpb");
    EXPECT_EQ(ConvertDpbFile(dir + "poor.dpb"), 2);
    EXPECT_TRUE(FileExists(dir + "poor.dpb"));
    EXPECT_FALSE(FileExists(dir + "poor.pvd"));
    // A dry day has no scale: it converts as it is.
    TRChart dry;
    dry.Info.StCode = "12345678";
    dry.SetKind(1);
    WriteDpbOf(dry, dir + "dry.dpb");
    EXPECT_EQ(ConvertDpbFile(dir + "dry.dpb"), 0);
}

TEST_F(Conversion, TheLibraryRunsThroughItsCInterface)
{
    TCnvLibrary& lib = TCnvLibrary::Instance();
    lib.Load(RS_CNV_LIBRARY_DIR);
    ASSERT_TRUE(lib.Loaded()) << lib.FileName();
    ASSERT_TRUE(lib.HasEntry());
    TRChart c;
    test::MakeDigitizedChart(c);
    WriteDpbOf(c, dir + "x/1.dpb");
    WriteDpbOf(c, dir + "x/y/z/2.dpb");
    WriteDpbOf(c, dir + "x/y/3.dpb");
    WriteDpbOf(c, dir + "x/.hidden/4.dpb");
    std::ofstream(dir + "x/bad.dpb") << "?";
    TCnvSession s;
    EXPECT_EQ(s.Search(dir + "x"), 4);
    EXPECT_EQ(s.Found[0], dir + "x/1.dpb");
    EXPECT_EQ(s.Found.back(), dir + "x/y/z/2.dpb");
    s.StartRun();
    std::vector<std::string> seen;
    lib.Execute(s.Found, [&](const std::string& f, int status) {
        seen.push_back(f);
        s.Count(f, status);
    });
    EXPECT_EQ(seen.size(), 4u);
    EXPECT_EQ(s.ConvertedRun, 3);
    EXPECT_EQ(s.ErrorsRun, 1);
    EXPECT_EQ(s.ConvertedRunText(), "3  arquivos \".dpb\" convertidos para \".pvd\"");
    EXPECT_EQ(s.FoundText(), "4  arquivos \".dpb\" localizados na pasta");
    // A second run in the same session: run counters restart, totals go on.
    EXPECT_EQ(s.Search(dir + "x"), 1); // only bad.dpb is left
    s.StartRun();
    s.Count("r.dpb", 2);
    EXPECT_EQ(s.ConvertedRun, 0);
    EXPECT_EQ(s.DoneText(), "3 arquivos foram convertidos com sucesso!");
    EXPECT_EQ(s.RedigitText(), "1  arquivos devem ser redigitalizados (REDIGIT.TXT)");
}

TEST_F(Conversion, ReportIsAppendedOnlyWithSomethingToRedigitize)
{
    const std::string report = dir + "Redigit.txt";
    TCnvSession none;
    none.WriteReport(report, "08/12/2026 10:00:00");
    EXPECT_FALSE(FileExists(report));
    TCnvSession s;
    s.Count("/d/a.dpb", 2);
    s.Count("/d/b.dpb", 2);
    s.WriteReport(report, "08/12/2026 10:00:00");
    s.WriteReport(report, "08/12/2026 11:00:00");
    const std::string text = Read(report);
    const std::string block = "Arquivos que devem ser redigitalizados, porque n\xE3o puderam ser\r\n"
                              "convertidos, devido a precis\xE3o da escala (08/12/2026 10:00:00)\r\n" +
                              std::string(62, '-') + "\r\n/d/a.dpb\r\n/d/b.dpb\r\n\r\n";
    EXPECT_EQ(text.substr(0, block.size()), block);
    EXPECT_EQ(text.size(), 2 * block.size());
    EXPECT_THROW(s.WriteReport(dir + "missing/dir/Redigit.txt", "x"), std::runtime_error);
}

// The report grows by whole blocks: a disk that fills up while a block is added
// leaves the earlier report as it was, and the failure reaches the caller.
TEST_F(Conversion, ReportKeepsItsEarlierBlocksOnADiskFault)
{
    const std::string report = dir + "Redigit.txt";
    std::ofstream(report, std::ios::binary) << "earlier block\r\n\r\n";
    const std::string before = Read(report);
    TCnvSession s;
    s.Count("/d/a.dpb", 2);
    for (const TWriteFault& f : {TWriteFault{TWriteStep::Write, before.size() + 10, 0, {}},
                                 TWriteFault{TWriteStep::Flush, 0, 0, {}}}) {
        TWriteFaultScope fault(f);
        try {
            s.WriteReport(report, "08/12/2026 10:00:00");
            ADD_FAILURE() << "written despite the fault";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Erro ao gravar o arquivo \"" + report + "\": ", 0), 0u) << e.what();
        }
        EXPECT_EQ(Read(report), before);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
    }
    // Something that is not a report is never replaced.
    std::filesystem::create_directories(dir + "Redigit2.txt/x");
    EXPECT_THROW(s.WriteReport(dir + "Redigit2.txt", "x"), std::runtime_error);
    EXPECT_TRUE(std::filesystem::is_directory(dir + "Redigit2.txt/x"));
    s.WriteReport(report, "08/12/2026 10:00:00");
    EXPECT_EQ(Read(report).substr(0, before.size()), before);
    EXPECT_NE(Read(report).find("/d/a.dpb\r\n"), std::string::npos);
}
