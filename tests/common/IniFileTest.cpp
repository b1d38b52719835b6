#include "common/uIniFile.h"

#include "common/uAtomicFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
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
        path = fs::temp_directory_path() / ("rs-ini-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(path);
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path, ec);
    }
    std::string File(const std::string& name) const { return (path / name).string(); }
    int Count() const { return int(std::distance(fs::directory_iterator(path), fs::directory_iterator())); }
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


const std::string kSample = "; comment kept\r\n"
                            "[Op\xE7\xF5" "es]\r\n"
                            "NumArqs = 4\r\n"
                            "Bot\xE3" "oInserir=1\r\n"
                            "\r\n"
                            "[Janela do Explorador]\r\n"
                            "Posi\xE7\xE3" "oTamanho=10 20 300 400\r\n"
                            "Sempre Vis\xED" "vel=1\r\n";

} // namespace

TEST(IniDocument, ParsesAndKeepsEveryLine)
{
    TIniDocument doc;
    doc.Parse(kSample);
    EXPECT_EQ(doc.Text(), kSample);

    // LF-only files come back with CR LF, nothing else changes.
    doc.Parse("[a]\nx=1\n\n[b]\ny=2");
    EXPECT_EQ(doc.Text(), "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n");

    std::string v;
    EXPECT_TRUE(doc.Find(" b ", "Y", v));
    EXPECT_EQ(v, "2");
}

TEST(IniDocument, LooksUpIgnoringLatin1Case)
{
    TIniDocument doc;
    doc.Parse(kSample);
    std::string v;
    EXPECT_TRUE(doc.Find("OP\xC7\xD5" "ES", "BOT\xC3" "OINSERIR", v));
    EXPECT_EQ(v, "1");
    EXPECT_TRUE(doc.Find("op\xE7\xF5" "es", "numarqs", v)); // blanks around key and value trimmed
    EXPECT_EQ(v, "4");
    EXPECT_FALSE(doc.Find("Opcoes", "NumArqs", v)); // accents are letters, not folded away
    EXPECT_TRUE(SameTextLatin1("\xE7\xE3", "\xC7\xC3"));
    EXPECT_FALSE(SameTextLatin1("\xD7", "\xF7")); // multiplication and division signs differ
}

TEST(IniDocument, SetPlacesKeysAndSections)
{
    TIniDocument doc;
    doc.Parse(kSample);
    EXPECT_TRUE(doc.Set("op\xE7\xF5" "es", "numarqs", "8"));   // replaced, spelling of the file kept
    EXPECT_TRUE(doc.Set("Op\xE7\xF5" "es", "BotaoNovo", "5")); // after the section's last entry
    EXPECT_TRUE(doc.Set("Nova", "k", "v"));                    // new section at the end
    EXPECT_EQ(doc.Text(), "; comment kept\r\n"
                          "[Op\xE7\xF5" "es]\r\n"
                          "NumArqs=8\r\n"
                          "Bot\xE3" "oInserir=1\r\n"
                          "BotaoNovo=5\r\n"
                          "\r\n"
                          "[Janela do Explorador]\r\n"
                          "Posi\xE7\xE3" "oTamanho=10 20 300 400\r\n"
                          "Sempre Vis\xED" "vel=1\r\n"
                          "[Nova]\r\n"
                          "k=v\r\n");
}

TEST(IniDocument, RefusesWhatWouldBreakTheLines)
{
    TIniDocument doc;
    EXPECT_FALSE(doc.Set("a]b", "k", "v"));
    EXPECT_FALSE(doc.Set("", "k", "v"));
    EXPECT_FALSE(doc.Set("s", "k=1", "v"));
    EXPECT_FALSE(doc.Set("s", "[k", "v"));
    EXPECT_FALSE(doc.Set("s", " ", "v"));
    EXPECT_FALSE(doc.Set("s", "k", "line\r\nbreak"));
    EXPECT_FALSE(doc.Set("s", "k", std::string("nul\0", 4)));
    EXPECT_EQ(doc.Text(), "");
}

TEST(IniDocument, SectionsKeysAndValuesInFileOrder)
{
    TIniDocument doc;
    doc.Parse("[L]\r\n2=b=c\r\nnot a key\r\n1=a\r\n[l]\r\n9=z\r\n");
    EXPECT_EQ(doc.Keys("L"), (std::vector<std::string>{"2", "1"}));
    EXPECT_EQ(doc.Values("L"), (std::vector<std::string>{"b=c", "a"}));
    doc.EraseSection("l"); // both copies go
    EXPECT_FALSE(doc.SectionExists("L"));
    EXPECT_EQ(doc.Text(), "");
}

