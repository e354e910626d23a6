#include "plorimet/cli.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <future>
#include <optional>

#include "base/file_save.h"
#include "data/all_pairs.h"
#include "data/data_file.h"
#include "data/sheet_text.h"
#include "fit/analysis.h"
#include "fit/equation.h"
#include "fit/fit_settings.h"
#include "fit/fit_statistics.h"
#include "base/messages.h"
#include "base/shortest_number.h"
#include "model/commands.h"
#include "model/statistics_report.h"
#include "model/points_fit.h"
#include "plorimet/cli_graph.h"
#include "plorimet/cli_input.h"

namespace plorimet {

namespace {

const char kUsage[] =
    "usage: plorimet fit FILE [--degree N] [--through-origin] [--digits 3..6] [--lang en|ja] [--save OUT.txt]\n"
    "                    [--json] [--stats] [--residuals] [--level P]\n"
    "       plorimet fit --all FILE [--weights] [--degree N] [--through-origin] [--digits 3..6] [--lang en|ja]\n"
    "                    [--json] [--stats] [--residuals] [--level P]\n"
    "       plorimet degrees FILE [--all [--weights]] [--through-origin] [--up-to N] [--lang en|ja] [--json]\n"
    "       plorimet read FILE [--lang en|ja]\n"
    "       plorimet paste FILE [--columns X,Y] [--lang en|ja]\n";

const char kUsageNotes[] =
    "Without --all a file is read as the grid reads it: at most 45 pairs, the first of equal X kept.\n"
    "--all keeps every observation, repeated X included (replicate measurements), and fits\n"
    "whenever the exact optimum is within the range of a double.\n"
    "--weights reads the third number of each line as the weight w that multiplies the residual.\n"
    "--through-origin fixes the constant at 0; --stats prints standard errors, t and p values,\n"
    "confidence intervals (level P, default 0.95), the covariance, the F test, R^2, the\n"
    "log-likelihood with AIC, BIC and AICc, PRESS and, with repeated X, the lack-of-fit test;\n"
    "--residuals each observation's fitted value, residual, leverage, studentized residual and\n"
    "Cook's distance; degrees compares degree 0 (1 through the origin) to N (default 10).\n";

// Pasted text is read like the clipboard's: up to its first zero byte, and never more than
// a spreadsheet copy of this size could sensibly be.
constexpr size_t kLargestPasteText = 16 * 1024 * 1024;

struct Options {
    std::string command;
    std::string file;
    std::optional<int> degree;
    int digits = 3;
    UiLanguage language = UiLanguage::English;
    std::string savePath;
    bool json = false;
    bool all = false;  // every pair of the file, not the grid's 45
    bool stats = false;
    bool residuals = false;
    bool weights = false;  // --all: the third number of each line is the weight
    bool throughOrigin = false;
    double level = kDefaultConfidenceLevel;
    std::optional<int> upTo;
    std::optional<std::pair<int, int>> columns;
};

// Fills `options` or returns the reason the arguments are wrong.
std::optional<std::string> ParseArguments(const std::vector<std::string>& args, Options& options) {
    if (args.empty()) return std::string("no command given");
    options.command = args[0];
    if (options.command != "fit" && options.command != "read" && options.command != "paste" &&
        options.command != "degrees")
        return "unknown command '" + options.command + "'";
    bool optionsEnded = false;
    const bool fitting = options.command == "fit";
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-') {
            if (!options.file.empty()) return "unexpected argument '" + arg + "'";
            if (arg.empty()) return std::string("FILE is an empty name");
            options.file = arg;
            continue;
        }
        auto value = [&](std::string& into) -> bool {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        std::string v;
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--degree" && options.command == "fit") {
            int degree = 0;
            if (!value(v) || !ParseInt(v, degree)) return std::string("--degree takes a whole number");
            options.degree = degree;
        } else if (arg == "--digits" && options.command == "fit") {
            if (!value(v) || !ParseInt(v, options.digits) || options.digits < 3 || options.digits > 6)
                return std::string("--digits takes 3, 4, 5 or 6");
        } else if (arg == "--lang") {
            if (!value(v) || (v != "en" && v != "ja")) return std::string("--lang takes en or ja");
            options.language = v == "ja" ? UiLanguage::Japanese : UiLanguage::English;
        } else if (arg == "--save" && options.command == "fit") {
            if (!value(options.savePath) || options.savePath.empty()) return std::string("--save takes a file name");
        } else if (arg == "--json" && (fitting || options.command == "degrees")) {
            options.json = true;
        } else if (arg == "--all" && (fitting || options.command == "degrees")) {
            options.all = true;
        } else if (arg == "--through-origin" && (fitting || options.command == "degrees")) {
            options.throughOrigin = true;
        } else if (arg == "--stats" && fitting) {
            options.stats = true;
        } else if (arg == "--residuals" && fitting) {
            options.residuals = true;
        } else if (arg == "--weights" && (fitting || options.command == "degrees")) {
            options.weights = true;
        } else if (arg == "--level" && fitting) {
            if (!value(v) || !ParseLevel(v, options.level))
                return std::string("--level takes a confidence level between 0 and 1 (exclusive), such as 0.99");
        } else if (arg == "--up-to" && options.command == "degrees") {
            int upTo = 0;
            if (!value(v) || !ParseInt(v, upTo) || upTo < 1 || upTo > kMaxPairs - 1)
                return std::string("--up-to takes a degree from 1 to 44");
            options.upTo = upTo;
        } else if (arg == "--columns" && options.command == "paste") {
            const auto comma = value(v) ? v.find(',') : std::string::npos;
            int x = 0;
            int y = 0;
            if (comma == std::string::npos || !ParseInt(v.substr(0, comma), x) || !ParseInt(v.substr(comma + 1), y))
                return std::string("--columns takes X,Y");
            options.columns = std::make_pair(x, y);
        } else {
            return "unknown option '" + arg + "'";
        }
    }
    if (options.file.empty()) return std::string("no FILE given");
    if (options.all && !options.savePath.empty())
        return std::string("--save writes the grid's 45 pairs; it does not go with --all");
    if (options.weights && !options.all) return std::string("--weights goes with --all (the grid's pairs have no weights)");
    return std::nullopt;
}

