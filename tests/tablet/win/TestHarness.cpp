#include "TestHarness.h"

#include <cstdio>
#include <exception>
#include <vector>

namespace wtest {

namespace {

struct TCase
{
    const char* Name;
    TCaseFn Fn;
};

std::vector<TCase>& Cases()
{
    static std::vector<TCase> list;
    return list;
}

const char* gCurrent = "";
int gCaseFailures = 0;
int gChecks = 0;

} // namespace

TRegistrar::TRegistrar(const char* name, TCaseFn fn) { Cases().push_back({name, fn}); }

void Check(bool ok, const char* expr, const char* file, int line, const std::string& detail)
{
    ++gChecks;
    if (ok)
        return;
    ++gCaseFailures;
    std::printf("  FAILED %s:%d in %s: %s%s%s\n", file, line, gCurrent, expr, detail.empty() ? "" : " -- ",
                detail.c_str());
    std::fflush(stdout);
}

int RunAll(const std::string& filter)
{
    int passed = 0, failed = 0;
    for (const TCase& c : Cases()) {
        if (!filter.empty() && std::string(c.Name).find(filter) == std::string::npos)
            continue;
        gCurrent = c.Name;
        gCaseFailures = 0;
        try {
            c.Fn();
        } catch (const TAbort&) {
        } catch (const std::exception& e) {
            Check(false, "exception", __FILE__, __LINE__, e.what());
        } catch (...) {
            Check(false, "unknown exception", __FILE__, __LINE__);
        }
        if (gCaseFailures == 0) {
            ++passed;
            std::printf("[ ok ] %s\n", c.Name);
        } else {
            ++failed;
            std::printf("[FAIL] %s\n", c.Name);
        }
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed (%d checks)\n", passed, failed, gChecks);
    return failed;
}

} // namespace wtest
