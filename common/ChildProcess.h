#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <QStringList>

// A short-lived helper process with its standard input and output connected to the
// caller, for work that must not be able to take the calling process down with it.
// Everything that depends on the operating system lives in one source file per system
// (ChildProcessPosix.cpp, ChildProcessWin.cpp); what is common lives in ChildProcess.cpp.
// Not copyable; the destructor kills a child still running.
class ChildProcess
{
public:
    // How the child ended.
    struct Exit
    {
        bool timedOut = false; // killed because the deadline passed
        bool crashed = false; // ended by a signal (or an exception on Windows)
        bool cpuLimit = false; // ended because its processor-time limit ran out
        int code = -1; // its exit code when it ended normally
        int signal = 0;
    };

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The program called name in the folder of the running program, or empty when it is
    // not there. The environment variable PELORIX_HELPER_DIR names another folder to look in.
    static QString ProgramBeside(const QString& name);

    // Starts program with the arguments, standard error discarded. False with a reason.
    bool Start(const QString& program, const QStringList& arguments, QString* error);
    // Writes all bytes to the child's standard input. False when the child stopped reading
    // (it ended, or gave up on the input) or the deadline passed.
    bool Write(const char* data, qint64 size, const QDeadlineTimer& deadline);
    // Ends the child's standard input.
    void CloseInput();
    // Reads exactly size bytes of the child's output. False when the output ends first,
    // fails, or the deadline passes (then TimedOut() is true).
    bool Read(char* data, qint64 size, const QDeadlineTimer& deadline);
    bool TimedOut() const { return m_timedOut; }
    // Waits for the child to end, killing it when the deadline passes (or at once with kill).
    Exit Finish(const QDeadlineTimer& deadline, bool kill = false);

private:
    // One read from the child's output (reading) or write to its input of at most size
    // bytes: the bytes moved, 0 when the channel ended or failed, -1 when the deadline passed.
    qint64 Transfer(bool reading, char* data, qint64 size, const QDeadlineTimer& deadline);
    bool TransferAll(bool reading, char* data, qint64 size, const QDeadlineTimer& deadline);
    // The folder of the running program.
    static QString ExecutableFolder();

    qint64 m_pid = -1;
    int m_input = -1;
    int m_output = -1;
    bool m_timedOut = false;
};
