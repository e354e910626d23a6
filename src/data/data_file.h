// Data text files: reading pairs into cell texts, writing the saved file's bytes.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "fit/data_set.h"

namespace plorimet {

struct CellPair {
    std::string x;
    std::string y;
};

struct ReadDataResult {
    std::vector<CellPair> pairs;  // at most 45, each text as the file has it, fraction digits past 10 characters dropped
    bool empty() const { return pairs.empty(); }
};

// A value of a data line: first character a digit, point or minus sign, the rest digits
// or points.
bool IsAcceptedFileValue(const std::string& value);

// Where the reader takes its bytes from: fills at most `size` bytes of `buffer` with the next
// bytes of the file and returns how many it filled, 0 at the end of the file (or when reading
// fails). Not asked again once it has returned 0.
using ByteSource = std::function<size_t(char* buffer, size_t size)>;

// Reads lines (ended by CR LF, LF, CR or CR CR LF; a UTF-8 byte-order mark at the start is
// passed over) until 45 pairs are accepted or the bytes end. Lines that are not data lines,
// and lines with a value the cell would change (two points), are skipped one by one. Asks for
// no more bytes once the 45th pair is in, so a long file is not read to its end.
ReadDataResult ReadDataText(const ByteSource& source);
ReadDataResult ReadDataText(const std::string& bytes);

// The same reader fed slice by slice, for a front end that reads a file in parts (the page):
// Feed takes the next bytes and returns false once the 45th pair is in (later bytes are not
// looked at); Finish ends the bytes and gives the pairs.
class DataTextReader {
public:
    bool Feed(const char* bytes, size_t size);
    bool Feed(const std::string& slice) { return Feed(slice.data(), slice.size()); }
    ReadDataResult Finish();

private:
    void Take(char c);
    void EndLine();

    ReadDataResult result_;
    std::string line_;
    int markTaken_ = 0;  // bytes of the byte-order mark seen at the start; 3 once past it
    bool overlong_ = false;
    bool afterCr_ = false;
    bool done_ = false;
};

// The bytes Save Data writes: heading, one line per pair, then the EQUATION block.
std::string BuildDataFileBytes(const DataSet& data, const std::string& equationText);

// True when the path ends in ".txt" in any letter case.
bool HasTxtExtension(const std::string& path);

// Drive types (GetDriveTypeA's values) on which the program refuses to save:
// unknown, no root directory, remote, CD-ROM.
bool IsRefusedDriveType(unsigned driveType);

}  // namespace plorimet
