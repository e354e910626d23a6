#include "data/data_file.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "data/cell_rule.h"

namespace plorimet {

namespace {

// A data line is short; anything longer is not one and is passed over without keeping it.
constexpr size_t kLongestDataLine = 1024;

bool IsSeparator(char c) { return c == ',' || c == '\t' || c == ' '; }

// The text a value gives a cell: long values lose fraction digits only. A value whose
// integer part does not fit in 10 characters cannot be cut without becoming another number.
bool CutToCell(std::string& value) {
    if (value.size() <= static_cast<size_t>(kCellTextLimit)) return true;
    const auto point = value.find('.');
    if (point == std::string::npos || point > static_cast<size_t>(kCellTextLimit)) return false;
    value.resize(kCellTextLimit);
    return true;
}

// Optional spaces, X, a separator (spaces, or one comma or tab with optional spaces round
// it), Y, optional spaces.
bool ParseDataLine(const std::string& line, CellPair& pair) {
    size_t i = 0;
    while (i < line.size() && line[i] == ' ') ++i;
    const size_t xStart = i;
    while (i < line.size() && !IsSeparator(line[i])) ++i;
    if (i == xStart || i == line.size()) return false;
    std::string x = line.substr(xStart, i - xStart);

    while (i < line.size() && line[i] == ' ') ++i;
    if (i < line.size() && (line[i] == ',' || line[i] == '\t')) {
        ++i;
        while (i < line.size() && line[i] == ' ') ++i;
    }
    size_t yEnd = line.size();
    while (yEnd > i && line[yEnd - 1] == ' ') --yEnd;
    if (yEnd == i) return false;
    std::string y = line.substr(i, yEnd - i);

    // A value a person could not type into a cell (a second point) would be changed by the
    // cell, so its line is skipped instead.
    if (!IsAcceptedFileValue(x) || !IsAcceptedFileValue(y) || !ObeysCellRule(x) || !ObeysCellRule(y)) return false;
    if (!CutToCell(x) || !CutToCell(y)) return false;
    pair.x = x;
    pair.y = y;
    return true;
}

// The source's bytes one at a time, taken from it a block at a time.
class ByteReader {
public:
    static constexpr int kEnd = -1;

    explicit ByteReader(const ByteSource& source) : source_(source) {}

    int Peek() {
        if (next_ == filled_ && !Fill()) return kEnd;
        return static_cast<unsigned char>(block_[next_]);
    }
    int Take() {
        const int c = Peek();
        if (c != kEnd) ++next_;
        return c;
    }

private:
    bool Fill() {
        if (ended_) return false;
        filled_ = std::min(source_(block_, sizeof block_), sizeof block_);
        next_ = 0;
        ended_ = filled_ == 0;
        return !ended_;
    }

    const ByteSource& source_;
    char block_[4096];
    size_t next_ = 0;
    size_t filled_ = 0;
    bool ended_ = false;
};

// Passes over a UTF-8 byte-order mark at the start (Notepad writes one); returns the bytes
// taken when they turned out to be something else, as the start of the first line.
std::string SkipByteOrderMark(ByteReader& source) {
    static const char kMark[] = "\xEF\xBB\xBF";
    std::string taken;
    for (const char* c = kMark; *c != '\0' && source.Peek() == static_cast<unsigned char>(*c); ++c)
        taken.push_back(static_cast<char>(source.Take()));
    return taken == kMark ? std::string() : taken;
}

}  // namespace

bool IsAcceptedFileValue(const std::string& value) {
    if (value.empty()) return false;
    const char first = value[0];
    if (!(std::isdigit(static_cast<unsigned char>(first)) || first == '.' || first == '-')) return false;
    for (size_t i = 1; i < value.size(); ++i) {
        const char c = value[i];
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.')) return false;
    }
    return true;
}

ReadDataResult ReadDataText(const ByteSource& bytes) {
    ReadDataResult result;
    ByteReader source(bytes);
    std::string line = SkipByteOrderMark(source);
    bool overlong = false;
    while (result.pairs.size() < static_cast<size_t>(kMaxPairs)) {
        const int c = source.Take();
        const bool atEnd = c == ByteReader::kEnd;
        if (!atEnd && c != '\r' && c != '\n') {
            if (line.size() < kLongestDataLine) {
                line.push_back(static_cast<char>(c));
            } else {
                overlong = true;
            }
            continue;
        }
        // CR LF, LF and CR each end a line; CR CR LF ends one and leaves an empty one.
        if (c == '\r' && source.Peek() == '\n') source.Take();
        CellPair pair;
        if (!overlong && ParseDataLine(line, pair)) result.pairs.push_back(pair);
        if (atEnd) break;
        line.clear();
        overlong = false;
    }
    return result;
}

ReadDataResult ReadDataText(const std::string& bytes) {
    size_t given = 0;
    return ReadDataText([&](char* buffer, size_t size) {
        const size_t count = std::min(size, bytes.size() - given);
        std::memcpy(buffer, bytes.data() + given, count);
        given += count;
        return count;
    });
}

std::string BuildDataFileBytes(const DataSet& data, const std::string& equationText) {
    std::string out = "     X  \t     Y  \r\n";
    for (int i = 0; i < data.pairCount; ++i) {
        out += "     " + data.xText[i] + "  \t     " + data.yText[i] + "  \r\n";
    }
    if (!equationText.empty()) {
        out += "EQUATION\r\n";
        for (size_t i = 0; i < equationText.size(); ++i) {
            if (i > 0 && equationText[i] == '\n') out += '\r';
            out += equationText[i];
        }
        out += " \r\n";
    }
    return out;
}

bool HasTxtExtension(const std::string& path) {
    if (path.size() < 4) return false;
    const std::string tail = path.substr(path.size() - 4);
    return tail[0] == '.' && std::toupper(static_cast<unsigned char>(tail[1])) == 'T' &&
           std::toupper(static_cast<unsigned char>(tail[2])) == 'X' &&
           std::toupper(static_cast<unsigned char>(tail[3])) == 'T';
}

bool IsRefusedDriveType(unsigned driveType) {
    return driveType == 0 || driveType == 1 || driveType == 4 || driveType == 5;
}

}  // namespace plorimet
