#include "common/ChildProcess.h"

#ifdef _WIN32

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <atomic>
#include <iterator>
#include <string>
#include <vector>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The Windows side of ChildProcess. The two channels are named pipes opened for
// overlapped use on this side, so that every read and write can wait with the
// caller's deadline; the child's ends are ordinary inheritable handles. m_pid holds
// the process handle, m_input and m_output the pipe handles (as integers, -1 for none).

namespace {

HANDLE AsHandle(qint64 value)
{
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(value));
}

HANDLE AsHandle(int value)
{
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(value));
}

int FromHandle(HANDLE handle)
{
    // Kernel handles fit in 32 bits, also in 64-bit processes.
    return static_cast<int>(reinterpret_cast<intptr_t>(handle));
}

void CloseChannel(int& channel)
{
    if (channel != -1)
        ::CloseHandle(AsHandle(channel));
    channel = -1;
}

DWORD Milliseconds(const QDeadlineTimer& deadline)
{
    if (deadline.isForever())
        return INFINITE;
    return DWORD(qBound<qint64>(0, deadline.remainingTime(), INFINITE - 1));
}

// A pipe whose parent end (overlapped) is returned in ours and whose child end
// (inheritable, blocking) in theirs. inbound: the parent reads from it.
bool CreateChannel(bool inbound, HANDLE& ours, HANDLE& theirs)
{
    static std::atomic<unsigned> counter { 0 };
    const QString name
        = QStringLiteral("\\\\.\\pipe\\pelorix-%1-%2").arg(::GetCurrentProcessId()).arg(counter.fetch_add(1));
    const std::wstring wide = name.toStdWString();
    ours = ::CreateNamedPipeW(wide.c_str(),
        (inbound ? PIPE_ACCESS_INBOUND : PIPE_ACCESS_OUTBOUND) | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 1 << 16, 1 << 16, 0, nullptr);
    if (ours == INVALID_HANDLE_VALUE)
        return false;
    SECURITY_ATTRIBUTES inherit { sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE };
    theirs = ::CreateFileW(wide.c_str(), inbound ? GENERIC_WRITE : GENERIC_READ, 0, &inherit, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (theirs == INVALID_HANDLE_VALUE) {
        ::CloseHandle(ours);
        return false;
    }
    return true;
}

// One overlapped read or write of at most size bytes, waiting until the deadline.
// The bytes moved; 0 when the pipe ended or failed; -1 when the deadline passed.
qint64 TransferOnce(HANDLE pipe, bool reading, char* data, qint64 size, const QDeadlineTimer& deadline)
{
    OVERLAPPED overlapped {};
    overlapped.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (overlapped.hEvent == nullptr)
        return 0;
    const DWORD chunk = DWORD(qMin<qint64>(size, 1 << 20));
    DWORD moved = 0;
    BOOL done = reading ? ::ReadFile(pipe, data, chunk, nullptr, &overlapped)
                        : ::WriteFile(pipe, data, chunk, nullptr, &overlapped);
    qint64 result = 0;
    if (done || ::GetLastError() == ERROR_IO_PENDING) {
        if (::WaitForSingleObject(overlapped.hEvent, Milliseconds(deadline)) != WAIT_OBJECT_0) {
            ::CancelIoEx(pipe, &overlapped);
            ::GetOverlappedResult(pipe, &overlapped, &moved, TRUE); // the cancelled operation ends
            result = moved > 0 ? qint64(moved) : -1;
        } else if (::GetOverlappedResult(pipe, &overlapped, &moved, FALSE)) {
            result = qint64(moved);
        }
    }
    ::CloseHandle(overlapped.hEvent);
    return result;
}

// Windows has no signals: a crash ends the process with an exception code.
bool IsExceptionCode(DWORD code)
{
    return (code & 0xF0000000u) == 0xC0000000u;
}

} // namespace

ChildProcess::~ChildProcess()
{
    if (m_pid != -1)
        Finish(QDeadlineTimer(0), true);
    CloseChannel(m_input);
    CloseChannel(m_output);
}

QString ChildProcess::ExecutableFolder()
{
    wchar_t self[MAX_PATH * 4];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, DWORD(std::size(self)));
    if (length == 0 || length >= std::size(self))
        return {};
    return QFileInfo(QString::fromWCharArray(self, int(length))).absolutePath();
}

