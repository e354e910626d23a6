#include "dib_decode.h"

#include <limits>

namespace plorimet {

namespace {

std::uint16_t GetU16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | (at[1] << 8)); }

std::uint32_t GetU32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

std::int32_t GetI32(const std::uint8_t* at) { return static_cast<std::int32_t>(GetU32(at)); }

constexpr std::uint16_t kBitsPerPixel = 4;

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

std::optional<DecodedDib> Fail(std::string* why, const char* text) {
    if (why) *why = text;
    return std::nullopt;
}

}  // namespace

std::optional<DecodedDib> DecodePackedDib(const Bytes& bytes, std::string* why, std::size_t bitsOffset) {
    if (bytes.size() < kInfoHeaderSize) return Fail(why, "shorter than an info header");
    const std::uint8_t* h = bytes.data();
    if (GetU32(h + kSizeField) != kInfoHeaderSize) return Fail(why, "info header size is not 40");
    const std::int32_t width = GetI32(h + kWidthField);
    const std::int32_t height = GetI32(h + kHeightField);
    if (GetU16(h + kPlanesField) != 1) return Fail(why, "planes is not 1");
    if (GetU16(h + kBitCountField) != kBitsPerPixel) return Fail(why, "bits per pixel is not 4");
    if (GetU32(h + kCompressionField) != 0) return Fail(why, "compressed");
    if (width < 1) return Fail(why, "width below 1");
    if (height == 0 || height == std::numeric_limits<std::int32_t>::min()) return Fail(why, "bad height");

    DecodedDib dib;
    dib.bottomUp = height > 0;
    const int rows = height > 0 ? height : -height;
    dib.coloursUsed = GetU32(h + kColoursUsedField);
    dib.importantColours = GetU32(h + kImportantField);
    dib.imageSize = GetU32(h + kImageSizeField);
    if (dib.coloursUsed > kGraphPaletteSize) return Fail(why, "more than 16 colours used");
    const std::size_t colours = dib.coloursUsed == 0 ? kGraphPaletteSize : dib.coloursUsed;

    const std::uint32_t imageSize = DibImageSize(width, rows);
    if (imageSize == 0) return Fail(why, "image too large");
    if (dib.imageSize != 0 && dib.imageSize < imageSize) return Fail(why, "image size field too small");
    if (bitsOffset == 0) bitsOffset = kInfoHeaderSize + 4 * colours;
    if (bitsOffset < kInfoHeaderSize + 4 * colours) return Fail(why, "rows overlap the colour table");
    if (bytes.size() < bitsOffset || bytes.size() - bitsOffset < imageSize) return Fail(why, "rows cut short");

    for (std::size_t k = 0; k < colours; ++k) {
        const std::uint8_t* entry = h + kInfoHeaderSize + 4 * k;
        dib.palette[k] = {entry[2], entry[1], entry[0]};
    }
    dib.image = IndexedImage(width, rows);
    const std::size_t rowSize = DibRowSize(width);
    for (int y = 0; y < rows; ++y) {
        const int stored = dib.bottomUp ? rows - 1 - y : y;
        const std::uint8_t* row = h + bitsOffset + static_cast<std::size_t>(stored) * rowSize;
        for (int x = 0; x < width; ++x) {
            const std::uint8_t pair = row[x / 2];
            dib.image.Set(x, y, (x % 2 == 0) ? static_cast<std::uint8_t>(pair >> 4) : (pair & 0x0F));
        }
    }
    return dib;
}

std::optional<DecodedDib> DecodeBmpFile(const Bytes& bytes, std::string* why) {
    if (bytes.size() < kFileHeaderSize + kInfoHeaderSize) return Fail(why, "shorter than the headers");
    if (bytes[0] != 'B' || bytes[1] != 'M') return Fail(why, "no BM signature");
    if (GetU32(&bytes[2]) != bytes.size()) return Fail(why, "file size field differs from the length");
    if (GetU16(&bytes[6]) != 0 || GetU16(&bytes[8]) != 0) return Fail(why, "reserved fields not 0");
    const std::uint32_t offset = GetU32(&bytes[10]);
    if (offset < kFileHeaderSize + kInfoHeaderSize || offset > bytes.size()) return Fail(why, "bad pixel offset");
    const Bytes packed(bytes.begin() + kFileHeaderSize, bytes.end());
    return DecodePackedDib(packed, why, offset - kFileHeaderSize);
}

int NearestGraphPaletteIndex(int red, int green, int blue) {
    int best = 0;
    long bestDistance = -1;
    for (int k = 0; k < kGraphPaletteSize; ++k) {
        const long dr = red - kGraphPalette[k].red;
        const long dg = green - kGraphPalette[k].green;
        const long db = blue - kGraphPalette[k].blue;
        const long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = k;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace plorimet
