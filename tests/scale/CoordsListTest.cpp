#include "scale/uCoordsList.h"

#include "common/uAtomicFile.h"
#include "document/uPoints.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace rs;
namespace fs = std::filesystem;

namespace {

const std::string kData = std::string(RS_TEST_DATA) + "/coordslist/";

std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void WriteAll(const std::string& path, const std::string& data) { std::ofstream(path, std::ios::binary) << data; }

struct CoordsFile : ::testing::Test
{
    fs::path dir;
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("rs_coords_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(dir, fs::perms::owner_all, ec);
        fs::remove_all(dir, ec);
    }
    std::string Path(const char* name) const { return (dir / name).string(); }
};

} // namespace

TEST_F(CoordsFile, HandWrittenFileRoundTripsByteForByte)
{
    TCoordsList list;
    EXPECT_EQ(list.LoadFromFile(kData + "PontosDef.txt"), "");
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Names(0), "Modelo A");
    EXPECT_EQ(list.Names(1), "Pluvi\xF3grafo Curvo");
    EXPECT_EQ(list.Names(3), "Modelo A"); // duplicates are kept in file order
    EXPECT_EQ(list.Sets(2).Count(), 0);
    ASSERT_EQ(list.Sets(1).Count(), 5);
    EXPECT_DOUBLE_EQ(list.Sets(1).Points[3].Time, 25.3);
    EXPECT_DOUBLE_EQ(list.Sets(1).Points[4].Prec, -0.5);
    EXPECT_EQ(list.Sets(1).Points[0].Tag, kCoordComplete);
    EXPECT_EQ(list.StartHour(), 7);

    const std::string out = Path("PontosDef.txt");
    std::string err;
    ASSERT_TRUE(list.SaveToFile(out, &err)) << err;
    EXPECT_EQ(ReadAll(out), ReadAll(kData + "PontosDef.txt"));
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(CoordsList, WritesTheDocumentedLayout)
{
    TCoordsList list;
    TCoordSet& s = list.Add("Modelo A");
    s.Points = {{7, 0}, {31, 10}};
    list.Add("Largo").Points = {{7.33, 123.46}, {-0.04, 0}};
    EXPECT_EQ(list.SaveToText(), "Modelo A\r\n 7.0   0.0\r\n31.0  10.0\r\n  -1    -1\r\n\r\n"
                                 "Largo\r\n 7.3 123.5\r\n-0.0   0.0\r\n  -1    -1\r\n\r\n");
    // One decimal is what survives the file.
    TCoordsList back;
    back.LoadFromText(list.SaveToText());
    EXPECT_DOUBLE_EQ(back.Sets(1).Points[0].Time, 7.3);
}

TEST(CoordsList, PointEvenUnderACommaLocale)
{
    // The GUI runs under the user's locale; the file always uses a point.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    // Where such a locale is installed the C library would write "12,5".
    if (!std::setlocale(LC_NUMERIC, "pt_BR.UTF-8"))
        std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    TCoordsList list;
    list.Add("X").Points = {{12.5, 3.25}};
    const std::string text = list.SaveToText();
    TCoordsList back;
    const std::string warn = back.LoadFromText(text);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(text, "X\r\n12.5   3.2\r\n  -1    -1\r\n\r\n");
    EXPECT_EQ(warn, "");
    EXPECT_DOUBLE_EQ(back.Sets(0).Points[0].Time, 12.5);
}

TEST_F(CoordsFile, StartHourShiftsTimesAndTheFileStaysTheSame)
{
    TCoordsList list;
    ASSERT_EQ(list.LoadFromFile(kData + "PontosDef.txt"), "");
    list.SetStartHour(8);
    EXPECT_EQ(list.StartHour(), 8);
    EXPECT_DOUBLE_EQ(list.Sets(0).Points[0].Time, 8.0);
    EXPECT_DOUBLE_EQ(list.Sets(0).Points[1].Time, 32.0);
    EXPECT_DOUBLE_EQ(list.Sets(0).Points[1].Prec, 10.0);
    // Written for 7 h, while the list still refers to 8 h.
    const std::string out = Path("p.txt");
    ASSERT_TRUE(list.SaveToFile(out));
    EXPECT_EQ(list.StartHour(), 8);
    EXPECT_DOUBLE_EQ(list.Sets(0).Points[0].Time, 8.0);
    EXPECT_EQ(ReadAll(out), ReadAll(kData + "PontosDef.txt"));

    list.SetStartHour(9);
    EXPECT_DOUBLE_EQ(list.Sets(0).Points[0].Time, 9.0);
    list.SetStartHour(7);
    EXPECT_DOUBLE_EQ(list.Sets(0).Points[1].Time, 31.0);
    // Loading resets to 7 h.
    list.SetStartHour(9);
    list.LoadFromFile(kData + "PontosDef.txt");
    EXPECT_EQ(list.StartHour(), 7);
    EXPECT_DOUBLE_EQ(list.Sets(0).Points[0].Time, 7.0);
}

