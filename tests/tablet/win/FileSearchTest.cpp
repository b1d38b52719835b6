// The file searches' Windows rules: hidden and system entries are left out
// like names starting with '.', and a folder named in the system code page
// (as every path of the program is) is searched, accents included.
#include "TestHarness.h"

#include "common/Utils.h"

#include <windows.h>

#include <string>
#include <vector>

using namespace wtest;

namespace {

std::wstring TempFolder()
{
    wchar_t buf[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, buf);
    return std::wstring(buf, n) + L"rs-find-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
}

void Touch(const std::wstring& path, DWORD attributes = 0)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(h);
    if (attributes)
        SetFileAttributesW(path.c_str(), attributes);
}

std::string Acp(const std::wstring& w)
{
    const int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(std::size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.c_str(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

} // namespace

TEST_CASE(FindFilesSkipsHiddenAndSystemEntriesAndReadsCodePageFolders)
{
    const std::wstring root = TempFolder();
    const std::wstring accented = root + L"Jo\u00E3o\\";
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW(accented.c_str(), nullptr);
    CreateDirectoryW((root + L"oculta").c_str(), nullptr);
    SetFileAttributesW((root + L"oculta").c_str(), FILE_ATTRIBUTE_HIDDEN);
    Touch(root + L"a.pvd");
    Touch(root + L"h.pvd", FILE_ATTRIBUTE_HIDDEN);
    Touch(root + L"s.pvd", FILE_ATTRIBUTE_SYSTEM);
    Touch(root + L".p.pvd");
    Touch(root + L"oculta\\d.pvd");
    Touch(accented + L"c.pvd");

    std::vector<std::string> list;
    rs::FindFiles(Acp(root), "*.pvd", list, true, true);
    std::string found;
    for (const std::string& f : list)
        found += f + "; ";
    CHECK_EQ(found, Acp(root + L"a.pvd; ") + Acp(accented + L"c.pvd; "));
    REQUIRE(list.size() == 2u);
    CHECK_EQ(list[0], Acp(root + L"a.pvd"));
    CHECK_EQ(list[1], Acp(accented + L"c.pvd"));
    list.clear();
    rs::FindFiles(Acp(accented), "*.pvd", list, false, true);
    CHECK_EQ(list.size(), 1u);
    CHECK(rs::FileExists(Acp(accented + L"c.pvd")));

    for (const wchar_t* f : {L"a.pvd", L"h.pvd", L"s.pvd", L".p.pvd", L"oculta\\d.pvd", L"Jo\u00E3o\\c.pvd"}) {
        SetFileAttributesW((root + f).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW((root + f).c_str());
    }
    RemoveDirectoryW(accented.c_str());
    RemoveDirectoryW((root + L"oculta").c_str());
    RemoveDirectoryW(root.c_str());
}
