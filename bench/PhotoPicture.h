#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include <jpeglib.h>

// A photograph-like JPEG for the benchmarks: skin shading, dark curved strands and
// sensor noise, so that decoding and compressing cost what a real photograph costs.
// The same bytes every time. False when the file cannot be written.
inline bool WritePhotoJpeg(const char* path, int width, int height, int quality = 90)
{
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr || width <= 0 || height <= 0) {
        if (file != nullptr)
            std::fclose(file);
        return false;
    }
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(size_t(3) * size_t(width));
    uint32_t noise = 2463534242u;
    auto clamp = [](int v) { return JSAMPLE(v < 0 ? 0 : (v > 255 ? 255 : v)); };
    while (info.next_scanline < info.image_height) {
        const int64_t y = info.next_scanline;
        for (int64_t x = 0; x < width; ++x) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const int grain = int(noise & 31) - 16;
            const int shade = 150 + int(x * 60 / width) - int(y * 40 / height);
            const int strand = ((x + (y * y) / 3000 + (x * y) / 9000) % 97) < 6 ? -90 : 0;
            const int texture = int(((x / 7 + y / 5) & 7) * 3);
            row[3 * size_t(x) + 0] = clamp(shade + 40 + strand + texture + grain);
            row[3 * size_t(x) + 1] = clamp(shade + strand + texture + grain);
            row[3 * size_t(x) + 2] = clamp(shade - 20 + strand + grain);
        }
        JSAMPROW rows[1] = { row.data() };
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

// A plain libjpeg decode of the file into new, uninitialised memory (3 bytes a pixel,
// top row first): the baseline of every picture benchmark. Null when the file cannot
// be read; bytes is the size of the decoded picture.
inline std::unique_ptr<JSAMPLE[]> PlainJpegDecode(const char* path, size_t& bytes)
{
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return nullptr;
    jpeg_decompress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    const size_t rowBytes = size_t(info.output_width) * size_t(info.output_components);
    bytes = rowBytes * info.output_height;
    std::unique_ptr<JSAMPLE[]> pixels(new JSAMPLE[bytes]);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = { pixels.get() + rowBytes * info.output_scanline };
        jpeg_read_scanlines(&info, rows, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return pixels;
}
