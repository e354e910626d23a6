#include "graph/graph_raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace plorimet {

namespace {

// Rounds half away from zero, then truncates as a conversion to int does.
int RoundHalfAway(double value) { return static_cast<int>(value > 0 ? value + 0.5 : value - 0.5); }

// ---- Integer ellipse ---------------------------------------------------------------------
//
// The midpoint ellipse of a w x h box (A. Zingl's formulation), walked from the right end of
// the middle row. Every step moves one column in, one row down or both.
class EllipseWalk {
public:
    EllipseWalk(int w, int h)
        : bSquared8_(8LL * (h - 1) * (h - 1)),
          aSquared8_(8LL * (w - 1) * (w - 1)),
          dx_(4LL * (h - 1) * (h - 1) * (1 - (w - 1))),
          dy_(4LL * (w - 1) * (w - 1) * (1 + (h - 1) % 2)),
          err_(dx_ + dy_ + static_cast<long long>(w - 1) * (w - 1) * ((h - 1) % 2)) {}

    // One step: reports whether x moved and whether y moved.
    void Step(bool& movedX, bool& movedY) {
        const long long e2 = 2 * err_;
        movedX = e2 >= dx_;
        movedY = e2 <= dy_;
        if (movedX) {
            dx_ += bSquared8_;
            err_ += dx_;
        }
        if (movedY) {
            dy_ += aSquared8_;
            err_ += dy_;
        }
    }

private:
    long long bSquared8_;
    long long aSquared8_;
    long long dx_;
    long long dy_;
    long long err_;
};

// The points of the first quadrant, relative to the box: from (w - 1, h / 2) while x >= w / 2.
std::vector<PixelPoint> QuadrantPoints(int w, int h) {
    std::vector<PixelPoint> points;
    EllipseWalk walk(w, h);
    PixelPoint p{w - 1, h / 2};
    while (p.x >= w / 2) {
        points.push_back(p);
        bool movedX = false;
        bool movedY = false;
        walk.Step(movedX, movedY);
        if (movedX) --p.x;
        if (movedY) ++p.y;
    }
    return points;
}

// ---- Polygon edges -------------------------------------------------------------------------

// One edge of a polygon walked row by row from its upper end: `x` is the first integer column
// at or right of the edge on the current row.
struct PolygonEdge {
    int yTop = 0;
    int yEnd = 0;  // first row no longer crossed
    int x = 0;
    int m = 0;
    int m1 = 0;
    long long incr1 = 0;
    long long incr2 = 0;
    long long d = 0;

    PolygonEdge(PixelPoint top, PixelPoint bottom) : yTop(top.y), yEnd(bottom.y), x(top.x) {
        const long long dy = bottom.y - top.y;
        const long long dx = bottom.x - top.x;
        m = static_cast<int>(dx / dy);  // truncates toward zero
        if (dx < 0) {
            m1 = m - 1;
            incr1 = -2 * dx + 2 * dy * m1;
            incr2 = -2 * dx + 2 * dy * m;
            d = 2 * m * dy - 2 * dx - 2 * dy;
        } else {
            m1 = m + 1;
            incr1 = 2 * dx - 2 * dy * m1;
            incr2 = 2 * dx - 2 * dy * m;
            d = -2 * m * dy + 2 * dx;
        }
    }

    void NextRow() {
        const bool flip = m1 > 0 ? d > 0 : d >= 0;
        if (flip) {
            x += m1;
            d += incr1;
        } else {
            x += m;
            d += incr2;
        }
    }
};

}  // namespace

// ---- Canvas ----------------------------------------------------------------------------------

RasterCanvas::RasterCanvas(int width, int height, std::uint8_t fill) : image_(width, height, fill) {}

void RasterCanvas::FillSpan(int left, int right, int y, std::uint8_t colour) {
    if (y < 0 || y >= image_.height) return;
    left = std::max(left, 0);
    right = std::min(right, image_.width);
    if (left >= right) return;
    std::uint8_t* row = &image_.pixels[static_cast<std::size_t>(y) * image_.width];
    std::fill(row + left, row + right, colour);
}

void RasterCanvas::FillRect(int left, int top, int right, int bottom, std::uint8_t colour) {
    for (int y = std::max(top, 0); y < bottom && y < image_.height; ++y) FillSpan(left, right, y, colour);
}

void RasterCanvas::Plot(int x, int y, std::uint8_t colour) {
    if (x >= 0 && y >= 0 && x < image_.width && y < image_.height) image_.Set(x, y, colour);
}

// ---- Lines -----------------------------------------------------------------------------------