// Reads the pasted text up to its first zero byte; false, having read no more than the limit
// and a little, when the text is longer than a paste takes.
bool ReadPasteText(std::istream& in, std::string& text) {
    char chunk[64 * 1024];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        const size_t got = static_cast<size_t>(in.gcount());
        const char* zero = static_cast<const char*>(std::memchr(chunk, '\0', got));
        text.append(chunk, zero ? static_cast<size_t>(zero - chunk) : got);
        if (text.size() > kLargestPasteText) return false;
        if (zero) break;
    }
    return true;
}

bool IsCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Escapes a code page 932 text for JSON; a double-byte character is copied whole, since
// its second byte may be a backslash.
void AppendJsonString(std::string& out, const std::string& text) {
    out += '"';
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsCp932LeadByte(c) && i + 1 < text.size()) {
            out += text[i];
            out += text[++i];
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
}

std::string JsonString(const std::string& text) {
    std::string out;
    AppendJsonString(out, text);
    return out;
}

// The JSON list of the pairs, of which --all may give millions, made into text piece by piece
// on every core. appendPair(text, k) appends the two JSON strings of pair k, a comma between them.
template <typename AppendPair>
std::string PairsJson(long long pairCount, AppendPair appendPair) {
    const WorkSplit split = WorkSplitFor(pairCount);
    std::vector<std::string> pieces(split.pieces);
    split.run(split.pieces, [&](int piece) {
        const long long first = pairCount * piece / split.pieces;
        const long long end = pairCount * (piece + 1) / split.pieces;
        std::string& text = pieces[piece];
        text.reserve(static_cast<size_t>(end - first) * 32);
        for (long long k = first; k < end; ++k) {
            text += k ? ", [" : "[";
            appendPair(text, k);
            text += ']';
        }
    });
    std::string list = "[";
    for (const std::string& text : pieces) list += text;
    return list + "]";
}

