#include "canvas/PngWriter.h"

#include "canvas/HuffmanDeflate.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <future>
#include <system_error>
#include <thread>
#include <vector>

#include <zlib.h>

namespace {

using Bytes = std::vector<unsigned char>;

constexpr int kMaxThreads = 8;

// The filter types of a PNG row, as its first byte names them.
enum RowFilter : unsigned char { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

void PutBig32(unsigned char* at, quint32 value)
{
    at[0] = uchar(value >> 24);
    at[1] = uchar(value >> 16);
    at[2] = uchar(value >> 8);
    at[3] = uchar(value);
}

// One row of the band as red, green, blue bytes.
void ToRgb(const uchar* in, QImage::Format format, int width, unsigned char* out)
{
    if (format == QImage::Format_RGB888) {
        std::memcpy(out, in, size_t(width) * 3);
    } else if (format == QImage::Format_BGR888) {
        for (int x = 0; x < width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    } else {
        const auto* pixel = reinterpret_cast<const QRgb*>(in);
        for (int x = 0; x < width; ++x, out += 3) {
            out[0] = uchar(qRed(pixel[x]));
            out[1] = uchar(qGreen(pixel[x]));
            out[2] = uchar(qBlue(pixel[x]));
        }
    }
}

unsigned char PaethPredictor(int left, int up, int upLeft)
{
    const int p = left + up - upLeft;
    const int pa = std::abs(p - left);
    const int pb = std::abs(p - up);
    const int pc = std::abs(p - upLeft);
    if (pa <= pb && pa <= pc)
        return uchar(left);
    return uchar(pb <= pc ? up : upLeft);
}

// Writes the filter byte and the row filtered with `type` (3 bytes a pixel) to out.
void FilterRow(RowFilter type, const unsigned char* row, const unsigned char* prev, size_t n, unsigned char* out)
{
    out[0] = type;
    ++out;
    switch (type) {
    case kNone:
        std::memcpy(out, row, n);
        break;
    case kSub:
        for (size_t i = 0; i < n; ++i)
            out[i] = uchar(row[i] - (i >= 3 ? row[i - 3] : 0));
        break;
    case kUp:
        for (size_t i = 0; i < n; ++i)
            out[i] = uchar(row[i] - prev[i]);
        break;
    case kAverage:
        for (size_t i = 0; i < n; ++i)
            out[i] = uchar(row[i] - ((int(i >= 3 ? row[i - 3] : 0) + prev[i]) >> 1));
        break;
    case kPaeth:
        for (size_t i = 0; i < n; ++i)
            out[i] = uchar(row[i] - PaethPredictor(i >= 3 ? row[i - 3] : 0, prev[i], i >= 3 ? prev[i - 3] : 0));
        break;
    }
}

// The usual choice of an adaptive encoder: the filter whose bytes, read as signed
// numbers, are smallest in sum.
void FilterRowAdaptive(
    const unsigned char* row, const unsigned char* prev, size_t n, unsigned char* out, Bytes& scratch)
{
    scratch.resize(n + 1);
    unsigned long best = ~0UL;
    for (RowFilter type : { kNone, kSub, kUp, kAverage, kPaeth }) {
        FilterRow(type, row, prev, n, scratch.data());
        unsigned long sum = 0;
        for (size_t i = 1; i <= n; ++i)
            sum += unsigned(std::abs(int(static_cast<signed char>(scratch[i]))));
        if (sum < best) {
            best = sum;
            std::memcpy(out, scratch.data(), n + 1);
        }
    }
}

} // namespace

// A run of rows compressed on a worker thread.
struct PngPiece
{
    Bytes rows; // the filtered rows
    Bytes packed; // raw deflate, ended on a byte boundary (the image's last piece: its end)
    uLong adler = 1; // of the filtered rows
    size_t length = 0; // filtered bytes
    bool ok = false;
    std::promise<void> filtered; // the band's rows are no longer read
    std::future<void> done; // last: destroying the piece waits for its work
};

struct PngWriter::State
{
    QIODevice* out = nullptr;
    int width = 0;
    int height = 0;
    int level = PngWriter::kFastLevel;
    Filter filter = Filter::Sub;
    int threads = 1;
    QImage::Format format = QImage::Format_Invalid;
    int rows = 0;
    bool started = false;
    bool failed = false;
    bool zlibHeaderWritten = false;
    uLong adler = 1;
    Bytes lastRow; // the previous band's last row, red, green, blue
    std::deque<std::unique_ptr<PngPiece>> pending; // in file order
    // The buffers of written pieces, for the next ones: fresh memory costs the
    // system as much as the compression does.
    std::vector<std::pair<Bytes, Bytes>> spare;

    ~State() { pending.clear(); } // waits for the workers before the rest goes

    bool Write(const void* data, size_t size)
    {
        if (!failed && out->write(static_cast<const char*>(data), qint64(size)) != qint64(size))
            failed = true;
        return !failed;
    }

