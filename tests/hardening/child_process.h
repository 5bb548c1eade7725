#pragma once
// A child process of the hardening tests, started from the helper executable with its standard output and
// error in one pipe, so that a test can wait for a line and kill it at once at a chosen moment.

#include <QByteArray>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace morlo::test {

struct ChildResult {
    bool exited = false;
    int exitCode = -1;
    int signal = 0;
    QByteArray output; // standard output and error together
};

class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            wait();
        }
    }

    // Starts the helper with `args`; `environment` entries ("NAME=value") are added to this process's.
    bool start(const QStringList& args, const QStringList& environment = {}) {
        int fds[2];
        if (::pipe(fds) != 0)
            return false;
        std::vector<QByteArray> argStore{QByteArray(MORLO_HARDENING_HELPER)};
        for (const QString& arg : args)
            argStore.push_back(arg.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& arg : argStore)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        std::vector<QByteArray> envStore;
        for (const QString& entry : environment)
            envStore.push_back(entry.toLocal8Bit());
        std::vector<char*> envp;
        for (char** e = environ; *e; ++e)
            envp.push_back(*e);
        for (QByteArray& entry : envStore)
            envp.push_back(entry.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (spawned != 0) {
            ::close(fds[0]);
            pid_ = -1;
            return false;
        }
        out_ = fds[0];
        return true;
    }

    // The next line of output without its line break; empty at the end of the output.
    QByteArray readLine() {
        QByteArray line;
        char c = 0;
        for (;;) {
            if (!readByte(&c)) {
                atEnd_ = true;
                break;
            }
            if (c == '\n')
                break;
            line += c;
        }
        output_ += line + '\n';
        return line;
    }

    // The next line that begins with `prefix`, skipping others (such as Qt's warnings); empty at the end.
    QByteArray waitForLine(const QByteArray& prefix) {
        for (;;) {
            const QByteArray line = readLine();
            if (line.startsWith(prefix) || (line.isEmpty() && atEnd_))
                return line;
        }
    }

    void kill(int signal = SIGKILL) {
        if (pid_ > 0)
            ::kill(pid_, signal);
    }

    ChildResult wait() {
        ChildResult result;
        char buffer[4096];
        ssize_t n;
        while (out_ >= 0 && ((n = ::read(out_, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)))
            if (n > 0)
                output_.append(buffer, n);
        if (out_ >= 0)
            ::close(out_);
        out_ = -1;
        int status = 0;
        while (pid_ > 0 && ::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        result.exited = WIFEXITED(status);
        result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
        result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        result.output = output_;
        return result;
    }

private:
    bool readByte(char* c) {
        for (;;) {
            const ssize_t n = ::read(out_, c, 1);
            if (n == 1)
                return true;
            if (n < 0 && errno == EINTR)
                continue;
            return false;
        }
    }

    pid_t pid_ = -1;
    int out_ = -1;
    QByteArray output_;
    bool atEnd_ = false;
};

// Runs the helper to its end.
inline ChildResult runHelper(const QStringList& args, const QStringList& environment = {}) {
    ChildProcess child;
    if (!child.start(args, environment))
        return {};
    return child.wait();
}

} // namespace morlo::test
