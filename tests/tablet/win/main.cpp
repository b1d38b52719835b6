// The WinTab driver's test program: "wintab_tests [filter]" runs the cases
// whose names contain filter; the exit code is the number of failed cases.
#include "TestHarness.h"

#include <cstdio>

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const int failed = wtest::RunAll(argc > 1 ? argv[1] : "");
    return failed > 255 ? 255 : failed;
}
