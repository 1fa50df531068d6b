#include "isolation.h"

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>

namespace tervo::check {
namespace {

void writeAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) _exit(3);  // the parent is gone
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

char statusLetter(Status status) {
    return status == Status::ok ? 'o' : status == Status::fail ? 'f' : 's';
}

Status statusOf(char letter) {
    return letter == 'o' ? Status::ok : letter == 's' ? Status::skip : Status::fail;
}

[[noreturn]] void runChild(int fd, const std::function<Outcome(Channel&)>& body) {
    dup2(STDERR_FILENO, STDOUT_FILENO);
    Channel channel(fd);
    Outcome outcome;
    try {
        outcome = body(channel);
    } catch (const CheckFailed& failure) {
        outcome = failed(failure.observed);
    } catch (const std::exception& e) {
        outcome = failed(std::string("threw a standard exception: ") + e.what());
    } catch (...) {
        outcome = failed("threw an exception of an unknown type");
    }
    channel.outcome(outcome);
    // No exit handlers: the libraries' state belongs to the parent's world.
    _exit(0);
}

// Splits the records received so far; a record cut short stays in the buffer.
void decode(std::vector<char>& received, ChildReport& report, bool& answered, std::string& lastCall) {
    std::size_t at = 0;
    while (received.size() - at >= 5) {
        std::uint32_t size;
        std::memcpy(&size, &received[at + 1], sizeof size);
        if (received.size() - at - 5 < size) break;
        const char type = received[at];
        const std::string payload(received.begin() + static_cast<long>(at) + 5,
                                  received.begin() + static_cast<long>(at + 5 + size));
        if (type == 'c') lastCall = payload;
        if (type == 'm') report.missing.push_back(payload);
        if (type == 'l') {
            const std::size_t split = payload.find('\0');
            report.library.path = payload.substr(0, split);
            report.library.standIn = split == std::string::npos ? "" : payload.substr(split + 1);
        }
        if (type == 'i') report.images.emplace_back(payload.begin(), payload.end());
        if (type == 'r' && !payload.empty()) {
            report.outcome = {statusOf(payload[0]), payload.substr(1)};
            answered = true;
        }
        at += 5 + size;
    }
    received.erase(received.begin(), received.begin() + static_cast<long>(at));
}

// How long a child that does nothing may take to end before fork() is taken
// not to work here.
constexpr int kForkProbeMs = 300;
constexpr int kProbeStepMs = 10;

bool forkReturnsInChild() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    if (child < 0) return true;  // the real fork() then reports its error
    for (int waited = 0; waited < kForkProbeMs; waited += kProbeStepMs) {
        if (waitpid(child, nullptr, WNOHANG) == child) return true;
        usleep(kProbeStepMs * 1000);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    std::fprintf(stderr,
                 "tervo-check: fork() does not return in the child here; using the clone system call\n");
    return false;
}

// A child process. Under some user-mode emulators (qemu-user 7.2 running an
// AArch64 build) fork() of a dynamically linked program never returns in the
// child; there a bare clone system call, which skips only the C library's
// at-fork handlers, starts it instead.
pid_t startChild() {
    static const bool forkWorks = forkReturnsInChild();
    if (forkWorks) return fork();
    return static_cast<pid_t>(syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0));
}

std::string blame(const std::string& lastCall) {
    return lastCall.empty() ? "loading the library" : lastCall;
}

}  // namespace

void Channel::send(char type, const void* data, std::size_t size) {
    char head[5] = {type};
    const auto length = static_cast<std::uint32_t>(size);
    std::memcpy(head + 1, &length, sizeof length);
    writeAll(fd_, head, sizeof head);
    writeAll(fd_, data, size);
}

void Channel::library(const tervo::origin::LibraryFile& file) {
    const std::string payload = file.path + '\0' + file.standIn;
    send('l', payload.data(), payload.size());
}

void Channel::outcome(const Outcome& outcome) {
    const std::string payload = statusLetter(outcome.status) + outcome.detail;
    send('r', payload.data(), payload.size());
}

ChildReport runIsolated(const std::function<Outcome(Channel&)>& body, int timeoutSeconds) {
    ChildReport report;
    int fds[2];
    if (pipe(fds) != 0) {
        report.outcome = failed(std::string("cannot make a pipe: ") + std::strerror(errno));
        return report;
    }
    std::fflush(nullptr);
    const pid_t child = startChild();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        report.outcome = failed(std::string("cannot start a process: ") + std::strerror(errno));
        return report;
    }
    if (child == 0) {
        close(fds[0]);
        runChild(fds[1], body);
    }
    close(fds[1]);

    std::vector<char> received;
    bool answered = false, timedOut = false;
    std::string lastCall;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        char chunk[65536];
        const ssize_t n = read(fds[0], chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        received.insert(received.end(), chunk, chunk + n);
        decode(received, report, answered, lastCall);
    }
    close(fds[0]);
    if (timedOut) kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    if (timedOut) {
        report.outcome =
            failed(blame(lastCall) + " gave no answer within " + std::to_string(timeoutSeconds) + " s");
    } else if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        report.outcome = failed(blame(lastCall) + " crashed: signal " + std::to_string(signal) + " (" +
                                strsignal(signal) + ")");
    } else if (!answered) {
        report.outcome = failed(blame(lastCall) + " ended the process with status " +
                                std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1));
    }
    return report;
}

}  // namespace tervo::check
