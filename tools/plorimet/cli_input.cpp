#include "plorimet/cli_input.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

#ifndef _WIN32
#include <iconv.h>
#endif

#include "fit/analysis.h"
#include "fit/work_split.h"

namespace plorimet {

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

int Reporter::Fail(MessageId id) {
    err_ << ForTerminal(MessageText(id, language_)) << "\n";
    return 1;
}

int Reporter::Fail(const std::string& text) {
    err_ << "plorimet: " << text << "\n";
    return 1;
}

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

std::optional<ReadDataResult> ReadPairsFile(const std::string& path, Reporter& report) {
    std::ifstream in;
    if (!OpenInput(path, in, report)) return std::nullopt;
    return ReadDataText(StreamBytes(in));
}

std::optional<DataSet> ReadGridData(const std::string& path, Reporter& report) {
    const auto read = ReadPairsFile(path, report);
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

std::optional<AllPairs> ReadEveryPair(const std::string& path, bool weights, Reporter& report) {
    std::ifstream in;
    if (!OpenInput(path, in, report)) return std::nullopt;
    AllPairs pairs = ReadAllPairs(in, WorkSplitOfMachine(), weights);
    if (pairs.outOfRangeLine) {
        const char* why = pairs.problem == LineProblem::TooSmall
                              ? "a value too close to 0 for a double (it would read as 0)"
                              : (pairs.problem == LineProblem::NoWeight ? "no weight (--weights takes the third number of each line)"
                                                                         : "a value beyond the range of a double");
        report.Fail("line " + std::to_string(*pairs.outOfRangeLine) + ": " + why);
        return std::nullopt;
    }
    if (pairs.x.empty()) {
        report.Fail(MessageId::NoDataInFile);
        return std::nullopt;
    }
    SortByX(pairs);
    return pairs;
}

bool ParseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool ParseFiniteNumber(const std::string& text, double& value) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') ++begin;
    const auto result = std::from_chars(begin, end, value);
    return result.ec == std::errc() && result.ptr == end && begin != end && std::isfinite(value);
}

bool ParseLevel(const std::string& text, double& level) {
    return ParseFiniteNumber(text, level) && level > 0 && level < 1;
}

}  // namespace plorimet
