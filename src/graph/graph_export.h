// The graph as files other programs read: PNG from the captured pixels, SVG from the plan.
#pragma once

#include <string>

#include "graph/dib.h"
#include "graph/graph_plan.h"

namespace plorimet {

// A 4-bit palette PNG of the image with GraphPalette as its palette, compressed by stb's
// deflate. Empty when the image has no pixels or cannot be compressed.
Bytes PngFileBytes(const IndexedImage& image);

// Vector drawing of the plan over the captured region (the frame with one pixel around it),
// in the region's pixel units: a white background, the frame and marks as 1-unit lines, the
// curve as polylines of the pen's width with round ends and joins, every dot as a red circle
// outlined in black. Pixel x is the unit square x .. x + 1, so lines lie on pixel centres.
// `title` becomes the <title>; `titleIsCp932` declares the file's encoding as Shift_JIS so a
// title in code page 932 (Japanese equation) is read as written; otherwise it must be ASCII or
// UTF-8.
std::string SvgText(const GraphPlan& plan, const std::string& title, bool titleIsCp932);

}  // namespace plorimet