TEST(IniInteger, PlatformSyntax)
{
    int v = 0;
    EXPECT_TRUE(TryParseIniInteger("$FF", v));
    EXPECT_EQ(v, 255);
    EXPECT_TRUE(TryParseIniInteger("$c0c0c0", v));
    EXPECT_EQ(v, 0xC0C0C0);
    EXPECT_TRUE(TryParseIniInteger("0x10", v));
    EXPECT_EQ(v, 16);
    EXPECT_TRUE(TryParseIniInteger(" -3 ", v));
    EXPECT_EQ(v, -3);
    EXPECT_TRUE(TryParseIniInteger("$FFFFFFFF", v));
    EXPECT_EQ(v, -1);
    EXPECT_TRUE(TryParseIniInteger("-2147483648", v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_FALSE(TryParseIniInteger("2147483648", v));
    EXPECT_FALSE(TryParseIniInteger("$123456789", v));
    EXPECT_FALSE(TryParseIniInteger("", v));
    EXPECT_FALSE(TryParseIniInteger("$", v));
    EXPECT_FALSE(TryParseIniInteger("12a", v));
    EXPECT_FALSE(TryParseIniInteger("1 2", v));
}

TEST(IniFile, ReadsTypedValuesWithDefaults)
{
    TempDir dir;
    const std::string f = dir.File("t.ini");
    TIniFile ini(f);
    EXPECT_EQ(ini.ReadString("s", "k", "def"), "def"); // no file
    EXPECT_FALSE(ini.SectionExists("s"));
    WriteBytes(f, "[s]\nn=$10\nb=2\nz=0\nbad=x\nempty=\n");
    EXPECT_EQ(ini.ReadInteger("S", "N", 0), 16);
    EXPECT_EQ(ini.ReadInteger("s", "bad", 7), 7);
    EXPECT_EQ(ini.ReadInteger("s", "missing", 7), 7);
    EXPECT_TRUE(ini.ReadBool("s", "b", false));
    EXPECT_FALSE(ini.ReadBool("s", "z", true));
    EXPECT_TRUE(ini.ReadBool("s", "bad", true));
    EXPECT_EQ(ini.ReadString("s", "empty", "def"), "");
    EXPECT_TRUE(ini.ValueExists("s", "empty"));
    EXPECT_FALSE(ini.ValueExists("s", "nope"));
    EXPECT_EQ(ini.ReadSection("s").size(), 5u);
}

TEST(IniFile, WritesKeepUnknownContentAndLatin1Bytes)
{
    TempDir dir;
    const std::string f = dir.File("t.ini");
    WriteBytes(f, kSample);
    TIniFile ini(f);
    const std::string value = "C:\\Dados\\S\xE3o Jo\xE3o\\\x80\x9F\xFF.pvd";
    ASSERT_TRUE(ini.WriteString("Arquivos Recentes", "1", value));
    ASSERT_TRUE(ini.WriteInteger("Op\xE7\xF5" "es", "NumArqs", -2));
    ASSERT_TRUE(ini.WriteBool("Op\xE7\xF5" "es", "NovoArquivoExclusivo", true));
    EXPECT_EQ(ini.ReadString("arquivos recentes", "1", ""), value);
    std::string text = ReadBytes(f);
    EXPECT_NE(text.find("; comment kept\r\n"), std::string::npos);
    EXPECT_NE(text.find("Posi\xE7\xE3" "oTamanho=10 20 300 400\r\n"), std::string::npos);
    EXPECT_NE(text.find("NumArqs=-2\r\nBot\xE3" "oInserir=1\r\nNovoArquivoExclusivo=1\r\n"), std::string::npos);

    ASSERT_TRUE(ini.DeleteKey("Op\xE7\xF5" "es", "NumArqs"));
    EXPECT_FALSE(ini.ValueExists("Op\xE7\xF5" "es", "NumArqs"));
    ASSERT_TRUE(ini.EraseSection("Janela do Explorador"));
    EXPECT_FALSE(ini.SectionExists("Janela do Explorador"));
    EXPECT_EQ(dir.Count(), 1); // no temporary file left
}

TEST(IniFile, WriteListReplacesTheWholeSection)
{
    TempDir dir;
    const std::string f = dir.File("t.ini");
    WriteBytes(f, "[L]\r\n1=old1\r\n2=old2\r\n3=old3\r\n[Other]\r\nx=1\r\n");
    TIniFile ini(f);
    ASSERT_TRUE(ini.WriteList("L", {"a", "b"}));
    EXPECT_EQ(ReadBytes(f), "[Other]\r\nx=1\r\n[L]\r\n1=a\r\n2=b\r\n");
    EXPECT_EQ(ini.ReadSectionValues("L"), (std::vector<std::string>{"a", "b"}));
    ASSERT_TRUE(ini.WriteList("L", {}));
    EXPECT_EQ(ReadBytes(f), "[Other]\r\nx=1\r\n");
    EXPECT_FALSE(ini.WriteList("L", {"bad\nvalue"}));
    EXPECT_EQ(ReadBytes(f), "[Other]\r\nx=1\r\n");
}

TEST(IniFile, ChangeThatChangesNothingCreatesNoFile)
{
    TempDir dir;
    const std::string f = dir.File("t.ini");
    TIniFile ini(f);
    EXPECT_TRUE(ini.EraseSection("Arquivos Recentes"));
    EXPECT_TRUE(ini.WriteList("Pasta de Dados Recentes", {}));
    EXPECT_FALSE(fs::exists(f));
}

TEST(IniFile, FailedWriteKeepsTheOldFileAndSaysSo)
{
    TempDir dir;
    const std::string f = dir.File("t.ini");
    WriteBytes(f, kSample);
    TIniFile ini(f);
    for (TWriteStep step : {TWriteStep::Open, TWriteStep::Write, TWriteStep::Flush, TWriteStep::Close,
                            TWriteStep::Rename}) {
        TWriteFaultScope fault({step, 10, 0, {}});
        EXPECT_FALSE(ini.WriteString("Nova", "k", "v")) << int(step);
        EXPECT_EQ(fault.Hits(), 1) << int(step);
        EXPECT_NE(ini.LastError().find(f), std::string::npos) << int(step);
        EXPECT_EQ(ini.LastError().rfind("Não foi possível gravar o arquivo de configurações \"", 0), 0u);
        EXPECT_EQ(ReadBytes(f), kSample) << int(step);
        EXPECT_EQ(dir.Count(), 1) << int(step);
    }
    {
        TWriteFaultScope full({TWriteStep::Write, 0, ENOSPC, {}});
        EXPECT_FALSE(ini.WriteString("Nova", "k", "v"));
        EXPECT_NE(ini.LastError().find("não há espaço livre no disco"), std::string::npos) << ini.LastError();
    }
    EXPECT_TRUE(ini.WriteString("Nova", "k", "v"));
    EXPECT_TRUE(ini.LastError().empty());
}

TEST(IniFile, WriteIntoMissingFolderFails)
{
    TempDir dir;
    TIniFile ini(dir.File("no/such/folder/t.ini"));
    EXPECT_FALSE(ini.WriteString("s", "k", "v"));
    EXPECT_FALSE(ini.LastError().empty());
    TIniFile none("");
    EXPECT_FALSE(none.WriteString("s", "k", "v"));
}

TEST(IniFile, UnreadableOldFileIsNotOverwritten)
{
    TempDir dir;
    const std::string f = dir.File("t.ini");
    fs::create_directory(f); // something that cannot be read as a file
    TIniFile ini(f);
    EXPECT_FALSE(ini.WriteString("s", "k", "v"));
    EXPECT_TRUE(fs::is_directory(f));
    EXPECT_EQ(ini.ReadString("s", "k", "def"), "def");
}

#ifndef _WIN32
TEST(IniFile, ReadOnlyFolderLeavesTheOldFile)
{
    TempDir dir;
    const std::string f = dir.File("t.ini");
    WriteBytes(f, kSample);
    fs::permissions(dir.path, fs::perms::owner_read | fs::perms::owner_exec);
    TIniFile ini(f);
    bool written = ini.WriteString("Nova", "k", "v");
    fs::permissions(dir.path, fs::perms::owner_all);
    if (written)
        GTEST_SKIP() << "folder permissions do not bind this user";
    EXPECT_FALSE(ini.LastError().empty());
    EXPECT_EQ(ReadBytes(f), kSample);
}

TEST(IniFile, DiskRefusingTheDataLeavesTheOldFile)
{
    TempDir dir;
    const std::string f = dir.File("t.ini");
    WriteBytes(f, kSample);
    TIniFile ini(f);
    // A file size limit makes the write fail part way, as a full disk would.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool written = ini.WriteString("Nova", "k", std::string(500, 'x'));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(f), kSample);
    EXPECT_EQ(dir.Count(), 1);
}

TEST(IniFile, KeepsPermissionsAndSymbolicLinks)
{
    TempDir dir;
    const std::string real = dir.File("real.ini");
    const std::string link = dir.File("link.ini");
    WriteBytes(real, "[s]\r\nk=1\r\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, link);
    TIniFile ini(link);
    ASSERT_TRUE(ini.WriteInteger("s", "k", 2));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "[s]\r\nk=2\r\n");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}
#endif
