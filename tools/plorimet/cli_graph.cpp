#include "plorimet/cli_graph.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
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
#include "model/commands.h"
#include "base/file_save.h"
#include "base/window_layout.h"
#include "plorimet/cli_fit.h"

namespace plorimet {

const char kGraphUsage[] =
    "       plorimet graph FILE [--degree N] [--all] [--through-origin] [--size 100|70|50]\n"
    "                      [--scale none|ticks|grid] [--line 1..5] [--dot 5|7|9|11|13] [--lang en|ja]\n"
    "                      --out OUT.bmp|.png|.svg\n"
    "       plorimet eval FILE [--degree N] [--all] [--through-origin] [--lang en|ja] --at X [X ...]\n"
    "                      [--interval [--level P]]\n";

namespace {

enum class OutKind { Bmp, Png, Svg };

struct GraphOptions {
    std::string command;
    std::string file;
    std::optional<int> degree;
    bool all = false;
    bool throughOrigin = false;
    bool interval = false;
    double level = kDefaultConfidenceLevel;
    UiLanguage language = UiLanguage::English;
    GraphSettings settings;  // the indices; the derived values are filled in later
    std::string outPath;
    OutKind outKind = OutKind::Bmp;
    std::vector<std::string> atTexts;
    std::vector<double> at;
};

bool ParseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool ParseDouble(const std::string& text, double& value) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') ++begin;
    const auto result = std::from_chars(begin, end, value);
    return result.ec == std::errc() && result.ptr == end && begin != end;
}

std::optional<std::string> ParseGraphArguments(const std::vector<std::string>& args, GraphOptions& o) {
    o.command = args[0];
    const bool graph = o.command == "graph";
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
        } else if (arg == "--through-origin") {
            o.throughOrigin = true;
        } else if (!graph && arg == "--interval") {
            o.interval = true;
        } else if (!graph && arg == "--level") {
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
        } else if (graph && arg == "--out") {
            if (!value() || v.empty()) return std::string("--out takes a file name");
            const std::optional<GraphFileFormat> format = PictureFormatOfName(v, Picture::Graph);
            if (!format) return std::string("--out takes a .bmp, .png or .svg name");
            o.outPath = v;
            o.outKind = *format == GraphFileFormat::Bmp ? OutKind::Bmp : (*format == GraphFileFormat::Png ? OutKind::Png : OutKind::Svg);
        } else if (!graph && arg == "--at") {
            // Every following argument that is a number is a point.
            while (i + 1 < args.size()) {
                double x = 0.0;
                if (!ParseDouble(args[i + 1], x)) break;
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
    if (graph && o.outPath.empty()) return std::string("graph needs --out");
    if (!graph && o.at.empty()) return std::string(o.interval ? "--interval needs --at" : "eval needs --at");
    return std::nullopt;
}

bool IsReadableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

class Reporter {
public:
    Reporter(std::ostream& err, const CliServices& services, UiLanguage language)
        : err_(err), services_(services), language_(language) {}
    int Fail(MessageId id) {
        err_ << services_.forTerminal(MessageText(id, language_)) << "\n";
        return 1;
    }

private:
    std::ostream& err_;
    const CliServices& services_;
    UiLanguage language_;
};

// Reads and fits the file as `plorimet fit` does; returns the exit code on failure.
std::optional<int> ReadAndFit(const CliFitRequest& o, Reporter& report, std::ostream& err, FittedFile& fitted) {
    if (!IsReadableFile(o.file)) return report.Fail(MessageId::FileDoesNotExist);
    std::ifstream in(o.file, std::ios::binary);
    if (!in) return report.Fail(MessageId::FileDoesNotExist);
    if (o.all) {
        fitted.all = ReadAllPairs(in, WorkSplitOfMachine());
        if (fitted.all.outOfRangeLine) {
            err << "plorimet: line " << *fitted.all.outOfRangeLine << ": a value beyond the range of a double\n";
            return 1;
        }
        if (fitted.all.x.empty()) return report.Fail(MessageId::NoDataInFile);
        SortByX(fitted.all);
        fitted.points = {fitted.all.x.data(), fitted.all.y.data(), static_cast<long long>(fitted.all.x.size())};
    } else {
        const ReadDataResult read = ReadDataText(StreamBytes(in));
        if (read.empty()) return report.Fail(MessageId::NoDataInFile);
        CellTexts cells;
        for (size_t i = 0; i < read.pairs.size(); ++i) {
            cells.x[i] = read.pairs[i].x;
            cells.y[i] = read.pairs[i].y;
        }
        fitted.data = CollectDataSet(cells);
        fitted.points = PlottedPoints(fitted.data);
    }
    FitChoice choice;
    choice.degree = o.degree;
    choice.throughOrigin = o.throughOrigin;
    choice.language = o.language;
    choice.withModel = o.withModel;
    if (o.all) choice.rule = FitRule::ExactOptimum;
    if (auto failure = FitForCli(fitted.points, choice, fitted.fit)) {
        if (failure->message) return report.Fail(*failure->message);
        err << "plorimet: " << failure->reason << "\n";
        return 1;
    }
    return std::nullopt;
}

CliFitRequest RequestOf(const GraphOptions& o) {
    return {o.file, o.degree, o.all, o.throughOrigin, o.interval, o.language};
}

std::string NumberText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    return std::string(buffer, result.ptr);
}

int RunEval(const GraphOptions& o, Reporter& report, std::ostream& out, std::ostream& err) {
    FittedFile fitted;
    if (auto code = ReadAndFit(RequestOf(o), report, err, fitted)) return *code;
    const CliFit& fit = fitted.fit;
    // Without degrees of freedom (a curve through every point) the intervals are not available: "-".
    if (o.interval)
        out << "X\tY\tconfidence low\tconfidence high\tprediction low\tprediction high\n";
    for (size_t k = 0; k < o.at.size(); ++k) {
        out << o.atTexts[k] << '\t' << NumberText(PolynomialValue(fit.result.coefficients, fit.termCount, o.at[k]));
        if (o.interval && fit.model) {
            const CurveInterval i = fit.model->At(o.at[k], o.level);
            for (const auto& v : {i.confidenceLow, i.confidenceHigh, i.predictionLow, i.predictionHigh})
                out << '\t' << (v ? NumberText(*v) : std::string("-"));
        }
        out << '\n';
    }
    return 0;
}

int RunGraph(GraphOptions& o, Reporter& report, std::ostream& err, const CliServices& services) {
    FittedFile fitted;
    if (auto code = ReadAndFit(RequestOf(o), report, err, fitted)) return *code;
    if (YRangeIsFlat(fitted.points)) return report.Fail(MessageId::YValuesSame);

    InitGraphSettingsDialog(o.settings);  // lineWidth, dotRadius and sizeFactor from the choices
    const ClientSize client = StandardMainClientSize();
    const GraphPlan plan =
        PlanGraph(client.width, client.height, fitted.points, fitted.fit.result.coefficients, fitted.fit.termCount, o.settings);
    std::string bytes;
    if (o.outKind == OutKind::Svg) {
        // The title in UTF-8 where the terminal text is UTF-8 (a Japanese equation changes in
        // the conversion); where it stays code page 932 the file says so instead.
        const std::string& equation = fitted.fit.result.equationText;
        const std::string converted = services.forTerminal(equation);
        const bool ascii = std::all_of(equation.begin(), equation.end(), [](char c) { return (c & 0x80) == 0; });
        bytes = ascii || converted != equation ? SvgText(plan, ascii ? equation : converted, false)
                                               : SvgText(plan, equation, true);
    } else {
        const IndexedImage image = CaptureRegionImage(RenderGraphSurface(plan, client.width, client.height), plan.frame);
        const Bytes file = o.outKind == OutKind::Bmp ? BmpFileBytes(image) : PngFileBytes(image);
        if (file.empty()) return report.Fail(MessageId::UnableToWriteInFile);
        bytes.assign(file.begin(), file.end());
    }
    if (auto failure = SaveFailureMessage(SaveFileReplacing(o.outPath, bytes), SavedFile::Graph))
        return report.Fail(*failure);
    return 0;
}

}  // namespace

std::optional<int> ReadAndFitFile(const CliFitRequest& request, std::ostream& err, const CliServices& services,
                                  FittedFile& fitted) {
    Reporter report(err, services, request.language);
    return ReadAndFit(request, report, err, fitted);
}

bool IsGraphCommand(const std::string& command) { return command == "graph" || command == "eval"; }

int RunGraphCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const CliServices& services) {
    GraphOptions options;
    if (auto problem = ParseGraphArguments(args, options)) {
        err << "plorimet: " << *problem << "\nusage: " << (kGraphUsage + 7);  // past the indent
        return 2;
    }
    Reporter report(err, services, options.language);
    if (options.command == "eval") return RunEval(options, report, out, err);
    return RunGraph(options, report, err, services);
}

}  // namespace plorimet
