#include "canvas/HuffmanDeflate.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <queue>
#include <utility>

namespace {

// Each block gets codes made for its own bytes: a photograph changes over its area.
constexpr size_t kBlockBytes = size_t(256) << 10;
constexpr int kLiterals = 257; // the 256 byte values and the end of the block
constexpr int kMaxBits = 15;
constexpr int kMaxLengthBits = 7;
constexpr size_t kStoredMax = 65535;
// The order in which the lengths of the code-length code are sent.
constexpr int kLengthOrder[19] = { 16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15 };

// Bits from the least significant on, as deflate packs them.
class BitWriter
{
public:
    explicit BitWriter(std::vector<unsigned char>& out)
        : m_out(out)
        , m_pos(out.size())
    {
    }

    // Makes room for `bytes` more bytes (and the bits still held).
    void Reserve(size_t bytes)
    {
        if (m_out.size() < m_pos + bytes + 16)
            m_out.resize(m_pos + bytes + 16);
    }

    void Put(uint32_t value, int count)
    {
        m_bits |= uint64_t(value) << m_count;
        m_count += count;
        if (m_count >= 32)
            Spill();
    }

    void AlignToByte()
    {
        while (m_count > 0) {
            m_out[m_pos++] = static_cast<unsigned char>(m_bits);
            m_bits >>= 8;
            m_count -= 8;
        }
        m_bits = 0;
        m_count = 0;
    }

    // Whole bytes, after AlignToByte.
    void PutBytes(const unsigned char* data, size_t size)
    {
        std::copy_n(data, size, m_out.begin() + std::ptrdiff_t(m_pos));
        m_pos += size;
    }

    // Codes every byte of data with the table (code in the low 16 bits, its length above).
    void PutCoded(const unsigned char* data, size_t size, const uint32_t* table)
    {
        // Locals, so that the stores into the output are not taken to change them.
        uint64_t bits = m_bits;
        int count = m_count;
        unsigned char* to = m_out.data() + m_pos;
        const auto put = [&](uint32_t entry) {
            bits |= uint64_t(entry & 0xffff) << count;
            count += int(entry >> 16);
        };
        const auto spill = [&] {
            if (count >= 32) {
                to[0] = static_cast<unsigned char>(bits);
                to[1] = static_cast<unsigned char>(bits >> 8);
                to[2] = static_cast<unsigned char>(bits >> 16);
                to[3] = static_cast<unsigned char>(bits >> 24);
                to += 4;
                bits >>= 32;
                count -= 32;
            }
        };
        // Two codes of at most 15 bits each fit beside the fewer than 32 bits held.
        size_t i = 0;
        for (; i + 1 < size; i += 2) {
            put(table[data[i]]);
            put(table[data[i + 1]]);
            spill();
        }
        for (; i < size; ++i) {
            put(table[data[i]]);
            spill();
        }
        m_bits = bits;
        m_count = count;
        m_pos = size_t(to - m_out.data());
    }

    void Done()
    {
        AlignToByte();
        m_out.resize(m_pos);
    }

private:
    void Spill()
    {
        for (int i = 0; i < 4; ++i)
            m_out[m_pos++] = static_cast<unsigned char>(m_bits >> (8 * i));
        m_bits >>= 32;
        m_count -= 32;
    }

