// The graph settings and the decisions of their dialog, free of any window.
//
// The dialog has four groups of choices (line, dot, size, scale); every setting is a choice
// index within its group, whatever shows the choices (radio buttons, a page's inputs).
#pragma once

#include <array>

#include "base/messages.h"

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

// The dialog's groups, in the order it shows them: line thickness 1..5 pixels, dot size
// 5..13, graph size 100, 70, 50 %, scale none, ticks, grid.
enum class GraphGroup { Line = 0, Dot = 1, Size = 2, Scale = 3 };
constexpr int kGraphGroupCount = 4;
// How many choices a group has: 5, 5, 3, 3.
int GraphChoiceCount(GraphGroup group);

// The choice of each group, indexed by GraphGroup.
using GraphChoices = std::array<int, kGraphGroupCount>;

// 0 -> 1.0, 1 -> 0.7, 2 -> 0.5; any other index is taken as 100 %.
double SizeFactorForIndex(int sizeIndex);

// Dialog initialisation: derives lineWidth, dotRadius and sizeFactor from the remembered
// state and gives the choice of each group. Indices outside their group (never written by the
// dialog) are brought back to the first choice so that the choices and the derived values
// always agree.
GraphChoices InitGraphSettingsDialog(GraphSettings& settings);

// A choice takes effect at once. Returns false (and changes nothing) for a choice outside
// its group.
bool ChooseGraphSetting(GraphSettings& settings, GraphGroup group, int choice);

// What the dialog opens with: the remembered settings.
struct GraphDialogRequest {
    UiLanguage language = UiLanguage::English;
    GraphSettings settings;
};

enum class GraphDialogOutcome { Accepted = 0, Cancelled = 1 };

// How the dialog ended (OK; or Cancel, the close box or a failure in the dialog), and the
// settings as the dialog left them: its initialisation and every choice, also when cancelled.
struct GraphDialogAnswer {
    GraphDialogOutcome outcome = GraphDialogOutcome::Cancelled;
    GraphSettings settings;
};

// Remembers the answer's settings whatever the outcome (Cancel does not undo the choices, so
// the next dialog opens with them) and returns whether the graph is drawn.
bool StoreGraphDialogAnswer(GraphSettings& remembered, const GraphDialogAnswer& answer);

}  // namespace plorimet
