#include "plorimet/cli.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <future>
#include <optional>
#include <sstream>

#ifndef _WIN32
#include <iconv.h>
#endif

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
#include "plorimet/cli_fit.h"
#include "plorimet/cli_graph.h"
#include "plorimet/cli_plot.h"

namespace plorimet {

namespace {

const char kUsage[] =
    "usage: plorimet fit FILE [--degree N] [--through-origin] [--digits 3..6] [--lang en|ja] [--save OUT.txt]\n"
    "                    [--json] [--stats] [--level P]\n"
    "       plorimet fit --all FILE [--degree N] [--through-origin] [--digits 3..6] [--lang en|ja] [--json]\n"
    "                    [--stats] [--level P]\n"
    "       plorimet degrees FILE [--all] [--through-origin] [--up-to N] [--lang en|ja] [--json]\n"
    "       plorimet read FILE [--lang en|ja]\n"
    "       plorimet paste FILE [--columns X,Y] [--lang en|ja]\n";

const char kUsageNotes[] =
    "Without --all a file is read as the grid reads it: at most 45 pairs, the first of equal X kept.\n"
    "--all keeps every observation, repeated X included (replicate measurements), and fits\n"
    "whenever the exact optimum is within the range of a double.\n"
    "--through-origin fixes the constant at 0; --stats prints standard errors, confidence intervals\n"
    "(level P, default 0.95), R^2 and adjusted R^2; degrees compares degree 1 to N (default 10).\n";

// Pasted text is read like the clipboard's: up to its first zero byte, and never more than
// a spreadsheet copy of this size could sensibly be.
constexpr size_t kLargestPasteText = 16 * 1024 * 1024;

// The program's texts are code page 932; a Linux terminal wants UTF-8.
std::string ForTerminal(const std::string& text) {
#ifdef _WIN32
    return text;
#else
    iconv_t converter = iconv_open("UTF-8", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1)) return text;
    std::string out(text.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const size_t converted = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(converter);
    if (converted == static_cast<size_t>(-1)) return text;
    out.resize(out.size() - outLeft);
    return out;
#endif
}

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
    bool throughOrigin = false;
    double level = kDefaultConfidenceLevel;
    std::optional<int> upTo;
    std::optional<std::pair<int, int>> columns;
};

bool ParseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

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
    return std::nullopt;
}

class Reporter {
public:
    Reporter(std::ostream& out, std::ostream& err, UiLanguage language) : out_(out), err_(err), language_(language) {}
    int Fail(MessageId id) {
        err_ << ForTerminal(MessageText(id, language_)) << "\n";
        return 1;
    }
    // A failure the window has no message for.
    int Fail(const std::string& text) {
        err_ << "plorimet: " << text << "\n";
        return 1;
    }
    void Line(const std::string& text) { out_ << ForTerminal(text) << "\n"; }
    std::ostream& out() { return out_; }

private:
    std::ostream& out_;
    std::ostream& err_;
    UiLanguage language_;
};

// Opens the input file, or reports why not: a missing file gets the window's message, while
// a folder, a device, a FIFO or a file closed to us would be misnamed by it, so the reason
// is told. The type is checked first, since opening a FIFO would wait for a writer.
bool OpenInput(const std::string& path, std::ifstream& in, Reporter& report) {
    struct stat info {};
    std::string problem;
    if (stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            report.Fail(MessageId::FileDoesNotExist);
            return false;
        }
        problem = std::strerror(errno);
    } else if (S_ISDIR(info.st_mode)) {
        problem = "is a folder, not a file";
    } else if (!S_ISREG(info.st_mode)) {
        problem = "is not a plain file (a device, FIFO or socket)";
    } else {
        in.open(path, std::ios::binary);
        if (in) return true;
        problem = std::string("cannot be read: ") + std::strerror(errno);
    }
    report.Fail(path + ": " + problem);
    return false;
}

