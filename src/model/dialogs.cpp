#include "model/dialogs.h"

#include <algorithm>

#include "fit/data_set.h"

namespace plorimet {

std::string FitDegreeAfterEdit(const FitDialogRequest& request, const std::string& typed) {
    return ValidateDegreeText(typed, request.pairCount);
}

FitDialogAnswer FitDialogOk(const FitDialogRequest& request, const std::string& degreeText, int checkedDigitsIndex,
                            int shownDigitsIndex) {
    return AcceptFitSettings(request, degreeText, checkedDigitsIndex, shownDigitsIndex);
}

FitDialogAnswer FitDialogCancel() {
    return FitDialogAnswer{};  // Cancelled
}

GraphChoices OpenGraphDialog(const GraphDialogRequest& request) {
    GraphSettings settings = request.settings;
    const GraphDialogChecks checks = InitGraphSettingsDialog(settings);
    return {checks.thicknessButton - kFirstThicknessButton, checks.dotButton - kFirstDotButton,
            checks.sizeButton - kFirstSizeButton, checks.scaleButton - kFirstScaleButton};
}

GraphDialogAnswer GraphDialogAnswerOf(const GraphDialogRequest& request, bool accepted, const GraphChoices& choices) {
    GraphDialogAnswer answer;
    answer.outcome = accepted ? GraphDialogOutcome::Accepted : GraphDialogOutcome::Cancelled;
    answer.settings = request.settings;
    InitGraphSettingsDialog(answer.settings);
    // Each choice as the click on its button; a choice outside its group is no click.
    const int groups[4][3] = {{kFirstThicknessButton, choices.thickness, 5},
                              {kFirstDotButton, choices.dot, 5},
                              {kFirstSizeButton, choices.size, 3},
                              {kFirstScaleButton, choices.scale, 3}};
    for (const auto& group : groups) {
        if (group[1] >= 0 && group[1] < group[2]) ApplyGraphSettingsClick(answer.settings, group[0] + group[1]);
    }
    return answer;
}

std::vector<std::string> ColumnList(const ColumnDialogRequest& request) {
    std::vector<std::string> list;
    const int listed = std::min(request.columnCount, kColumnListLimit);
    for (int column = 1; column <= listed; ++column) list.push_back(std::to_string(column));
    return list;
}

std::string ColumnTextAfterEdit(const ColumnDialogRequest& request, ColumnBox box, const std::string& typed) {
    return ValidateColumnText(typed, box, request.columnCount);
}

ColumnDialogAnswer ColumnDialogOk(const ColumnDialogRequest& request, const std::string& xText,
                                  const std::string& yText) {
    return ReadColumnNumbers(xText, yText, request.columnCount);
}

ColumnDialogAnswer ColumnDialogCancel() {
    ColumnDialogAnswer answer;
    answer.outcome = ColumnDialogOutcome::Cancelled;
    return answer;
}

}  // namespace plorimet