// The fit as JSON: the pairs, the equation and its coefficients, then the report of the
// statistics (R² and the residual standard deviation are the exact optimum's, correctly
// rounded, as a statistics package reports them, not those of the coefficients rounded to double).
void PrintJson(std::ostream& out, const std::string& pairsJson, const PointsFit& fit, const std::optional<StatisticsReport>& report) {
    out << "{\n  \"pairs\": " << pairsJson;
    const FitResult& result = fit.result;
    out << ",\n  \"mode\": \"" << (fit.settings.fitMode == FitMode::LeastSquares ? "least-squares" : "exact") << "\",\n";
    out << "  \"degree\": " << fit.termCount - 1 << ",\n  \"coefficients\": [";
    for (int k = 0; k < fit.termCount; ++k) out << (k ? ", " : "") << JsonNumber(result.coefficients[k]);
    out << "],\n  \"equation\": " << ForTerminal(JsonString(result.equationText));
    if (report) {
        std::string members = StatisticsJsonMembers(*report);
        members.erase(members.size() - 2);  // the last member takes no comma
        out << ",\n" << members << "\n}\n";
        return;
    }
    out << ",\n  \"r_squared\": " << JsonNumber(result.rSquared ? Statistic(*result.rSquared) : Statistic());
    out << ",\n  \"residual_std_dev\": "
        << JsonNumber(result.residualDeviation ? Statistic(*result.residualDeviation) : Statistic()) << "\n}\n";
}

FitChoice ChoiceOf(const Options& options) {
    FitChoice choice;
    choice.degree = options.degree;
    choice.throughOrigin = options.throughOrigin;
    choice.digits = options.digits;
    choice.language = options.language;
    choice.withModel = options.json || options.stats || options.residuals;
    if (options.all) choice.rule = FitRule::ExactOptimum;
    return choice;
}

int ReportFailure(const FitFailure& failure, Reporter& report) {
    return failure.message ? report.Fail(*failure.message) : report.Fail(failure.reason);
}

// The equation, then (--stats) the table of the statistics and (--residuals) each
// observation's; with --json all as JSON, the pairs given as their list.
void PrintFit(const Options& options, Reporter& report, const std::string& pairsJson, PointsView points, const PointsFit& fit) {
    std::optional<StatisticsReport> statistics;
    if (fit.model) statistics = ReportOfFit(points, *fit.model, options.level, options.residuals, WorkSplitFor(points.count));
    if (options.json) {
        PrintJson(report.out(), pairsJson, fit, statistics);
        return;
    }
    report.Line(fit.result.equationText);
    if (options.stats && statistics) report.out() << ForTerminal(StatisticsText(*statistics, options.language));
    if (options.residuals && statistics) report.out() << ForTerminal(ObservationsText(*statistics, options.language));
}

// The shortest text that reads back as v, as a JSON string.
void AppendShortestText(std::string& out, double v) {
    out += '"';
    AppendShortestNumber(out, v);
    out += '"';
}

int RunFitAll(const Options& options, Reporter& report) {
    const std::optional<AllPairs> pairs = ReadEveryPair(options.file, options.weights, report);
    if (!pairs) return 1;
    const long long count = static_cast<long long>(pairs->x.size());
    // The pairs' text, which takes about as long as the fit of 100,000 pairs, is made while the
    // fit runs: the fit has long stretches on one core.
    std::future<std::string> pairsJson;
    if (options.json) {
        pairsJson = std::async(std::launch::async | std::launch::deferred, [&] {
            return PairsJson(count, [&](std::string& text, long long k) {
                AppendShortestText(text, pairs->x[k]);
                text += ", ";
                AppendShortestText(text, pairs->y[k]);
                if (!pairs->w.empty()) {
                    text += ", ";
                    AppendShortestText(text, pairs->w[k]);
                }
            });
        });
    }
    PointsFit fit;
    const PointsView points = PointsOf(*pairs);
    if (auto failure = FitPoints(points, ChoiceOf(options), fit)) return ReportFailure(*failure, report);
    PrintFit(options, report, options.json ? pairsJson.get() : std::string(), points, fit);
    return 0;
}

int RunFit(const Options& options, Reporter& report) {
    if (options.all) return RunFitAll(options, report);
    const std::optional<DataSet> data = ReadGridData(options.file, report);
    if (!data) return 1;
    PointsFit fit;
    const PointsView points{data->x.data(), data->y.data(), data->pairCount};
    if (auto failure = FitPoints(points, ChoiceOf(options), fit)) return ReportFailure(*failure, report);

    if (!options.savePath.empty()) {
        const SaveDataPlan plan = PlanSaveData(*data, fit.result.equationText, options.savePath);
        if (plan.outcome.hasMessage) return report.Fail(plan.outcome.message);
        const SaveOutcome saved = SaveFileReplacing(options.savePath, plan.bytes);
        if (auto failure = SaveFailureMessage(saved, SavedFile::Data)) return report.Fail(*failure);
    }
    const std::string pairsJson = !options.json ? std::string() : PairsJson(data->pairCount, [&](std::string& text, long long k) {
        AppendJsonString(text, data->xText[k]);
        text += ", ";
        AppendJsonString(text, data->yText[k]);
    });
    PrintFit(options, report, pairsJson, points, fit);
    return 0;
}

