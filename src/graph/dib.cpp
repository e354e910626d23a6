#include "graph/dib.h"

#include <algorithm>
#include <limits>

namespace plorimet {

namespace {

constexpr std::uint16_t kBitsPerPixel = 4;

void PutU16(std::uint8_t* at, std::uint16_t v) {
    at[0] = static_cast<std::uint8_t>(v);
    at[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(std::uint8_t* at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) at[k] = static_cast<std::uint8_t>(v >> (8 * k));
}

std::uint16_t GetU16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | (at[1] << 8)); }

std::uint32_t GetU32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

std::int32_t GetI32(const std::uint8_t* at) { return static_cast<std::int32_t>(GetU32(at)); }

// Info header field offsets.
constexpr std::size_t kSizeField = 0;
constexpr std::size_t kWidthField = 4;
constexpr std::size_t kHeightField = 8;
constexpr std::size_t kPlanesField = 12;
constexpr std::size_t kBitCountField = 14;
constexpr std::size_t kCompressionField = 16;
constexpr std::size_t kImageSizeField = 20;
constexpr std::size_t kColoursUsedField = 32;
constexpr std::size_t kImportantField = 36;

}  // namespace

IndexedImage::IndexedImage(int w, int h, std::uint8_t fill)
    : width(w > 0 ? w : 0),
      height(h > 0 ? h : 0),
      pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

std::uint32_t DibRowSize(int width) {
    if (width < 1) return 0;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(width) + 7) / 8 * 4);
}

std::uint32_t DibImageSize(int width, int height) {
    if (width < 1 || height < 1) return 0;
    const std::uint64_t size = static_cast<std::uint64_t>(DibRowSize(width)) * static_cast<std::uint64_t>(height);
    // The packed DIB and the file header must still be countable in 32 bits.
    if (size > std::numeric_limits<std::uint32_t>::max() - kBmpBitsOffset) return 0;
    return static_cast<std::uint32_t>(size);
}

std::array<std::uint8_t, kInfoHeaderSize> InfoHeaderBytes(int width, int height, std::uint32_t coloursUsed,
                                                          std::uint32_t importantColours) {
    std::array<std::uint8_t, kInfoHeaderSize> h{};
    PutU32(&h[kSizeField], static_cast<std::uint32_t>(kInfoHeaderSize));
    PutU32(&h[kWidthField], static_cast<std::uint32_t>(width));
    PutU32(&h[kHeightField], static_cast<std::uint32_t>(height));
    PutU16(&h[kPlanesField], 1);
    PutU16(&h[kBitCountField], kBitsPerPixel);
    PutU32(&h[kCompressionField], 0);
    PutU32(&h[kImageSizeField], DibImageSize(width, height));
    // Resolutions (24, 28) stay 0.
    PutU32(&h[kColoursUsedField], coloursUsed);
    PutU32(&h[kImportantField], importantColours);
    return h;
}

std::array<std::uint8_t, kColourTableSize> GraphPaletteBytes() {
    std::array<std::uint8_t, kColourTableSize> table{};
    for (int k = 0; k < kGraphPaletteSize; ++k) {
        table[4 * k] = kGraphPalette[k].blue;
        table[4 * k + 1] = kGraphPalette[k].green;
        table[4 * k + 2] = kGraphPalette[k].red;
    }
    return table;
}

std::array<std::uint8_t, kFileHeaderSize> BmpFileHeaderBytes(std::uint32_t packedSize) {
    std::array<std::uint8_t, kFileHeaderSize> h{};
    h[0] = 'B';
    h[1] = 'M';
    PutU32(&h[2], packedSize + static_cast<std::uint32_t>(kFileHeaderSize));
    PutU32(&h[10], static_cast<std::uint32_t>(kBmpBitsOffset));
    return h;
}

Bytes PackedDib(const IndexedImage& image, std::uint32_t importantColours) {
    const std::uint32_t imageSize = DibImageSize(image.width, image.height);
    if (imageSize == 0 || image.pixels.size() != static_cast<std::size_t>(image.width) * image.height) return {};

    Bytes out(kPackedHeaderSize + imageSize, 0);
    const auto header = InfoHeaderBytes(image.width, image.height, kGraphPaletteSize, importantColours);
    const auto table = GraphPaletteBytes();
    std::copy(header.begin(), header.end(), out.begin());
    std::copy(table.begin(), table.end(), out.begin() + kInfoHeaderSize);

    const std::size_t rowSize = DibRowSize(image.width);
    for (int y = 0; y < image.height; ++y) {
        std::uint8_t* row = &out[kPackedHeaderSize + static_cast<std::size_t>(image.height - 1 - y) * rowSize];
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t index = image.At(x, y) & 0x0F;
            row[x / 2] |= (x % 2 == 0) ? static_cast<std::uint8_t>(index << 4) : index;
        }
    }
    return out;
}

Bytes BmpFileBytes(const IndexedImage& image) {
    Bytes packed = PackedDib(image, kFileImportantColours);
    if (packed.empty()) return packed;
    const auto header = BmpFileHeaderBytes(static_cast<std::uint32_t>(packed.size()));
    packed.insert(packed.begin(), header.begin(), header.end());
    return packed;
}

CaptureHeaderCheck CheckCaptureHeader(std::uint8_t* block, std::size_t size, std::uint32_t fileBitsOffset) {
    CaptureHeaderCheck check;
    if (block == nullptr || size < kInfoHeaderSize || GetU32(block + kSizeField) != kInfoHeaderSize) {
        check.failure = MessageId::IllegalInfoHeaderSize;
        return check;
    }
    std::uint8_t* h = block;
    const std::uint16_t bitCount = GetU16(h + kBitCountField);
    const std::uint32_t coloursUsed = GetU32(h + kColoursUsedField);

    // Only bitmaps of at most 8 bits per pixel index a colour table; 2^bpp beyond that
    // would be a huge (or, at 32 bits, undefined) count of entries that do not exist.
    std::uint32_t paletteColours = coloursUsed;
    if (coloursUsed == 0 && bitCount != 24) paletteColours = (bitCount >= 1 && bitCount <= 8) ? 1u << bitCount : 0;

    if (coloursUsed == 0) PutU32(h + kColoursUsedField, paletteColours);

    if (GetU32(h + kImageSizeField) == 0) {
        const std::int64_t width = GetI32(h + kWidthField);
        const std::int64_t height = GetI32(h + kHeightField);
        const std::int64_t rows = height < 0 ? -height : height;
        const std::int64_t rowBytes = (width * bitCount + 31) / 32 * 4;  // at most 2^46: no overflow
        constexpr std::int64_t kMaxSize = std::numeric_limits<std::uint32_t>::max();
        if (width < 0 || (rows != 0 && rowBytes > kMaxSize / rows)) {
            check.failure = MessageId::IllegalInfoHeaderSize;
            return check;
        }
        PutU32(h + kImageSizeField, static_cast<std::uint32_t>(rowBytes * rows));
    }

    check.paletteColours = paletteColours;
    check.paletteOffset = kInfoHeaderSize;
    check.bitsOffset = fileBitsOffset >= kFileHeaderSize ? static_cast<std::size_t>(fileBitsOffset) - kFileHeaderSize
                                           : kInfoHeaderSize + 4 * static_cast<std::size_t>(paletteColours);
    return check;
}

}  // namespace plorimet
