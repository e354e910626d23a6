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

bool DataTextReader::Feed(const char* bytes, size_t size) {
    for (size_t i = 0; i < size && !done_; ++i) Take(bytes[i]);
    return !done_;
}

void DataTextReader::Take(char c) {
    // A UTF-8 byte-order mark at the start is passed over (Notepad writes one); bytes that
    // turn out to be something else are the start of the first line.
    static const char kMark[] = "\xEF\xBB\xBF";
    if (markTaken_ < 3) {
        if (c == kMark[markTaken_]) {
            if (++markTaken_ == 3) line_.clear();
            else line_.push_back(c);
            return;
        }
        markTaken_ = 3;
    }
    // CR LF, LF and CR each end a line; CR CR LF ends one and leaves an empty one.
    const bool full = result_.pairs.size() == static_cast<size_t>(kMaxPairs);
    const bool afterCr = afterCr_;
    afterCr_ = false;
    if (c == '\n' && afterCr) {
        done_ = full;
        return;
    }
    if (full) {  // the 45th pair ended with a lone CR
        done_ = true;
        return;
    }
    if (c != '\r' && c != '\n') {
        if (line_.size() < kLongestDataLine) {
            line_.push_back(c);
        } else {
            overlong_ = true;
        }
        return;
    }
    EndLine();
    afterCr_ = c == '\r';
    // The 45th pair ends the reading, after the line feed of its CR LF.
    done_ = result_.pairs.size() == static_cast<size_t>(kMaxPairs) && !afterCr_;
}

void DataTextReader::EndLine() {
    CellPair pair;
    if (!overlong_ && ParseDataLine(line_, pair)) result_.pairs.push_back(pair);
    line_.clear();
    overlong_ = false;
}

ReadDataResult DataTextReader::Finish() {
    if (result_.pairs.size() < static_cast<size_t>(kMaxPairs)) EndLine();
    done_ = true;
    return result_;
}

ReadDataResult ReadDataText(const ByteSource& source) {
    DataTextReader reader;
    char block[4096];
    for (;;) {
        const size_t filled = std::min(source(block, sizeof block), sizeof block);
        if (filled == 0 || !reader.Feed(block, filled)) break;
    }
    return reader.Finish();
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
