// PNG and JPEG decoding for the importer, through stb_image compiled here with allocations that
// start zeroed: stb's decoders can leave pixels of a damaged file unwritten (a JPEG missing
// scans, say), and those must come out the same on every run, not as whatever the heap held.
#pragma once

#include <cstddef>
#include <vector>

// The size of a PNG or JPEG from its header; false for anything else, an unreadable header, a
// JPEG whose Huffman tables would overrun the decoder, or a PNG chunk that runs past the file.
bool ImageSize(const unsigned char* bytes, std::size_t length, int& width, int& height);

// The image as 8-bit RGB rows, top row first; false with stb's reason in `reason`.
bool DecodeRgb(const unsigned char* bytes, std::size_t length, std::vector<unsigned char>& rgb,
               int& width, int& height, const char*& reason);
