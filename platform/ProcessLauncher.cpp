#include "platform/ProcessLauncher.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {
namespace {

// How often a waiting ChildProcess looks at the program's state.
constexpr uint32_t kPollMs = 5;

// Programs whose ChildProcess went away while they ran: collected later so they leave no zombies.
// Owner: the abandoned-list lock, taken alone.
struct Abandoned
{
    std::mutex lock;
    std::vector<pid_t> pids;
};

Abandoned& TheAbandoned()
{
    static Abandoned abandoned;
    return abandoned;
}

void CollectAbandoned()
{
    Abandoned& abandoned = TheAbandoned();
    std::lock_guard<std::mutex> guard(abandoned.lock);
    std::erase_if(abandoned.pids, [](pid_t pid) {
        const pid_t answer = ::waitpid(pid, nullptr, WNOHANG);
        return answer == pid || (answer < 0 && errno == ECHILD);
    });
}

LaunchStatus StatusOf(int error)
{
    switch (error) {
    case 0:
        return LaunchStatus::Started;
    case ENOENT:
    case ENOTDIR:
        return LaunchStatus::NotFound;
    case EACCES:
    case EPERM:
    case ENOEXEC:
        return LaunchStatus::NotExecutable;
    default:
        return LaunchStatus::Failed;
    }
}

LaunchResult Failure(int error)
{
    return LaunchResult{StatusOf(error), error};
}

// The file to execute: a path as given, or the first executable match in PATH. The answer's error is
// ENOENT or EACCES when there is none.
std::pair<std::string, int> Resolve(const std::string& program)
{
    if (program.empty()) {
        return {{}, ENOENT};
    }
    const auto check = [](const std::string& path) {
        struct stat info
        {
        };
        if (::stat(path.c_str(), &info) != 0) {
            return ENOENT;
        }
        if (S_ISDIR(info.st_mode) || ::access(path.c_str(), X_OK) != 0) {
            return EACCES;
        }
        return 0;
    };
    if (program.find('/') != std::string::npos) {
        return {program, check(program)};
    }
    const char* pathVariable = std::getenv("PATH");
    const std::string folders = pathVariable != nullptr ? pathVariable : "/usr/local/bin:/usr/bin:/bin";
    int error = ENOENT;
    for (size_t start = 0; start <= folders.size();) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) {
            end = folders.size();
        }
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        const std::string candidate = folder + "/" + program;
        const int answer = check(candidate);
        if (answer == 0) {
            return {candidate, 0};
        }
        if (answer == EACCES) {
            error = EACCES;
        }
        start = end + 1;
    }
    return {{}, error};
}

// Everything the child needs, made before fork: after fork only async-signal-safe calls are allowed.
struct ExecPlan
{
    std::string file;
    std::vector<std::string> strings;
    std::vector<char*> argv;
    std::string workingFolder;

    ExecPlan(std::string resolved, const std::string& program, const std::vector<std::string>& args,
             std::string folder)
        : file(std::move(resolved)), workingFolder(std::move(folder))
    {
        strings.push_back(program);
        strings.insert(strings.end(), args.begin(), args.end());
        for (std::string& text : strings) {
            argv.push_back(text.data());
        }
        argv.push_back(nullptr);
    }
};

// In the child: prepares and executes; on failure reports errno through the pipe and exits.
[[noreturn]] void ExecChild(const ExecPlan& plan, int errorPipe)
{
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction defaults
    {
    };
    defaults.sa_handler = SIG_DFL;
    for (int signal : {SIGPIPE, SIGCHLD, SIGXFSZ, SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &defaults, nullptr);
    }
    // Nothing of ours leaks into the program; the error pipe closes itself on a successful exec.
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
        for (int fd = 3; fd < 4096; ++fd) {
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    }
    int error = 0;
    if (!plan.workingFolder.empty() && ::chdir(plan.workingFolder.c_str()) != 0) {
        error = errno;
    } else {
        ::execv(plan.file.c_str(), plan.argv.data());
        error = errno;
    }
    (void)!::write(errorPipe, &error, sizeof error);
    ::_exit(127);
}

// The errno the child reported, or 0 when the pipe closed without one (the exec succeeded).
int ReadChildError(int readEnd)
{
    int error = 0;
    ssize_t got;
    do {
        got = ::read(readEnd, &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

// Forks and executes the plan; detached puts the program in a grandchild of its own session, which
// nobody needs to collect. Answers the pid (of the program, or 0 when detached) and the error.
std::pair<pid_t, int> Launch(const ExecPlan& plan, bool detached)
{
    CollectAbandoned();
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return {-1, errno};
    }
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        return {-1, error};
    }
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (detached) {
            const pid_t grandchild = ::fork();
            if (grandchild < 0) {
                const int error = errno;
                (void)!::write(pipeEnds[1], &error, sizeof error);
                ::_exit(127);
            }
            if (grandchild > 0) {
                ::_exit(0);
            }
            ::setsid();
        }
        ExecChild(plan, pipeEnds[1]);
    }
    ::close(pipeEnds[1]);
    const int error = ReadChildError(pipeEnds[0]);
    ::close(pipeEnds[0]);
    if (detached || error != 0) {
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
        return {error != 0 ? -1 : 0, error};
    }
    return {child, 0};
}

