#pragma once
// The conversion library loaded once from the program's folder, and the
// counters and report of a conversion dialog session.

#include "tools/uCnvApi.h"

#include <functional>
#include <string>
#include <vector>

namespace rs {

class TCnvLibrary
{
public:
    static TCnvLibrary& Instance();
    // Loads the library from folder (the program's folder) once; later calls do nothing.
    void Load(const std::string& folder);
    void Unload();
    bool Loaded() const { return FHandle != nullptr; }
    bool HasEntry() const { return FEntry != nullptr; }
    const std::string& FileName() const { return FFileName; }
    // Runs the conversion; the callback gets each file name and status.
    void Execute(const std::vector<std::string>& files,
                 const std::function<void(const std::string&, int)>& progress) const;

private:
    TCnvLibrary() = default;
    ~TCnvLibrary();
    void* FHandle = nullptr;
    TExecuteConversion FEntry = nullptr;
    std::string FFileName;
};

// What the conversion dialog counts over one session (its life) and per run.
class TCnvSession
{
public:
    std::vector<std::string> Found;      // last search
    std::vector<std::string> Redigitize; // accumulates over the session
    int ConvertedRun = 0, ConvertedTotal = 0, RedigitTotal = 0, AlreadyRun = 0, ErrorsRun = 0;

    // Recursive search for "*.dpb", hidden files and folders skipped, a folder's files before its subfolders.
    int Search(const std::string& folder);
    void StartRun() { ConvertedRun = AlreadyRun = ErrorsRun = 0; }
    void Count(const std::string& file, int status);

    // Label texts (UTF-8).
    std::string FoundText() const;      // '%d  arquivos ".dpb" localizados na pasta'
    std::string ConvertedRunText() const;
    std::string RedigitText() const;
    std::string AlreadyText() const;
    std::string ErrorsText() const;
    std::string DoneText() const;       // "%d arquivos foram convertidos com sucesso!"

    // Appends the report block to path (created when missing) when there is anything to redigitize.
    // dateTime: "dd/mm/yyyy hh:mm:ss". Throws std::runtime_error when the file cannot be written.
    void WriteReport(const std::string& path, const std::string& dateTime) const;
};

} // namespace rs
