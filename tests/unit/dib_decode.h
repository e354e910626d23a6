// Test-side readers of the graph's bitmaps: what the clipboard and a saved file hold, read
// back field by field to check the writers.
#pragma once

#include <optional>
#include <string>

#include "graph/dib.h"

namespace plorimet {

// What a decoded 4-bit bitmap holds besides its pixels.
struct DecodedDib {
    IndexedImage image;  // top row first, whatever the stored row order
    std::array<Rgb, kGraphPaletteSize> palette{};
    std::uint32_t coloursUsed = 0;
    std::uint32_t importantColours = 0;
    std::uint32_t imageSize = 0;
    bool bottomUp = true;
};

// Reads a packed 4-bit uncompressed DIB: header size 40, planes 1, 4 bits, compression 0,
// width >= 1, height != 0 (negative: top row first), colours used 0..16, a colour table of
// coloursUsed entries (16 when 0) and all rows present. On failure `why` names the first
// check that failed. bitsOffset is where the rows start, counted from the header (0: right
// after the colour table).
std::optional<DecodedDib> DecodePackedDib(const Bytes& bytes, std::string* why = nullptr,
                                          std::size_t bitsOffset = 0);
// Reads a BMP file: "BM", the file size field equal to the length, the offset field inside
// the file, then the packed DIB after the 14 bytes with its rows at that offset.
std::optional<DecodedDib> DecodeBmpFile(const Bytes& bytes, std::string* why = nullptr);

// The palette index of a colour: the exact entry for each GraphPalette colour, otherwise the
// nearest one by squared distance in RGB (the lowest index on a tie).
int NearestGraphPaletteIndex(int red, int green, int blue);

}  // namespace plorimet
