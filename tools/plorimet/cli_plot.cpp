#include "plorimet/cli_plot.h"

#include <charconv>
#include <optional>

#include "base/file_save.h"
#include "graph/plot.h"
#include "model/commands.h"

namespace plorimet {

const char kPlotUsage[] =
    "       plorimet plot FILE [--degree N] [--all [--weights]] [--band confidence|prediction|none] [--residuals]\n"
    "                     [--lang en|ja] --out OUT.svg|.png\n";

namespace {

struct PlotArguments {
    CliFitRequest fit;
    PlotOptions plot;
    std::string outPath;
    GraphFileFormat format = GraphFileFormat::Svg;
};

std::optional<std::string> ParsePlotArguments(const std::vector<std::string>& args, PlotArguments& a) {
    a.fit.withModel = true;  // the bands come from the exact model
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
            const bool read = value() && std::from_chars(v.data(), v.data() + v.size(), degree).ptr == v.data() + v.size();
            if (!read || v.empty()) return std::string("--degree takes a whole number");
            a.fit.degree = degree;
        } else if (arg == "--all") {
            a.fit.all = true;
        } else if (arg == "--weights") {
            a.fit.weights = true;
        } else if (arg == "--band") {
            if (!value() || (v != "confidence" && v != "prediction" && v != "none"))
                return std::string("--band takes confidence, prediction or none");
            a.plot.band = v == "confidence" ? PlotBand::Confidence : v == "prediction" ? PlotBand::Prediction : PlotBand::None;
        } else if (arg == "--residuals") {
            a.plot.residuals = true;
        } else if (arg == "--lang") {
            if (!value() || (v != "en" && v != "ja")) return std::string("--lang takes en or ja");
            a.fit.language = v == "ja" ? UiLanguage::Japanese : UiLanguage::English;
        } else if (arg == "--out") {
            if (!value() || v.empty()) return std::string("--out takes a file name");
            const std::optional<GraphFileFormat> format = PictureFormatOfName(v, Picture::Plot);
            if (!format) return std::string("--out takes a .svg or .png name");
            a.outPath = v;
            a.format = *format;
        } else if (!arg.empty() && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else if (a.fit.file.empty()) {
            a.fit.file = arg;
        } else {
            return "unexpected argument '" + arg + "'";
        }
    }
    if (a.fit.file.empty()) return std::string("no FILE given");
    if (a.outPath.empty()) return std::string("plot needs --out");
    if (a.fit.weights && !a.fit.all) return std::string("--weights goes with --all (the grid's pairs have no weights)");
    a.plot.language = a.fit.language;
    return std::nullopt;
}

}  // namespace

int RunPlotCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const CliServices&) {
    PlotArguments a;
    if (auto problem = ParsePlotArguments(args, a)) {
        err << "plorimet: " << *problem << "\nusage: " << (kPlotUsage + 7);  // past the indent
        return 2;
    }
    Reporter report(out, err, a.fit.language);
    FittedFile fitted;
    if (auto code = ReadAndFitFile(a.fit, report, fitted)) return *code;
    PlotInput input;
    input.points = fitted.points;
    input.coefficients = &fitted.fit.result.coefficients;
    input.termCount = fitted.fit.termCount;
    input.model = fitted.fit.model && fitted.fit.model->Solved() ? fitted.fit.model.get() : nullptr;
    const PlotResult plot = PlanPlot(input, a.plot);
    auto fail = [&](MessageId id) { return report.Fail(id); };
    if (plot.failure) return fail(*plot.failure);
    std::string bytes;
    if (a.format == GraphFileFormat::Svg) {
        bytes = PlotSvgText(plot.plan);
    } else {
        const Bytes png = PlotPngBytes(plot.plan, kPlotPngScale);
        if (png.empty()) return fail(MessageId::UnableToWriteInFile);
        bytes.assign(png.begin(), png.end());
    }
    if (auto failure = SaveFailureMessage(SaveFileReplacing(a.outPath, bytes), SavedFile::Graph)) return fail(*failure);
    return 0;
}

}  // namespace plorimet
