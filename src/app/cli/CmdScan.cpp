// "scan": the folder summaries' listing, as "Copiar Listagem..." copies it.

#include "CliCommand.h"

#include "common/Utils.h"
#include "tools/uExplorerScan.h"

namespace rs::cli {
namespace {

int RunScan(const TArgs& args)
{
    if (args.size() != 1) {
        WriteErr("Uso: rainscribe-cli scan PASTA");
        return 1;
    }
    if (!DirectoryExists(args[0])) {
        WriteErr("A pasta \"" + args[0] + "\" não existe.");
        return 1;
    }
    const auto rows = ScanFolder(args[0]);
    // The listing is Windows-1252 text on the clipboard; scripts get UTF-8.
    WriteOut(Cp1252ToUtf8(ListingText(rows)));
    return 0;
}

TRegister regScan("scan", "scan PASTA             lista os arquivos .pvd da pasta como os Resumos", RunScan);

} // namespace
} // namespace rs::cli
