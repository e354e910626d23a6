// The program's dialogs as data, for every front end: the fit settings (Analysis), the graph
// settings (Draw Graph), the column numbers (Paste Data) and About. A command's Begin step
// gives a DialogView: the caption, the items in the order they are laid out (texts in the
// program's language, the choices and texts a dialog opens with) and the buttons. The front
// end shows it, asks the model what an edit leaves in a field, and hands the DialogAnswer to
// the command's Finish step. No control ids: items and options are indices.
#pragma once

#include <string>
#include <vector>

#include "base/messages.h"
#include "data/sheet_text.h"
#include "fit/fit_settings.h"
#include "graph/graph_settings.h"

namespace plorimet {

enum class DialogKind { FitSettings, GraphSettings, Columns, About };

enum class DialogItemKind {
    Note,    // a text
    Choice,  // a titled group of options, one of them chosen
    Entry,   // a labelled field to type into, with a list to choose from
    Frame,   // a titled frame round the next `framed` items
};

// What a change leaves in an entry (see EntryTextAfterEdit).
enum class EntryRule { None, Degree, XColumn, YColumn };

struct DialogItem {
    DialogItemKind kind = DialogItemKind::Note;
    std::string text;                  // a Note's text, a Choice's or Frame's title, an Entry's label
    std::vector<std::string> options;  // a Choice's options; an Entry's list
    int chosen = -1;                   // a Choice: the option chosen when the dialog opens
    std::string value;                 // an Entry: its text when the dialog opens
    bool enabled = true;               // an Entry: false when there is nothing to choose
    EntryRule rule = EntryRule::None;  // an Entry's rule, and the count it checks against
    int ruleCount = 0;                 // (pairs for the degree, columns for a column number)
    int framed = 0;                    // a Frame: how many of the next items it holds
};

struct DialogView {
    DialogKind kind = DialogKind::About;
    UiLanguage language = UiLanguage::English;  // of every text
    std::string caption;
    std::vector<DialogItem> items;
    std::string okText;
    std::string cancelText;  // empty: the dialog has no Cancel button, and Escape does nothing

    // Made, moved and freed in one place rather than at every front end's call (which keeps the
    // window's program small); copied only where a copy is asked for.
    DialogView();
    DialogView(const DialogView& other) = default;
    DialogView(DialogView&& other) noexcept;
    DialogView& operator=(const DialogView& other) = default;
    DialogView& operator=(DialogView&& other) noexcept;
    ~DialogView();
};

// How a dialog ended and what it holds then. Cancel, the close box and a failure in the dialog
// are not accepted; a cancelled graph dialog still keeps its choices.
struct DialogAnswer {
    bool accepted = false;
    std::vector<int> choices;        // per item: a Choice's option, -1 for the other items
    std::vector<std::string> texts;  // per item: an Entry's text

    DialogAnswer();
    DialogAnswer(const DialogAnswer& other) = default;
    DialogAnswer(DialogAnswer&& other) noexcept;
    DialogAnswer& operator=(const DialogAnswer& other) = default;
    DialogAnswer& operator=(DialogAnswer&& other) noexcept;
    ~DialogAnswer();
};

// The texts of the OK and Cancel buttons, also for a front end's own dialogs (the page's name
// dialog).
struct ButtonTexts {
    std::string ok;
    std::string cancel;
};
ButtonTexts DialogButtonTexts(UiLanguage language);

// The answer as the dialog opens: its choices and texts, not accepted.
DialogAnswer OpeningAnswer(const DialogView& view);
// A click on an option: taken at once; false (nothing changes) for an item that is no Choice
// or an option outside it.
bool ChooseOption(DialogAnswer& answer, const DialogView& view, int item, int option);
// The option of a Choice at OK, for a front end whose options report themselves checked: the
// last checked one, or the last chosen when none reports itself checked.
int ChoiceAtOk(const std::vector<bool>& checked, int lastChosen);
// The text an entry holds after the user changed it to `typed`: kept when it begins one of
// the listed numbers (the empty text begins every one), otherwise the entry's default.
std::string EntryTextAfterEdit(const DialogItem& entry, const std::string& typed);

// The controls that show a view, one per text, item by item: a Choice is its title and one
// control per option, a Note one control, an Entry its label and its field, a Frame its title.
// The window's dialog templates hold them in this order after their push buttons.
enum class DialogControlRole { Title, Option, Note, Label, Field };
struct DialogControl {
    DialogControlRole role = DialogControlRole::Note;
    int item = 0;
    int option = -1;  // an Option's index in its Choice
};
std::vector<DialogControl> DialogControls(const DialogView& view);
// The text a control shows when the dialog opens.
const std::string& DialogControlText(const DialogView& view, const DialogControl& control);

// ---- The dialogs ------------------------------------------------------------------------
// Fit settings: the digits of the coefficients (3..6), advice, the degree.
constexpr int kFitDigitsItem = 0;
constexpr int kFitAdviceItem = 1;
constexpr int kFitDegreeItem = 2;
DialogView DescribeFitDialog(const FitDialogRequest& request);
// Cancelled unless accepted; the digits outside 3..6 are the request's.
FitDialogAnswer FitAnswerOf(const FitDialogRequest& request, const DialogAnswer& answer);

// Graph settings: one Choice per GraphGroup, item k for group k.
DialogView DescribeGraphDialog(const GraphDialogRequest& request);
// The request's settings with each group's choice (a choice outside its group changes
// nothing), accepted or cancelled.
GraphDialogAnswer GraphAnswerOf(const GraphDialogRequest& request, const DialogAnswer& answer);

// Column numbers: advice, a frame round the X and Y entries.
constexpr int kColumnAdviceItem = 0;
constexpr int kColumnFrameItem = 1;
constexpr int kColumnXItem = 2;
constexpr int kColumnYItem = 3;
// Each box lists "1" .. columnCount, but no more than the first kColumnListLimit: a text of
// thousands of columns gives no list of thousands to choose from, and any column can still be
// typed (its rule judges the typed text alone).
constexpr int kColumnListLimit = 100;
DialogView DescribeColumnDialog(const ColumnDialogRequest& request);
ColumnDialogAnswer ColumnAnswerOf(const ColumnDialogRequest& request, const DialogAnswer& answer);

// About: the program's name and version, then what it does and where to report bugs; OK only.
DialogView DescribeAboutDialog(UiLanguage language);

}  // namespace plorimet
