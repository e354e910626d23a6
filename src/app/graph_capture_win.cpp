#include "app/graph_capture_win.h"

namespace plorimet {

std::optional<IndexedImage> CaptureGraph(const WindowState& state) {
    const CaptureRegion region = CaptureRegionOf(state.graphFrame);
    if (!state.graphSurface.held() || region.IsEmpty()) return std::nullopt;

    struct FourBitInfo {
        BITMAPINFOHEADER header;
        RGBQUAD colours[16];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = region.width;
    info.header.biHeight = -region.height;  // top-down, so row y is at y * stride
    info.header.biPlanes = 1;
    info.header.biBitCount = 4;
    info.header.biCompression = BI_RGB;
    for (int i = 0; i < 16; ++i) {
        info.colours[i].rgbRed = kGraphPalette[i].red;
        info.colours[i].rgbGreen = kGraphPalette[i].green;
        info.colours[i].rgbBlue = kGraphPalette[i].blue;
    }

    WindowDC screen(state.mainWindow);
    if (!screen) return std::nullopt;
    void* bits = nullptr;
    OwnedBitmap section(CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                         nullptr, 0));
    MemoryDC memory(screen.get());
    if (!section || !bits || !memory) return std::nullopt;
    SelectGuard select(memory.get(), section.get());
    if (!select.ok()) return std::nullopt;
    SetStretchBltMode(memory.get(), COLORONCOLOR);
    if (!BitBlt(memory.get(), 0, 0, region.width, region.height, state.graphSurface.dc(), region.left, region.top,
                SRCCOPY))
        return std::nullopt;
    GdiFlush();

    IndexedImage image(region.width, region.height);
    const std::uint32_t stride = DibRowSize(region.width);
    const auto* rows = static_cast<const std::uint8_t*>(bits);
    for (int y = 0; y < region.height; ++y) {
        const std::uint8_t* row = rows + static_cast<size_t>(y) * stride;
        for (int x = 0; x < region.width; ++x) {
            const std::uint8_t pair = row[x / 2];
            image.Set(x, y, (x % 2 == 0) ? pair >> 4 : pair & 0x0f);
        }
    }
    return image;
}

}  // namespace plorimet
