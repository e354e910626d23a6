// The plot as PNG pixels. Shapes and glyphs go through stb_truetype's scanline rasterizer, which
// gives every pixel the share of it a shape covers (edges smoothed as a browser smooths the SVG);
// the glyphs come from the fonts embedded at build time (graph/plot_fonts.h), and the pixels
// become PNG through stb_image_write.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "graph/plot.h"
#include "graph/plot_fonts.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb/stb_truetype.h>
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace plorimet {

namespace {

// stb_truetype takes whole-number vertices: they are given in these fractions of a pixel.
constexpr float kSubpixels = 8.0f;
constexpr int kCircleSides = 32;
constexpr double kPi = 3.14159265358979323846;

using Outline = std::vector<PlotPoint>;

double SignedArea(const Outline& outline) {
    double area = 0.0;
    for (size_t k = 0; k < outline.size(); ++k) {
        const PlotPoint& a = outline[k];
        const PlotPoint& b = outline[(k + 1) % outline.size()];
        area += a.x * b.y - b.x * a.y;
    }
    return area / 2;
}

// The rasterizer adds up the windings of overlapping outlines: every outline of one shape is
// turned the same way, so overlaps (a line's pieces and its round joins) never cancel.
Outline Turned(Outline outline, bool clockwise) {
    if ((SignedArea(outline) > 0) != clockwise) std::reverse(outline.begin(), outline.end());
    return outline;
}

Outline CircleOutline(PlotPoint centre, double radius) {
    Outline circle;
    for (int k = 0; k < kCircleSides; ++k) {
        const double angle = 2 * kPi * k / kCircleSides;
        circle.push_back({centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)});
    }
    return circle;
}

class Canvas {
public:
    Canvas(int width, int height, int scale)
        : width_(width), height_(height), scale_(scale), rgb_(static_cast<size_t>(width) * height * 3, 255) {}

    void Clip(const std::optional<PlotRect>& clip) {
        if (!clip) {
            clip_ = {0, 0, width_, height_};
            return;
        }
        clip_ = {std::max(0, static_cast<int>(std::floor(clip->left * scale_))),
                 std::max(0, static_cast<int>(std::floor(clip->top * scale_))),
                 std::min(width_, static_cast<int>(std::ceil((clip->left + clip->width) * scale_))),
                 std::min(height_, static_cast<int>(std::ceil((clip->top + clip->height) * scale_)))};
    }

    // Fills the outlines (picture units) as one shape, each turned the same way.
    void Fill(const std::vector<Outline>& outlines, const PlotColour& colour, double opacity) {
        std::vector<Outline> turned;
        for (const Outline& outline : outlines) turned.push_back(Turned(outline, true));
        FillAsTurned(turned, colour, opacity);
    }

    void Stroke(const std::vector<PlotPoint>& points, const PlotColour& colour, double width) {
        std::vector<Outline> pieces;
        const double half = width / 2;
        for (size_t k = 0; k + 1 < points.size(); ++k) {
            const PlotPoint a = points[k];
            const PlotPoint b = points[k + 1];
            const double length = std::hypot(b.x - a.x, b.y - a.y);
            if (!(length > 0)) continue;
            const double nx = -(b.y - a.y) / length * half;
            const double ny = (b.x - a.x) / length * half;
            pieces.push_back({{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}});
        }
        for (const PlotPoint& p : points) pieces.push_back(CircleOutline(p, half));
        Fill(pieces, colour, 1.0);
    }

    void Dot(const PlotDot& dot) {
        Fill({CircleOutline(dot.centre, dot.radius)}, {255, 0, 0}, 1.0);
        // Its outline: a ring, the circle half a unit out less the one half a unit in.
        FillAsTurned({Turned(CircleOutline(dot.centre, dot.radius + 0.5), true),
                      Turned(CircleOutline(dot.centre, dot.radius - 0.5), false)},
                     {0, 0, 0}, 1.0);
    }

    void Text(const PlotLabel& text, const stbtt_fontinfo fonts[2]) {
        // The glyphs of each character: the Latin font's, else the Japanese one's.
        struct Glyph {
            int font;
            int index;
        };
        std::vector<Glyph> glyphs;
        for (size_t k = 0; k < text.text.size();) {
            const int code = NextCodePoint(text.text, k);
            Glyph g{0, stbtt_FindGlyphIndex(&fonts[0], code)};
            if (g.index == 0) g = {1, stbtt_FindGlyphIndex(&fonts[1], code)};
            glyphs.push_back(g);
        }
        const double size = text.size * scale_;
        double advance = 0.0;
        for (const Glyph& g : glyphs) {
            int width = 0;
            stbtt_GetGlyphHMetrics(&fonts[g.font], g.index, &width, nullptr);
            advance += width * stbtt_ScaleForMappingEmToPixels(&fonts[g.font], static_cast<float>(size));
        }
        double x = text.at.x * scale_;
        if (text.anchor == TextAnchor::Middle) x -= advance / 2;
        if (text.anchor == TextAnchor::End) x -= advance;
        const double baseline = text.at.y * scale_;
        for (const Glyph& g : glyphs) {
            const stbtt_fontinfo& font = fonts[g.font];
            const float em = stbtt_ScaleForMappingEmToPixels(&font, static_cast<float>(size));
            const int left = static_cast<int>(std::floor(x));
            const float shift = static_cast<float>(x - left);
            int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
            stbtt_GetGlyphBitmapBoxSubpixel(&font, g.index, em, em, shift, 0, &x0, &y0, &x1, &y1);
            const int w = x1 - x0;
            const int h = y1 - y0;
            if (w > 0 && h > 0) {
                std::vector<unsigned char> glyph(static_cast<size_t>(w) * h);
                stbtt_MakeGlyphBitmapSubpixel(&font, glyph.data(), w, h, w, em, em, shift, 0, g.index);
                const int top = static_cast<int>(std::lround(baseline)) + y0;
                Blend(text.colour, 1.0, left + x0, top, w, h, glyph.data(), w);
            }
            int width = 0;
            stbtt_GetGlyphHMetrics(&font, g.index, &width, nullptr);
            x += width * em;
        }
    }

    const std::vector<std::uint8_t>& rgb() const { return rgb_; }

private:
    struct Box {
        int left, top, right, bottom;
    };

    // Fills the outlines as they are turned (opposite turns cancel: a ring) over the pixels
    // they reach.
    void FillAsTurned(const std::vector<Outline>& outlines, const PlotColour& colour, double opacity) {
        std::vector<stbtt_vertex> vertices;
        double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
        for (const Outline& outline : outlines) {
            if (outline.size() < 3) continue;
            for (size_t k = 0; k <= outline.size(); ++k) {
                const PlotPoint& p = outline[k % outline.size()];
                const double x = std::clamp(p.x * scale_, -1.0, width_ + 1.0);
                const double y = std::clamp(p.y * scale_, -1.0, height_ + 1.0);
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
                stbtt_vertex v{};
                v.type = k == 0 ? STBTT_vmove : STBTT_vline;
                v.x = static_cast<stbtt_vertex_type>(std::lround(x * kSubpixels));
                v.y = static_cast<stbtt_vertex_type>(std::lround(y * kSubpixels));
                vertices.push_back(v);
            }
        }
        if (vertices.empty()) return;
        const Box box{static_cast<int>(std::floor(left)), static_cast<int>(std::floor(top)),
                      static_cast<int>(std::ceil(right)) + 1, static_cast<int>(std::ceil(bottom)) + 1};
        const int w = box.right - box.left;
        const int h = box.bottom - box.top;
        coverage_.assign(static_cast<size_t>(w) * h, 0);
        stbtt__bitmap bitmap{w, h, w, coverage_.data()};
        stbtt_Rasterize(&bitmap, 0.35f, vertices.data(), static_cast<int>(vertices.size()), 1 / kSubpixels,
                        1 / kSubpixels, 0, 0, box.left, box.top, 0, nullptr);
        Blend(colour, opacity, box.left, box.top, w, h, coverage_.data(), w);
    }

    static int NextCodePoint(const std::string& text, size_t& k) {
        const unsigned char c = static_cast<unsigned char>(text[k++]);
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        int code = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : extra == 1 ? c & 0x1F : c;
        for (; extra > 0 && k < text.size(); --extra) code = (code << 6) | (static_cast<unsigned char>(text[k++]) & 0x3F);
        return code;
    }

    // Puts the colour over the pixels in the share each coverage byte gives, inside the clip.
    void Blend(const PlotColour& colour, double opacity, int left, int top, int w, int h, const unsigned char* cover,
               int stride) {
        const int alpha = static_cast<int>(std::lround(opacity * 255));
        const int from[3] = {colour.red, colour.green, colour.blue};
        for (int y = std::max(top, clip_.top); y < std::min(top + h, clip_.bottom); ++y) {
            for (int x = std::max(left, clip_.left); x < std::min(left + w, clip_.right); ++x) {
                const int share = cover[(y - top) * stride + (x - left)] * alpha;  // of 255 * 255
                if (share == 0) continue;
                std::uint8_t* pixel = &rgb_[(static_cast<size_t>(y) * width_ + x) * 3];
                for (int c = 0; c < 3; ++c)
                    pixel[c] = static_cast<std::uint8_t>((pixel[c] * (65025 - share) + from[c] * share + 32512) / 65025);
            }
        }
    }

    int width_;
    int height_;
    int scale_;
    std::vector<std::uint8_t> rgb_;
    std::vector<unsigned char> coverage_;
    Box clip_{0, 0, 0, 0};
};

void AppendBytes(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

Bytes PlotPngBytes(const PlotPlan& plan, int scale) {
    const int width = static_cast<int>(std::ceil(plan.width * scale));
    const int height = static_cast<int>(std::ceil(plan.height * scale));
    if (width <= 0 || height <= 0 || width * kSubpixels > 32000 || height * kSubpixels > 32000) return {};
    stbtt_fontinfo fonts[2];
    if (!stbtt_InitFont(&fonts[0], kPlotLatinFont, 0) || !stbtt_InitFont(&fonts[1], kPlotJapaneseFont, 0)) return {};
    Canvas canvas(width, height, scale);
    for (const PlotGroup& group : plan.groups) {
        canvas.Clip(group.clip);
        for (const PlotArea& area : group.areas) canvas.Fill({area.outline}, area.colour, area.opacity);
        for (const PlotLine& line : group.lines) canvas.Stroke(line.points, line.colour, line.width);
        for (const PlotDot& dot : group.dots) canvas.Dot(dot);
        for (const PlotLabel& text : group.texts) canvas.Text(text, fonts);
    }
    Bytes png;
    if (!stbi_write_png_to_func(AppendBytes, &png, width, height, 3, canvas.rgb().data(), width * 3)) return {};
    return png;
}

}  // namespace plorimet
