#include "ChildRun.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace synth {

TChildResult RunChild(const std::vector<std::string>& argv, double timeoutSeconds)
{
    TChildResult r;
    int out[2], err[2];
    if (argv.empty() || pipe2(out, O_CLOEXEC) != 0) {
        r.Failure = "pipe failed";
        return r;
    }
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        r.Failure = "pipe failed";
        return r;
    }
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto started = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        execv(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    if (pid < 0) {
        close(out[0]);
        close(err[0]);
        r.Failure = std::string("fork failed: ") + std::strerror(errno);
        return r;
    }
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int openPipes = 2;
    char buf[65536];
    while (openPipes > 0) {
        const double left = timeoutSeconds -
                            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (left <= 0) {
            r.TimedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, int(left * 1000) + 1) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                (i == 0 ? r.Out : r.Err).append(buf, std::size_t(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --openPipes;
            }
        }
    }
    for (pollfd& f : fds)
        if (f.fd >= 0)
            close(f.fd);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    r.WallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    r.CpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    r.PeakMb = double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    r.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

} // namespace synth
