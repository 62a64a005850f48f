#include "common/ChildProcess.h"

#ifndef _WIN32

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char** environ;

namespace {

void CloseFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Waits until fd is ready for events; false when the deadline passes first.
bool WaitFor(int fd, short events, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd entry { fd, events, 0 };
        const qint64 left = deadline.remainingTime();
        const int ready = ::poll(&entry, 1, left < 0 ? -1 : int(qMin<qint64>(left, 1 << 30)));
        if (ready > 0)
            return true;
        if (ready == 0)
            return false;
        if (errno != EINTR)
            return true; // the next read or write reports the error
    }
}

} // namespace

ChildProcess::~ChildProcess()
{
    if (m_pid > 0)
        Finish(QDeadlineTimer(0), true);
    CloseFd(m_input);
    CloseFd(m_output);
}

QString ChildProcess::ExecutableFolder()
{
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

bool ChildProcess::Start(const QString& program, const QStringList& arguments, QString* error)
{
    // Sockets rather than pipes: writing to a child that has gone then fails with EPIPE
    // (MSG_NOSIGNAL) instead of raising SIGPIPE in the whole calling process.
    int input[2];
    int output[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0) {
        *error = QStringLiteral("cannot create a channel to a helper process");
        return false;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, output) != 0) {
        ::close(input[0]);
        ::close(input[1]);
        *error = QStringLiteral("cannot create a channel to a helper process");
        return false;
    }
    std::vector<QByteArray> texts { QFile::encodeName(program) };
    for (const QString& argument : arguments)
        texts.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[1], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    // The child starts with default signal handling and nothing blocked, whatever the caller set.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(input[1]);
    ::close(output[1]);
    if (failed != 0) {
        ::close(input[0]);
        ::close(output[0]);
        *error = QStringLiteral("cannot start %1: %2").arg(program, QString::fromLocal8Bit(strerror(failed)));
        return false;
    }
    m_pid = pid;
    m_input = input[0];
    m_output = output[0];
    m_timedOut = false;
    return true;
}

void ChildProcess::CloseInput()
{
    CloseFd(m_input);
}

qint64 ChildProcess::Transfer(bool reading, char* data, qint64 size, const QDeadlineTimer& deadline)
{
    const int fd = reading ? m_output : m_input;
    if (fd < 0)
        return 0;
    for (;;) {
        if (!WaitFor(fd, reading ? POLLIN : POLLOUT, deadline))
            return -1;
        const ssize_t moved = reading
            ? ::recv(fd, data, size_t(qMin<qint64>(size, 1 << 30)), MSG_DONTWAIT)
            : ::send(fd, data, size_t(qMin<qint64>(size, 1 << 20)), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (moved < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        return moved <= 0 ? 0 : qint64(moved);
    }
}

ChildProcess::Exit ChildProcess::Finish(const QDeadlineTimer& deadline, bool kill)
{
    Exit exit;
    CloseFd(m_input);
    CloseFd(m_output);
    if (m_pid <= 0)
        return exit;
    const pid_t pid = pid_t(m_pid);
    m_pid = -1;
    int status = 0;
    bool ended = false;
    useconds_t pause = 100;
    while (!kill) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            ended = done == pid;
            break;
        }
        if (deadline.hasExpired()) {
            exit.timedOut = true;
            break;
        }
        ::usleep(pause);
        pause = qMin<useconds_t>(pause * 2, 20000);
    }
    if (!ended) {
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
        exit.timedOut = exit.timedOut || m_timedOut;
        return exit;
    }
    if (WIFSIGNALED(status)) {
        exit.signal = WTERMSIG(status);
        exit.cpuLimit = exit.signal == SIGXCPU;
        exit.crashed = !exit.cpuLimit;
    } else if (WIFEXITED(status)) {
        exit.code = WEXITSTATUS(status);
    }
    return exit;
}

#endif
