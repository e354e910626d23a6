#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "graph/dib.h"
#include "graph/graph_plan.h"
#include "dib_decode.h"

namespace plorimet {
namespace {

// The usual stride formula for 4 bits per pixel, kept apart from the code's own.
std::size_t IndependentRowSize(int width) { return (static_cast<std::size_t>(width) * 4 + 31) / 32 * 4; }

std::uint32_t U32At(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::uint16_t U16At(const Bytes& b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8)); }

void PutU32At(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

IndexedImage NoiseImage(int width, int height, std::uint32_t seed) {
    IndexedImage image(width, height);
    for (auto& pixel : image.pixels) {
        seed = seed * 1103515245u + 12345u;
        pixel = static_cast<std::uint8_t>((seed >> 16) & 0x0F);
    }
    return image;
}

// top row 1 2 3, bottom row 15 0 9
IndexedImage SmallImage() {
    IndexedImage image(3, 2);
    image.pixels = {1, 2, 3, 15, 0, 9};
    return image;
}

TEST(DibRows, RowSizeMatchesTheStrideFormulaForEveryWidth) {
    for (int width = 1; width <= 4096; ++width) ASSERT_EQ(IndependentRowSize(width), DibRowSize(width)) << width;
    const struct {
        int width;
        std::uint32_t rowSize;
    } cases[] = {{1, 4}, {7, 4}, {8, 4}, {9, 8}, {263, 132}, {523, 264}};
    for (const auto& c : cases) EXPECT_EQ(c.rowSize, DibRowSize(c.width)) << c.width;
    EXPECT_EQ(0u, DibRowSize(0));
    EXPECT_EQ(0u, DibRowSize(-5));
}

TEST(DibRows, ImageSizeIsRowsTimesRowSizeAndZeroWhenItCannotBeCounted) {
    EXPECT_EQ(264u * 563u, DibImageSize(523, 563));
    EXPECT_EQ(0u, DibImageSize(523, 0));
    EXPECT_EQ(0u, DibImageSize(0, 563));
    EXPECT_EQ(0u, DibImageSize(INT_MAX, INT_MAX));
}

TEST(DibPacked, HeaderPaletteAndNibblesOfASmallImage) {
    Bytes dib = PackedDib(SmallImage(), kClipboardImportantColours);
    const Bytes expected = {
        40, 0, 0, 0,  3, 0, 0, 0,  2, 0, 0, 0,  1, 0,  4, 0,  0, 0, 0, 0,  8, 0, 0, 0,
        0, 0, 0, 0,   0, 0, 0, 0,  16, 0, 0, 0, 16, 0, 0, 0,
        // GraphPalette: blue, green, red, 0
        0, 0, 0, 0,       0, 0, 128, 0,     0, 128, 0, 0,     0, 128, 128, 0,
        128, 0, 0, 0,     128, 0, 128, 0,   128, 128, 0, 0,   128, 128, 128, 0,
        192, 192, 192, 0, 0, 0, 255, 0,     0, 255, 0, 0,     0, 255, 255, 0,
        255, 0, 0, 0,     255, 0, 255, 0,   255, 255, 0, 0,   255, 255, 255, 0,
        // bottom row first, left pixel in the high nibble, padded to 4 bytes
        0xF0, 0x90, 0, 0,  0x12, 0x30, 0, 0,
    };
    EXPECT_EQ(expected, dib);
}

TEST(DibPacked, ClipboardAndFileDifferOnlyInImportantColours) {
    Bytes clip = PackedDib(SmallImage(), kClipboardImportantColours);
    Bytes file = BmpFileBytes(SmallImage());
    ASSERT_EQ(clip.size() + 14, file.size());
    EXPECT_EQ(16u, U32At(clip, 36));
    EXPECT_EQ(0u, U32At(file, 14 + 36));
    file[14 + 36] = 16;
    EXPECT_TRUE(std::equal(clip.begin(), clip.end(), file.begin() + 14));
}

TEST(DibPacked, FullSizeCaptureOfASixHundredPixelClient) {
    CaptureRegion region = CaptureRegionOf(PlanFrame(628, 600, 1.0));
    ASSERT_EQ(523, region.width);
    ASSERT_EQ(563, region.height);
    IndexedImage image(region.width, region.height, kWhiteIndex);
    Bytes clip = PackedDib(image, kClipboardImportantColours);
    EXPECT_EQ(148632u + 104u, clip.size());
    EXPECT_EQ(523u, U32At(clip, 4));
    EXPECT_EQ(563u, U32At(clip, 8));
    EXPECT_EQ(148632u, U32At(clip, 20));
    EXPECT_EQ(16u, U32At(clip, 32));

    Bytes file = BmpFileBytes(image);
    ASSERT_EQ(148750u, file.size());
    EXPECT_EQ('B', file[0]);
    EXPECT_EQ('M', file[1]);
    EXPECT_EQ(148750u, U32At(file, 2));
    EXPECT_EQ(0u, U32At(file, 6));
    EXPECT_EQ(118u, U32At(file, 10));
    EXPECT_EQ(40u, U32At(file, 14));
    EXPECT_EQ(1u, U16At(file, 26));
    EXPECT_EQ(4u, U16At(file, 28));
    EXPECT_EQ(0u, U32At(file, 30));
    EXPECT_EQ(148632u, U32At(file, 34));
    EXPECT_EQ(0u, U32At(file, 38));
    EXPECT_EQ(0u, U32At(file, 42));
    EXPECT_EQ(16u, U32At(file, 46));
    EXPECT_EQ(0u, U32At(file, 50));
    // white: 255, 255, 255 as the last palette entry
    EXPECT_EQ(0x00FFFFFFu, U32At(file, 54 + 4 * 15));
}

TEST(DibPacked, FrameLinesOfACaptureLandOnTheExpectedStoredRows) {
    const int w = 263, h = 283;  // half size, 600-pixel client
    IndexedImage image(w, h, kWhiteIndex);
    for (int x = 1; x <= w - 2; ++x) {
        image.Set(x, 1, kBlackIndex);
        image.Set(x, h - 2, kBlackIndex);
    }
    for (int y = 1; y <= h - 2; ++y) {
        image.Set(1, y, kBlackIndex);
        image.Set(w - 2, y, kBlackIndex);
    }
    Bytes dib = PackedDib(image, kClipboardImportantColours);
    const std::size_t row = 132;
    // Stored row 0 is the picture's bottom row: white, with the odd width's last nibble 0.
    EXPECT_EQ(0xFF, dib[104]);
    EXPECT_EQ(0xF0, dib[104 + 131]);  // pixel 262 in the high nibble, padding below
    // Stored row 1 is the bottom frame line: black from column 1 to w - 2.
    EXPECT_EQ(0xF0, dib[104 + row]);
    EXPECT_EQ(0x00, dib[104 + row + 1]);
    EXPECT_EQ(0x00, dib[104 + row + 130]);  // pixels 260 and 261 = w - 2
    EXPECT_EQ(0xF0, dib[104 + row + 131]);
    // Stored row 2 crosses the side lines at columns 1 and w - 2 only.
    EXPECT_EQ(0xF0, dib[104 + 2 * row]);
    EXPECT_EQ(0xFF, dib[104 + 2 * row + 1]);
    EXPECT_EQ(0xF0, dib[104 + 2 * row + 130]);
    // The top frame line is the last but one stored row.
    EXPECT_EQ(0x00, dib[104 + (h - 2) * row + 60]);
}

TEST(DibPacked, PaddingBitsAreZeroForOddWidths) {
    for (int width : {1, 7, 8, 9, 263, 523}) {
        SCOPED_TRACE(width);
        IndexedImage image(width, 3, kWhiteIndex);
        Bytes dib = PackedDib(image, 0);
        const std::size_t rowSize = IndependentRowSize(width);
        ASSERT_EQ(104 + 3 * rowSize, dib.size());
        for (int r = 0; r < 3; ++r) {
            const std::uint8_t* row = &dib[104 + r * rowSize];
            for (std::size_t b = 0; b < rowSize; ++b) {
                const std::size_t firstPixel = 2 * b;
                std::uint8_t expected = 0;
                if (firstPixel < static_cast<std::size_t>(width)) expected |= 0xF0;
                if (firstPixel + 1 < static_cast<std::size_t>(width)) expected |= 0x0F;
                ASSERT_EQ(expected, row[b]) << "row " << r << " byte " << b;
            }
        }
    }
}

TEST(DibPacked, ImageWithoutPixelsGivesNoBytes) {
    EXPECT_TRUE(PackedDib(IndexedImage(0, 5), 16).empty());
    EXPECT_TRUE(PackedDib(IndexedImage(5, 0), 16).empty());
    EXPECT_TRUE(BmpFileBytes(IndexedImage(-3, 5)).empty());
    IndexedImage broken(4, 4);
    broken.pixels.pop_back();
    EXPECT_TRUE(PackedDib(broken, 16).empty());
}

TEST(DibDecode, PackedAndFileBytesReadBackToTheSameImage) {
    std::uint32_t seed = 7;
    for (int width : {1, 7, 8, 9, 263, 523}) {
        for (int height : {1, 2, 5}) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
            IndexedImage image = NoiseImage(width, height, seed++);
            std::string why;
            auto fromClip = DecodePackedDib(PackedDib(image, kClipboardImportantColours), &why);
            ASSERT_TRUE(fromClip) << why;
            EXPECT_EQ(image, fromClip->image);
            EXPECT_EQ(16u, fromClip->importantColours);
            EXPECT_TRUE(fromClip->bottomUp);
            auto fromFile = DecodeBmpFile(BmpFileBytes(image), &why);
            ASSERT_TRUE(fromFile) << why;
            EXPECT_EQ(image, fromFile->image);
            EXPECT_EQ(0u, fromFile->importantColours);
            EXPECT_EQ(kGraphPalette, fromFile->palette);
        }
    }
}

TEST(DibDecode, TopDownRowsAreReadInTheirOrder) {
    Bytes dib = PackedDib(SmallImage(), 0);
    PutU32At(dib, 8, static_cast<std::uint32_t>(-2));
    // swap the two stored rows so the top row comes first
    std::swap_ranges(dib.begin() + 104, dib.begin() + 108, dib.begin() + 108);
    auto decoded = DecodePackedDib(dib);
    ASSERT_TRUE(decoded);
    EXPECT_FALSE(decoded->bottomUp);
    EXPECT_EQ(SmallImage(), decoded->image);
}

TEST(DibDecode, MalformedPackedBitmapsAreRejected) {
    const Bytes good = PackedDib(SmallImage(), 16);
    const struct {
        const char* name;
        std::size_t at;
        std::uint32_t value;
        int width;  // 4 or 2 bytes
    } cases[] = {
        {"header size", 0, 41, 4},   {"width", 4, 0, 4},          {"height", 8, 0, 4},
        {"planes", 12, 2, 2},        {"bits", 14, 8, 2},          {"compression", 16, 2, 4},
        {"image size", 20, 7, 4},    {"colours used", 32, 17, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bad = good;
        if (c.width == 4) {
            PutU32At(bad, c.at, c.value);
        } else {
            bad[c.at] = static_cast<std::uint8_t>(c.value);
            bad[c.at + 1] = 0;
        }
        std::string why;
        EXPECT_FALSE(DecodePackedDib(bad, &why));
        EXPECT_FALSE(why.empty());
    }
    Bytes cut = good;
    cut.pop_back();
    EXPECT_FALSE(DecodePackedDib(cut));
    EXPECT_FALSE(DecodePackedDib(Bytes(good.begin(), good.begin() + 39)));
}

TEST(DibDecode, MalformedFilesAreRejected) {
    const Bytes good = BmpFileBytes(SmallImage());
    ASSERT_TRUE(DecodeBmpFile(good));
    Bytes noSignature = good;
    noSignature[1] = 'A';
    EXPECT_FALSE(DecodeBmpFile(noSignature));
    Bytes shortFile = good;
    shortFile.pop_back();
    EXPECT_FALSE(DecodeBmpFile(shortFile));  // the file size field no longer matches
    Bytes offsetPastEnd = good;
    PutU32At(offsetPastEnd, 10, static_cast<std::uint32_t>(good.size() + 1));
    EXPECT_FALSE(DecodeBmpFile(offsetPastEnd));
    Bytes offsetInHeader = good;
    PutU32At(offsetInHeader, 10, 60);  // rows would overlap the colour table
    EXPECT_FALSE(DecodeBmpFile(offsetInHeader));
}

TEST(DibPalette, NearestIndexIsExactForEveryGraphColour) {
    for (int k = 0; k < kGraphPaletteSize; ++k) {
        const Rgb& c = kGraphPalette[k];
        EXPECT_EQ(k, NearestGraphPaletteIndex(c.red, c.green, c.blue)) << k;
    }
    EXPECT_EQ(kWhiteIndex, NearestGraphPaletteIndex(255, 255, 255));
    EXPECT_EQ(kBlackIndex, NearestGraphPaletteIndex(0, 0, 0));
    EXPECT_EQ(kRedIndex, NearestGraphPaletteIndex(255, 0, 0));
}

TEST(DibPalette, OtherColoursGoToTheNearestEntryAndTiesToTheLowerIndex) {
    EXPECT_EQ(9, NearestGraphPaletteIndex(250, 10, 10));
    EXPECT_EQ(7, NearestGraphPaletteIndex(100, 100, 100));
    EXPECT_EQ(8, NearestGraphPaletteIndex(200, 200, 200));
    EXPECT_EQ(0, NearestGraphPaletteIndex(64, 0, 0));  // as far from 0 as from 1
}

Bytes CaptureBlock(int width, int height) {
    // What the capture holds before the check: colours used 0 and, here, image size 0 too.
    Bytes block(104 + DibImageSize(width, height), 0);
    auto header = InfoHeaderBytes(width, height, 0, 0);
    std::copy(header.begin(), header.end(), block.begin());
    PutU32At(block, 20, 0);
    auto table = GraphPaletteBytes();
    std::copy(table.begin(), table.end(), block.begin() + 40);
    return block;
}

TEST(DibCaptureHeader, CompletesColoursAndImageSizeAndLocatesTheRows) {
    Bytes block = CaptureBlock(523, 563);
    CaptureHeaderCheck check = CheckCaptureHeader(block, 118);
    EXPECT_FALSE(check.failure);
    EXPECT_EQ(16u, check.paletteColours);
    EXPECT_EQ(16u, U32At(block, 32));
    EXPECT_EQ(148632u, U32At(block, 20));
    EXPECT_EQ(40u, check.paletteOffset);
    EXPECT_EQ(104u, check.bitsOffset);
    EXPECT_EQ(104u, CheckCaptureHeader(block, 0).bitsOffset);
    EXPECT_EQ(186u, CheckCaptureHeader(block, 200).bitsOffset);
    // After the check the block is exactly what the file carries after its 14 header bytes.
    Bytes file = BmpFileBytes(IndexedImage(523, 563, 0));
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 104, file.begin() + 14));
}