void DrawThinLine(RasterCanvas& canvas, PixelPoint from, PixelPoint to, std::uint8_t colour) {
    if (from.y == to.y) {
        // Start included, end excluded, whichever way the line runs.
        const int left = from.x <= to.x ? from.x : to.x + 1;
        const int right = from.x <= to.x ? to.x : from.x + 1;
        canvas.FillSpan(left, right, from.y, colour);
        return;
    }
    if (from.x == to.x) {
        const int top = from.y <= to.y ? from.y : to.y + 1;
        const int bottom = from.y <= to.y ? to.y : from.y + 1;
        canvas.FillRect(from.x, top, from.x + 1, bottom, colour);
        return;
    }
    const int dx = to.x - from.x;
    const int dy = to.y - from.y;
    const int adx = std::abs(dx);
    const int ady = std::abs(dy);
    // A tie between the axes walks along y; the lines that run up or left of the major axis
    // take the bias (octants 3, 5, 6, 8: up-left of a diagonal, counted clockwise from +x).
    int octant;
    if (dy > 0) {
        octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
    } else {
        octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
    }
    const int bias = (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
    const bool major = octant == 1 || octant == 4 || octant == 5 || octant == 8;
    const int xStep = dx > 0 ? 1 : -1;
    const int yStep = dy > 0 ? 1 : -1;
    const int longSide = major ? adx : ady;
    const int shortSide = major ? ady : adx;
    const long long addMinor = 2LL * shortSide - 2LL * longSide;
    const long long addMajor = 2LL * shortSide;
    long long err = 2LL * shortSide - longSide;
    PixelPoint p = from;
    for (int n = 0; n < longSide; ++n) {  // the end point is not drawn
        canvas.Plot(p.x, p.y, colour);
        if (err + bias > 0) {
            if (major) {
                p.y += yStep;
            } else {
                p.x += xStep;
            }
            err += addMinor;
        } else {
            err += addMajor;
        }
        if (major) {
            p.x += xStep;
        } else {
            p.y += yStep;
        }
    }
}

void FillPolygon(RasterCanvas& canvas, const std::vector<PixelPoint>& corners, std::uint8_t colour) {
    std::vector<PolygonEdge> edges;
    int yMin = 0;
    int yMax = 0;
    bool any = false;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const PixelPoint a = corners[i == 0 ? corners.size() - 1 : i - 1];
        const PixelPoint b = corners[i];
        if (a.y == b.y) continue;  // level edges take no part
        const PixelPoint top = a.y < b.y ? a : b;
        const PixelPoint bottom = a.y < b.y ? b : a;
        edges.emplace_back(top, bottom);
        yMin = any ? std::min(yMin, top.y) : top.y;
        yMax = any ? std::max(yMax, bottom.y) : bottom.y;
        any = true;
    }
    std::vector<int> crossings;
    for (int y = yMin; y < yMax; ++y) {
        crossings.clear();
        for (PolygonEdge& edge : edges) {
            if (y < edge.yTop || y >= edge.yEnd) continue;
            crossings.push_back(edge.x);
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t k = 0; k + 1 < crossings.size(); k += 2) canvas.FillSpan(crossings[k], crossings[k + 1], y, colour);
        for (PolygonEdge& edge : edges)
            if (y >= edge.yTop && y + 1 < edge.yEnd) edge.NextRow();
    }
}

void FillEllipticRegion(RasterCanvas& canvas, int left, int top, int right, int bottom, std::uint8_t colour) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    // The region keeps the box's left and top but gives up its last column and row.
    --right;
    --bottom;
    const int w = right - left;
    const int h = bottom - top;
    if (w < 2 || h < 2) {
        canvas.FillRect(left, top, right, bottom, colour);
        return;
    }
    // Row k of the lower half (k from h / 2) spans left + inset[k] .. right - inset[k].
    std::vector<int> inset(static_cast<std::size_t>(h) + 2, 0);
    EllipseWalk walk(w, h);
    int x = 0;
    int y = h / 2;
    while (x <= w / 2) {
        bool movedX = false;
        bool movedY = false;
        walk.Step(movedX, movedY);
        if (movedX) ++x;
        if (movedY) {
            ++y;
            if (y < static_cast<int>(inset.size())) inset[y] = x;
        }
    }
    for (int k = 0; k < h; ++k) {
        // The upper half mirrors the lower one.
        const int source = k < h / 2 ? (h - 1) - k : k;
        const int rowTop = k < h / 2 ? top + k : bottom - h + k;
        // The middle row reaches up to the middle of the box (the same row for an ellipse).
        const int firstRow = k == h / 2 ? top + h / 2 : rowTop;
        canvas.FillRect(left + inset[source], firstRow, right - inset[source], rowTop + 1, colour);
    }
}