TEST(CoordsList, ReadingFollowsTheTextFileRules)
{
    TCoordsList list;
    // Blank lines before a name, blanks around it, LF-only ends, extra numbers
    // after a pair, a pair split over two lines.
    EXPECT_EQ(list.LoadFromText("\n\n   Nome  \n7 0 lixo\n8\n1\n-1 -1\n"), "");
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Names(0), "Nome");
    ASSERT_EQ(list.Sets(0).Count(), 2);
    EXPECT_DOUBLE_EQ(list.Sets(0).Points[1].Time, 8);
    EXPECT_DOUBLE_EQ(list.Sets(0).Points[1].Prec, 1);

    // A name on the last line makes no set; neither does a name alone.
    EXPECT_EQ(list.LoadFromText("A\r\n  -1    -1\r\n\r\nB"), "");
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.LoadFromText("Sozinho\r\n"), "");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.LoadFromText(""), "");
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(CoordsFile, LastSetWithoutTerminatorDropsTheLastPair)
{
    TCoordsList list;
    EXPECT_EQ(list.LoadFromFile(kData + "NoTerminator.txt"), "");
    ASSERT_EQ(list.Count(), 1);
    ASSERT_EQ(list.Sets(0).Count(), 2);
    EXPECT_DOUBLE_EQ(list.Sets(0).Points[1].Time, 13.0);
}

TEST_F(CoordsFile, MalformedFileKeepsEarlierSetsAndLosesNothing)
{
    TCoordsList list;
    const std::string warn = list.LoadFromFile(kData + "Malformed.txt");
    ASSERT_FALSE(warn.empty());
    EXPECT_NE(warn.find("linha 12"), std::string::npos) << warn;
    EXPECT_NE(warn.find("\"8,5\""), std::string::npos) << warn;
    EXPECT_NE(warn.find("\"Com Erro\""), std::string::npos) << warn;
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Names(1), "Segundo");
    EXPECT_EQ(list.Sets(1).Count(), 1);

    // Saving writes the sets it has and keeps the unread rest as it was.
    list.Add("Novo").Points = {{10, 1}};
    const std::string out = Path("p.txt");
    ASSERT_TRUE(list.SaveToFile(out));
    const std::string orig = ReadAll(kData + "Malformed.txt");
    const std::string saved = ReadAll(out);
    const std::string tail = orig.substr(orig.find("Com Erro") - 2);
    ASSERT_GE(saved.size(), tail.size());
    EXPECT_EQ(saved.substr(saved.size() - tail.size()), tail);
    EXPECT_NE(saved.find("Novo\r\n10.0   1.0\r\n  -1    -1\r\n\r\n"), std::string::npos);

    // Read again: the good sets, the new one, and the same single warning.
    TCoordsList again;
    EXPECT_FALSE(again.LoadFromFile(out).empty());
    EXPECT_EQ(again.Count(), 3);
    EXPECT_EQ(again.Names(2), "Novo");
}

TEST_F(CoordsFile, GarbageOrBinaryNeverStopsReading)
{
    TCoordsList list;
    EXPECT_FALSE(list.LoadFromText(std::string("Nome\r\n\x01\x02\xFF\0 3\r\n", 12)).empty());
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.LoadFromText("Nome\r\nnan inf\r\n-1 -1\r\n").empty());
    EXPECT_FALSE(list.LoadFromText("Nome\r\n1e999 0\r\n-1 -1\r\n").empty());
    EXPECT_EQ(list.LoadFromText("Nome\r\n+7 1e0\r\n-1 -1\r\n"), "");
    EXPECT_DOUBLE_EQ(list.Sets(0).Points[0].Time, 7);
}

TEST_F(CoordsFile, AbsentFileGivesEmptyList)
{
    TCoordsList list;
    list.Add("x");
    EXPECT_EQ(list.LoadFromFile(Path("nenhum.txt")), "");
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(CoordsFile, FailedWriteKeepsTheOldFile)
{
    const std::string out = Path("p.txt");
    WriteAll(out, "antigo");
    TCoordsList list;
    list.Add("A");
    // A folder that does not exist: nothing is written, the failure is told.
    std::string err;
    EXPECT_FALSE(list.SaveToFile((dir / "falta" / "p.txt").string(), &err));
    EXPECT_FALSE(err.empty());
    // A target that cannot be replaced (a non-empty folder of that name).
    fs::create_directories(dir / "pasta" / "x");
    EXPECT_FALSE(list.SaveToFile((dir / "pasta").string(), &err));
    EXPECT_NE(err.find("preservado"), std::string::npos) << err;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2); // no temporary left
    EXPECT_EQ(ReadAll(out), "antigo");
}

TEST_F(CoordsFile, UnreadableFileIsNeverOverwritten)
{
    const std::string path = Path("PontosDef.txt");
    fs::create_directories(path); // exists, but cannot be read as a file
    TCoordsList list;
    EXPECT_FALSE(list.LoadFromFile(path).empty());
    EXPECT_EQ(list.Count(), 0);
    list.Add("A");
    std::string err;
    EXPECT_FALSE(list.SaveToFile(path, &err));
    EXPECT_FALSE(err.empty());
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_TRUE(list.SaveToFile(Path("outro.txt")));
}

