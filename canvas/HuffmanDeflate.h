#pragma once

#include <cstddef>
#include <vector>

// A deflate encoder for filtered photograph rows, which hold almost nothing that
// repeats: every byte is sent with a Huffman code made for its block (no search for
// matches), several times faster than zlib's fastest setting for files about 5 %
// larger. A block that would not shrink is stored as it is.
//
// Appends a raw deflate stream of data to out. With `last` the stream ends there;
// otherwise it ends with an empty stored block on a byte boundary (as zlib's sync
// flush does), so that the stream of the next piece of data may follow it directly
// and the pieces read as one stream.
void HuffmanDeflate(const unsigned char* data, size_t size, bool last, std::vector<unsigned char>& out);
