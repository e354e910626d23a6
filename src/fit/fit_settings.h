// The fit settings dialog's decisions, free of any window.
#pragma once

#include <string>
#include <vector>

#include "base/messages.h"

namespace plorimet {

enum class FitMode { Exact = 0, LeastSquares = 1 };

constexpr int kRecommendedDegreeLimit = 10;
constexpr int kDigitChoices = 4;  // 3, 4, 5 or 6 significant digits

// What the program remembers of the fit; changed only by the dialog's OK (and lastDegree by a
// new grid).
struct FitSettings {
    FitMode fitMode = FitMode::Exact;
    int degree = 0;
    int lastDegree = 0;  // offered next time; 0 means none
    int digitsIndex = 0; // 0..3 for 3..6 digits
};

inline int SignificantDigits(int digitsIndex) { return 3 + digitsIndex; }

// Exact for at most 2 pairs (no degree to choose), least squares otherwise.
FitMode FitModeForPairCount(int pairCount);

// The degrees offered, highest first: pairCount-1 down to 1; empty for 2 pairs or fewer.
std::vector<int> DegreeList(int pairCount);

// min(pairCount - 1, 10): what the field falls back to.
int DefaultDegree(int pairCount);

// The degree field's first text: lastDegree when it is still offered, else the default.
// Empty when no degree can be chosen.
std::string InitialDegreeText(int pairCount, int lastDegree);

// The text the degree field holds after the user changed it to `typed`: kept when it
// begins a listed degree (the list's prefix search; the empty text begins every entry),
// otherwise the default degree.
std::string ValidateDegreeText(const std::string& typed, int pairCount);

// What the dialog opens with.
struct FitDialogRequest {
    UiLanguage language = UiLanguage::English;
    int pairCount = 0;
    int lastDegree = 0;
    int digitsIndex = 0;
};

FitDialogRequest FitDialogRequestFor(const FitSettings& settings, int pairCount, UiLanguage language);

// What the dialog shows when it opens.
struct FitDialogOpening {
    bool degreeEnabled = false;        // no degree to choose for 2 pairs or fewer
    std::vector<std::string> degrees;  // the list, highest first
    std::string degreeText;            // the field's first text
    int digitsIndex = 0;               // the digits button checked (0..3 for 3..6 digits)
};
FitDialogOpening OpenFitDialog(const FitDialogRequest& request);

enum class FitDialogOutcome { Accepted = 0, Cancelled = 1 };

// How the dialog ended: OK (Accepted), or Cancel, the close box or a failure in the dialog
// (Cancelled; then nothing else counts).
struct FitDialogAnswer {
    FitDialogOutcome outcome = FitDialogOutcome::Cancelled;
    FitMode fitMode = FitMode::Exact;
    int degree = 0;       // read from the degree field; least-squares mode only
    int digitsIndex = 0;
};

// OK: the mode follows the pair count; the degree text (least-squares mode only) is read like
// atoi; the digits are the checked button's, or the last clicked (shownDigitsIndex) when no
// button reports itself checked.
FitDialogAnswer AcceptFitSettings(const FitDialogRequest& request, const std::string& degreeText,
                                  int checkedDigitsIndex, int shownDigitsIndex);

// Stores an accepted answer (degree and lastDegree only in least-squares mode) and returns true;
// a cancelled one changes nothing, so the digits clicked and the degree offered are as before
// the dialog, and returns false.
bool StoreFitDialogAnswer(FitSettings& settings, const FitDialogAnswer& answer);

}  // namespace plorimet