void DrawWideLine(RasterCanvas& canvas, PixelPoint from, PixelPoint to, int width, std::uint8_t colour) {
    // Round ends: the elliptic region of a box about each point.
    const int capNear = width / 2;
    const int capFar = (width + 1) / 2 + 1;
    for (const PixelPoint& p : {from, to})
        FillEllipticRegion(canvas, p.x - capNear, p.y - capNear, p.x + capFar, p.y + capFar, colour);

    const int dx = to.x - from.x;
    const int dy = to.y - from.y;
    if (dx == 0 && dy == 0) return;
    if (dy == 0) {
        const int top = from.y - width / 2;
        canvas.FillRect(std::min(from.x, to.x), top, std::max(from.x, to.x), top + width, colour);
        return;
    }
    if (dx == 0) {
        const int left = from.x - width / 2;
        canvas.FillRect(left, std::min(from.y, to.y), left + width, std::max(from.y, to.y), colour);
        return;
    }
    const double length = std::hypot(dx, dy);
    const double widthX = width * std::abs(dy) / length;
    const double widthY = width * std::abs(dx) / length;
    PixelPoint narrow{RoundHalfAway(widthX / 2), RoundHalfAway(widthY / 2)};
    PixelPoint wide{RoundHalfAway((widthX + 1) / 2), RoundHalfAway((widthY + 1) / 2)};
    if (dx < 0) {
        wide.y = -wide.y;
        narrow.y = -narrow.y;
    }
    if (dy < 0) {
        std::swap(narrow, wide);
        wide.x = -wide.x;
        narrow.x = -narrow.x;
    }
    FillPolygon(canvas,
                {{from.x - narrow.x, from.y + narrow.y},
                 {from.x + wide.x, from.y - wide.y},
                 {to.x + wide.x, to.y - wide.y},
                 {to.x - narrow.x, to.y + narrow.y}},
                colour);
}

void DrawEllipse(RasterCanvas& canvas, const DotBox& box, std::uint8_t pen, std::uint8_t brush) {
    int left = std::min(box.left, box.right);
    int right = std::max(box.left, box.right);
    int top = std::min(box.top, box.bottom);
    int bottom = std::max(box.top, box.bottom);
    if (left == right || top == bottom) return;
    const int w = right - left;
    const int h = bottom - top;
    if (w <= 2 || h <= 2) {
        // A box this small is drawn as a rectangle: outline, brush inside it.
        const std::vector<PixelPoint> outline = {
            {right - 1, top}, {left, top}, {left, bottom - 1}, {right - 1, bottom - 1}};
        canvas.FillRect(left + 1, top + 1, right - 1, bottom - 1, brush);
        for (std::size_t i = 0; i < outline.size(); ++i)
            DrawThinLine(canvas, outline[i], outline[(i + 1) % outline.size()], pen);
        return;
    }
    FillEllipticRegion(canvas, left, top, right + 1, bottom + 1, brush);

    // The outline: the first quadrant placed at the box's right end, mirrored across both axes.
    std::vector<PixelPoint> points;
    for (const PixelPoint& q : QuadrantPoints(w, h)) points.push_back({right - w + q.x, top + h - 1 - q.y});
    const int count1 = static_cast<int>(points.size());
    int end = 2 * count1 - 1 - (w % 2 ? 1 : 0);
    points.resize(static_cast<std::size_t>(end) + 1);
    for (int i = 0; i < count1; ++i) points[end - i] = {left + right - 1 - points[i].x, points[i].y};
    const int count2 = end + 1;
    end = 2 * count2 - 1 - (h % 2 ? 1 : 0);
    points.resize(static_cast<std::size_t>(end) + 1);
    for (int i = 0; i < count2; ++i) points[end - i] = {points[i].x, top + bottom - 1 - points[i].y};
    for (std::size_t i = 0; i < points.size(); ++i)
        DrawThinLine(canvas, points[i], points[(i + 1) % points.size()], pen);
}

// ---- The graph ---------------------------------------------------------------------------------

RasterCanvas RenderGraphSurface(const GraphPlan& plan, int clientWidth, int clientHeight) {
    RasterCanvas canvas(clientWidth, clientHeight, kWhiteIndex);

    for (std::size_t i = 1; i < plan.frameOutline.size(); ++i)
        DrawThinLine(canvas, plan.frameOutline[i - 1], plan.frameOutline[i], kBlackIndex);
    for (const Segment& mark : plan.scaleMarks) DrawThinLine(canvas, mark.from, mark.to, kBlackIndex);

    PixelPoint position{};
    for (const CurveStep& step : plan.curve) {
        if (step.kind == PenStep::Line) {
            if (plan.curvePenWidth > 1) {
                DrawWideLine(canvas, position, step.to, plan.curvePenWidth, kBlackIndex);
            } else {
                DrawThinLine(canvas, position, step.to, kBlackIndex);
            }
        }
        position = step.to;
    }

    for (const DotBox& dot : plan.dots) DrawEllipse(canvas, dot, kBlackIndex, kRedIndex);
    return canvas;
}

IndexedImage CaptureRegionImage(const RasterCanvas& surface, const FrameRect& frame) {
    const CaptureRegion region = CaptureRegionOf(frame);
    if (region.IsEmpty()) return IndexedImage();
    IndexedImage image(region.width, region.height, 0);
    for (int y = 0; y < region.height; ++y) {
        const int sy = region.top + y;
        if (sy < 0 || sy >= surface.height()) continue;
        for (int x = 0; x < region.width; ++x) {
            const int sx = region.left + x;
            if (sx >= 0 && sx < surface.width()) image.Set(x, y, surface.At(sx, sy));
        }
    }
    return image;
}

}  // namespace plorimet