bool ChildProcess::Start(const QString& program, const QStringList& arguments, QString* error)
{
    HANDLE input = nullptr, childInput = nullptr, output = nullptr, childOutput = nullptr;
    if (!CreateChannel(false, input, childInput)) {
        *error = QStringLiteral("cannot create a channel to a helper process");
        return false;
    }
    if (!CreateChannel(true, output, childOutput)) {
        ::CloseHandle(input);
        ::CloseHandle(childInput);
        *error = QStringLiteral("cannot create a channel to a helper process");
        return false;
    }
    SECURITY_ATTRIBUTES inherit { sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE };
    HANDLE null = ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr);

    // The command line with the quoting rules of the C runtime's argument parser.
    const auto quoted = [](const QString& argument) {
        if (!argument.isEmpty() && !argument.contains(QRegularExpression(QStringLiteral("[\\s\"]"))))
            return argument;
        QString text = QStringLiteral("\"");
        int backslashes = 0;
        for (QChar c : argument) {
            if (c == QLatin1Char('\\')) {
                ++backslashes;
                continue;
            }
            text += QString(c == QLatin1Char('"') ? 2 * backslashes + 1 : backslashes, QLatin1Char('\\'));
            backslashes = 0;
            text += c;
        }
        text += QString(2 * backslashes, QLatin1Char('\\')) + QLatin1Char('"');
        return text;
    };
    QString commandLine = quoted(QDir::toNativeSeparators(program));
    for (const QString& argument : arguments)
        commandLine += QLatin1Char(' ') + quoted(argument);
    std::wstring command = commandLine.toStdWString();

    // Only the three handles are inherited, whatever else this process has open.
    HANDLE inherited[] = { childInput, childOutput, null };
    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> storage(size);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
    bool ok = ::InitializeProcThreadAttributeList(attributes, 1, 0, &size)
        && ::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
            null != INVALID_HANDLE_VALUE ? sizeof(inherited) : 2 * sizeof(HANDLE), nullptr, nullptr);

    STARTUPINFOEXW startup {};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = childInput;
    startup.StartupInfo.hStdOutput = childOutput;
    startup.StartupInfo.hStdError = null != INVALID_HANDLE_VALUE ? null : nullptr;
    startup.lpAttributeList = attributes;
    PROCESS_INFORMATION process {};
    ok = ok
        && ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE,
            CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr, &startup.StartupInfo, &process);
    const DWORD failure = ok ? 0 : ::GetLastError();
    ::DeleteProcThreadAttributeList(attributes);
    ::CloseHandle(childInput);
    ::CloseHandle(childOutput);
    if (null != INVALID_HANDLE_VALUE)
        ::CloseHandle(null);
    if (!ok) {
        ::CloseHandle(input);
        ::CloseHandle(output);
        *error = QStringLiteral("cannot start %1: system error %2").arg(program).arg(failure);
        return false;
    }
    ::CloseHandle(process.hThread);
    m_pid = qint64(reinterpret_cast<intptr_t>(process.hProcess));
    m_input = FromHandle(input);
    m_output = FromHandle(output);
    m_timedOut = false;
    return true;
}

void ChildProcess::CloseInput()
{
    CloseChannel(m_input);
}

qint64 ChildProcess::Transfer(bool reading, char* data, qint64 size, const QDeadlineTimer& deadline)
{
    const int channel = reading ? m_output : m_input;
    if (channel == -1)
        return 0;
    return TransferOnce(AsHandle(channel), reading, data, size, deadline);
}

ChildProcess::Exit ChildProcess::Finish(const QDeadlineTimer& deadline, bool kill)
{
    Exit exit;
    CloseChannel(m_input);
    CloseChannel(m_output);
    if (m_pid == -1)
        return exit;
    const HANDLE process = AsHandle(m_pid);
    m_pid = -1;
    const bool ended = !kill && ::WaitForSingleObject(process, Milliseconds(deadline)) == WAIT_OBJECT_0;
    if (!ended) {
        ::TerminateProcess(process, 1);
        ::WaitForSingleObject(process, INFINITE);
        ::CloseHandle(process);
        exit.timedOut = !kill || m_timedOut;
        return exit;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process, &code);
    ::CloseHandle(process);
    // A job's processor-time limit ends the process with this code.
    if (code == ERROR_NOT_ENOUGH_QUOTA) {
        exit.cpuLimit = true;
    } else if (IsExceptionCode(code)) {
        exit.crashed = true;
        exit.signal = int(code);
    } else {
        exit.code = int(code);
    }
    return exit;
}

#endif
