#pragma once
// The running program's claim on its recovery copies. Every run has a token
// (process id and a random number) that is part of the names of its copies,
// and, once it writes a copy, holds a lock on "<token>.lock" in the recovery
// folder for as long as it lives. The system lets the lock go when the process
// ends in any way, so a copy whose run still holds its lock belongs to another
// program window that is running now, and one whose lock is free was left by a
// run that ended.

#include <string>

namespace rs {

class TRecoveryRun
{
public:
    // This process's token: lower-case hexadecimal digits and one '-'.
    static const std::string& Token();
    // The token in a copy's name ("<chart>~<token>-<n>.pvd"); empty when the name has none.
    static std::string TokenOf(const std::string& copyFile);
    // Takes this run's lock in the folder (kept until the process ends); true when held.
    static bool Claim(const std::string& folder);
    // True when another process holds the lock of that token in the folder.
    // A lock file left by an ended run is removed on the way.
    static bool IsHeldElsewhere(const std::string& folder, const std::string& token);
};

} // namespace rs
