// The Windows single-byte code pages Tessaly knows, as tables of their upper halves.
#pragma once

#include <array>

namespace tessaly::codepages {

struct CodePageTable {
    int number;                       // e.g. 1252
    std::array<char16_t, 128> upper;  // characters of bytes 0x80..0xFF
};

const std::array<CodePageTable, 10> &all();

} // namespace tessaly::codepages
