#include "common/uAtomicFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

using namespace rs;
namespace fs = std::filesystem;

namespace {

struct AtomicFile : ::testing::Test
{
    fs::path dir;
    void SetUp() override
    {
        std::random_device rd;
        dir = fs::temp_directory_path() / ("rs-atomic-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string File(const std::string& name) const { return (dir / name).string(); }
    static std::string Read(const std::string& p)
    {
        std::ifstream f(p, std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    static void Write(const std::string& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; }
    int Count() const
    {
        int n = 0;
        for ([[maybe_unused]] auto& e : fs::directory_iterator(dir))
            ++n;
        return n;
    }
};

const std::string kOld = "old contents\r\n";

} // namespace

TEST_F(AtomicFile, ReplacesAndCreates)
{
    const std::string f = File("a.txt");
    ASSERT_TRUE(WriteFileAtomically(f, "first"));
    EXPECT_EQ(Read(f), "first");
    const std::string big(3u << 20, 'x'); // more than one write call
    ASSERT_TRUE(WriteFileAtomically(f, big));
    EXPECT_EQ(Read(f), big);
    ASSERT_TRUE(WriteFileAtomically(f, ""));
    EXPECT_EQ(Read(f), "");
    EXPECT_EQ(Count(), 1);
}

// Every step that can fail, with the disk filling up at the start, in the middle and
// just before the end of the data: the old file stays, the temporary file goes, and
// the message names the file, the cause and that the old contents were kept.
TEST_F(AtomicFile, EveryFaultKeepsTheOldFile)
{
    const std::string f = File("b.txt");
    const std::string data(5000, 'n');
    struct Case
    {
        TWriteFault Fault;
        const char* Head;
        const char* Cause;
    };
    const Case cases[] = {
        {{TWriteStep::Open, 0, 0, {}}, "Não foi possível criar o arquivo \"", "acesso negado"},
        {{TWriteStep::Write, 0, 0, {}}, "Erro ao gravar o arquivo \"", "não há espaço livre no disco"},
        {{TWriteStep::Write, 2500, 0, {}}, "Erro ao gravar o arquivo \"", "não há espaço livre no disco"},
        {{TWriteStep::Write, 4999, EIO, {}}, "Erro ao gravar o arquivo \"", "erro de leitura ou gravação no dispositivo"},
        {{TWriteStep::Flush, 0, 0, {}}, "Erro ao gravar o arquivo \"", "erro de leitura ou gravação no dispositivo"},
        {{TWriteStep::Close, 0, 0, {}}, "Erro ao gravar o arquivo \"", "erro de leitura ou gravação no dispositivo"},
        {{TWriteStep::Rename, 0, EBUSY, {}}, "Não foi possível substituir o arquivo \"", "o arquivo está em uso"},
    };
    Write(f, kOld);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Head) + c.Cause);
        TWriteFaultScope fault(c.Fault);
        TWriteError e;
        EXPECT_FALSE(WriteFileAtomically(f, data, &e));
        EXPECT_EQ(fault.Hits(), 1);
        EXPECT_EQ(e.Step, c.Fault.Step);
        EXPECT_EQ(e.Message, c.Head + f + "\": " + c.Cause + ". O arquivo anterior foi preservado.");
        EXPECT_EQ(Read(f), kOld);
        EXPECT_EQ(Count(), 1);
        EXPECT_THROW(WriteFileAtomicallyOrThrow(f, data), std::runtime_error);
    }
    ASSERT_TRUE(WriteFileAtomically(f, data));
    EXPECT_EQ(Read(f), data);
}

TEST_F(AtomicFile, FaultWithoutAnOldFileLeavesNothing)
{
    const std::string f = File("new.txt");
    {
        TWriteFaultScope fault({TWriteStep::Write, 3, 0, {}});
        TWriteError e;
        EXPECT_FALSE(WriteFileAtomically(f, "0123456789", &e));
        EXPECT_EQ(e.Message, "Erro ao gravar o arquivo \"" + f + "\": não há espaço livre no disco.");
    }
    {
        TWriteFaultScope fault({TWriteStep::Rename, 0, 0, {}});
        TWriteError e;
        EXPECT_FALSE(WriteFileAtomically(f, "0123456789", &e));
        EXPECT_EQ(e.Message, "Não foi possível criar o arquivo \"" + f + "\": acesso negado.");
    }
    EXPECT_EQ(Count(), 0);
}

TEST_F(AtomicFile, FaultLimitedToOnePath)
{
    TWriteFaultScope fault({TWriteStep::Write, 0, 0, "settings"});
    EXPECT_TRUE(WriteFileAtomically(File("other.txt"), "x"));
    EXPECT_FALSE(WriteFileAtomically(File("settings.ini"), "x"));
    EXPECT_EQ(fault.Hits(), 1);
}

TEST_F(AtomicFile, RealFailuresOfTheSystem)
{
    // A folder where the file should be: the rename cannot replace it.
    fs::create_directories(dir / "folder.txt" / "inside");
    TWriteError e;
    EXPECT_FALSE(WriteFileAtomically(File("folder.txt"), "x", &e));
    EXPECT_EQ(e.Step, TWriteStep::Rename);
    EXPECT_NE(e.Message.find(": existe uma pasta com esse nome."), std::string::npos) << e.Message;
    EXPECT_TRUE(fs::is_directory(dir / "folder.txt" / "inside"));
    // A parent that is a regular file: nothing can be created under it, not even by root.
    Write(File("plain"), kOld);
    EXPECT_FALSE(WriteFileAtomically(File("plain") + "/x.txt", "x", &e));
    EXPECT_EQ(e.Step, TWriteStep::Open);
    EXPECT_EQ(e.Message, "Não foi possível criar o arquivo \"" + File("plain") +
                             "/x.txt\": parte do caminho não é uma pasta.");
    EXPECT_FALSE(WriteFileAtomically(File("missing") + "/x.txt", "x", &e));
    EXPECT_NE(e.Message.find("a pasta não existe"), std::string::npos);
    // No name at all: nothing is made, not even in the current folder.
    EXPECT_FALSE(WriteFileAtomically("", "x", &e));
    EXPECT_EQ(e.Message, "Não foi possível criar o arquivo \"\": o nome do arquivo está vazio.");
    EXPECT_FALSE(WriteFileAtomically(File("") + "/", "x", &e));
    EXPECT_EQ(Read(File("plain")), kOld);
    EXPECT_EQ(Count(), 2);
}

#ifndef _WIN32
TEST_F(AtomicFile, KeepsPermissionsAndWritesThroughLinks)
{
    const std::string real = File("real.txt");
    const std::string link = File("link.txt");
    Write(real, kOld);
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(real, perms);
    fs::create_symlink(real, link);
    ASSERT_TRUE(WriteFileAtomically(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(real), "new");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, perms);
    EXPECT_EQ(Count(), 2);
}
#endif
