#include "shell/uSupportInfo.h"

#include <gtest/gtest.h>

using namespace rs;

namespace {

struct TCase
{
    const char* bytes;
    const char* address;
    std::vector<std::string> block;
};

class SupportInfoTest : public testing::TestWithParam<TCase>
{
};

} // namespace

TEST_P(SupportInfoTest, ReadsTheContact)
{
    const TCase& c = GetParam();
    const TSupportInfo info = ParseSupportInfo(c.bytes);
    EXPECT_EQ(info.Address, c.address);
    EXPECT_EQ(info.Block, c.block);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SupportInfoTest,
    testing::Values(
        TCase{"", "", {}},
        TCase{"; only a comment\r\n\r\n", "", {}},
        TCase{"\r\n  suporte@orgao.gov.br  \r\nSetor de Hidrologia\r\n\r\n", "suporte@orgao.gov.br",
              {"Setor de Hidrologia"}},
        // UTF-8 text is kept as Windows-1252 bytes.
        TCase{"a@b.br\nDivis\xC3\xA3o\n", "a@b.br", {"Divis\xE3o"}},
        // Not an address: every line is the block.
        TCase{"Ligue 0800\nRamal 12\n", "", {"Ligue 0800", "Ramal 12"}},
        TCase{"a b@c.br\n", "", {"a b@c.br"}},
        TCase{"a@b@c.br\n", "", {"a@b@c.br"}},
        TCase{"\"x\"@c.br?subject=1\n", "", {"\"x\"@c.br?subject=1"}},
        TCase{"a@localhost\n", "", {"a@localhost"}},
        TCase{"a@b.br\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n", "a@b.br", {"1", "2", "3", "4", "5", "6", "7", "8"}}));

TEST(SupportInfo, BinaryOrMissingFilesGiveNoContact)
{
    EXPECT_TRUE(ParseSupportInfo(std::string("a@b.br\n\0\x01", 9)).Address.empty());
    const TSupportInfo none = ReadSupportInfo("/nonexistent/folder/Suporte.txt");
    EXPECT_TRUE(none.Address.empty());
    EXPECT_TRUE(none.Block.empty());
}
