// rainscribe-cli: inspects and produces chart files from scripts.

#include "CliCommand.h"

#include "common/Utils.h"

#include <clocale>
#include <cstdio>
#include <exception>

namespace rs::cli {

std::vector<TCommand>& Commands()
{
    static std::vector<TCommand> commands;
    return commands;
}

void WriteOut(const std::string& s) { std::fwrite(s.data(), 1, s.size(), stdout); }

void WriteErr(const std::string& s)
{
    std::fwrite(s.data(), 1, s.size(), stderr);
    std::fputc('\n', stderr);
}

} // namespace rs::cli

static void Usage()
{
    std::fprintf(stderr, "Uso: rainscribe-cli COMANDO [ARGUMENTOS]\n\nComandos:\n");
    for (const auto& c : rs::cli::Commands())
        std::fprintf(stderr, "  %s\n", c.Usage.c_str());
}

int main(int argc, char** argv)
{
    // Numbers follow the process locale (LC_NUMERIC), as the program's windows do.
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_CTYPE, "C");
    rs::cli::TArgs args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "help" || args[0] == "--help" || args[0] == "-h") {
        Usage();
        return args.empty() ? 1 : 0;
    }
    for (const auto& c : rs::cli::Commands())
        if (c.Name == args[0]) {
            try {
                return c.Run(rs::cli::TArgs(args.begin() + 1, args.end()));
            } catch (const std::exception& e) {
                rs::cli::WriteErr(e.what());
                return 1;
            }
        }
    rs::cli::WriteErr("Comando desconhecido: " + args[0]);
    Usage();
    return 1;
}
