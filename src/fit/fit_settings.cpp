#include "fit/fit_settings.h"

#include <algorithm>

#include "base/text.h"
#include "fit/data_set.h"

namespace plorimet {

FitMode FitModeForPairCount(int pairCount) {
    return pairCount <= 2 ? FitMode::Exact : FitMode::LeastSquares;
}

std::vector<int> DegreeList(int pairCount) {
    std::vector<int> degrees;
    if (pairCount <= 2) return degrees;
    for (int d = pairCount - 1; d >= 1; --d) degrees.push_back(d);
    return degrees;
}

int DefaultDegree(int pairCount) {
    return std::min(pairCount - 1, kRecommendedDegreeLimit);
}

std::string InitialDegreeText(int pairCount, int lastDegree) {
    if (pairCount <= 2) return std::string();
    const int degree = (lastDegree > 0 && lastDegree < pairCount) ? lastDegree : DefaultDegree(pairCount);
    return std::to_string(degree);
}

std::string ValidateDegreeText(const std::string& typed, int pairCount) {
    if (pairCount <= 2) return typed;
    const std::string text = typed.substr(0, kCellReadLimit);
    for (int degree : DegreeList(pairCount)) {
        const std::string entry = std::to_string(degree);
        if (entry.compare(0, text.size(), text) == 0) return typed;
    }
    return std::to_string(DefaultDegree(pairCount));
}

void SaveBeforeDialog(FitSettings& settings) {
    settings.savedLastDegree = settings.lastDegree;
    settings.savedDigitsIndex = settings.digitsIndex;
}

void RestoreAfterCancel(FitSettings& settings) {
    settings.lastDegree = settings.savedLastDegree;
    settings.digitsIndex = settings.savedDigitsIndex;
}

void AcceptFitSettings(FitSettings& settings, const std::string& degreeText, int checkedDigitsIndex) {
    if (settings.fitMode == FitMode::LeastSquares) {
        settings.degree = ParseLeadingInt(degreeText.substr(0, kCellReadLimit));
        settings.lastDegree = settings.degree;
    }
    if (checkedDigitsIndex >= 0 && checkedDigitsIndex < kDigitChoices) settings.digitsIndex = checkedDigitsIndex;
}

}  // namespace plorimet