// degrees: every degree from the first up, compared.
int RunDegrees(const Options& options, Reporter& report) {
    std::optional<AllPairs> every;
    std::optional<DataSet> grid;
    PointsView points;
    if (options.all) {
        every = ReadEveryPair(options.file, options.weights, report);
        if (!every) return 1;
        points = PointsOf(*every);
    } else {
        grid = ReadGridData(options.file, report);
        if (!grid) return 1;
        points = {grid->x.data(), grid->y.data(), grid->pairCount};
    }
    const long long distinct = DistinctXCount(points, options.throughOrigin);
    if (options.throughOrigin && distinct == 0) return report.Fail("no fit through the origin exists: every X is 0");
    const long long highest = std::min<long long>(options.throughOrigin ? distinct : distinct - 1, kMaxPairs - 1);
    if (highest < 1) return report.Fail(MessageId::OnlyOneDataSet);
    if (options.upTo && *options.upTo > highest)
        return report.Fail("--up-to " + std::to_string(*options.upTo) + " is beyond the highest degree these data allow (" +
                           std::to_string(highest) + ")");
    const int upTo = options.upTo ? *options.upTo : static_cast<int>(std::min<long long>(highest, kRecommendedDegreeLimit));
    const DegreeComparison comparison = CompareDegrees(points, upTo, options.throughOrigin, WorkSplitFor(points.count));
    report.out() << ForTerminal(options.json ? DegreeJson(comparison, points.count, options.throughOrigin)
                                             : DegreeText(comparison, options.language, options.throughOrigin));
    return 0;
}

int RunRead(const Options& options, Reporter& report) {
    const auto read = ReadPairsFile(options.file, report);
    if (!read) return 1;
    if (read->empty()) return report.Fail(MessageId::NoDataInFile);
    for (const CellPair& pair : read->pairs) report.Line(pair.x + "\t" + pair.y);
    return 0;
}

int RunPaste(const Options& options, Reporter& report, std::ostream& err) {
    std::ifstream in;
    if (!OpenInput(options.file, in, report)) return 1;
    std::string text;
    if (!ReadPasteText(in, text)) return report.Fail(options.file + ": the text is larger than the 16 MB a paste takes");
    if (text.empty()) return report.Fail(MessageId::NoClipboardData);

    const SheetShape shape = CheckSheetText(text);
    if (shape.failure) return report.Fail(*shape.failure);

    ColumnChoice columns{1, 2};
    if (shape.columnCount > 2) {
        columns.xColumn = ProposedColumn(ColumnBox::X, 0, shape.columnCount);
        columns.yColumn = ProposedColumn(ColumnBox::Y, 0, shape.columnCount);
        if (options.columns) {
            const auto [x, y] = *options.columns;
            if (x < 1 || x > shape.columnCount || y < 1 || y > shape.columnCount) {
                err << "plorimet: the text has " << shape.columnCount << " columns; --columns takes 1 to "
                    << shape.columnCount << "\n";
                return 2;
            }
            if (y <= x) return report.Fail(MessageId::YColumnNotLarger);
            columns = ColumnChoice{x, y};
        }
    }
    SlotTexts xText;
    SlotTexts yText;
    const SheetParseResult parsed = ParseSheetRows(text, shape.columnCount, columns, xText, yText);
    if (parsed.failure) return report.Fail(*parsed.failure);
    for (int k = 0; k < parsed.rowsPasted && k < kMaxPairs; ++k) report.Line(xText[k] + "\t" + yText[k]);
    return 0;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        out << kUsage << kGraphUsage << kUsageNotes;
        return 0;
    }
    // The picture and value commands parse arguments of their own.
    if (!args.empty() && IsGraphCommand(args[0])) return RunGraphCommand(args, out, err, {ForTerminal});
    Options options;
    if (auto problem = ParseArguments(args, options)) {
        err << "plorimet: " << *problem << "\n" << kUsage << kGraphUsage << kUsageNotes;
        return 2;
    }
    Reporter report(out, err, options.language);
    if (options.command == "fit") return RunFit(options, report);
    if (options.command == "degrees") return RunDegrees(options, report);
    if (options.command == "read") return RunRead(options, report);
    return RunPaste(options, report, err);
}

}  // namespace plorimet
