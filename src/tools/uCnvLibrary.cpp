#include "tools/uCnvLibrary.h"

#include "common/Utils.h"
#include "common/uAtomicFile.h"
#include "common/uNativePaths.h"
#include "tools/uExplorerScan.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace fs = std::filesystem;

namespace rs {

namespace {
// A report of names only; anything larger is not one.
constexpr std::uintmax_t kMaxReportSize = 64u << 20;
} // namespace

TCnvLibrary& TCnvLibrary::Instance()
{
    static TCnvLibrary library;
    return library;
}

TCnvLibrary::~TCnvLibrary() { Unload(); }

void TCnvLibrary::Load(const std::string& folder)
{
    if (FHandle)
        return;
    FFileName = IncludeTrailingDelim(folder) + kCnvLibraryName;
#ifdef _WIN32
    HMODULE h = LoadLibraryA(FFileName.c_str());
    FHandle = reinterpret_cast<void*>(h);
    if (h)
        // Through a generic function pointer: FARPROC's own type says nothing.
        FEntry = reinterpret_cast<TExecuteConversion>(
            reinterpret_cast<void (*)()>(GetProcAddress(h, "ExecuteConversion")));
#else
    FHandle = dlopen(FFileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (FHandle)
        FEntry = reinterpret_cast<TExecuteConversion>(dlsym(FHandle, "ExecuteConversion"));
#endif
}

void TCnvLibrary::Unload()
{
    if (!FHandle)
        return;
#ifdef _WIN32
    FreeLibrary(reinterpret_cast<HMODULE>(FHandle));
#else
    dlclose(FHandle);
#endif
    FHandle = nullptr;
    FEntry = nullptr;
}

namespace {
struct TCallContext
{
    const std::function<void(const std::string&, int)>* Progress;
};
void Trampoline(void* context, const char* fileName, std::int32_t status)
{
    auto* c = static_cast<TCallContext*>(context);
    if (c && c->Progress && *c->Progress)
        (*c->Progress)(fileName ? fileName : "", status);
}
} // namespace

void TCnvLibrary::Execute(const std::vector<std::string>& files,
                          const std::function<void(const std::string&, int)>& progress) const
{
    if (!FEntry)
        return;
    std::vector<const char*> names;
    names.reserve(files.size());
    for (const auto& f : files)
        names.push_back(f.c_str());
    TCallContext context{&progress};
    FEntry(names.data(), std::int32_t(names.size()), &Trampoline, &context);
}

int TCnvSession::Search(const std::string& folder)
{
    Found = CollectDataFiles(folder, "*.dpb");
    return int(Found.size());
}

void TCnvSession::Count(const std::string& file, int status)
{
    switch (status) {
    case -1: ++ErrorsRun; break;
    case 0:
        ++ConvertedRun;
        ++ConvertedTotal;
        break;
    case 1: ++AlreadyRun; break;
    case 2:
        Redigitize.push_back(file);
        ++RedigitTotal;
        break;
    default: break;
    }
}

std::string TCnvSession::FoundText() const
{
    return std::to_string(Found.size()) + "  arquivos \".dpb\" localizados na pasta";
}
std::string TCnvSession::ConvertedRunText() const
{
    return std::to_string(ConvertedRun) + "  arquivos \".dpb\" convertidos para \".pvd\"";
}
std::string TCnvSession::RedigitText() const
{
    return std::to_string(RedigitTotal) + "  arquivos devem ser redigitalizados (REDIGIT.TXT)";
}
std::string TCnvSession::AlreadyText() const
{
    return std::to_string(AlreadyRun) + "  arquivos não convertidos, porque já tinham sido";
}
std::string TCnvSession::ErrorsText() const
{
    return std::to_string(ErrorsRun) + "  arquivos não convertidos, porque houve erros";
}
std::string TCnvSession::DoneText() const
{
    return std::to_string(ConvertedTotal) + " arquivos foram convertidos com sucesso!";
}

void TCnvSession::WriteReport(const std::string& path, const std::string& dateTime) const
{
    if (Redigitize.empty())
        return;
    std::string block = Utf8ToCp1252("Arquivos que devem ser redigitalizados, porque não puderam ser") + "\r\n";
    block += "convertidos, devido a precis\xE3o da escala (" + dateTime + ")\r\n";
    block += std::string(62, '-') + "\r\n";
    for (const auto& f : Redigitize)
        block += f + "\r\n";
    block += "\r\n";
    // The block is added by rewriting the whole report, so a full disk never leaves half a block.
    std::string text;
    std::error_code ec;
    const fs::file_status st = fs::status(FsPath(path), ec);
    if (fs::exists(st)) {
        std::string why;
        std::uintmax_t size = 0;
        if (!fs::is_regular_file(st))
            why = "não é um arquivo comum";
        else if (size = fs::file_size(FsPath(path), ec); ec)
            why = ec.message();
        else if (size > kMaxReportSize)
            why = "o arquivo é grande demais";
        else if (std::FILE* f = std::fopen(path.c_str(), "rb"); !f)
            why = WriteErrorText(errno);
        else {
            text.resize(std::size_t(size));
            text.resize(std::fread(text.data(), 1, text.size(), f));
            const bool failed = std::ferror(f) != 0;
            std::fclose(f);
            if (failed)
                why = WriteErrorText(EIO);
        }
        if (!why.empty())
            throw std::runtime_error("Não foi possível ler o arquivo \"" + path + "\" (" + why +
                                     "); a lista de arquivos a redigitalizar não foi gravada.");
    }
    WriteFileAtomicallyOrThrow(path, text + block);
}

} // namespace rs
