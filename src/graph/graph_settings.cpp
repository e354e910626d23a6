#include "graph/graph_settings.h"

namespace plorimet {

namespace {

constexpr GraphChoices kChoiceCounts = {5, 5, 3, 3};

bool InGroup(GraphGroup group, int choice) { return choice >= 0 && choice < GraphChoiceCount(group); }

int ValidChoice(GraphGroup group, int choice) { return InGroup(group, choice) ? choice : 0; }

}  // namespace

int GraphChoiceCount(GraphGroup group) {
    return kChoiceCounts[static_cast<size_t>(group)];
}

double SizeFactorForIndex(int sizeIndex) {
    switch (sizeIndex) {
        case 1:
            return 0.7;
        case 2:
            return 0.5;
        default:
            return 1.0;
    }
}

GraphChoices InitGraphSettingsDialog(GraphSettings& settings) {
    const GraphChoices choices = {ValidChoice(GraphGroup::Line, settings.thicknessIndex),
                                  ValidChoice(GraphGroup::Dot, settings.dotSizeIndex),
                                  ValidChoice(GraphGroup::Size, settings.sizeIndex),
                                  ValidChoice(GraphGroup::Scale, static_cast<int>(settings.scaleMode))};
    for (int group = 0; group < kGraphGroupCount; ++group)
        ChooseGraphSetting(settings, static_cast<GraphGroup>(group), choices[group]);
    return choices;
}

bool ChooseGraphSetting(GraphSettings& settings, GraphGroup group, int choice) {
    if (!InGroup(group, choice)) return false;
    switch (group) {
        case GraphGroup::Line:
            settings.thicknessIndex = choice;
            settings.lineWidth = choice + 1;
            break;
        case GraphGroup::Dot:
            settings.dotSizeIndex = choice;
            settings.dotRadius = choice + 2;
            break;
        case GraphGroup::Size:
            settings.sizeIndex = choice;
            settings.sizeFactor = SizeFactorForIndex(choice);
            break;
        case GraphGroup::Scale:
            settings.scaleMode = static_cast<ScaleMode>(choice);
            break;
    }
    return true;
}

bool StoreGraphDialogAnswer(GraphSettings& remembered, const GraphDialogAnswer& answer) {
    remembered = answer.settings;
    return answer.outcome == GraphDialogOutcome::Accepted;
}

}  // namespace plorimet
