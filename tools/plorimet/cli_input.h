// What every command of the tool shares: reading its input file the one way (the same checks
// and messages for a missing file, a folder, a FIFO), reporting failures, and the texts as the
// terminal shows them.
#pragma once

#include <fstream>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "base/messages.h"
#include "data/all_pairs.h"
#include "data/data_file.h"
#include "fit/data_set.h"
#include "fit/exact_fit.h"

namespace plorimet {

// A program text (code page 932) as the terminal shows it: UTF-8 on Linux.
std::string ForTerminal(const std::string& text);

// Failures on stderr: the program's own message, or a plain reason for what it has none for.
class Reporter {
public:
    Reporter(std::ostream& out, std::ostream& err, UiLanguage language) : out_(out), err_(err), language_(language) {}
    int Fail(MessageId id);
    int Fail(const std::string& text);  // "plorimet: text"
    void Line(const std::string& text) { out_ << ForTerminal(text) << "\n"; }
    std::ostream& out() { return out_; }
    UiLanguage language() const { return language_; }

private:
    std::ostream& out_;
    std::ostream& err_;
    UiLanguage language_;
};

// The data file reader's bytes taken from a stream.
inline ByteSource StreamBytes(std::istream& in) {
    return [&in](char* buffer, size_t size) {
        in.read(buffer, static_cast<std::streamsize>(size));
        return static_cast<size_t>(in.gcount());
    };
}

// Opens the input file, or reports why not: a missing file gets the window's message, while
// a folder, a device, a FIFO or a file closed to us would be misnamed by it, so the reason is
// told. The type is checked first, since opening a FIFO would wait for a writer.
bool OpenInput(const std::string& path, std::ifstream& in, Reporter& report);

// The pairs the grid would receive from a data file (at most 45, the first of equal X kept),
// or nothing when a failure has been reported.
std::optional<ReadDataResult> ReadPairsFile(const std::string& path, Reporter& report);
std::optional<DataSet> ReadGridData(const std::string& path, Reporter& report);

// --all: every line that holds two numbers (three with weights), sorted by X with every
// repeated X kept, or nothing when a failure has been reported.
std::optional<AllPairs> ReadEveryPair(const std::string& path, bool weights, Reporter& report);

// The points of either, for the fit.
inline PointsView PointsOf(const AllPairs& pairs) {
    return {pairs.x.data(), pairs.y.data(), static_cast<long long>(pairs.x.size()), pairs.w.empty() ? nullptr : pairs.w.data()};
}

// Numbers of the arguments: a whole number; a finite number (no nan or inf); a confidence
// level strictly between 0 and 1.
bool ParseInt(const std::string& text, int& value);
bool ParseFiniteNumber(const std::string& text, double& value);
bool ParseLevel(const std::string& text, double& level);

}  // namespace plorimet
