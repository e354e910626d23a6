#include "graph/graph_export.h"

#include <sstream>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace plorimet {

namespace {

void PutBigEndian(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// The CRC-32 of PNG chunks (polynomial 0xEDB88320, reflected).
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// Length, type, data and the CRC of type and data.
void AppendChunk(Bytes& out, const char (&type)[5], const Bytes& data) {
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, Crc32(&out[typeAt], out.size() - typeAt));
}

std::string XmlEscaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '\r': break;  // the equation's line ends are CR LF; XML keeps the LF
            default: out += c;
        }
    }
    return out;
}

const char* ColourText(std::uint8_t index) {
    return index == kRedIndex ? "#ff0000" : (index == kWhiteIndex ? "#ffffff" : "#000000");
}

}  // namespace

Bytes PngFileBytes(const IndexedImage& image) {
    if (image.width <= 0 || image.height <= 0) return {};
    // Rows as PNG keeps them: a filter byte (0, none: the picture is mostly flat white, so
    // filters gain little) and two pixels per byte, the left one in the high four bits.
    const std::size_t rowBytes = (static_cast<std::size_t>(image.width) + 1) / 2;
    std::vector<std::uint8_t> rows((rowBytes + 1) * image.height, 0);
    for (int y = 0; y < image.height; ++y) {
        std::uint8_t* row = &rows[(rowBytes + 1) * y + 1];
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t index = image.At(x, y) & 0x0F;
            row[x / 2] |= (x % 2 == 0) ? static_cast<std::uint8_t>(index << 4) : index;
        }
    }
    int compressedSize = 0;
    unsigned char* compressed = stbi_zlib_compress(rows.data(), static_cast<int>(rows.size()), &compressedSize, 5);
    if (!compressed) return {};
    const Bytes idat(compressed, compressed + compressedSize);
    STBIW_FREE(compressed);

    Bytes header;
    PutBigEndian(header, static_cast<std::uint32_t>(image.width));
    PutBigEndian(header, static_cast<std::uint32_t>(image.height));
    header.insert(header.end(), {4, 3, 0, 0, 0});  // 4 bits, palette colour, deflate, no filter set, no interlace
    Bytes palette;
    for (const Rgb& c : kGraphPalette) palette.insert(palette.end(), {c.red, c.green, c.blue});

    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    AppendChunk(out, "IHDR", header);
    AppendChunk(out, "PLTE", palette);
    AppendChunk(out, "IDAT", idat);
    AppendChunk(out, "IEND", {});
    return out;
}

std::string SvgText(const GraphPlan& plan, const std::string& title, bool titleIsCp932) {
    const CaptureRegion region = CaptureRegionOf(plan.frame);
    // Region pixel (x, y) is client pixel (x + region.left, y + region.top); its centre is at
    // x + 0.5 in the drawing.
    auto px = [&](int x) { return x - region.left; };
    auto py = [&](int y) { return y - region.top; };
    std::ostringstream svg;
    svg << "<?xml version=\"1.0\" encoding=\"" << (titleIsCp932 ? "Shift_JIS" : "UTF-8") << "\"?>\n";
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << region.width << "\" height=\"" << region.height
        << "\" viewBox=\"0 0 " << region.width << ' ' << region.height << "\">\n";
    svg << "<title>" << XmlEscaped(title) << "</title>\n";
    svg << "<rect width=\"" << region.width << "\" height=\"" << region.height << "\" fill=\""
        << ColourText(kWhiteIndex) << "\"/>\n";

    // Frame and marks: 1-unit lines through pixel centres; the frame as one closed outline.
    svg << "<g fill=\"none\" stroke=\"" << ColourText(kBlackIndex)
        << "\" stroke-width=\"1\" stroke-linecap=\"square\" shape-rendering=\"crispEdges\">\n";
    svg << "<polygon points=\"";
    for (std::size_t i = 0; i + 1 < plan.frameOutline.size(); ++i)
        svg << (i ? " " : "") << px(plan.frameOutline[i].x) + 0.5 << ',' << py(plan.frameOutline[i].y) + 0.5;
    svg << "\"/>\n";
    for (const Segment& mark : plan.scaleMarks) {
        // GDI leaves out the end point: the line covers the pixels from one to the one before
        // the other, so the drawn piece ends half a pixel short of it.
        const double x1 = px(mark.from.x) + 0.5;
        const double y1 = py(mark.from.y) + 0.5;
        double x2 = px(mark.to.x) + 0.5;
        double y2 = py(mark.to.y) + 0.5;
        x2 += x2 > x1 ? -1 : (x2 < x1 ? 1 : 0);
        y2 += y2 > y1 ? -1 : (y2 < y1 ? 1 : 0);
        svg << "<line x1=\"" << x1 << "\" y1=\"" << y1 << "\" x2=\"" << x2 << "\" y2=\"" << y2 << "\"/>\n";
    }
    svg << "</g>\n";

    // The curve: one polyline for every run of connected pen steps.
    svg << "<g fill=\"none\" stroke=\"" << ColourText(kBlackIndex) << "\" stroke-width=\"" << plan.curvePenWidth
        << "\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
    std::ostringstream run;
    int points = 0;
    auto flush = [&]() {
        if (points > 1) svg << "<polyline points=\"" << run.str() << "\"/>\n";
        run.str("");
        points = 0;
    };
    for (const CurveStep& step : plan.curve) {
        if (step.kind == PenStep::Move) flush();
        run << (points ? " " : "") << px(step.to.x) + 0.5 << ',' << py(step.to.y) + 0.5;
        ++points;
    }
    flush();
    svg << "</g>\n";

    // Dots: the box covers pixels left .. right - 1, so the circle's edge is the box's edge.
    svg << "<g fill=\"" << ColourText(kRedIndex) << "\" stroke=\"" << ColourText(kBlackIndex)
        << "\" stroke-width=\"1\">\n";
    for (const DotBox& dot : plan.dots) {
        const double r = (dot.right - dot.left) / 2.0;
        svg << "<circle cx=\"" << px(dot.left) + r << "\" cy=\"" << py(dot.top) + r << "\" r=\"" << r - 0.5
            << "\"/>\n";
    }
    svg << "</g>\n</svg>\n";
    return svg.str();
}

}  // namespace plorimet