// The pairs of the input file, or nothing when a failure has been reported.
std::optional<ReadDataResult> ReadPairsFile(const std::string& path, Reporter& report) {
    std::ifstream in;
    if (!OpenInput(path, in, report)) return std::nullopt;
    return ReadDataText(StreamBytes(in));
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

// R² and the residual standard deviation are the exact optimum's, correctly rounded, as a
// statistics package reports them (not those of the coefficients rounded to double).
void PrintJson(std::ostream& out, const std::string& pairsJson, const CliFit& fit,
               const std::optional<FitStatistics>& stats) {
    out << "{\n  \"pairs\": " << pairsJson;
    const FitResult& result = fit.result;
    out << ",\n  \"mode\": \"" << (fit.settings.fitMode == FitMode::LeastSquares ? "least-squares" : "exact") << "\",\n";
    out << "  \"degree\": " << fit.termCount - 1 << ",\n  \"coefficients\": [";
    for (int k = 0; k < fit.termCount; ++k) out << (k ? ", " : "") << JsonNumber(result.coefficients[k]);
    out << "],\n  \"equation\": " << ForTerminal(JsonString(result.equationText)) << ",\n";
    if (stats) out << StatisticsJson(*stats);
    out << "  \"r_squared\": " << JsonNumber(stats ? stats->rSquared : result.rSquared) << ",\n";
    out << "  \"residual_std_dev\": " << JsonNumber(stats ? stats->residualDeviation : result.residualDeviation)
        << "\n}\n";
}

FitChoice ChoiceOf(const Options& options) {
    FitChoice choice;
    choice.degree = options.degree;
    choice.throughOrigin = options.throughOrigin;
    choice.digits = options.digits;
    choice.language = options.language;
    choice.withModel = options.json || options.stats;
    if (options.all) choice.rule = FitRule::ExactOptimum;
    return choice;
}

int ReportFailure(const CliFailure& failure, Reporter& report) {
    return failure.message ? report.Fail(*failure.message) : report.Fail(failure.reason);
}

// The equation, then (--stats) the table of the statistics; with --json all as JSON, the pairs
// given as their list.
void PrintFit(const Options& options, Reporter& report, const std::string& pairsJson, const CliFit& fit) {
    std::optional<FitStatistics> stats;
    if (fit.model) stats = fit.model->Statistics(options.level);
    if (options.json) {
        PrintJson(report.out(), pairsJson, fit, stats);
        return;
    }
    report.Line(fit.result.equationText);
    if (options.stats && stats) report.out() << ForTerminal(FitStatisticsTable(*stats, options.language));
}

// fit --all and degrees --all: every line of the file that holds two numbers, any number of
// them, sorted by X with every repeated X kept.
std::optional<AllPairs> ReadEveryPair(const Options& options, Reporter& report, std::ostream& err) {
    std::ifstream in;
    if (!OpenInput(options.file, in, report)) return std::nullopt;
    AllPairs pairs = ReadAllPairs(in, WorkSplitOfMachine());
    if (pairs.outOfRangeLine) {
        err << "plorimet: line " << *pairs.outOfRangeLine << ": a value beyond the range of a double\n";
        return std::nullopt;
    }
    if (pairs.x.empty()) {
        report.Fail(MessageId::NoDataInFile);
        return std::nullopt;
    }
    SortByX(pairs);
    return pairs;
}

// The shortest text that reads back as v, as a JSON string.
void AppendShortestText(std::string& out, double v) {
    out += '"';
    AppendShortestNumber(out, v);
    out += '"';
}

int RunFitAll(const Options& options, Reporter& report, std::ostream& err) {
    const std::optional<AllPairs> pairs = ReadEveryPair(options, report, err);
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
            });
        });
    }
    CliFit fit;
    const PointsView points{pairs->x.data(), pairs->y.data(), count};
    if (auto failure = FitForCli(points, ChoiceOf(options), fit)) return ReportFailure(*failure, report);
    PrintFit(options, report, options.json ? pairsJson.get() : std::string(), fit);
    return 0;
}

// The grid's pairs of a data file, or nothing when a failure has been reported.
std::optional<DataSet> ReadGridData(const Options& options, Reporter& report) {
    const auto read = ReadPairsFile(options.file, report);
    if (!read) return std::nullopt;
    if (read->empty()) {
        report.Fail(MessageId::NoDataInFile);
        return std::nullopt;
    }
    CellTexts cells;
    for (size_t i = 0; i < read->pairs.size(); ++i) {
        cells.x[i] = read->pairs[i].x;
        cells.y[i] = read->pairs[i].y;
    }
    return CollectDataSet(cells);
}

