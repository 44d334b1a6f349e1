#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Child side: wire the pipes to fds 0, 1 and 2, drop DISPLAY, exec.
[[noreturn]] void execChild(const std::string& program, const std::vector<std::string>& arguments,
                            int stdinRead, int stdoutWrite, int stderrWrite) {
    dup2(stdinRead, 0);
    dup2(stdoutWrite, 1);
    dup2(stderrWrite, 2);
    unsetenv("DISPLAY");
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (int fd = 3; fd < 64; ++fd) close(fd);
    execv(program.c_str(), argv.data());
    _exit(127);
}

// Reads the child's standard output and error until both close or the
// deadline passes.
void collectOutput(int out, int err, std::string& outText, std::string& errText, Clock::time_point deadline) {
    char buffer[4096];
    bool outOpen = true, errOpen = true;
    while ((outOpen || errOpen) && Clock::now() < deadline) {
        pollfd p[2] = {{outOpen ? out : -1, POLLIN, 0}, {errOpen ? err : -1, POLLIN, 0}};
        if (poll(p, 2, 50) <= 0) continue;
        for (int k = 0; k < 2; ++k) {
            if (!(p[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            ssize_t n = read(p[k].fd, buffer, sizeof buffer);
            if (n <= 0) (k == 0 ? outOpen : errOpen) = false;
            else (k == 0 ? outText : errText).append(buffer, static_cast<std::size_t>(n));
        }
    }
}

}  // namespace

long long feedRepeated(int fd, const std::string& prefix, const std::string& filler, long long total,
                       const std::string& suffix) {
    std::string block;
    while (block.size() < (1u << 16)) block += filler;
    long long written = 0;
    auto put = [&](const char* data, std::size_t size) {
        while (size) {
            ssize_t n = write(fd, data, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            written += n;
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    };
    if (!put(prefix.data(), prefix.size())) return written;
    long long body = total - static_cast<long long>(prefix.size() + suffix.size());
    while (body > 0) {
        auto chunk = static_cast<std::size_t>(std::min<long long>(body, static_cast<long long>(block.size())));
        if (!put(block.data(), chunk)) return written;
        body -= static_cast<long long>(chunk);
    }
    put(suffix.data(), suffix.size());
    return written;
}

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      double timeLimitSeconds, const StdinFeeder& feeder) {
    signal(SIGPIPE, SIG_IGN);  // a reader that stops early must not kill the test
    int input[2], output[2], errors[2];
    ProgramRun run;
    if (pipe(input) != 0 || pipe(output) != 0 || pipe(errors) != 0) return run;
    const Clock::time_point start = Clock::now();
    pid_t child = fork();
    if (child == 0) execChild(program, arguments, input[0], output[1], errors[1]);
    close(input[0]);
    close(output[1]);
    close(errors[1]);
    std::thread feeding([&] {
        if (feeder) run.bytesFed = feeder(input[1]);
        close(input[1]);
    });
    const auto deadline = start + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(timeLimitSeconds));
    collectOutput(output[0], errors[0], run.output, run.errorOutput, deadline);
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, WNOHANG, &usage) == 0) {
        if (Clock::now() >= deadline) {
            run.timedOut = true;
            kill(child, SIGKILL);
            wait4(child, &status, 0, &usage);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    feeding.join();
    close(output[0]);
    close(errors[0]);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakResidentKb = usage.ru_maxrss;
    return run;
}