    // A chunk whose data is the parts one after the other.
    bool WriteChunk(const char* type, std::initializer_list<std::pair<const unsigned char*, size_t>> parts)
    {
        size_t length = 0;
        for (const auto& part : parts)
            length += part.second;
        if (length > 0x7fffffffU) {
            failed = true;
            return false;
        }
        unsigned char head[8];
        PutBig32(head, quint32(length));
        std::memcpy(head + 4, type, 4);
        uLong crc = crc32(0, head + 4, 4);
        for (const auto& part : parts)
            crc = crc32_z(crc, part.first, part.second);
        unsigned char tail[4];
        PutBig32(tail, quint32(crc));
        if (!Write(head, sizeof head))
            return false;
        for (const auto& part : parts)
            if (!Write(part.first, part.second))
                return false;
        return Write(tail, sizeof tail);
    }

    bool WriteHead()
    {
        static const unsigned char signature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n' };
        unsigned char header[13];
        PutBig32(header, quint32(width));
        PutBig32(header + 4, quint32(height));
        header[8] = 8; // bits per sample
        header[9] = 2; // RGB
        header[10] = header[11] = header[12] = 0; // deflate, adaptive filtering, no interlace
        unsigned char density[9];
        PutBig32(density, 3780); // 96 dots per inch, in dots per metre
        PutBig32(density + 4, 3780);
        density[8] = 1;
        return Write(signature, sizeof signature) && WriteChunk("IHDR", { { header, sizeof header } })
            && WriteChunk("pHYs", { { density, sizeof density } });
    }

