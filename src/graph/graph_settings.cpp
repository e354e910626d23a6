#include "graph/graph_settings.h"

namespace plorimet {

namespace {

constexpr int kThicknessCount = 5;
constexpr int kDotCount = 5;
constexpr int kSizeCount = 3;
constexpr int kScaleCount = 3;

bool InRange(int value, int first, int count) { return value >= first && value < first + count; }

int ValidIndex(int index, int count) { return InRange(index, 0, count) ? index : 0; }

}  // namespace

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

RadioGroup RadioGroupOf(int buttonId) {
    if (InRange(buttonId, kFirstThicknessButton, kThicknessCount)) {
        return {kFirstThicknessButton, kFirstThicknessButton + kThicknessCount - 1};
    }
    if (InRange(buttonId, kFirstDotButton, kDotCount)) return {kFirstDotButton, kFirstDotButton + kDotCount - 1};
    if (InRange(buttonId, kFirstSizeButton, kSizeCount)) return {kFirstSizeButton, kFirstSizeButton + kSizeCount - 1};
    if (InRange(buttonId, kFirstScaleButton, kScaleCount)) {
        return {kFirstScaleButton, kFirstScaleButton + kScaleCount - 1};
    }
    return {};
}

GraphDialogChecks InitGraphSettingsDialog(GraphSettings& settings) {
    settings.thicknessIndex = ValidIndex(settings.thicknessIndex, kThicknessCount);
    settings.dotSizeIndex = ValidIndex(settings.dotSizeIndex, kDotCount);
    settings.sizeIndex = ValidIndex(settings.sizeIndex, kSizeCount);
    int scale = ValidIndex(static_cast<int>(settings.scaleMode), kScaleCount);
    settings.scaleMode = static_cast<ScaleMode>(scale);

    settings.lineWidth = settings.thicknessIndex + 1;
    settings.dotRadius = settings.dotSizeIndex + 2;
    settings.sizeFactor = SizeFactorForIndex(settings.sizeIndex);

    GraphDialogChecks checks;
    checks.thicknessButton = kFirstThicknessButton + settings.thicknessIndex;
    checks.dotButton = kFirstDotButton + settings.dotSizeIndex;
    checks.sizeButton = kFirstSizeButton + settings.sizeIndex;
    checks.scaleButton = kFirstScaleButton + scale;
    return checks;
}

bool ApplyGraphSettingsClick(GraphSettings& settings, int buttonId) {
    if (InRange(buttonId, kFirstThicknessButton, kThicknessCount)) {
        settings.thicknessIndex = buttonId - kFirstThicknessButton;
        settings.lineWidth = settings.thicknessIndex + 1;
    } else if (InRange(buttonId, kFirstDotButton, kDotCount)) {
        settings.dotSizeIndex = buttonId - kFirstDotButton;
        settings.dotRadius = settings.dotSizeIndex + 2;
    } else if (InRange(buttonId, kFirstSizeButton, kSizeCount)) {
        settings.sizeIndex = buttonId - kFirstSizeButton;
        settings.sizeFactor = SizeFactorForIndex(settings.sizeIndex);
    } else if (InRange(buttonId, kFirstScaleButton, kScaleCount)) {
        settings.scaleMode = static_cast<ScaleMode>(buttonId - kFirstScaleButton);
    } else {
        return false;
    }
    return true;
}

void AcceptGraphSettings(GraphSettings& settings, const std::array<bool, kGraphRadioButtonCount>& checked) {
    for (int k = 0; k < kGraphRadioButtonCount; ++k) {
        if (checked[k]) ApplyGraphSettingsClick(settings, kFirstThicknessButton + k);
    }
}

bool StoreGraphDialogAnswer(GraphSettings& remembered, const GraphDialogAnswer& answer) {
    remembered = answer.settings;
    return answer.outcome == GraphDialogOutcome::Accepted;
}

}  // namespace plorimet
