#include "common/uAtomicFile.h"

#include "common/uNativePaths.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace rs {

namespace {

struct TFaultState
{
    std::optional<TWriteFault> Fault;
    int Hits = 0;
};

TFaultState& FaultState()
{
    static TFaultState state;
    return state;
}

// The simulated error for this step of writing path, or 0.
int InjectedError(const std::string& path, TWriteStep step)
{
    TFaultState& s = FaultState();
    if (!s.Fault || s.Fault->Step != step)
        return 0;
    if (!s.Fault->PathPart.empty() && path.find(s.Fault->PathPart) == std::string::npos)
        return 0;
    ++s.Hits;
    if (s.Fault->Error)
        return s.Fault->Error;
    switch (step) {
    case TWriteStep::Write:
        return ENOSPC;
    case TWriteStep::Flush:
    case TWriteStep::Close:
        return EIO;
    default:
        return EACCES;
    }
}

// How many more bytes the simulated disk takes, or SIZE_MAX without a write fault.
std::size_t InjectedRoom(const std::string& path, std::uint64_t done)
{
    const TFaultState& s = FaultState();
    if (!s.Fault || s.Fault->Step != TWriteStep::Write ||
        (!s.Fault->PathPart.empty() && path.find(s.Fault->PathPart) == std::string::npos))
        return SIZE_MAX;
    return done >= s.Fault->AfterBytes ? 0 : std::size_t(s.Fault->AfterBytes - done);
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

} // namespace

std::string WriteErrorText(int code)
{
    switch (code) {
    case ENOSPC:
        return "não há espaço livre no disco";
#ifdef EDQUOT
    case EDQUOT:
        return "a cota de disco do usuário foi excedida";
#endif
    case EFBIG:
        return "o arquivo excede o tamanho permitido";
    case EIO:
        return "erro de leitura ou gravação no dispositivo";
    case EACCES:
    case EPERM:
        return "acesso negado";
    case EROFS:
        return "o disco está protegido contra gravação";
    case ENOENT:
        return "a pasta não existe";
    case ENOTDIR:
        return "parte do caminho não é uma pasta";
    case EISDIR:
    case ENOTEMPTY:
        return "existe uma pasta com esse nome";
    case ENAMETOOLONG:
        return "o nome do arquivo é longo demais";
    case EEXIST:
        return "o arquivo já existe";
    case EBUSY:
        return "o arquivo está em uso";
    case EMFILE:
    case ENFILE:
        return "há arquivos abertos demais";
    case 0:
        return "erro desconhecido";
    default: {
        const char* s = std::strerror(code);
        return s ? s : "erro desconhecido";
    }
    }
}

bool WriteFileAtomically(const std::string& path, std::string_view data, TWriteError* error)
{
    static std::atomic<unsigned> counter{0};
    std::error_code ec;
    fs::path target = FsPath(path);
    // Write through a symbolic link to the file it names, keeping the link.
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        fs::path real = fs::canonical(target, ec);
        if (!ec)
            target = real;
    }
    const bool existed = fs::exists(fs::symlink_status(target, ec));
    const fs::path folder = target.parent_path();
#ifdef _WIN32
    const int pid = _getpid();
#else
    const int pid = int(getpid());
#endif
    const fs::path temp = folder / FsPath("~" + NativeString(target.filename()) + "." + std::to_string(pid) + "-" +
                                    std::to_string(counter.fetch_add(1)) + ".tmp");
    int fd = -1;
    auto fail = [&](TWriteStep step, int code, std::string reason = {}) {
#ifdef _WIN32
        if (fd >= 0)
            _close(fd);
#else
        if (fd >= 0)
            ::close(fd);
#endif
        std::error_code rec;
        fs::remove(temp, rec);
        if (error) {
            error->Step = step;
            error->Code = code;
            error->Reason = reason.empty() ? WriteErrorText(code) : reason;
            std::string head;
            if (step == TWriteStep::Open)
                head = "Não foi possível criar o arquivo ";
            else if (step == TWriteStep::Rename && existed)
                head = "Não foi possível substituir o arquivo ";
            else if (step == TWriteStep::Rename)
                head = "Não foi possível criar o arquivo ";
            else
                head = "Erro ao gravar o arquivo ";
            error->Message = head + Quoted(path) + ": " + error->Reason + ".";
            if (existed)
                error->Message += " O arquivo anterior foi preservado.";
        }
        return false;
    };

    if (target.filename().empty())
        return fail(TWriteStep::Open, ENOENT, "o nome do arquivo está vazio");
    if (int e = InjectedError(path, TWriteStep::Open))
        return fail(TWriteStep::Open, e);
#ifdef _WIN32
    if (_wsopen_s(&fd, temp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYRW, _S_IREAD | _S_IWRITE) != 0) {
        fd = -1;
        return fail(TWriteStep::Open, errno);
    }
    auto writeChunk = [&](const char* p, std::size_t n) { return long(_write(fd, p, unsigned(n))); };
    auto sync = [&] { return _commit(fd); };
    auto closeFile = [&] { return _close(fd); };
#else
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail(TWriteStep::Open, errno);
    struct stat st {};
    if (existed && ::stat(target.c_str(), &st) == 0)
        (void)::fchmod(fd, st.st_mode & 07777); // keep the old file's permissions
    auto writeChunk = [&](const char* p, std::size_t n) { return long(::write(fd, p, n)); };
    auto sync = [&] { return ::fsync(fd); };
    auto closeFile = [&] { return ::close(fd); };
#endif
    std::size_t done = 0;
    while (done < data.size()) {
        std::size_t chunk = std::min<std::size_t>(data.size() - done, 1u << 20);
        const std::size_t room = InjectedRoom(path, done);
        if (room == 0)
            return fail(TWriteStep::Write, InjectedError(path, TWriteStep::Write));
        chunk = std::min(chunk, room);
        errno = 0;
        const long n = writeChunk(data.data() + done, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(TWriteStep::Write, n < 0 ? errno : ENOSPC);
        done += std::size_t(n);
    }
    if (int e = InjectedError(path, TWriteStep::Flush))
        return fail(TWriteStep::Flush, e);
    errno = 0;
    if (sync() != 0)
        return fail(TWriteStep::Flush, errno ? errno : EIO);
    const int injectedClose = InjectedError(path, TWriteStep::Close);
    errno = 0;
    const int closed = closeFile();
    fd = -1;
    if (closed != 0 || injectedClose)
        return fail(TWriteStep::Close, injectedClose ? injectedClose : (errno ? errno : EIO));
    if (int e = InjectedError(path, TWriteStep::Rename))
        return fail(TWriteStep::Rename, e);
    std::error_code renameError;
    fs::rename(temp, target, renameError);
    if (renameError) {
#ifdef _WIN32
        return fail(TWriteStep::Rename, 0, renameError.message());
#else
        return fail(TWriteStep::Rename, renameError.value());
#endif
    }
#ifndef _WIN32
    // Make the rename itself durable; a failure here loses nothing.
    int dfd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        (void)::fsync(dfd);
        ::close(dfd);
    }
#endif
    return true;
}

void WriteFileAtomicallyOrThrow(const std::string& path, std::string_view data)
{
    TWriteError e;
    if (!WriteFileAtomically(path, data, &e))
        throw std::runtime_error(e.Message);
}

TWriteFaultScope::TWriteFaultScope(TWriteFault fault)
{
    FaultState().Fault = std::move(fault);
    FaultState().Hits = 0;
}

TWriteFaultScope::~TWriteFaultScope() { FaultState().Fault.reset(); }

int TWriteFaultScope::Hits() const { return FaultState().Hits; }

} // namespace rs
