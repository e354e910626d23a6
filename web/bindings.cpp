// The page's binding: PageSession and the program's texts for JavaScript (embind).
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include "base/messages.h"
#include "base/toolbar_layout.h"
#include "fit/fit_settings.h"
#include "page_session.h"

using emscripten::val;

namespace plorimet {
namespace {

val BytesToJs(const Bytes& bytes) {
    return val::global("Uint8Array").new_(emscripten::typed_memory_view(bytes.size(), bytes.data()));
}

UiLanguage LanguageOf(bool japanese) { return japanese ? UiLanguage::Japanese : UiLanguage::English; }

val Message(int id, bool japanese) {
    val m = val::object();
    if (id < 0 || id >= static_cast<int>(MessageId::Count)) return m;
    const MessageEntry& entry = GetMessageEntry(static_cast<MessageId>(id));
    m.set("text", std::string(MessageText(static_cast<MessageId>(id), LanguageOf(japanese))));
    m.set("caption", std::string(CaptionText(entry.caption, LanguageOf(japanese))));
    m.set("yesNo", entry.buttons == Buttons::YesNo);
    m.set("icon", static_cast<int>(entry.icon));
    return m;
}

int MessageIdOf(const std::string& name) {
    // The messages the page asks for by name; the rest come from the session's steps.
    static const char* const kNames[] = {"ClearForDataInput", "IncorrectClipboardData", "NoClipboardData",
                                         "ClipboardMemory"};
    static const MessageId kIds[] = {MessageId::ClearForDataInput, MessageId::IncorrectClipboardData,
                                     MessageId::NoClipboardData, MessageId::ClipboardMemory};
    for (size_t k = 0; k < sizeof kIds / sizeof kIds[0]; ++k)
        if (name == kNames[k]) return static_cast<int>(kIds[k]);
    return kNoMessage;
}

std::string Text(int id, bool japanese) {
    if (id < 0 || id >= static_cast<int>(TextId::Count)) return "";
    return UiText(static_cast<TextId>(id), LanguageOf(japanese));
}

// The tool bar as the page shows it: stem, command and hover label of every command button.
val Toolbar(bool japanese) {
    val buttons = val::array();
    int label = 0;
    for (int k = 0; k < kToolbarButtonCount; ++k) {
        const ToolbarButton& b = ToolbarButtons()[k];
        if (b.command == 0) continue;
        ++label;
        val button = val::object();
        button.set("index", k);
        button.set("stem", std::string(b.stem));
        button.set("command", b.command);
        button.set("label", std::string(HoverLabelText(label, LanguageOf(japanese))));
        buttons.call<void>("push", button);
    }
    return buttons;
}

std::unique_ptr<PageSession> MakeSession(bool japanese) { return std::make_unique<PageSession>(LanguageOf(japanese)); }

int View(const PageSession& s) { return static_cast<int>(s.view()); }
std::string Cell(const PageSession& s, int index) { return s.Cell(index); }

void RestoreCells(PageSession& s, val texts) {
    s.RestoreCells(emscripten::vecFromJSArray<std::string>(texts));
}

val BeginPaste(PageSession& s, const std::string& text) {
    int message = kNoMessage;
    val r = val::object();
    r.set("columns", s.BeginPaste(text, message));
    r.set("message", message);
    r.set("proposedX", s.ProposedColumn(false));
    r.set("proposedY", s.ProposedColumn(true));
    return r;
}

val FinishPaste(PageSession& s, bool accepted, const std::string& x, const std::string& y) {
    bool again = false;
    val r = val::object();
    r.set("message", s.FinishPaste(accepted, x, y, again));
    r.set("askAgain", again);
    return r;
}

val BeginAnalysis(PageSession& s) {
    s.BeginAnalysis();
    const FitDialogRequest& request = s.FitRequest();
    val r = val::object();
    r.set("pairCount", request.pairCount);
    r.set("digitsIndex", request.digitsIndex);
    r.set("degreeText", InitialDegreeText(request.pairCount, request.lastDegree));
    val degrees = val::array();
    for (int d : DegreeList(request.pairCount)) degrees.call<void>("push", d);
    r.set("degrees", degrees);
    return r;
}

std::string EquationText(const PageSession& s) { return s.EquationText(); }

val CheckSaveDataName(const PageSession& s, std::string name) {
    val r = val::object();
    r.set("message", s.CheckSaveDataName(name));
    r.set("name", name);
    return r;
}

val DataFileBytes(const PageSession& s) {
    const std::string bytes = s.DataFileBytes();
    return BytesToJs(Bytes(bytes.begin(), bytes.end()));
}

val BeginGraph(PageSession& s) {
    const GraphDialogChecks checks = s.BeginGraph();
    val r = val::array();
    for (int id : {checks.thicknessButton, checks.dotButton, checks.sizeButton, checks.scaleButton})
        r.call<void>("push", id);
    return r;
}

int FinishGraph(PageSession& s, bool accepted, val checked) {
    return s.FinishGraph(accepted, emscripten::vecFromJSArray<bool>(checked));
}

// The graph's client area as RGBA for a canvas.
val GraphRgba(const PageSession& s) {
    const IndexedImage* image = s.GraphSurface();
    if (!image) return val::null();
    Bytes rgba(static_cast<size_t>(image->width) * image->height * 4);
    for (size_t k = 0; k < image->pixels.size(); ++k) {
        const Rgb& c = kGraphPalette[image->pixels[k] & 15];
        rgba[4 * k] = c.red;
        rgba[4 * k + 1] = c.green;
        rgba[4 * k + 2] = c.blue;
        rgba[4 * k + 3] = 255;
    }
    val r = val::object();
    r.set("width", image->width);
    r.set("height", image->height);
    r.set("rgba", BytesToJs(rgba));
    return r;
}

val CopyGraphPng(const PageSession& s) { return BytesToJs(s.CopyGraphPng()); }

val GraphFile(const PageSession& s, std::string name) {
    const GraphFileKind kind = PageSession::GraphKindFor(name);
    val r = val::object();
    r.set("name", name);
    r.set("type", std::string(kind == GraphFileKind::Png ? "image/png"
                                                         : (kind == GraphFileKind::Svg ? "image/svg+xml" : "image/bmp")));
    r.set("bytes", BytesToJs(s.GraphFileBytes(kind)));
    return r;
}

}  // namespace

EMSCRIPTEN_BINDINGS(plorimet_page) {
    using namespace emscripten;
    function("message", &Message);
    function("messageId", &MessageIdOf);
    function("text", &Text);
    function("toolbar", &Toolbar);
    function("cellAfterKey", &PageSession::CellAfterKey);
    class_<PageSession>("Session")
        .constructor(&MakeSession)
        .function("view", &View)
        .function("buttonEnabled", &PageSession::ButtonEnabled)
        .function("commandForKey", &PageSession::CommandForKey)
        .function("setCell", &PageSession::SetCell)
        .function("cell", &Cell)
        .function("restoreCells", &RestoreCells)
        .function("inputDataAsks", &PageSession::InputDataAsks)
        .function("finishInputData", &PageSession::FinishInputData)
        .function("beginReadData", &PageSession::BeginReadData)
        .function("feedReadData", &PageSession::FeedReadData)
        .function("finishReadData", &PageSession::FinishReadData)
        .function("readDataFailed", &PageSession::ReadDataFailed)
        .function("beginPaste", &BeginPaste)
        .function("validateColumn", &PageSession::ValidateColumn)
        .function("finishPaste", &FinishPaste)
        .function("beginAnalysis", &BeginAnalysis)
        .function("validateDegree", &PageSession::ValidateDegree)
        .function("finishAnalysis", &PageSession::FinishAnalysis)
        .function("equationText", &EquationText)
        .function("equationCopyText", &PageSession::EquationCopyText)
        .function("checkSaveDataName", &CheckSaveDataName)
        .function("dataFileBytes", &DataFileBytes)
        .function("beginGraph", &BeginGraph)
        .function("graphClick", &PageSession::GraphClick)
        .function("finishGraph", &FinishGraph)
        .function("graphRgba", &GraphRgba)
        .function("copyGraphPng", &CopyGraphPng)
        .function("graphFile", &GraphFile);
}

}  // namespace plorimet
