// The fit settings dialog's decisions, free of any window.
#pragma once

#include <string>
#include <vector>

namespace plorimet {

enum class FitMode { Exact = 0, LeastSquares = 1, Cancelled = 2 };

constexpr int kRecommendedDegreeLimit = 10;
constexpr int kDigitChoices = 4;  // 3, 4, 5 or 6 significant digits

struct FitSettings {
    FitMode fitMode = FitMode::Exact;
    int degree = 0;
    int lastDegree = 0;  // offered next time; 0 means none
    int digitsIndex = 0; // 0..3 for 3..6 digits
    int savedLastDegree = 0;
    int savedDigitsIndex = 0;
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

// Copies lastDegree and digitsIndex before the dialog opens.
void SaveBeforeDialog(FitSettings& settings);
// Puts them back after Cancel or the close box.
void RestoreAfterCancel(FitSettings& settings);
// OK: reads the degree text (least-squares mode only) and the chosen digits.
void AcceptFitSettings(FitSettings& settings, const std::string& degreeText, int checkedDigitsIndex);

}  // namespace plorimet
