#pragma once
// The program's version text and the support contact of this installation.
//
// The organisation that deploys the program names its own support contact in
// "Suporte.txt" (Windows-1252 or UTF-8 text), found like the other files the
// program only reads (see common/uAppFiles.h): lines starting with ';' are
// comments; the first other line is the support e-mail address when it looks
// like one; the lines after it (or all of them, without an address) are the
// address block that signs the support text. Without the file, or with a file
// that names no valid address, the program shows that no address is set.

#include <string>
#include <vector>

namespace rs {

inline constexpr const char* kProgramVersionText = "Vers\xE3" "o 1.02"; // Windows-1252
inline constexpr const char* kSupportFile = "Suporte.txt";

struct TSupportInfo
{
    std::string Address;             // e-mail address, empty when none is set
    std::vector<std::string> Block;  // address block lines (Windows-1252), possibly empty
};

// True for a plain "name@domain.tld" address (no spaces, quotes or control characters).
bool IsMailAddress(const std::string& s);
// The contents of a support file; never throws (a missing, unreadable, binary or
// oversized file gives an empty contact).
TSupportInfo ParseSupportInfo(const std::string& bytes);
TSupportInfo ReadSupportInfo(const std::string& fileName);
// The support file of this installation (beside the executable, or the user's own copy).
std::string SupportFileName();

} // namespace rs
