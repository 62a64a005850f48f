// Decodes one picture for the picture loader in a process of its own, so that a decoder
// that crashes, loops or allocates without bound on a damaged file takes only this
// short-lived process with it. The conversation is described in PictureDecoderProtocol.h.
#include "common/PictureDecoderProtocol.h"

#ifdef _WIN32
#include <windows.h> // before FreeImage.h, which otherwise stands in for its types
#endif
#include <FreeImage.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

using namespace PictureDecoderProtocol;

std::string g_messages;

void CollectMessage(FREE_IMAGE_FORMAT, const char* message)
{
    if (message == nullptr || g_messages.size() > 2000)
        return;
    if (!g_messages.empty())
        g_messages += "; ";
    g_messages += message;
}

bool WriteAll(const void* data, size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
#ifdef _WIN32
        const int written = _write(1, bytes, unsigned(size > (1u << 30) ? (1u << 30) : size));
#else
        const ssize_t written = write(1, bytes, size);
#endif
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= size_t(written);
    }
    return true;
}

int Reply(ReplyHeader header, FIBITMAP* bitmap = nullptr)
{
    header.messageBytes = uint32_t(g_messages.size());
    if (!WriteAll(&header, sizeof header) || !WriteAll(g_messages.data(), g_messages.size()))
        return 2;
    if (bitmap != nullptr) {
        if (header.paletteEntries > 0 && !WriteAll(FreeImage_GetPalette(bitmap), header.paletteEntries * 4u))
            return 2;
        // FreeImage keeps the rows of a bitmap in one block, bottom row first.
        if (!WriteAll(FreeImage_GetBits(bitmap), size_t(header.pitch) * header.height))
            return 2;
    }
    return 0;
}

bool ReadStandardInput(std::vector<BYTE>& data)
{
    char chunk[65536];
    for (;;) {
#ifdef _WIN32
        const int got = _read(0, chunk, sizeof chunk);
#else
        const ssize_t got = read(0, chunk, sizeof chunk);
#endif
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        data.insert(data.end(), chunk, chunk + got);
    }
}

void LimitSelf(unsigned long long maxBytes, unsigned long long cpuSeconds)
{
#ifndef _WIN32
    // No core file for a decoder that crashes, no files written, and the two limits asked for.
    const rlimit none { 0, 0 };
    setrlimit(RLIMIT_CORE, &none);
    setrlimit(RLIMIT_FSIZE, &none);
    const rlimit memory { rlim_t(maxBytes), rlim_t(maxBytes) };
    setrlimit(RLIMIT_AS, &memory);
    const rlimit cpu { rlim_t(cpuSeconds), rlim_t(cpuSeconds + 1) };
    setrlimit(RLIMIT_CPU, &cpu);
#else
    // No error dialog for a decoder that crashes; the limits through a job object of its
    // own (jobs nest, so this works also when the caller runs in one).
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    if (HANDLE job = ::CreateJobObjectW(nullptr, nullptr)) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY | JOB_OBJECT_LIMIT_PROCESS_TIME
            | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
        limits.ProcessMemoryLimit = SIZE_T(maxBytes);
        limits.BasicLimitInformation.PerProcessUserTimeLimit.QuadPart = LONGLONG(cpuSeconds) * 10'000'000; // 100 ns
        ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
        ::AssignProcessToJobObject(job, ::GetCurrentProcess());
    }
#endif
}

} // namespace

int main(int argc, char** argv)
{
    ReplyHeader header;
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: %s MAX_BYTES CPU_SECONDS [FILE]\n", kProgramName);
        header.status = kBadArguments;
        return Reply(header) == 0 ? 3 : 2;
    }
    char* end = nullptr;
    const unsigned long long maxBytes = std::strtoull(argv[1], &end, 10);
    const unsigned long long cpuSeconds = std::strtoull(argv[2], &end, 10);
    LimitSelf(maxBytes, cpuSeconds);
#ifdef _WIN32
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
#endif

#ifdef FREEIMAGE_LIB
    FreeImage_Initialise(FALSE);
#endif
    FreeImage_SetOutputMessage(CollectMessage);

    FIBITMAP* bitmap = nullptr;
    std::vector<BYTE> data;
    if (argc == 4) {
        header.format = FreeImage_GetFileType(argv[3], 0);
        if (header.format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(FREE_IMAGE_FORMAT(header.format))) {
            header.status = kNotRecognised;
            return Reply(header);
        }
        bitmap = FreeImage_Load(FREE_IMAGE_FORMAT(header.format), argv[3], 0);
    } else {
        if (!ReadStandardInput(data) || data.empty() || data.size() > 0xFFFFFFFFu) {
            header.status = kNotRecognised;
            return Reply(header);
        }
        FIMEMORY* stream = FreeImage_OpenMemory(data.data(), DWORD(data.size()));
        header.format = FreeImage_GetFileTypeFromMemory(stream, 0);
        if (header.format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(FREE_IMAGE_FORMAT(header.format))) {
            header.status = kNotRecognised;
            FreeImage_CloseMemory(stream);
            return Reply(header);
        }
        FreeImage_SeekMemory(stream, 0, SEEK_SET);
        bitmap = FreeImage_LoadFromMemory(FREE_IMAGE_FORMAT(header.format), stream, 0);
        FreeImage_CloseMemory(stream);
    }
    if (bitmap == nullptr || !FreeImage_HasPixels(bitmap)) {
        header.status = kNotDecoded;
        return Reply(header);
    }
    header.status = kDecoded;
    header.type = FreeImage_GetImageType(bitmap);
    header.width = FreeImage_GetWidth(bitmap);
    header.height = FreeImage_GetHeight(bitmap);
    header.bpp = FreeImage_GetBPP(bitmap);
    header.pitch = FreeImage_GetPitch(bitmap);
    header.redMask = FreeImage_GetRedMask(bitmap);
    header.greenMask = FreeImage_GetGreenMask(bitmap);
    header.blueMask = FreeImage_GetBlueMask(bitmap);
    header.paletteEntries = FreeImage_GetPalette(bitmap) != nullptr ? FreeImage_GetColorsUsed(bitmap) : 0;
    return Reply(header, bitmap);
}