    std::vector<unsigned char>& m_out;
    size_t m_pos;
    uint64_t m_bits = 0;
    int m_count = 0;
};

// The code lengths of a Huffman code for the frequencies (0 for a symbol that does not
// occur), none longer than maxBits: where the tree grows deeper the frequencies are
// halved until it does not. At least two symbols must occur.
void CodeLengths(const uint32_t* frequency, int symbols, int maxBits, uint8_t* lengths)
{
    std::vector<uint64_t> weight(frequency, frequency + symbols);
    std::vector<int> parent(size_t(2 * symbols));
    std::vector<int> depth(size_t(2 * symbols));
    using Node = std::pair<uint64_t, int>;
    for (;;) {
        std::priority_queue<Node, std::vector<Node>, std::greater<>> heap;
        for (int i = 0; i < symbols; ++i)
            if (weight[size_t(i)] > 0)
                heap.push({ weight[size_t(i)], i });
        std::fill(parent.begin(), parent.end(), -1);
        int next = symbols;
        while (heap.size() > 1) {
            const Node a = heap.top();
            heap.pop();
            const Node b = heap.top();
            heap.pop();
            parent[size_t(a.second)] = parent[size_t(b.second)] = next;
            heap.push({ a.first + b.first, next++ });
        }
        // Inner nodes are made after their children: from the root down, every parent
        // has its depth before its children.
        int longest = 0;
        depth[size_t(next - 1)] = 0;
        for (int node = next - 2; node >= 0; --node) {
            if (parent[size_t(node)] < 0)
                continue;
            depth[size_t(node)] = depth[size_t(parent[size_t(node)])] + 1;
            if (node < symbols)
                longest = std::max(longest, depth[size_t(node)]);
        }
        if (longest <= maxBits) {
            for (int i = 0; i < symbols; ++i)
                lengths[i] = weight[size_t(i)] > 0 ? uint8_t(depth[size_t(i)]) : 0;
            return;
        }
        for (uint64_t& w : weight)
            if (w > 0)
                w = (w + 1) / 2;
    }
}

// The canonical codes of the lengths, bit-reversed for sending least significant first.
void Codes(const uint8_t* lengths, int symbols, uint32_t* codes)
{
    int count[kMaxBits + 1] = {};
    for (int i = 0; i < symbols; ++i)
        ++count[lengths[i]];
    count[0] = 0;
    uint32_t next[kMaxBits + 1] = {};
    uint32_t code = 0;
    for (int bits = 1; bits <= kMaxBits; ++bits) {
        code = (code + uint32_t(count[bits - 1])) << 1;
        next[bits] = code;
    }
    for (int i = 0; i < symbols; ++i) {
        const int length = lengths[i];
        uint32_t reversed = 0;
        if (length > 0)
            for (uint32_t c = next[length]++, b = 0; b < uint32_t(length); ++b)
                reversed |= ((c >> b) & 1U) << (uint32_t(length) - 1 - b);
        codes[i] = reversed;
    }
}

// Stored blocks of at most 65535 bytes each; one empty block for no bytes.
void WriteStored(BitWriter& out, const unsigned char* data, size_t size, bool final)
{
    out.Reserve(size + 5 * (size / kStoredMax + 1));
    size_t at = 0;
    do {
        const size_t n = std::min(kStoredMax, size - at);
        const bool end = final && at + n == size;
        out.Put(end ? 1 : 0, 1);
        out.Put(0, 2);
        out.AlignToByte();
        const unsigned char head[4] = { static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
            static_cast<unsigned char>(~n), static_cast<unsigned char>(~n >> 8) };
        out.PutBytes(head, 4);
        if (n > 0)
            out.PutBytes(data + at, n);
        at += n;
    } while (at < size);
}

void WriteBlock(BitWriter& out, const unsigned char* data, size_t size, bool final)
{
    // Four counts a value, so that equal neighbours do not wait on one another.
    uint32_t counts[4][256] = {};
    size_t i = 0;
    for (; i + 3 < size; i += 4) {
        ++counts[0][data[i]];
        ++counts[1][data[i + 1]];
        ++counts[2][data[i + 2]];
        ++counts[3][data[i + 3]];
    }
    for (; i < size; ++i)
        ++counts[0][data[i]];
    uint32_t frequency[kLiterals];
    for (int v = 0; v < 256; ++v)
        frequency[v] = counts[0][v] + counts[1][v] + counts[2][v] + counts[3][v];
    frequency[256] = 1;
    // The literal code, then the distance code: never used, but readers expect two
    // codes of one bit there (as zlib writes them).
    uint8_t lengths[kLiterals + 2];
    CodeLengths(frequency, kLiterals, kMaxBits, lengths);
    lengths[kLiterals] = lengths[kLiterals + 1] = 1;
    uint32_t lengthFrequency[19] = {};
    for (uint8_t length : lengths)
        ++lengthFrequency[length];
    uint8_t lengthLengths[19];
    CodeLengths(lengthFrequency, 19, kMaxLengthBits, lengthLengths);
    int sentLengths = 19;
    while (sentLengths > 4 && lengthLengths[kLengthOrder[sentLengths - 1]] == 0)
        --sentLengths;

    uint64_t bits = 3 + 5 + 5 + 4 + 3 * uint64_t(sentLengths);
    for (uint8_t length : lengths)
        bits += lengthLengths[length];
    for (int i = 0; i < kLiterals; ++i)
        bits += uint64_t(frequency[i]) * lengths[i];
    if (bits / 8 >= size + 5 * (size / kStoredMax + 1)) {
        WriteStored(out, data, size, final);
        return;
    }
    out.Reserve(size_t(bits / 8));
    out.Put(final ? 1 : 0, 1);
    out.Put(2, 2); // dynamic Huffman codes
    out.Put(kLiterals - 257, 5);
    out.Put(2 - 1, 5);
    out.Put(uint32_t(sentLengths - 4), 4);
    for (int i = 0; i < sentLengths; ++i)
        out.Put(lengthLengths[kLengthOrder[i]], 3);
    uint32_t lengthCodes[19];
    Codes(lengthLengths, 19, lengthCodes);
    for (uint8_t length : lengths)
        out.Put(lengthCodes[length], lengthLengths[length]);
    uint32_t codes[kLiterals];
    Codes(lengths, kLiterals, codes);
    uint32_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = codes[i] | uint32_t(lengths[i]) << 16;
    out.PutCoded(data, size, table);
    out.Put(codes[256], lengths[256]);
}

} // namespace

void HuffmanDeflate(const unsigned char* data, size_t size, bool last, std::vector<unsigned char>& out)
{
    BitWriter writer(out);
    for (size_t at = 0; at < size; at += kBlockBytes) {
        const size_t n = std::min(kBlockBytes, size - at);
        WriteBlock(writer, data + at, n, last && at + n == size);
    }
    if (!last || size == 0)
        WriteStored(writer, nullptr, 0, last);
    writer.Done();
}