    // Writes the oldest piece once its work is done: the zlib header goes before the
    // first, the checksum after the last.
    bool WriteOldest(bool last)
    {
        std::unique_ptr<PngPiece> piece = std::move(pending.front());
        pending.pop_front();
        piece->done.wait();
        if (failed || !piece->ok) {
            failed = true;
            return false;
        }
        adler = adler32_combine(adler, piece->adler, z_off_t(piece->length));
        // The zlib header: deflate with a 32 KB window, the level group, no dictionary.
        unsigned char head[2] = { 0x78, 0 };
        const int levelGroup = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
        head[1] = uchar(levelGroup << 6);
        head[1] = uchar(head[1] + 31 - (head[0] * 256 + head[1]) % 31);
        unsigned char check[4];
        PutBig32(check, quint32(adler));
        const bool first = !zlibHeaderWritten;
        zlibHeaderWritten = true;
        const bool written = WriteChunk("IDAT",
            { { head, first ? sizeof head : 0 }, { piece->packed.data(), piece->packed.size() },
                { check, last ? sizeof check : 0 } });
        spare.emplace_back(std::move(piece->rows), std::move(piece->packed));
        return written;
    }
};

namespace {

// Filters the rows and compresses them into the piece (on a worker thread). The band's
// rows are read before `filtered` is set and never after.
void Compress(PngPiece& piece, const uchar* rows, qsizetype bytesPerLine, int count, QImage::Format format, int width,
    const unsigned char* rowAbove, PngWriter::Filter filter, int level, bool last)
{
    const size_t n = size_t(width) * 3;
    Bytes& filtered = piece.rows;
    bool ok = true;
    try {
        filtered.resize((n + 1) * size_t(count));
        Bytes prev(n, 0), row(n), scratch;
        if (rowAbove != nullptr) // else the image's first row: zeros above it
            std::memcpy(prev.data(), rowAbove, n);
        const bool wordPixels = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32;
        for (int y = 0; y < count; ++y) {
            unsigned char* out = filtered.data() + size_t(y) * (n + 1);
            if (filter == PngWriter::Filter::Sub && wordPixels) {
                // The export's case in one pass, without the row of bytes between.
                const auto* pixel = reinterpret_cast<const QRgb*>(rows + y * bytesPerLine);
                *out++ = kSub;
                QRgb left = 0;
                for (int x = 0; x < width; ++x, out += 3) {
                    const QRgb p = pixel[x];
                    out[0] = uchar(qRed(p) - qRed(left));
                    out[1] = uchar(qGreen(p) - qGreen(left));
                    out[2] = uchar(qBlue(p) - qBlue(left));
                    left = p;
                }
                continue;
            }
            ToRgb(rows + y * bytesPerLine, format, width, row.data());
            switch (filter) {
            case PngWriter::Filter::None:
                FilterRow(kNone, row.data(), prev.data(), n, out);
                break;
            case PngWriter::Filter::Sub:
                FilterRow(kSub, row.data(), prev.data(), n, out);
                break;
            case PngWriter::Filter::Up:
                FilterRow(kUp, row.data(), prev.data(), n, out);
                break;
            case PngWriter::Filter::Adaptive:
                FilterRowAdaptive(row.data(), prev.data(), n, out, scratch);
                break;
            }
            prev.swap(row);
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    piece.filtered.set_value();
    if (!ok)
        return;

    piece.length = filtered.size();
    piece.adler = adler32_z(1, filtered.data(), filtered.size());
    if (level == PngWriter::kFastLevel) {
        try {
            piece.packed.clear();
            piece.packed.reserve(filtered.size());
            HuffmanDeflate(filtered.data(), filtered.size(), last, piece.packed);
            piece.ok = true;
        } catch (const std::bad_alloc&) {
        }
        return;
    }
    z_stream z {};
    if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return;
    try {
        piece.packed.resize(deflateBound(&z, uLong(filtered.size())) + 64);
        z.next_in = filtered.data();
        z.avail_in = uInt(filtered.size());
        const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
        size_t produced = 0;
        for (;;) {
            if (produced == piece.packed.size())
                piece.packed.resize(piece.packed.size() * 2);
            z.next_out = piece.packed.data() + produced;
            z.avail_out = uInt(piece.packed.size() - produced);
            const int result = deflate(&z, flush);
            produced = piece.packed.size() - z.avail_out;
            if (result == Z_STREAM_ERROR)
                break;
            // A sync flush is complete once deflate leaves output space unused.
            if ((last && result == Z_STREAM_END) || (!last && z.avail_in == 0 && z.avail_out > 0)) {
                piece.packed.resize(produced);
                piece.ok = true;
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        piece.ok = false;
    }
    deflateEnd(&z);
}

} // namespace

PngWriter::PngWriter(QIODevice& out, int width, int height, int level, Filter filter, int threads)
    : m_state(std::make_unique<State>())
{
    State& s = *m_state;
    s.out = &out;
    s.width = width;
    s.height = height;
    s.level = std::clamp(level, 0, 9);
    s.filter = filter;
    s.threads = threads > 0 ? threads : int(std::thread::hardware_concurrency());
    s.threads = std::clamp(s.threads, 1, kMaxThreads);
    // Rows of more than 2 GB cannot be compressed in one call, and no reader takes them.
    s.failed = width <= 0 || height <= 0 || qint64(width) * 3 + 1 > 0x7fffffff;
}

PngWriter::~PngWriter() = default;

bool PngWriter::Add(const QImage& band)
{
    State& s = *m_state;
    if (s.failed)
        return false;
    const QImage::Format format = band.format();
    const bool known = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_RGB888 || format == QImage::Format_BGR888;
    if (band.isNull() || band.width() != s.width || !known || (s.started && format != s.format)
        || s.rows + band.height() > s.height) {
        s.failed = true;
        return false;
    }
    if (!s.started) {
        s.started = true;
        s.format = format;
        if (!s.WriteHead())
            return false;
    }
    const size_t n = size_t(s.width) * 3;
    const uchar* bits = band.constBits();
    const qsizetype stride = band.bytesPerLine();
    const int count = std::min(s.threads, band.height());
    const bool bandIsLast = s.rows + band.height() == s.height;
    const size_t already = s.pending.size();
    Bytes above = s.lastRow;
    for (int i = 0; i < count; ++i) {
        const int from = band.height() * i / count;
        const int to = band.height() * (i + 1) / count;
        auto piece = std::make_unique<PngPiece>();
        PngPiece* p = piece.get();
        if (!s.spare.empty()) {
            p->rows = std::move(s.spare.back().first);
            p->packed = std::move(s.spare.back().second);
            s.spare.pop_back();
        }
        // The row above a piece: the band's own row, or the previous band's last one.
        Bytes rowAbove;
        if (from > 0) {
            rowAbove.resize(n);
            ToRgb(bits + (from - 1) * stride, format, s.width, rowAbove.data());
        } else {
            rowAbove = above;
        }
        auto work = [p, rows = bits + from * stride, stride, count = to - from, format, width = s.width,
                        rowAbove = std::move(rowAbove), filter = s.filter, level = s.level,
                        last = bandIsLast && i == count - 1]() {
            Compress(*p, rows, stride, count, format, width, rowAbove.empty() ? nullptr : rowAbove.data(), filter,
                level, last);
        };
        try {
            p->done = std::async(std::launch::async, std::move(work));
        } catch (const std::system_error&) {
            // No thread to be had: the work is done here.
            std::promise<void> finished;
            finished.set_value();
            p->done = finished.get_future();
            work();
        }
        s.pending.push_back(std::move(piece));
    }
    // Once the new rows are taken, the band may be repainted; the earlier pieces are
    // written meanwhile, while the new ones are compressed.
    for (size_t i = already; i < s.pending.size(); ++i)
        s.pending[i]->filtered.get_future().wait();
    s.lastRow.resize(n);
    ToRgb(bits + (band.height() - 1) * stride, format, s.width, s.lastRow.data());
    s.rows += band.height();
    for (size_t i = 0; i < already; ++i)
        if (!s.WriteOldest(false))
            return false;
    return !s.failed;
}

bool PngWriter::Finish()
{
    State& s = *m_state;
    if (s.failed || !s.started || s.rows != s.height)
        return false;
    while (!s.pending.empty()) {
        if (!s.WriteOldest(s.pending.size() == 1))
            return false;
    }
    const bool ended = s.WriteChunk("IEND", {});
    s.failed = true; // written: nothing more may be added
    return ended;
}
