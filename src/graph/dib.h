// 16-colour bitmaps of the graph: the packed DIB for the clipboard and the BMP file bytes.
//
// Byte layouts (all fields little-endian):
//   packed DIB: 40-byte info header, 64-byte colour table (GraphPalette, blue green red 0),
//               then the pixel rows, bottom row first, two pixels per byte with the left one
//               in the high four bits, every row padded with zero bits to DibRowSize(width).
//   BMP file:   14-byte file header ("BM", file size, two reserved 0, offset 118), then the
//               packed DIB with important colours 0.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/messages.h"

namespace plorimet {

using Bytes = std::vector<std::uint8_t>;

// A 4-bit picture held one palette index (0..15) per pixel, one byte each, row-major with the
// top row first: pixel (x, y) is pixels[y * width + x]. Only the low four bits are stored in a
// bitmap.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    IndexedImage() = default;
    // Negative sizes are taken as 0.
    IndexedImage(int w, int h, std::uint8_t fill = 0);

    std::uint8_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    void Set(int x, int y, std::uint8_t index) { pixels[static_cast<std::size_t>(y) * width + x] = index; }
    bool operator==(const IndexedImage& o) const {
        return width == o.width && height == o.height && pixels == o.pixels;
    }
};

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Rgb& o) const { return red == o.red && green == o.green && blue == o.blue; }
};

constexpr int kGraphPaletteSize = 16;
constexpr std::array<Rgb, kGraphPaletteSize> kGraphPalette = {{
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {128, 128, 128},
    {192, 192, 192}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
}};
// The graph's own colours.
constexpr std::uint8_t kBlackIndex = 0;
constexpr std::uint8_t kRedIndex = 9;
constexpr std::uint8_t kWhiteIndex = 15;

constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kColourTableSize = 4 * kGraphPaletteSize;          // 64
constexpr std::size_t kPackedHeaderSize = kInfoHeaderSize + kColourTableSize;  // 104
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kBmpBitsOffset = kFileHeaderSize + kPackedHeaderSize;   // 118
constexpr std::uint32_t kClipboardImportantColours = 16;
constexpr std::uint32_t kFileImportantColours = 0;

// Bytes of one 4-bit row, 4 * ceil(width / 8); 0 for a width below 1.
std::uint32_t DibRowSize(int width);
// height * DibRowSize(width); 0 for sizes below 1 or when it would not fit in 32 bits.
std::uint32_t DibImageSize(int width, int height);

// The 40-byte info header of a w x h 4-bit bitmap with the given colour counts.
std::array<std::uint8_t, kInfoHeaderSize> InfoHeaderBytes(int width, int height, std::uint32_t coloursUsed,
                                                          std::uint32_t importantColours);
// GraphPalette as a colour table: blue, green, red, 0 per entry.
std::array<std::uint8_t, kColourTableSize> GraphPaletteBytes();
// The 14-byte BMP file header for a packed DIB of packedSize bytes (file size packedSize + 14).
std::array<std::uint8_t, kFileHeaderSize> BmpFileHeaderBytes(std::uint32_t packedSize);

// The packed DIB of an image: colours used 16, the given important colours. Empty when the
// image has no pixels or its size does not fit in 32 bits.
Bytes PackedDib(const IndexedImage& image, std::uint32_t importantColours);
// A whole BMP file: file header + PackedDib(image, 0). Empty when PackedDib is.
Bytes BmpFileBytes(const IndexedImage& image);

// The header check before a capture is written to a file. `block` is the locked capture, whose
// colours-used and image-size fields are completed in place when they are 0.
struct CaptureHeaderCheck {
    std::optional<MessageId> failure;  // IllegalInfoHeaderSize
    std::uint32_t paletteColours = 0;
    std::size_t paletteOffset = 0;     // from the block's start
    std::size_t bitsOffset = 0;        // from the block's start
};
// Fails when the block is shorter than an info header or its size field is not 40, and when
// the image size it would have to compute is negative (negative width) or does not fit in
// 32 bits. paletteColours is the colours-used field, or 2^bpp when that is 0 and bpp is 1, 2,
// 4 or 8 (0 for any other bpp: no colour table). bitsOffset is fileBitsOffset - 14 when the file header's offset is
// nonzero, else right after the colour table (an offset below 14 counts as none). The
// colours-used field is completed before the image size is checked.
CaptureHeaderCheck CheckCaptureHeader(std::uint8_t* block, std::size_t size, std::uint32_t fileBitsOffset);
inline CaptureHeaderCheck CheckCaptureHeader(Bytes& packed, std::uint32_t fileBitsOffset) {
    return CheckCaptureHeader(packed.data(), packed.size(), fileBitsOffset);
}

}  // namespace plorimet
