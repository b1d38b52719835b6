// Start-up of the real program with "-ns": from launching the executable
// until its main window is shown and its event loop first waits for events
// (RS_STARTUP_PROBE makes the program report that moment and quit). Each run
// gets a fresh, empty configuration and home folder. Target: under 500 ms.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Runs the program once; the seconds until it reported the first idle, or
// a negative value when it did not within 20 s. inProcessMs: its own figure.
double LaunchOnce(const std::string& home, double& inProcessMs)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "HOME=", 5) != 0 && std::strncmp(*e, "XDG_CONFIG_HOME=", 16) != 0 &&
            std::strncmp(*e, "RS_STARTUP_PROBE=", 17) != 0)
            env.emplace_back(*e);
    env.push_back("HOME=" + home);
    env.push_back("XDG_CONFIG_HOME=" + home + "/.config");
    env.push_back("RS_STARTUP_PROBE=1");
    if (!std::getenv("QT_QPA_PLATFORM"))
        env.push_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> envp;
    for (auto& s : env)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string exe = RS_APP_PATH, ns = "-ns";
    char* argv[] = {exe.data(), ns.data(), nullptr};

    int out[2];
    if (pipe(out) != 0)
        return -1;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    posix_spawn_file_actions_addclose(&fa, out[1]);

    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return -1;
    }
    std::string text;
    double seconds = -1;
    const auto deadline = t0 + std::chrono::seconds(20);
    while (seconds < 0 && std::chrono::steady_clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        char buf[256];
        const ssize_t n = read(out[0], buf, sizeof buf);
        if (n <= 0)
            break;
        text.append(buf, std::size_t(n));
        const auto at = text.find("rainscribe-idle ");
        if (at != std::string::npos && text.find('\n', at) != std::string::npos) {
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            inProcessMs = std::atof(text.c_str() + at + 16);
        }
    }
    if (seconds < 0)
        kill(pid, SIGKILL);
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return seconds;
}

void BM_StartupNoSplash(benchmark::State& state)
{
    const auto root =
        std::filesystem::temp_directory_path() / ("rs_startup_bench_" + std::to_string(getpid()));
    double inProcess = 0;
    int run = 0;
    for (auto _ : state) {
        const std::string home = (root / std::to_string(run++)).string();
        std::filesystem::create_directories(home);
        double ms = 0;
        const double s = LaunchOnce(home, ms);
        if (s < 0) {
            state.SkipWithError("the program did not reach its first idle moment");
            break;
        }
        state.SetIterationTime(s);
        inProcess += ms;
    }
    std::filesystem::remove_all(root);
    if (run > 0)
        state.counters["in_process_ms"] = inProcess / run;
}
BENCHMARK(BM_StartupNoSplash)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
