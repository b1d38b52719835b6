#pragma once
// Runs a program as a child process and measures it: wall time, processor
// time and peak resident memory (wait4), its output gathered, a time limit.

#include <string>
#include <vector>

namespace synth {

struct TChildResult
{
    int ExitCode = -1;       // -1: killed by a signal or not started
    bool TimedOut = false;
    std::string Out, Err;
    double WallSeconds = 0;
    double CpuSeconds = 0;   // user + system
    double PeakMb = 0;       // peak resident set size
    std::string Failure;     // why it could not be started
};

TChildResult RunChild(const std::vector<std::string>& argv, double timeoutSeconds);

} // namespace synth