TEST(DibCaptureHeader, FilledFieldsAreKept) {
    Bytes block = CaptureBlock(9, 3);
    PutU32At(block, 20, 999);
    PutU32At(block, 32, 5);
    CaptureHeaderCheck check = CheckCaptureHeader(block, 0);
    EXPECT_FALSE(check.failure);
    EXPECT_EQ(999u, U32At(block, 20));
    EXPECT_EQ(5u, check.paletteColours);
    EXPECT_EQ(40u + 20u, check.bitsOffset);
}

TEST(DibCaptureHeader, WrongHeaderSizeIsTheIllegalStructureOutcome) {
    Bytes block = CaptureBlock(9, 3);
    PutU32At(block, 0, 124);
    const Bytes before = block;
    CaptureHeaderCheck check = CheckCaptureHeader(block, 118);
    ASSERT_TRUE(check.failure);
    EXPECT_EQ(MessageId::IllegalInfoHeaderSize, *check.failure);
    EXPECT_EQ(before, block);
    Bytes tiny(12, 0);
    tiny[0] = 40;
    EXPECT_EQ(MessageId::IllegalInfoHeaderSize, CheckCaptureHeader(tiny, 118).failure);
}

TEST(DibCaptureHeader, PaletteColoursFollowTheBitCount) {
    const struct {
        std::uint16_t bits;
        std::uint32_t colours;
    } cases[] = {{1, 2}, {4, 16}, {8, 256}, {16, 0}, {24, 0}, {32, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        Bytes block = CaptureBlock(9, 3);
        block[14] = static_cast<std::uint8_t>(c.bits);
        CaptureHeaderCheck check = CheckCaptureHeader(block, 0);
        EXPECT_FALSE(check.failure);
        EXPECT_EQ(c.colours, check.paletteColours);
        EXPECT_EQ(c.colours, U32At(block, 32));
        EXPECT_EQ(40u + 4u * c.colours, check.bitsOffset);
        // ((9 bpp + 31) / 32) * 4 * 3
        EXPECT_EQ((9u * c.bits + 31u) / 32u * 4u * 3u, U32At(block, 20));
    }
}

// Guards the image size computation against negative heights and 64-bit overflow.
TEST(DibCaptureHeader, ImageSizeOfTopDownAndOversizedHeaders) {
    Bytes topDown = CaptureBlock(9, 3);
    PutU32At(topDown, 8, static_cast<std::uint32_t>(-3));
    EXPECT_FALSE(CheckCaptureHeader(topDown, 0).failure);
    EXPECT_EQ(24u, U32At(topDown, 20));

    Bytes huge = CaptureBlock(9, 3);
    PutU32At(huge, 4, 0x7FFFFFFF);
    PutU32At(huge, 8, 0x7FFFFFFF);
    huge[14] = 32;
    EXPECT_EQ(MessageId::IllegalInfoHeaderSize, CheckCaptureHeader(huge, 0).failure);

    Bytes negativeWidth = CaptureBlock(9, 3);
    PutU32At(negativeWidth, 4, static_cast<std::uint32_t>(-9));
    EXPECT_EQ(MessageId::IllegalInfoHeaderSize, CheckCaptureHeader(negativeWidth, 0).failure);
}

}  // namespace
}  // namespace plorimet
