#pragma once
// Replacing a file so that a crash, a full disk or a failing device never
// leaves it half written: the data goes to a temporary file in the same
// folder, is flushed to the disk and only then renamed over the old file.
// On any failure the old file stays byte for byte and the temporary file is
// removed.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace rs {

enum class TWriteStep { Open, Write, Flush, Close, Rename };

struct TWriteError
{
    TWriteStep Step = TWriteStep::Open;
    int Code = 0;        // errno of the failure (0 when the system gave none)
    std::string Reason;  // the cause in Portuguese, lower case, without a final stop
    std::string Message; // a whole sentence for the operator, naming the file (UTF-8)
};

// Writes data as the new contents of path. A symbolic link is written
// through, keeping the link; the new file keeps the old one's permissions.
bool WriteFileAtomically(const std::string& path, std::string_view data, TWriteError* error = nullptr);
// The same, throwing std::runtime_error with the operator's message.
void WriteFileAtomicallyOrThrow(const std::string& path, std::string_view data);

// The system's error number as a short Portuguese phrase ("não há espaço livre no disco").
std::string WriteErrorText(int code);

// Test seam: a simulated disk fault for every atomic write while it lives.
// Step Write lets AfterBytes bytes reach the temporary file and then fails,
// as a disk that fills up would; the other steps fail outright. Error 0 picks
// the usual number for the step (ENOSPC for writing, EIO for flushing and
// closing, EACCES for opening and renaming). PathPart limits the fault to
// targets whose path contains it.
struct TWriteFault
{
    TWriteStep Step = TWriteStep::Write;
    std::uint64_t AfterBytes = 0;
    int Error = 0;
    std::string PathPart;
};

class TWriteFaultScope
{
public:
    explicit TWriteFaultScope(TWriteFault fault);
    ~TWriteFaultScope();
    TWriteFaultScope(const TWriteFaultScope&) = delete;
    TWriteFaultScope& operator=(const TWriteFaultScope&) = delete;
    int Hits() const; // writes the fault has broken so far
};

} // namespace rs
