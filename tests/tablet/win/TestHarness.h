#pragma once
// A small assertion harness for the Windows test program (GoogleTest is not
// available for the cross compiler): cases register themselves, a failed
// check is reported with its place and values, a failed REQUIRE ends its
// case, and the run ends with "N passed, N failed".

#include <sstream>
#include <string>

namespace wtest {

using TCaseFn = void (*)();

struct TRegistrar
{
    TRegistrar(const char* name, TCaseFn fn);
};

struct TAbort
{
};

void Check(bool ok, const char* expr, const char* file, int line, const std::string& detail = {});

template <class A, class B>
void CheckEqual(const A& a, const B& b, const char* ea, const char* eb, const char* file, int line)
{
    const bool ok = a == b;
    std::string detail;
    if (!ok) {
        std::ostringstream s;
        s << ea << " = " << a << ", " << eb << " = " << b;
        detail = s.str();
    }
    Check(ok, "equal", file, line, detail);
}

// Runs every case whose name contains filter (all when empty); returns the
// number of failed cases.
int RunAll(const std::string& filter);

} // namespace wtest

#define WT_CAT2(a, b) a##b
#define WT_CAT(a, b) WT_CAT2(a, b)
#define TEST_CASE(name)                                                                           \
    static void name();                                                                           \
    static const wtest::TRegistrar WT_CAT(name, _registrar)(#name, &name);                        \
    static void name()
#define CHECK(cond) wtest::Check(static_cast<bool>(cond), #cond, __FILE__, __LINE__)
#define CHECK_EQ(a, b) wtest::CheckEqual((a), (b), #a, #b, __FILE__, __LINE__)
#define REQUIRE(cond)                                                                             \
    do {                                                                                          \
        const bool wt_ok = static_cast<bool>(cond);                                               \
        wtest::Check(wt_ok, #cond, __FILE__, __LINE__);                                           \
        if (!wt_ok)                                                                               \
            throw wtest::TAbort{};                                                                \
    } while (0)
