#pragma once
// Paths as the program holds them (native byte strings: the system code page
// on Windows, as the C runtime's fopen takes them; UTF-8 elsewhere) to and from
// std::filesystem paths, and the entries the file searches leave out.
//
// MSVC's standard library converts narrow strings with the system code page by
// itself; mingw-w64's libstdc++ takes them as UTF-8, so a folder such as
// "C:\Users\João" would not be found. The conversion is made here instead.

#include <filesystem>
#include <string>

namespace rs {

std::filesystem::path FsPath(const std::string& native);
std::string NativeString(const std::filesystem::path& p);

// A name starting with '.', and on Windows also an entry with the hidden or
// system attribute (desktop.ini, thumbnail caches, the recycle bin), as the
// Windows Explorer leaves them out.
bool IsHiddenEntry(const std::filesystem::path& entry);

} // namespace rs
