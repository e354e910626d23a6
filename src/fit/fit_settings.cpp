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

FitDialogRequest FitDialogRequestFor(const FitSettings& settings, int pairCount, UiLanguage language) {
    FitDialogRequest request;
    request.language = language;
    request.pairCount = pairCount;
    request.lastDegree = settings.lastDegree;
    request.digitsIndex = settings.digitsIndex;
    return request;
}

FitDialogOpening OpenFitDialog(const FitDialogRequest& request) {
    FitDialogOpening opening;
    opening.degreeEnabled = FitModeForPairCount(request.pairCount) == FitMode::LeastSquares;
    for (int degree : DegreeList(request.pairCount)) opening.degrees.push_back(std::to_string(degree));
    opening.degreeText = InitialDegreeText(request.pairCount, request.lastDegree);
    opening.digitsIndex = request.digitsIndex;
    return opening;
}

FitDialogAnswer AcceptFitSettings(const FitDialogRequest& request, const std::string& degreeText,
                                  int checkedDigitsIndex, int shownDigitsIndex) {
    FitDialogAnswer answer;
    answer.outcome = FitDialogOutcome::Accepted;
    answer.fitMode = FitModeForPairCount(request.pairCount);
    if (answer.fitMode == FitMode::LeastSquares) answer.degree = ParseLeadingInt(degreeText.substr(0, kCellReadLimit));
    answer.digitsIndex =
        checkedDigitsIndex >= 0 && checkedDigitsIndex < kDigitChoices ? checkedDigitsIndex : shownDigitsIndex;
    return answer;
}

bool StoreFitDialogAnswer(FitSettings& settings, const FitDialogAnswer& answer) {
    if (answer.outcome != FitDialogOutcome::Accepted) return false;
    settings.fitMode = answer.fitMode;
    if (answer.fitMode == FitMode::LeastSquares) {
        settings.degree = answer.degree;
        settings.lastDegree = answer.degree;
    }
    settings.digitsIndex = answer.digitsIndex;
    return true;
}

}  // namespace plorimet
