#include "plorimet/cli_graph.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>

#include "data/all_pairs.h"
#include "data/data_file.h"
#include "fit/analysis.h"
#include "fit/fit_statistics.h"
#include "fit/fit_settings.h"
#include "fit/poly_value.h"
#include "graph/graph_export.h"
#include "graph/graph_plan.h"
#include "graph/graph_raster.h"
#include "graph/graph_settings.h"
#include "graph/plot.h"
#include "base/file_save.h"
#include "base/window_layout.h"
#include "model/commands.h"
#include "model/statistics_report.h"
#include "model/points_fit.h"
#include "plorimet/cli_input.h"

namespace plorimet {

const char kGraphUsage[] =
    "       plorimet graph FILE [--degree N] [--all] [--through-origin] [--size 100|70|50]\n"
    "                      [--scale none|ticks|grid] [--line 1..5] [--dot 5|7|9|11|13] [--lang en|ja]\n"
    "                      --out OUT.bmp|.png|.svg\n"
    "       plorimet eval FILE [--degree N] [--all [--weights]] [--through-origin] [--lang en|ja] --at X [X ...]\n"
    "                      [--interval [--level P]]\n"
    "       plorimet plot FILE [--degree N] [--all [--weights]] [--through-origin] [--band confidence|prediction|none]\n"
    "                      [--residuals] [--lang en|ja] --out OUT.svg|.png\n";

namespace {

// What the three commands read, fit and are asked.
struct GraphOptions {
    std::string command;
    std::string file;
    std::optional<int> degree;
    bool all = false;
    bool weights = false;
    bool throughOrigin = false;
    bool interval = false;
    double level = kDefaultConfidenceLevel;
    UiLanguage language = UiLanguage::English;
    GraphSettings settings;  // the indices; the derived values are filled in later
    PlotOptions plot;
    std::string outPath;
    GraphFileFormat format = GraphFileFormat::Bmp;
    std::vector<std::string> atTexts;
    std::vector<double> at;
};

std::optional<std::string> ParseGraphArguments(const std::vector<std::string>& args, GraphOptions& o) {
    o.command = args[0];
    const bool graph = o.command == "graph";
    const bool plot = o.command == "plot";
    const bool picture = graph || plot;  // a file to write
    const bool eval = o.command == "eval";
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string v;
        auto value = [&]() -> bool {
            if (i + 1 >= args.size()) return false;
            v = args[++i];
            return true;
        };
        if (arg == "--degree") {
            int degree = 0;
            if (!value() || !ParseInt(v, degree)) return std::string("--degree takes a whole number");
            o.degree = degree;
        } else if (arg == "--all") {
            o.all = true;
        } else if (arg == "--weights") {
            o.weights = true;
        } else if (arg == "--through-origin") {
            o.throughOrigin = true;
        } else if (eval && arg == "--interval") {
            o.interval = true;
        } else if (eval && arg == "--level") {
            if (!value() || !ParseLevel(v, o.level))
                return std::string("--level takes a confidence level between 0 and 1 (exclusive), such as 0.99");
        } else if (arg == "--lang") {
            if (!value() || (v != "en" && v != "ja")) return std::string("--lang takes en or ja");
            o.language = v == "ja" ? UiLanguage::Japanese : UiLanguage::English;
        } else if (graph && arg == "--size") {
            if (!value() || (v != "100" && v != "70" && v != "50")) return std::string("--size takes 100, 70 or 50");
            o.settings.sizeIndex = v == "100" ? 0 : (v == "70" ? 1 : 2);
        } else if (graph && arg == "--scale") {
            if (!value() || (v != "none" && v != "ticks" && v != "grid"))
                return std::string("--scale takes none, ticks or grid");
            o.settings.scaleMode = v == "none" ? ScaleMode::ScaleNone
                                               : (v == "ticks" ? ScaleMode::ScaleTicks : ScaleMode::ScaleGrid);
        } else if (graph && arg == "--line") {
            int width = 0;
            if (!value() || !ParseInt(v, width) || width < 1 || width > 5) return std::string("--line takes 1 to 5");
            o.settings.thicknessIndex = width - 1;
        } else if (graph && arg == "--dot") {
            int size = 0;
            if (!value() || !ParseInt(v, size) || size < 5 || size > 13 || size % 2 == 0)
                return std::string("--dot takes 5, 7, 9, 11 or 13");
            o.settings.dotSizeIndex = (size - 5) / 2;
        } else if (plot && arg == "--band") {
            if (!value() || (v != "confidence" && v != "prediction" && v != "none"))
                return std::string("--band takes confidence, prediction or none");
            o.plot.band = v == "confidence" ? PlotBand::Confidence : v == "prediction" ? PlotBand::Prediction : PlotBand::None;
        } else if (plot && arg == "--residuals") {
            o.plot.residuals = true;
        } else if (picture && arg == "--out") {
            if (!value() || v.empty()) return std::string("--out takes a file name");
            const std::optional<GraphFileFormat> format = PictureFormatOfName(v, graph ? Picture::Graph : Picture::Plot);
            if (!format) return std::string(graph ? "--out takes a .bmp, .png or .svg name" : "--out takes a .svg or .png name");
            o.outPath = v;
            o.format = *format;
        } else if (eval && arg == "--at") {
            // Every following argument that is a number is a point; nan, inf and values beyond
            // a double are not points of a curve.
            while (i + 1 < args.size()) {
                double x = 0.0;
                if (!ParseFiniteNumber(args[i + 1], x)) {
                    const std::string& next = args[i + 1];
                    const char* first = next.data() + (!next.empty() && next[0] == '+');
                    const auto read = std::from_chars(first, next.data() + next.size(), x);
                    if (read.ptr == next.data() + next.size() && first != read.ptr)
                        return std::string("--at takes numbers that are finite and within the range of a double");
                    break;
                }
                o.atTexts.push_back(args[++i]);
                o.at.push_back(x);
            }
            if (o.at.empty()) return std::string("--at takes one or more numbers");
        } else if (!arg.empty() && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else if (o.file.empty()) {
            o.file = arg;
        } else {
            return "unexpected argument '" + arg + "'";
        }
    }
    if (o.file.empty()) return std::string("no FILE given");
    if (picture && o.outPath.empty()) return o.command + " needs --out";
    if (eval && o.at.empty()) return std::string(o.interval ? "--interval needs --at" : "eval needs --at");
    o.plot.language = o.language;
    if (o.weights && !o.all) return std::string("--weights goes with --all (the grid's pairs have no weights)");
    return std::nullopt;
}

struct FittedFile {
    DataSet data;  // the pairs as the grid takes them
    AllPairs all;  // or, with --all, every pair of the file
    PointsView points;
    PointsFit fit;
};

// Reads and fits the file as `plorimet fit` does; returns the exit code on failure.
std::optional<int> ReadAndFit(const GraphOptions& o, bool withModel, Reporter& report, FittedFile& fitted) {
    if (o.all) {
        std::optional<AllPairs> all = ReadEveryPair(o.file, o.weights, report);
        if (!all) return 1;
        fitted.all = std::move(*all);
        fitted.points = PointsOf(fitted.all);
    } else {
        std::optional<DataSet> data = ReadGridData(o.file, report);
        if (!data) return 1;
        fitted.data = *data;
        fitted.points = PlottedPoints(fitted.data);
    }
    FitChoice choice;
    choice.degree = o.degree;
    choice.throughOrigin = o.throughOrigin;
    choice.language = o.language;
    choice.withModel = withModel;
    if (o.all) choice.rule = FitRule::ExactOptimum;
    if (auto failure = FitPoints(fitted.points, choice, fitted.fit))
        return failure->message ? report.Fail(*failure->message) : report.Fail(failure->reason);
    return std::nullopt;
}

std::string NumberText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    return std::string(buffer, result.ptr);
}

// A value, or "not available (reason)".
std::string CellText(const Statistic& v, UiLanguage language) {
    if (v) return NumberText(*v);
    return std::string(language == UiLanguage::Japanese ? "なし (" : "not available (") + ReasonText(v.reason, language) + ")";
}

// Each X with the exact optimum's fitted value there, correctly rounded (the centre of its
// intervals), not the rounded equation's value.
int RunEval(const GraphOptions& o, Reporter& report, std::ostream& out, const CliServices& services) {
    FittedFile fitted;
    if (auto code = ReadAndFit(o, true, report, fitted)) return *code;
    const FitModel* model = fitted.fit.model.get();
    if (!model) return report.Fail(MessageId::TooLargeCoefficient);
    if (o.interval) out << "X\tY\tconfidence low\tconfidence high\tprediction low\tprediction high\n";
    for (size_t k = 0; k < o.at.size(); ++k) {
        const CurveInterval at = model->At(o.at[k], o.level);
        out << o.atTexts[k] << '\t' << services.forTerminal(CellText(at.fitted, o.language));
        if (o.interval)
            for (const Statistic* v : {&at.confidenceLow, &at.confidenceHigh, &at.predictionLow, &at.predictionHigh})
                out << '\t' << (v->reason == Unavailable::NoDegreesOfFreedom ? std::string("-") : services.forTerminal(CellText(*v, o.language)));
        out << '\n';
    }
    return 0;
}

int RunGraph(GraphOptions& o, Reporter& report, const CliServices& services) {
    FittedFile fitted;
    if (auto code = ReadAndFit(o, false, report, fitted)) return *code;
    if (YRangeIsFlat(fitted.points)) return report.Fail(MessageId::YValuesSame);
    InitGraphSettingsDialog(o.settings);  // lineWidth, dotRadius and sizeFactor from the choices
    const GraphOfFit graph{fitted.points, fitted.fit.result.coefficients, fitted.fit.termCount, fitted.fit.result.equationText,
                           o.settings, &fitted.fit.result.curve};
    const GraphFile file = GraphFileOfFit(graph, o.format, services.forTerminal);
    if (file.outcome.hasMessage) return report.Fail(file.outcome.message);
    if (auto failure = SaveFailureMessage(SaveFileReplacing(o.outPath, file.bytes), SavedFile::Graph))
        return report.Fail(*failure);
    return 0;
}

// The plot of the page: the curve and band of the exact model, the residuals, as SVG or PNG.
int RunPlot(const GraphOptions& o, Reporter& report) {
    FittedFile fitted;
    if (auto code = ReadAndFit(o, true, report, fitted)) return *code;
    PlotInput input;
    input.points = fitted.points;
    input.coefficients = &fitted.fit.result.coefficients;
    input.termCount = fitted.fit.termCount;
    input.model = fitted.fit.model && fitted.fit.model->Solved() ? fitted.fit.model.get() : nullptr;
    const PlotResult plot = PlanPlot(input, o.plot);
    if (plot.failure) return report.Fail(*plot.failure);
    std::string bytes;
    if (o.format == GraphFileFormat::Svg) {
        bytes = PlotSvgText(plot.plan);
    } else {
        const Bytes png = PlotPngBytes(plot.plan, kPlotPngScale);
        if (png.empty()) return report.Fail(MessageId::UnableToWriteInFile);
        bytes.assign(png.begin(), png.end());
    }
    if (auto failure = SaveFailureMessage(SaveFileReplacing(o.outPath, bytes), SavedFile::Graph)) return report.Fail(*failure);
    return 0;
}

}  // namespace

bool IsGraphCommand(const std::string& command) { return command == "graph" || command == "eval" || command == "plot"; }

int RunGraphCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const CliServices& services) {
    GraphOptions options;
    if (auto problem = ParseGraphArguments(args, options)) {
        err << "plorimet: " << *problem << "\nusage: " << (kGraphUsage + 7);  // past the indent
        return 2;
    }
    Reporter report(out, err, options.language);
    if (options.command == "eval") return RunEval(options, report, out, services);
    if (options.command == "plot") return RunPlot(options, report);
    return RunGraph(options, report, services);
}

}  // namespace plorimet