int RunFit(const Options& options, Reporter& report, std::ostream& err) {
    if (options.all) return RunFitAll(options, report, err);
    const std::optional<DataSet> data = ReadGridData(options, report);
    if (!data) return 1;
    CliFit fit;
    if (auto failure = FitForCli(PointsView{data->x.data(), data->y.data(), data->pairCount}, ChoiceOf(options), fit))
        return ReportFailure(*failure, report);

    if (!options.savePath.empty()) {
        if (!HasTxtExtension(options.savePath)) return report.Fail(MessageId::NeedTxtExtension);
        const SaveOutcome saved = SaveFileReplacing(options.savePath, BuildDataFileBytes(*data, fit.result.equationText));
        if (auto failure = SaveFailureMessage(saved, SavedFile::Data)) return report.Fail(*failure);
    }
    const std::string pairsJson = !options.json ? std::string() : PairsJson(data->pairCount, [&](std::string& text, long long k) {
        AppendJsonString(text, data->xText[k]);
        text += ", ";
        AppendJsonString(text, data->yText[k]);
    });
    PrintFit(options, report, pairsJson, fit);
    return 0;
}

// degrees: every degree from 1 up, compared.
int RunDegrees(const Options& options, Reporter& report, std::ostream& err) {
    std::optional<AllPairs> every;
    std::optional<DataSet> grid;
    PointsView points;
    if (options.all) {
        every = ReadEveryPair(options, report, err);
        if (!every) return 1;
        points = {every->x.data(), every->y.data(), static_cast<long long>(every->x.size())};
    } else {
        grid = ReadGridData(options, report);
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
    const std::vector<DegreeRow> rows = CompareDegrees(points, upTo, options.throughOrigin);
    if (!options.json) {
        report.out() << ForTerminal(DegreeTable(rows, options.language));
        return 0;
    }
    const auto preferred = PreferredRows(rows);
    const char* names[] = {"residual_std_dev", "r_squared", "adjusted_r_squared", "aic", "bic", "press"};
    std::ostream& out = report.out();
    out << "{\n  \"observations\": " << points.count << ",\n  \"through_origin\": "
        << (options.throughOrigin ? "true" : "false") << ",\n  \"degrees\": [\n";
    for (size_t r = 0; r < rows.size(); ++r) {
        const DegreeRow& d = rows[r];
        const std::optional<double> values[] = {d.residualDeviation, d.rSquared, d.adjustedRSquared, d.aic, d.bic, d.press};
        out << "    {\"degree\": " << d.degree;
        for (int f = 0; f < 6; ++f) out << ", \"" << names[f] << "\": " << JsonNumber(values[f]);
        out << "}" << (r + 1 < rows.size() ? "," : "") << "\n";
    }
    out << "  ],\n  \"preferred\": {";
    for (int f = 0; f < 6; ++f)
        out << (f ? ", " : "") << "\"" << names[f] << "\": " << (preferred[f] ? std::to_string(rows[*preferred[f]].degree) : "null");
    out << "}\n}\n";
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
        out << kUsage << kGraphUsage << kPlotUsage << kUsageNotes;
        return 0;
    }
    if (!args.empty() && IsGraphCommand(args[0])) return RunGraphCommand(args, out, err, {ForTerminal});
    if (!args.empty() && args[0] == "plot") return RunPlotCommand(args, out, err, {ForTerminal});
    Options options;
    if (auto problem = ParseArguments(args, options)) {
        err << "plorimet: " << *problem << "\n" << kUsage << kGraphUsage << kPlotUsage << kUsageNotes;
        return 2;
    }
    Reporter report(out, err, options.language);
    if (options.command == "fit") return RunFit(options, report, err);
    if (options.command == "degrees") return RunDegrees(options, report, err);
    if (options.command == "read") return RunRead(options, report);
    return RunPaste(options, report, err);
}

}  // namespace plorimet
