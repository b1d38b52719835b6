#pragma once
// Commands of rainscribe-cli register themselves here, one file each.

#include <functional>
#include <string>
#include <vector>

namespace rs::cli {

using TArgs = std::vector<std::string>;
using TCommandFn = std::function<int(const TArgs& args)>;

struct TCommand
{
    std::string Name;
    std::string Usage; // one line shown by "help"
    TCommandFn Run;
};

std::vector<TCommand>& Commands();

struct TRegister
{
    TRegister(std::string name, std::string usage, TCommandFn fn)
    {
        Commands().push_back({std::move(name), std::move(usage), std::move(fn)});
    }
};

// Writes bytes to standard output unchanged (CR LF stays CR LF).
void WriteOut(const std::string& s);
void WriteErr(const std::string& s); // a line to standard error (UTF-8), newline added

} // namespace rs::cli
