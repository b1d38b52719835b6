#pragma once
// Where the program's own files live. Every other module asks here.
//
// The settings file and the files the program writes ("PontosDef.txt",
// "Redigit.txt") lie beside the executable when its folder is writable, as
// on a per-user installation; otherwise (an installation folder the user may
// not write) in the user's configuration folder for the program:
// $XDG_CONFIG_HOME/RainScribe or ~/.config/RainScribe, %APPDATA%\RainScribe on
// Windows. A copy found beside the executable seeds the user's copy the first
// time, so files shipped with the installation are not lost.
// Files only read ("CodigoEstacoes.txt") are taken from the user's folder when
// there is one there, from beside the executable otherwise.
//
// Paths are native byte strings, as the file-system routines of Utils take them.

#include "common/uIniFile.h"

#include <string>

namespace rs {

inline constexpr const char* kPointSetsFile = "PontosDef.txt";
inline constexpr const char* kStationListFile = "CodigoEstacoes.txt";
inline constexpr const char* kRedigitFile = "Redigit.txt";

std::string ExePath();  // full file name of the running executable
std::string AppPath();  // its folder, ending with the path delimiter
// The executable's full name with its extension replaced by ".ini"
// ("rainscribe" gives "rainscribe.ini"), beside the executable.
std::string ExeIniFileName();
// The user's configuration folder for the program, ending with the delimiter.
// Not created here.
std::string UserConfigFolder();

// The settings file: beside the executable or in the user's folder (see above).
std::string IniFileName();
TIniFile OpenIni();

std::string PointSetsFileName();   // "PontosDef.txt", read and written
std::string StationListFileName(); // "CodigoEstacoes.txt", read only
std::string RedigitFileName();     // "Redigit.txt", written
// Where copies of open documents are kept for recovery after a crash; in the
// user's configuration folder, ending with the delimiter. Not created here.
std::string RecoveryFolder();

// Generic forms of the rules above, for any file name of the program.
std::string WritableAppFile(const std::string& name);
std::string ReadableAppFile(const std::string& name);

// True when a new file can be created in the folder (tried, not guessed from
// permission bits, so read-only media and access lists are seen).
bool IsFolderWritable(const std::string& folder);

// Tests: pretend the executable is folder + exeName ("" restores the real one),
// optionally in a folder taken as read-only whatever its permissions, and use
// another configuration folder ("" restores the normal rule).
void SetAppFolderForTesting(const std::string& folder, const std::string& exeName = "rainscribe",
                            bool readOnly = false);
void SetConfigFolderForTesting(const std::string& folder);

} // namespace rs
