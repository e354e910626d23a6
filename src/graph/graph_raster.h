// Drawing the graph plan without a window: the same pixels the window's surface receives.
//
// The window draws with GDI on a memory surface; these routines reproduce the pixel rules
// of the GDI implementation the program runs on (Wine's device-independent bitmap driver),
// so that the command-line picture and Save Graph's bitmap agree pixel for pixel:
//   1-pixel pen   LineTo covers the start point and stops before the end point. A level or
//                 upright line is a run of pixels; any other line is a Bresenham walk along
//                 the longer axis whose error test gets a bias of one in the octants that run
//                 up-left of the axes (octants 3, 5, 6 and 8, counted clockwise from +x).
//   wide pen      (width 3 or 5, round ends) every LineTo fills the union of a round end at
//                 each point and the body between them: a rectangle for a level or upright
//                 line, else a four-corner polygon whose corners lie half the pen width either
//                 side of the line, rounded to whole pixels.
//   polygons      an integer point (x, y) is inside when it lies left-inclusive,
//                 right-exclusive between the edges crossing row y (even-odd rule), the
//                 lowest row excluded; edges are walked with the integer edge algorithm.
//   ellipses      Ellipse(l, t, r, b) fills the elliptic region of the box (l, t, r + 1,
//                 b + 1) with the brush and then outlines it with the pen through the points
//                 of an integer midpoint ellipse of the box (r - l) x (b - t).
#pragma once

#include <cstdint>
#include <vector>

#include "graph/dib.h"
#include "graph/graph_plan.h"

namespace plorimet {

// A surface of palette indices in client coordinates. Drawing outside it is cut off, as on
// the window's bitmap.
class RasterCanvas {
public:
    RasterCanvas(int width, int height, std::uint8_t fill);

    int width() const { return image_.width; }
    int height() const { return image_.height; }
    std::uint8_t At(int x, int y) const { return image_.At(x, y); }
    const IndexedImage& image() const { return image_; }

    // Pixels left <= x < right of row y.
    void FillSpan(int left, int right, int y, std::uint8_t colour);
    void FillRect(int left, int top, int right, int bottom, std::uint8_t colour);
    void Plot(int x, int y, std::uint8_t colour);

private:
    IndexedImage image_;
};

// LineTo with a 1-pixel pen from `from` to `to`: the end point is left out.
void DrawThinLine(RasterCanvas& canvas, PixelPoint from, PixelPoint to, std::uint8_t colour);

// LineTo with a solid pen of `width` pixels (2 or more), round ends at both points.
void DrawWideLine(RasterCanvas& canvas, PixelPoint from, PixelPoint to, int width, std::uint8_t colour);

// The polygon region of the corners (even-odd rule).
void FillPolygon(RasterCanvas& canvas, const std::vector<PixelPoint>& corners, std::uint8_t colour);

// The elliptic region of the box (left, top, right, bottom): rows left to right - 1, top to
// bottom - 1, corners cut by an integer ellipse of the box's size less one.
void FillEllipticRegion(RasterCanvas& canvas, int left, int top, int right, int bottom, std::uint8_t colour);

// Ellipse with a 1-pixel pen and a solid brush.
void DrawEllipse(RasterCanvas& canvas, const DotBox& box, std::uint8_t pen, std::uint8_t brush);

// The whole client area as DrawGraph leaves it: white, then frame and marks, curve, dots.
RasterCanvas RenderGraphSurface(const GraphPlan& plan, int clientWidth, int clientHeight);

// The framed region Copy Graph and Save Graph cut out of a surface (pixels beyond the surface
// stay 0).
IndexedImage CaptureRegionImage(const RasterCanvas& surface, const FrameRect& frame);

}  // namespace plorimet