bool LooksLikeUrl(const std::string& text)
{
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon < 2) {
        return false;
    }
    return std::all_of(text.begin(), text.begin() + static_cast<long>(colon), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
               c == '-' || c == '.';
    });
}

} // namespace

ChildProcess::~ChildProcess()
{
    Abandon();
    CollectAbandoned();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : pid_(other.pid_), exitCode_(other.exitCode_)
{
    other.pid_ = -1;
    other.exitCode_.reset();
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept
{
    if (this != &other) {
        Abandon();
        pid_ = other.pid_;
        exitCode_ = other.exitCode_;
        other.pid_ = -1;
        other.exitCode_.reset();
    }
    return *this;
}

void ChildProcess::Abandon()
{
    if (pid_ > 0 && !Poll()) {
        Abandoned& abandoned = TheAbandoned();
        std::lock_guard<std::mutex> guard(abandoned.lock);
        abandoned.pids.push_back(pid_);
    }
    pid_ = -1;
}

bool ChildProcess::Poll()
{
    if (exitCode_) {
        return true;
    }
    if (pid_ <= 0) {
        return false;
    }
    int status = 0;
    const pid_t answer = ::waitpid(pid_, &status, WNOHANG);
    if (answer == pid_) {
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return true;
    }
    if (answer < 0 && errno != EINTR) {
        // Collected elsewhere (or never ours): it has ended, with an unknown code.
        exitCode_ = -1;
        return true;
    }
    return false;
}

bool ChildProcess::IsRunning()
{
    return pid_ > 0 && !Poll();
}

WaitResult ChildProcess::Wait(uint32_t timeoutMs, Event* cancel)
{
    if (pid_ <= 0) {
        return WaitResult::NotStarted;
    }
    const uint32_t start = GetTickCount();
    for (;;) {
        if (Poll()) {
            return WaitResult::Ended;
        }
        const uint32_t elapsed = GetTickCount() - start;
        if (timeoutMs != kInfinite && elapsed >= timeoutMs) {
            return WaitResult::TimedOut;
        }
        const uint32_t slice = timeoutMs == kInfinite ? kPollMs : std::min(kPollMs, timeoutMs - elapsed);
        if (cancel != nullptr ? WaitOne(*cancel, slice) : (SleepMs(slice), false)) {
            return WaitResult::Cancelled;
        }
    }
}

bool ChildProcess::Terminate()
{
    return IsRunning() && ::kill(pid_, SIGTERM) == 0;
}

LaunchResult SpawnProgram(const std::string& program, const std::vector<std::string>& args,
                          ChildProcess& process, const std::string& workingFolder)
{
    if (process.IsRunning()) {
        return Failure(EBUSY);
    }
    auto [file, error] = Resolve(program);
    if (error != 0) {
        return Failure(error);
    }
    const ExecPlan plan(std::move(file), program, args, workingFolder);
    const auto [pid, launchError] = Launch(plan, false);
    if (launchError != 0) {
        return Failure(launchError);
    }
    process = ChildProcess();
    process.pid_ = pid;
    return LaunchResult{LaunchStatus::Started, 0};
}

LaunchResult StartProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::string& workingFolder)
{
    auto [file, error] = Resolve(program);
    if (error != 0) {
        return Failure(error);
    }
    const ExecPlan plan(std::move(file), program, args, workingFolder);
    return Failure(Launch(plan, true).second);
}

WaitResult RunProgram(const std::string& program, const std::vector<std::string>& args, uint32_t timeoutMs,
                      Event* cancel, int& exitCode, LaunchResult* launch)
{
    ChildProcess process;
    const LaunchResult started = SpawnProgram(program, args, process);
    if (launch != nullptr) {
        *launch = started;
    }
    if (!started.Ok()) {
        return WaitResult::NotStarted;
    }
    const WaitResult result = process.Wait(timeoutMs, cancel);
    if (result == WaitResult::Ended) {
        exitCode = process.ExitCode().value_or(-1);
    }
    return result;
}

LaunchResult OpenDocument(const std::string& documentOrUrl)
{
    if (documentOrUrl.empty()) {
        return Failure(ENOENT);
    }
    if (!LooksLikeUrl(documentOrUrl)) {
        struct stat info
        {
        };
        if (::stat(documentOrUrl.c_str(), &info) != 0) {
            return Failure(errno);
        }
    }
    return StartProgram("xdg-open", {documentOrUrl});
}

} // namespace platform
