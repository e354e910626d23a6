// The graph's picture and files drawn without a window, at the standard desktop's client
// area. A file of its own: the window captures its own screen and so never links the
// encoders (nor the string streams of the SVG writer).
#include <algorithm>
#include <cctype>
#include <cstring>

#include "base/text.h"
#include "base/window_layout.h"
#include "graph/dib.h"
#include "graph/graph_export.h"
#include "graph/graph_raster.h"
#include "model/commands.h"

namespace plorimet {

namespace {

// The program's texts are code page 932 bytes where the compiler converts them (the window,
// the native build) and UTF-8 where it does not (the page): a katakana takes two bytes in one,
// three in the other.
constexpr bool kTextsAreCp932 = sizeof("ア") == 3;

std::string LowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool EndsWith(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

}  // namespace

GraphPicture DrawGraphPicture(ProgramState& state) {
    const ClientSize client = StandardMainClientSize();
    const GraphPlan plan = GraphPlanOf(state, client.width, client.height);
    const RasterCanvas surface = RenderGraphSurface(plan, client.width, client.height);
    GraphPicture picture;
    picture.width = surface.width();
    picture.height = surface.height();
    picture.rgba.reserve(static_cast<size_t>(picture.width) * picture.height * 4);
    for (std::uint8_t index : surface.image().pixels) {
        const Rgb& colour = kGraphPalette[index & 0x0f];
        picture.rgba.insert(picture.rgba.end(), {colour.red, colour.green, colour.blue, 255});
    }
    GraphDrawn(state, plan.frame);
    return picture;
}

GraphFileFormat GraphFileFormatOf(const std::string& name) {
    const std::string lower = LowerCase(name);
    if (EndsWith(lower, ".png")) return GraphFileFormat::Png;
    if (EndsWith(lower, ".svg")) return GraphFileFormat::Svg;
    return GraphFileFormat::Bmp;
}

namespace {

struct FormatEnding {
    GraphFileFormat format;
    const char* ending;
};
constexpr FormatEnding kGraphFormats[] = {
    {GraphFileFormat::Bmp, ".bmp"}, {GraphFileFormat::Png, ".png"}, {GraphFileFormat::Svg, ".svg"}};
constexpr FormatEnding kPlotFormats[] = {{GraphFileFormat::Svg, ".svg"}, {GraphFileFormat::Png, ".png"}};

template <size_t N>
std::optional<GraphFileFormat> FormatOf(const std::string& name, const FormatEnding (&formats)[N]) {
    const std::string lower = LowerCase(name);
    for (const FormatEnding& f : formats)
        if (lower.size() > std::strlen(f.ending) && EndsWith(lower, f.ending)) return f.format;
    return std::nullopt;
}

}  // namespace

std::optional<GraphFileFormat> PictureFormatOfName(const std::string& name, Picture picture) {
    return picture == Picture::Graph ? FormatOf(name, kGraphFormats) : FormatOf(name, kPlotFormats);
}

PictureFileName PictureFileNameOf(const std::string& typed, Picture picture) {
    PictureFileName file;
    const std::string name = WithoutSurroundingSpaces(typed);
    const char* firstEnding = (picture == Picture::Graph ? kGraphFormats : kPlotFormats)[0].ending;
    file.name = name.empty() ? name : WithDefaultExtension(name, firstEnding + 1);
    const std::optional<GraphFileFormat> format = PictureFormatOfName(file.name, picture);
    if (!format) {
        file.outcome = Outcome::Message(MessageId::NeedGraphExtension);
        return file;
    }
    file.format = *format;
    return file;
}

GraphFile GraphFileOfFit(const GraphOfFit& graph, GraphFileFormat format, const TextConverter& toUtf8) {
    const ClientSize client = StandardMainClientSize();
    const GraphPlan plan = PlanGraph(client.width, client.height, graph.points, graph.coefficients, graph.termCount, graph.settings,
                                     graph.optimum);
    GraphFile file;
    if (format == GraphFileFormat::Svg) {
        // The title in UTF-8 where the program's texts can be converted (a Japanese equation
        // changes in the conversion); where they stay code page 932 the file says so instead.
        const std::string& title = graph.equationText;
        const bool ascii = std::all_of(title.begin(), title.end(), [](char c) { return (c & 0x80) == 0; });
        const std::string converted = !ascii && kTextsAreCp932 && toUtf8 ? toUtf8(title) : title;
        const bool cp932 = !ascii && kTextsAreCp932 && converted == title;
        file.bytes = SvgText(plan, converted, cp932);
        return file;
    }
    const IndexedImage image =
        CaptureRegionImage(RenderGraphSurface(plan, client.width, client.height), plan.frame);
    const Bytes bytes = format == GraphFileFormat::Bmp ? BmpFileBytes(image) : PngFileBytes(image);
    if (bytes.empty()) file.outcome = Outcome::Message(MessageId::UnableToWriteInFile);
    file.bytes.assign(bytes.begin(), bytes.end());
    return file;
}

GraphFile GraphFileOf(const ProgramState& state, GraphFileFormat format) {
    const GraphOfFit graph{PlottedPoints(state.dataSet), state.fitResult.coefficients,
                           TermCount(state.fitSettings, state.dataSet), state.fitResult.equationText, state.graphSettings,
                           &state.fitResult.curve};
    return GraphFileOfFit(graph, format);
}

}  // namespace plorimet
