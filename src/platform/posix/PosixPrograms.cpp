// Child processes on POSIX systems: posix_spawn with the output streams on pipes, the child in
// a process group of its own (so that a time limit kills whatever it started too, and the
// terminal's Ctrl-C reaches the player, which then ends it), and a loop that reads both pipes
// while it waits, so a child that writes much never blocks on a full pipe.
#include "platform/Programs.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>

extern char** environ;

namespace zamp {

namespace {

using Clock = std::chrono::steady_clock;

// How long one wait for output lasts before the time limit and the stop flag are looked at.
constexpr int kPollMilliseconds = 20;

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            close();
            fd_ = other.fd_;
            other.fd_ = -1;
        }
        return *this;
    }
    int get() const { return fd_; }
    bool open() const { return fd_ >= 0; }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

struct Pipe {
    FileDescriptor read, write;
};

// Both ends close on exec: the child gets only the copies that the spawn puts on 1 and 2.
bool makePipe(Pipe& pipe) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    pipe.read = FileDescriptor(fds[0]);
    pipe.write = FileDescriptor(fds[1]);
    return true;
}

class SpawnFileActions {
public:
    SpawnFileActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnFileActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

class SpawnAttributes {
public:
    SpawnAttributes() { posix_spawnattr_init(&attributes_); }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawnattr_t* get() { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
};

// A started child: killed with its process group and reaped when it goes out of scope before
// it was waited for (an exception while reading its output), so no process outlives the run.
class Child {
public:
    explicit Child(pid_t pid) : pid_(pid) {}
    ~Child() {
        if (!reaped_) kill();
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Kills the child and everything in its group, and reaps it.
    void kill() {
        ::kill(-pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        reaped_ = true;
    }
    // True once the child has ended; `status` is waitpid's.
    bool ended(int& status) {
        const pid_t got = ::waitpid(pid_, &status, WNOHANG);
        if (got == pid_) reaped_ = true;
        if (got < 0 && errno != EINTR) {
            // Only when SIGCHLD is ignored (children are then reaped by the system): the child
            // is gone and its status lost; count it as a failure, never as success.
            status = 255 << 8;
            reaped_ = true;
        }
        return reaped_;
    }

private:
    pid_t pid_;
    bool reaped_ = false;
};

// One captured stream: the read end of its pipe and what came through it.
struct Capture {
    FileDescriptor fd;
    std::string* text;

    // Reads what is there; closes the end at end of file.
    void readAvailable() {
        char buffer[4096];
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got > 0) {
            const std::size_t room = kMaxProgramOutput - std::min(kMaxProgramOutput, text->size());
            text->append(buffer, std::min(room, std::size_t(got)));
        } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
            fd.close();
        }
    }
};

// Waits up to `milliseconds` for output on the open captures and reads it.
void readOutput(Capture* captures, int count, int milliseconds) {
    pollfd fds[2];
    Capture* polled[2];
    int n = 0;
    for (int i = 0; i < count; ++i) {
        if (!captures[i].fd.open()) continue;
        fds[n] = {captures[i].fd.get(), POLLIN, 0};
        polled[n++] = &captures[i];
    }
    if (n == 0) {
        ::poll(nullptr, 0, milliseconds);
        return;
    }
    if (::poll(fds, nfds_t(n), milliseconds) <= 0) return;
    for (int i = 0; i < n; ++i)
        if (fds[i].revents) polled[i]->readAvailable();
}

} // namespace

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments, double timeLimitSeconds,
                      const std::atomic<bool>* stop) {
    ProgramRun run;
    Pipe out, err;
    if (!makePipe(out) || !makePipe(err)) {
        run.problem = std::strerror(errno);
        return run;
    }

    SpawnFileActions actions;
    posix_spawn_file_actions_addopen(actions.get(), 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(actions.get(), out.write.get(), 1);
    posix_spawn_file_actions_adddup2(actions.get(), err.write.get(), 2);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Files the player's libraries opened without close-on-exec stay out of the child too.
    posix_spawn_file_actions_addclosefrom_np(actions.get(), 3);
#endif
    SpawnAttributes attributes;
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGCHLD}) sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(attributes.get(), &none);
    posix_spawnattr_setsigdefault(attributes.get(), &defaults);
    posix_spawnattr_setpgroup(attributes.get(), 0);
    posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<std::string> words;
    words.reserve(arguments.size() + 1);
    words.push_back(program);
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.c_str(), actions.get(), attributes.get(), argv.data(), environ);
    if (spawned != 0) {
        run.problem = std::strerror(spawned);
        return run;
    }
    Child child(pid);
    // The player keeps only the read ends: the pipes end when the child (and anything it
    // started) has closed its copies.
    out.write.close();
    err.write.close();
    Capture captures[2] = {{std::move(out.read), &run.out}, {std::move(err.read), &run.err}};

    // Beyond about 100 days the limit is no limit; NaN or a negative limit is none at all.
    const double seconds = timeLimitSeconds > 0 ? std::min(timeLimitSeconds, 1e7) : 0.0;
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    int status = 0;
    while (true) {
        if (child.ended(status)) {
            // What it wrote before it ended is still in the pipes.
            for (Capture& c : captures)
                while (c.fd.open()) {
                    pollfd fd{c.fd.get(), POLLIN, 0};
                    if (::poll(&fd, 1, 0) <= 0) break;
                    c.readAvailable();
                }
            break;
        }
        if (stop && stop->load()) {
            child.kill();
            run.end = ProgramRun::End::Stopped;
            return run;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            child.kill();
            run.end = ProgramRun::End::TimedOut;
            return run;
        }
        readOutput(captures, 2, int(std::min<long long>(left, kPollMilliseconds)));
    }
    if (WIFSIGNALED(status)) {
        run.end = ProgramRun::End::Signalled;
        run.status = WTERMSIG(status);
    } else {
        run.end = ProgramRun::End::Exited;
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
    }
    return run;
}

std::string runningProgramFolder() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.parent_path().string();
}

} // namespace zamp