TEST(CoordsList, NamesThatWouldBreakTheFileAreWrittenSafely)
{
    TCoordsList list;
    list.Add("   ").Points = {{7, 0}};
    list.Add("duas\r\nlinhas").Points = {{8, 1}};
    TCoordsList back;
    EXPECT_EQ(back.LoadFromText(list.SaveToText()), "");
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.Sets(0).Count(), 1);
    EXPECT_EQ(back.Names(1), "duas  linhas");
}

TEST(CoordsList, TemporarySetsAreRemovedWhateverTheirCase)
{
    TCoordsList list;
    list.Add("A");
    list.Add(kTemporarySetName);
    list.Add("PONTOS TEMPOR\xC1RIOS");
    list.Add("Pontos Temporarios 2");
    EXPECT_TRUE(list.Sets(1).IsTemporary());
    EXPECT_EQ(list.RemoveTemporary(), 2);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Names(1), "Pontos Temporarios 2");
    EXPECT_FALSE(list.Modified()); // the dialog decides about the flag
}

TEST(CoordsSet, ValidPointsAndComparison)
{
    TCoordSet s{"S", {{7, 0}, {31, 11}, {31.01, 5}, {6.99, 5}, {12, 11.5}, {12, -1}, {12, 3, kCoordTimeEntered}}};
    EXPECT_EQ(s.ValidCount(7), 3);
    EXPECT_FALSE(s.IsValidPoint(4, 7)); // kept, but not valid at 11.5 mm
    EXPECT_FALSE(s.IsValidPoint(6, 7)); // precipitation not entered
    EXPECT_FALSE(s.IsValidPoint(99, 7));
    EXPECT_EQ(s.ValidCount(8), 3); // 7 h drops out, 31.01 comes in

    TCoordSet c = s;
    EXPECT_TRUE(c.SameAs(s));
    c.Points[6].Tag = kCoordComplete; // completeness is not a change of the set
    EXPECT_TRUE(c.SameAs(s));
    c.Name = "s";
    EXPECT_FALSE(c.SameAs(s));
    c = s;
    c.Points[2].Prec = 5.0000001;
    EXPECT_FALSE(c.SameAs(s));
    c = s;
    c.Points.pop_back();
    EXPECT_FALSE(c.SameAs(s));
}

TEST(CoordsSet, MinimumsAndMessages)
{
    EXPECT_EQ(MinSetPoints(false), 6);
    EXPECT_EQ(MinSetPoints(true), 4);
    EXPECT_EQ(MinSetPointsMessage(false), "São necessários pelo menos 6 pontos");
    EXPECT_EQ(MinSetPointsMessage(true), "São necessários pelo menos 4 pontos");
    EXPECT_EQ(MinScalePointsMessage(false), "Deverão ser marcados pelo menos 7 pontos");
    EXPECT_EQ(MinScalePointsMessage(true), "Deverão ser marcados pelo menos 5 pontos");
}

TEST(CoordsSet, CopyToThePredefinedList)
{
    TPointList list(nullptr, nullptr);
    list.AddNew()->SetValue(1, 1);
    TCoordSet s{"Modelo", {{7, 0}, {19, 10}}};
    s.CopyTo(list);
    EXPECT_EQ(list.Name, "Modelo");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_DOUBLE_EQ(list.Items(1)->Time(), 19);
    EXPECT_DOUBLE_EQ(list.Items(1)->Prec(), 10);
    EXPECT_EQ(list.Items(0)->Mark(), -1);
}

// "PontosDef.txt" on a disk that fills up or fails while the sets are written.
TEST_F(CoordsFile, DiskFaultWhileWritingKeepsThePreviousSets)
{
    const std::string path = Path("PontosDef.txt");
    TCoordsList list;
    list.Add("Antigo");
    ASSERT_TRUE(list.SaveToFile(path));
    const std::string before = ReadAll(path);
    for (int i = 0; i < 200; ++i)
        list.Add("Conjunto " + std::to_string(i));
    list.SetModified(true);
    const std::size_t size = list.SaveToText().size();
    for (const TWriteFault& f : {TWriteFault{TWriteStep::Write, size / 2, 0, {}},
                                 TWriteFault{TWriteStep::Write, size - 1, ENOSPC, {}},
                                 TWriteFault{TWriteStep::Flush, 0, EIO, {}}}) {
        TWriteFaultScope fault(f);
        std::string err;
        EXPECT_FALSE(list.SaveToFile(path, &err));
        EXPECT_EQ(fault.Hits(), 1);
        EXPECT_EQ(err.rfind("Erro ao gravar o arquivo \"" + path + "\": ", 0), 0u) << err;
        EXPECT_NE(err.find("O arquivo anterior foi preservado."), std::string::npos) << err;
        EXPECT_EQ(ReadAll(path), before);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
        EXPECT_TRUE(list.Modified());
    }
    EXPECT_TRUE(list.SaveToFile(path));
    TCoordsList back;
    EXPECT_EQ(back.LoadFromFile(path), "");
    EXPECT_EQ(back.Count(), 201);
}
