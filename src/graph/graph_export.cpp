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

void AppendBytes(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
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
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(image.width) * image.height * 3);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        const Rgb& c = kGraphPalette[image.pixels[i] & 0x0F];
        rgb[3 * i] = c.red;
        rgb[3 * i + 1] = c.green;
        rgb[3 * i + 2] = c.blue;
    }
    // The fastest settings stb offers: the graph is mostly flat white, so row filters gain
    // little (the file grows by about a fifth) and cost half the time.
    stbi_write_png_compression_level = 5;
    stbi_write_force_png_filter = 0;
    Bytes out;
    if (!stbi_write_png_to_func(AppendBytes, &out, image.width, image.height, 3, rgb.data(), image.width * 3))
        return {};
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
    svg << "<g fill=\"none\" stroke=\"" << ColourText(kBlackIndex) << "\" stroke-width=\"1\" stroke-linecap=\"square\">\n";
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
