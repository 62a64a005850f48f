#pragma once

// What the picture decoder program (pelorix-picture-decoder) and the picture loader say to
// each other. Plain C++ and FreeImage only: the decoder links neither Qt nor Pelorix.
//
//   pelorix-picture-decoder MAX_BYTES CPU_SECONDS [FILE]
//
// The decoder limits its own address space to MAX_BYTES and its processor time to
// CPU_SECONDS, decodes FILE (or, without one, everything on standard input) with
// FreeImage's default options, and writes one reply to standard output: a ReplyHeader,
// messageBytes of UTF-8 text (FreeImage's complaints, or why it gave up), and for a
// decoded picture paletteEntries x 4 bytes of colour table followed by height rows of
// pitch bytes, bottom row first, exactly as FreeImage holds them.

#include <cstdint>

namespace PictureDecoderProtocol {

inline constexpr char kProgramName[] = "pelorix-picture-decoder";
inline constexpr uint32_t kMagic = 0x31524450; // "PDR1"

enum Status : uint32_t {
    kDecoded = 0,
    kNotRecognised = 1, // the contents are no picture FreeImage knows
    kNotDecoded = 2, // FreeImage gave up
    kBadArguments = 3,
};

struct ReplyHeader
{
    uint32_t magic = kMagic;
    uint32_t status = kNotDecoded;
    int32_t format = -1; // FREE_IMAGE_FORMAT
    uint32_t type = 0; // FREE_IMAGE_TYPE
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bpp = 0;
    uint32_t pitch = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint32_t paletteEntries = 0;
    uint32_t messageBytes = 0;
};

} // namespace PictureDecoderProtocol
