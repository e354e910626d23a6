#include "plorimet/cli.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
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
#include "base/messages.h"
#include "plorimet/cli_graph.h"

namespace plorimet {

namespace {

const char kUsage[] =
    "usage: plorimet fit FILE [--degree N] [--digits 3..6] [--lang en|ja] [--save OUT.txt] [--json]\n"
    "       plorimet fit --all FILE [--degree N] [--digits 3..6] [--lang en|ja] [--json]\n"
    "       plorimet read FILE [--lang en|ja]\n"
    "       plorimet paste FILE [--columns X,Y] [--lang en|ja]\n";

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
    if (options.command != "fit" && options.command != "read" && options.command != "paste")
        return "unknown command '" + options.command + "'";
    bool optionsEnded = false;
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
        } else if (arg == "--json" && options.command == "fit") {
            options.json = true;
        } else if (arg == "--all" && options.command == "fit") {
            options.all = true;
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

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    return std::string(buffer, result.ptr);
}

bool IsCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Escapes a code page 932 text for JSON; a double-byte character is copied whole, since
// its second byte may be a backslash.
std::string JsonString(const std::string& text) {
    std::string out = "\"";
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
    return out + "\"";
}

// R² and the residual standard deviation are the exact optimum's, as a statistics package
// reports them (not those of the coefficients rounded to double).
template <typename PairTexts>
void PrintJson(std::ostream& out, long long pairCount, PairTexts pairTexts, int termCount, const FitSettings& settings,
               const FitResult& result) {
    out << "{\n  \"pairs\": [";
    for (long long k = 0; k < pairCount; ++k) {
        const auto [x, y] = pairTexts(k);
        out << (k ? ", " : "") << "[" << JsonString(x) << ", " << JsonString(y) << "]";
    }
    out << "],\n  \"mode\": \"" << (settings.fitMode == FitMode::LeastSquares ? "least-squares" : "exact") << "\",\n";
    out << "  \"degree\": " << termCount - 1 << ",\n  \"coefficients\": [";
    for (int k = 0; k < termCount; ++k) out << (k ? ", " : "") << JsonNumber(result.coefficients[k]);
    out << "],\n  \"equation\": " << ForTerminal(JsonString(result.equationText)) << ",\n";
    out << "  \"r_squared\": " << (result.rSquared ? JsonNumber(*result.rSquared) : "null") << ",\n";
    out << "  \"residual_std_dev\": "
        << (result.residualDeviation ? JsonNumber(*result.residualDeviation) : "null") << "\n}\n";
}

// fit --all: every line of the file that holds two numbers, any number of them.
int RunFitAll(const Options& options, Reporter& report, std::ostream& err) {
    std::ifstream in;
    if (!OpenInput(options.file, in, report)) return 1;
    AllPairs pairs = ReadAllPairs(in);
    if (pairs.outOfRangeLine) {
        err << "plorimet: line " << *pairs.outOfRangeLine << ": a value beyond the range of a double\n";
        return 1;
    }
    if (pairs.x.empty()) return report.Fail(MessageId::NoDataInFile);
    KeepFirstOfEachXSorted(pairs);
    const long long count = static_cast<long long>(pairs.x.size());

    FitSettings settings;
    const int pairCount = static_cast<int>(std::min<long long>(count, 1 << 30));
    settings.fitMode = FitModeForPairCount(pairCount);
    settings.digitsIndex = options.digits - 3;
    if (settings.fitMode == FitMode::LeastSquares) {
        settings.degree = DefaultDegree(pairCount);
        const int highest = std::min(pairCount - 1, kMaxPairs - 1);
        if (options.degree) {
            if (*options.degree < 1 || *options.degree > highest) {
                err << "plorimet: degree " << *options.degree << " is not offered for " << count << " pairs (1 to "
                    << highest << ")\n";
                return 1;
            }
            settings.degree = *options.degree;
        }
    }
    FitResult result;
    const PointsView points{pairs.x.data(), pairs.y.data(), count};
    if (auto failure = CompleteAnalysis(points, settings, options.language, result, WorkSplitFor(count)))
        return report.Fail(*failure);
    if (options.json) {
        auto text = [](double v) {
            char buffer[32];
            return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
        };
        PrintJson(
            report.out(), count, [&](long long k) { return std::make_pair(text(pairs.x[k]), text(pairs.y[k])); },
            settings.fitMode == FitMode::LeastSquares ? settings.degree + 1 : pairCount, settings, result);
    } else {
        report.Line(result.equationText);
    }
    return 0;
}

int RunFit(const Options& options, Reporter& report, std::ostream& err) {
    if (options.all) return RunFitAll(options, report, err);
    const auto read = ReadPairsFile(options.file, report);
    if (!read) return 1;
    if (read->empty()) return report.Fail(MessageId::NoDataInFile);

    CellTexts cells;
    for (size_t i = 0; i < read->pairs.size(); ++i) {
        cells.x[i] = read->pairs[i].x;
        cells.y[i] = read->pairs[i].y;
    }
    const DataSet data = CollectDataSet(cells);

    FitSettings settings;
    settings.fitMode = FitModeForPairCount(data.pairCount);
    settings.digitsIndex = options.digits - 3;
    if (settings.fitMode == FitMode::LeastSquares) {
        settings.degree = DefaultDegree(data.pairCount);
        if (options.degree) {
            if (*options.degree < 1 || *options.degree > data.pairCount - 1) {
                err << "plorimet: degree " << *options.degree << " is not offered for " << data.pairCount
                    << " pairs (1 to " << data.pairCount - 1 << ")\n";
                return 1;
            }
            settings.degree = *options.degree;
        }
    }

    FitResult result;
    if (auto failure = CompleteAnalysis(data, settings, options.language, result)) return report.Fail(*failure);

    if (!options.savePath.empty()) {
        if (!HasTxtExtension(options.savePath)) return report.Fail(MessageId::NeedTxtExtension);
        const SaveOutcome saved = SaveFileReplacing(options.savePath, BuildDataFileBytes(data, result.equationText));
        if (auto failure = SaveFailureMessage(saved, SavedFile::Data)) return report.Fail(*failure);
    }
    if (options.json) {
        PrintJson(
            report.out(), data.pairCount, [&](long long k) { return std::make_pair(data.xText[k], data.yText[k]); },
            TermCount(settings, data), settings, result);
    } else {
        report.Line(result.equationText);
    }
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
        out << kUsage << kGraphUsage;
        return 0;
    }
    if (!args.empty() && IsGraphCommand(args[0])) return RunGraphCommand(args, out, err, {ForTerminal});
    Options options;
    if (auto problem = ParseArguments(args, options)) {
        err << "plorimet: " << *problem << "\n" << kUsage << kGraphUsage;
        return 2;
    }
    Reporter report(out, err, options.language);
    if (options.command == "fit") return RunFit(options, report, err);
    if (options.command == "read") return RunRead(options, report);
    return RunPaste(options, report, err);
}

}  // namespace plorimet
