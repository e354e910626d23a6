// The graph settings and the decisions of their dialog, free of any window.
//
// The dialog's radio buttons are plain ones: the dialog procedure checks them itself, one
// group at a time, so every decision about what is checked and what is stored lives here.
#pragma once

#include <array>

#include "base/messages.h"
#include "resource_ids.h"

namespace plorimet {

enum class ScaleMode { ScaleNone = 0, ScaleTicks = 1, ScaleGrid = 2 };

// One process-wide instance, all zero at start: the first dialog therefore opens with a
// 1-pixel line, 5-pixel dots, 100 % and no marks. The three indices and scaleMode are what
// is remembered; lineWidth, dotRadius and sizeFactor are derived from them by the dialog.
struct GraphSettings {
    int thicknessIndex = 0;  // 0..4
    int lineWidth = 0;       // 1..5 pixels, thicknessIndex + 1
    int dotSizeIndex = 0;    // 0..4
    int dotRadius = 0;       // 2..6 pixels, dotSizeIndex + 2
    int sizeIndex = 0;       // 0..2 for 100, 70, 50 %
    double sizeFactor = 0.0; // 1.0, 0.7, 0.5 (the doubles nearest to them)
    ScaleMode scaleMode = ScaleMode::ScaleNone;
};

// Control identifiers of the dialog's radio buttons, one contiguous run per group.
constexpr int kFirstThicknessButton = IDC_THICKNESS_1;  // "1".."5"
constexpr int kFirstDotButton = IDC_DOT_5;              // "5".."13"
constexpr int kFirstSizeButton = IDC_SIZE_100;          // "100", "70", "50"
constexpr int kFirstScaleButton = IDC_SCALE_NONE;       // "None", "Scale", "Grid"
constexpr int kLastGraphRadioButton = IDC_SCALE_GRID;
static_assert(kFirstThicknessButton + 4 == IDC_THICKNESS_5 && kFirstDotButton == IDC_THICKNESS_5 + 1);
static_assert(kFirstDotButton + 4 == IDC_DOT_13 && kFirstSizeButton == IDC_DOT_13 + 1);
static_assert(kFirstSizeButton + 2 == IDC_SIZE_50 && kFirstScaleButton == IDC_SIZE_50 + 1);
static_assert(kFirstScaleButton + 2 == kLastGraphRadioButton);
constexpr int kGraphRadioButtonCount = kLastGraphRadioButton - kFirstThicknessButton + 1;  // 16

// 0 -> 1.0, 1 -> 0.7, 2 -> 0.5; any other index is taken as 100 %.
double SizeFactorForIndex(int sizeIndex);

// An identifier range for CheckRadioButton.
struct RadioGroup {
    int first = 0;
    int last = 0;
};

// The group a radio button belongs to; {0, 0} for an identifier outside 221..236.
RadioGroup RadioGroupOf(int buttonId);

// The button to check in each of the four groups.
struct GraphDialogChecks {
    int thicknessButton = 0;
    int dotButton = 0;
    int sizeButton = 0;
    int scaleButton = 0;
};

// Dialog initialisation: derives lineWidth, dotRadius and sizeFactor from the remembered
// state and says which button of each group to check. Indices outside their range (never
// written by the dialog) are brought back to the first button so that the checks and the
// derived values always agree.
GraphDialogChecks InitGraphSettingsDialog(GraphSettings& settings);

// A click on a radio button takes effect at once. Returns false (and changes nothing) for an
// identifier outside 221..236; the caller then checks nothing.
bool ApplyGraphSettingsClick(GraphSettings& settings, int buttonId);

// OK: checked[k] tells whether button 221 + k reports itself checked. Every checked button,
// in ascending order, stores its click again.
void AcceptGraphSettings(GraphSettings& settings, const std::array<bool, kGraphRadioButtonCount>& checked);

// What the dialog opens with: the remembered settings.
struct GraphDialogRequest {
    UiLanguage language = UiLanguage::English;
    GraphSettings settings;
};

enum class GraphDialogOutcome { Accepted = 0, Cancelled = 1 };

// How the dialog ended (OK; or Cancel, the close box or a failure in the dialog), and the
// settings as the dialog left them: its initialisation and every click, also when cancelled.
struct GraphDialogAnswer {
    GraphDialogOutcome outcome = GraphDialogOutcome::Cancelled;
    GraphSettings settings;
};

// Remembers the answer's settings whatever the outcome (Cancel does not undo the clicks, so
// the next dialog opens with them) and returns whether the graph is drawn.
bool StoreGraphDialogAnswer(GraphSettings& remembered, const GraphDialogAnswer& answer);

}  // namespace plorimet
