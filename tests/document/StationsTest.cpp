#include "document/uStations.h"

#include <gtest/gtest.h>

using namespace rs;

namespace {
const std::string kData = std::string(RS_TEST_DATA) + "/stations/";

// The sample file's stations, in Windows-1252.
const char* const kSaoPaulo = "S\xE3o Paulo";
const char* const kAguaBoa = "\xC1gua Boa";
} // namespace

TEST(Stations, ReadsCodesAndNamesSortedIgnoringCaseAndAccents)
{
    TStationList st;
    ASSERT_TRUE(st.LoadFromFile(kData + "CodigoEstacoes.txt"));
    ASSERT_EQ(st.Count(), 6); // two lines have no "="
    EXPECT_EQ(st.Names(), (std::vector<std::string>{kAguaBoa, "ARAraquara", "Jo\xE3o Pessoa = Centro", "Santos",
                                                    kSaoPaulo, "sorocaba"}));
    EXPECT_EQ(st.Codes(), (std::vector<std::string>{"00000001", "01234567", "02245001", "02346003", "02545001",
                                                    "03345678"}));
    // Blanks trimmed; the name is everything after the first "=".
    EXPECT_EQ(st.CodeLine(3), 1);
    EXPECT_EQ(st.Name(st.NameOfCode(3)), "Santos");
}

TEST(Stations, EachEntryKnowsItsPartner)
{
    TStationList st;
    ASSERT_TRUE(st.LoadFromFile(kData + "CodigoEstacoes.txt"));
    for (int i = 0; i < st.Count(); ++i) {
        EXPECT_EQ(st.CodeOfName(st.NameOfCode(i)), i);
        EXPECT_EQ(st.NameLine(st.NameOfCode(i)), st.CodeLine(i));
    }
    EXPECT_EQ(st.NameForCode("02545001"), kSaoPaulo);
    EXPECT_EQ(st.CodeForName("s\xC3O PAULO"), "02545001");
    EXPECT_EQ(st.CodeForName(" sorocaba "), "01234567");
    EXPECT_EQ(st.NameForCode("99999999"), "");
    EXPECT_EQ(st.NameOfCode(-1), -1);
    EXPECT_EQ(st.CodeOfName(st.Count()), -1);
}

TEST(Stations, Utf8FilesAreConverted)
{
    TStationList cp, bom, plain;
    ASSERT_TRUE(cp.LoadFromFile(kData + "CodigoEstacoes.txt"));
    ASSERT_TRUE(bom.LoadFromFile(kData + "CodigoEstacoes-utf8.txt"));
    ASSERT_TRUE(plain.LoadFromFile(kData + "CodigoEstacoes-utf8-nobom.txt"));
    EXPECT_EQ(bom.Names(), cp.Names());
    EXPECT_EQ(bom.Codes(), cp.Codes());
    EXPECT_EQ(plain.Names(), cp.Names());
    // UTF-16 with its mark, as Notepad's "Unicode" writes it.
    std::string u16 = "\xFF\xFE";
    for (char c : std::string("1=S\xE3o\r\n"))
        u16 += std::string{c, '\0'};
    EXPECT_EQ(TextFileToCp1252(u16), "1=S\xE3o\r\n");
    // Windows-1252 bytes that are no UTF-8 stay as they are.
    EXPECT_EQ(TextFileToCp1252("S\xE3o"), "S\xE3o");
}

TEST(Stations, LookupsAndTypeAhead)
{
    TStationList st;
    st.LoadFromText("3=Sorocaba\n1=Santos\n2=S\xE3o Paulo\n4=Sumar\xE9\n");
    ASSERT_EQ(st.Count(), 4);
    EXPECT_EQ(st.Name(0), "Santos");
    EXPECT_EQ(st.Name(1), "S\xE3o Paulo");
    // "sao" is not in the list: the search stops at the first entry not less.
    EXPECT_EQ(st.FindName("sao"), -1);
    EXPECT_EQ(st.FindName("SAO PAULO"), 1); // accents and case folded
    EXPECT_EQ(st.MatchName("sao"), 1);
    EXPECT_EQ(st.MatchName("  SO "), 2);
    EXPECT_EQ(st.MatchName("Sz"), -1);
    EXPECT_EQ(st.MatchName("Sumare"), 3);
    EXPECT_EQ(st.MatchName("Sumar\xE9s"), -1);
    EXPECT_EQ(st.MatchName(""), -1);
    EXPECT_EQ(st.MatchName("  "), -1);
    EXPECT_EQ(st.MatchCode("4"), 3);
    EXPECT_EQ(st.FindCode("5"), -1);
}

TEST(Stations, OddFiles)
{
    TStationList st;
    EXPECT_FALSE(st.LoadFromFile(kData + "nao-existe.txt"));
    EXPECT_EQ(st.Count(), 0);
    EXPECT_FALSE(st.LoadFromFile(kData)); // a folder
    st.LoadFromText("=\r\n  =  \r\nsem igual\r\n12345678=\r\n=Sem Codigo\rX=Y");
    ASSERT_EQ(st.Count(), 3);
    EXPECT_EQ(st.Code(0), "");
    EXPECT_EQ(st.Name(st.NameOfCode(0)), "Sem Codigo");
    EXPECT_EQ(st.CodeLine(2), 5); // a lone CR ends a line too
    // Duplicates keep their file order and their own partners.
    st.LoadFromText("2=A\n1=a\n");
    EXPECT_EQ(st.Name(0), "A");
    EXPECT_EQ(st.Code(st.CodeOfName(0)), "2");
    EXPECT_EQ(st.Code(st.CodeOfName(1)), "1");
}
