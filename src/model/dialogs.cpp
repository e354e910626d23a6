#include "model/dialogs.h"

#include <algorithm>
#include <utility>

namespace plorimet {

namespace {

// A text of the dialogs in the program's two languages.
struct Words {
    const char* english;
    const char* japanese;

    const char* In(UiLanguage language) const { return language == UiLanguage::Japanese ? japanese : english; }
};

constexpr Words kOk = {"OK", "OK"};
constexpr Words kCancel = {"Cancel", "ｷｬﾝｾﾙ"};

constexpr Words kFitCaption = {"Plorimet", "Plorimet"};
constexpr Words kFitDigits = {"Digits of Coefficient", "係数の桁数"};
constexpr Words kFitAdvice = {"It is recommended to apply\nDegree of Equation <= 10.",
                              "近似式の次数 <= １０\nの適用を推奨します."};
constexpr Words kFitDegree = {"Degree of Equation", "近似式の次数"};

constexpr Words kColumnCaption = {"Select Excel Column Numbers", "Excelのカラム(縦列)番号の選択"};
constexpr Words kColumnAdvice = {
    "N0. 1 is left column, No. 2 is second left column, and so on for the Excel columns copied.",
    "コピーしたExcelのカラムの左から１番目、２番目、... と数えます."};
constexpr Words kColumnFrame = {"Column numbers to be pasted", "貼付けるカラム番号"};
constexpr Words kColumnX = {"X Column :", "Ｘカラム："};
constexpr Words kColumnY = {"Y Column :", "Ｙカラム："};

constexpr Words kGraphCaption = {"Graph Specification", "グラフの指定"};
// Each group's title and its options (GraphChoiceCount of them).
struct GraphGroupWords {
    Words title;
    Words options[5];
};
constexpr GraphGroupWords kGraphGroups[kGraphGroupCount] = {
    {{"Line Thickness", "線の太さ"}, {{"1", "1"}, {"2", "2"}, {"3", "3"}, {"4", "4"}, {"5", "5"}}},
    {{"Dot Size", "点の大きさ"}, {{"5", "5"}, {"7", "7"}, {"9", "9"}, {"11", "11"}, {"13", "13"}}},
    {{"Graph Size (%)", "グラフの大きさ (%)"}, {{"100", "100"}, {"70", "70"}, {"50", "50"}}},
    {{"Scale/Grid", "目盛・格子"}, {{"None", "なし"}, {"Scale", "目盛"}, {"Grid", "格子"}}},
};

constexpr Words kAboutCaption = {"About", "御案内"};
constexpr Words kAboutHeading = {"*** Plorimet (V 1.42) ***", "*** Plorimet (V 1.42) ***"};
// The description ends with the maker's line: name, version and where to report bugs.
constexpr Words kAboutText = {
    "Polynomial approximation is executed for (X,Y) data.\n\nReport bugs and suggestions would be "
    "appreciated.\n\nPlorimet 1.42 - report bugs in the issue tracker",
    "(X,Y)データの多項式近似を行います.\n\nバグ・レポート、コメントを歓迎します.\n\nPlorimet 1.42 不具合は課題管理へ"};

DialogView ViewWithButtons(DialogKind kind, const Words& caption, UiLanguage language, bool cancels) {
    DialogView view;
    view.kind = kind;
    view.language = language;
    view.caption = caption.In(language);
    const ButtonTexts buttons = DialogButtonTexts(language);
    view.okText = buttons.ok;
    if (cancels) view.cancelText = buttons.cancel;
    return view;
}

// A new item of the view, of a kind and with its text.
DialogItem& AddItem(DialogView& view, DialogItemKind kind, const Words& text) {
    DialogItem& item = view.items.emplace_back();
    item.kind = kind;
    item.text = text.In(view.language);
    return item;
}

void AddColumnEntry(DialogView& view, const Words& label, EntryRule rule, int proposed, int columnCount) {
    DialogItem& item = AddItem(view, DialogItemKind::Entry, label);
    for (int column = 1; column <= std::min(columnCount, kColumnListLimit); ++column)
        item.options.push_back(std::to_string(column));
    item.value = std::to_string(proposed);
    item.rule = rule;
    item.ruleCount = columnCount;
}

bool IsChoice(const DialogView& view, int item) {
    return item >= 0 && item < static_cast<int>(view.items.size()) &&
           view.items[static_cast<size_t>(item)].kind == DialogItemKind::Choice;
}

int ChoiceOf(const DialogAnswer& answer, int item) {
    return item >= 0 && item < static_cast<int>(answer.choices.size()) ? answer.choices[static_cast<size_t>(item)]
                                                                       : -1;
}

std::string TextOf(const DialogAnswer& answer, int item) {
    return item >= 0 && item < static_cast<int>(answer.texts.size()) ? answer.texts[static_cast<size_t>(item)]
                                                                     : std::string();
}

}  // namespace

DialogView::DialogView() = default;
DialogView::DialogView(DialogView&& other) noexcept = default;
DialogView& DialogView::operator=(DialogView&& other) noexcept = default;
DialogView::~DialogView() = default;

DialogAnswer::DialogAnswer() = default;
DialogAnswer::DialogAnswer(DialogAnswer&& other) noexcept = default;
DialogAnswer& DialogAnswer::operator=(DialogAnswer&& other) noexcept = default;
DialogAnswer::~DialogAnswer() = default;

ButtonTexts DialogButtonTexts(UiLanguage language) {
    return {kOk.In(language), kCancel.In(language)};
}

DialogAnswer OpeningAnswer(const DialogView& view) {
    DialogAnswer answer;
    answer.choices.assign(view.items.size(), -1);
    answer.texts.resize(view.items.size());
    for (size_t k = 0; k < view.items.size(); ++k) {
        const DialogItem& item = view.items[k];
        if (item.kind == DialogItemKind::Choice) answer.choices[k] = item.chosen;
        if (item.kind == DialogItemKind::Entry) answer.texts[k] = item.value;
    }
    return answer;
}

bool ChooseOption(DialogAnswer& answer, const DialogView& view, int item, int option) {
    if (!IsChoice(view, item) || item >= static_cast<int>(answer.choices.size())) return false;
    if (option < 0 || option >= static_cast<int>(view.items[static_cast<size_t>(item)].options.size())) return false;
    answer.choices[static_cast<size_t>(item)] = option;
    return true;
}

int ChoiceAtOk(const std::vector<bool>& checked, int lastChosen) {
    for (size_t option = checked.size(); option-- > 0;)
        if (checked[option]) return static_cast<int>(option);
    return lastChosen;
}

std::string EntryTextAfterEdit(const DialogItem& entry, const std::string& typed) {
    switch (entry.rule) {
        case EntryRule::Degree:
            return ValidateDegreeText(typed, entry.ruleCount);
        case EntryRule::XColumn:
            return ValidateColumnText(typed, ColumnBox::X, entry.ruleCount);
        case EntryRule::YColumn:
            return ValidateColumnText(typed, ColumnBox::Y, entry.ruleCount);
        case EntryRule::None:
            break;
    }
    return typed;
}

std::vector<DialogControl> DialogControls(const DialogView& view) {
    std::vector<DialogControl> controls;
    for (int k = 0; k < static_cast<int>(view.items.size()); ++k) {
        const DialogItem& item = view.items[static_cast<size_t>(k)];
        switch (item.kind) {
            case DialogItemKind::Note:
                controls.push_back({DialogControlRole::Note, k, -1});
                break;
            case DialogItemKind::Choice:
                controls.push_back({DialogControlRole::Title, k, -1});
                for (int option = 0; option < static_cast<int>(item.options.size()); ++option)
                    controls.push_back({DialogControlRole::Option, k, option});
                break;
            case DialogItemKind::Entry:
                controls.push_back({DialogControlRole::Label, k, -1});
                controls.push_back({DialogControlRole::Field, k, -1});
                break;
            case DialogItemKind::Frame:
                controls.push_back({DialogControlRole::Title, k, -1});
                break;
        }
    }
    return controls;
}

const std::string& DialogControlText(const DialogView& view, const DialogControl& control) {
    const DialogItem& item = view.items.at(static_cast<size_t>(control.item));
    switch (control.role) {
        case DialogControlRole::Option:
            return item.options.at(static_cast<size_t>(control.option));
        case DialogControlRole::Field:
            return item.value;
        default:
            return item.text;
    }
}

// ---- Fit settings -------------------------------------------------------------------------

DialogView DescribeFitDialog(const FitDialogRequest& request) {
    FitDialogOpening opening = OpenFitDialog(request);
    DialogView view = ViewWithButtons(DialogKind::FitSettings, kFitCaption, request.language, true);
    DialogItem& digits = AddItem(view, DialogItemKind::Choice, kFitDigits);
    for (int k = 0; k < kDigitChoices; ++k) digits.options.push_back(std::to_string(SignificantDigits(k)));
    digits.chosen = opening.digitsIndex;
    AddItem(view, DialogItemKind::Note, kFitAdvice);
    DialogItem& degree = AddItem(view, DialogItemKind::Entry, kFitDegree);
    degree.options = std::move(opening.degrees);
    degree.value = std::move(opening.degreeText);
    degree.enabled = opening.degreeEnabled;
    degree.rule = EntryRule::Degree;
    degree.ruleCount = request.pairCount;
    return view;
}

FitDialogAnswer FitAnswerOf(const FitDialogRequest& request, const DialogAnswer& answer) {
    if (!answer.accepted) return FitDialogAnswer{};  // Cancelled
    return AcceptFitSettings(request, TextOf(answer, kFitDegreeItem), ChoiceOf(answer, kFitDigitsItem),
                             request.digitsIndex);
}

// ---- Graph settings -----------------------------------------------------------------------

DialogView DescribeGraphDialog(const GraphDialogRequest& request) {
    GraphSettings settings = request.settings;
    const GraphChoices chosen = InitGraphSettingsDialog(settings);
    DialogView view = ViewWithButtons(DialogKind::GraphSettings, kGraphCaption, request.language, true);
    for (int group = 0; group < kGraphGroupCount; ++group) {
        DialogItem& item = AddItem(view, DialogItemKind::Choice, kGraphGroups[group].title);
        for (int option = 0; option < GraphChoiceCount(static_cast<GraphGroup>(group)); ++option)
            item.options.emplace_back(kGraphGroups[group].options[option].In(request.language));
        item.chosen = chosen[group];
    }
    return view;
}

GraphDialogAnswer GraphAnswerOf(const GraphDialogRequest& request, const DialogAnswer& answer) {
    GraphDialogAnswer result;
    result.outcome = answer.accepted ? GraphDialogOutcome::Accepted : GraphDialogOutcome::Cancelled;
    result.settings = request.settings;
    InitGraphSettingsDialog(result.settings);
    for (int group = 0; group < kGraphGroupCount; ++group)
        ChooseGraphSetting(result.settings, static_cast<GraphGroup>(group), ChoiceOf(answer, group));
    return result;
}

// ---- Column numbers -----------------------------------------------------------------------

DialogView DescribeColumnDialog(const ColumnDialogRequest& request) {
    DialogView view = ViewWithButtons(DialogKind::Columns, kColumnCaption, request.language, true);
    AddItem(view, DialogItemKind::Note, kColumnAdvice);
    AddItem(view, DialogItemKind::Frame, kColumnFrame).framed = 2;
    AddColumnEntry(view, kColumnX, EntryRule::XColumn, request.proposedX, request.columnCount);
    AddColumnEntry(view, kColumnY, EntryRule::YColumn, request.proposedY, request.columnCount);
    return view;
}

ColumnDialogAnswer ColumnAnswerOf(const ColumnDialogRequest& request, const DialogAnswer& answer) {
    if (!answer.accepted) return ColumnDialogAnswer{};  // Cancelled
    return ReadColumnNumbers(TextOf(answer, kColumnXItem), TextOf(answer, kColumnYItem), request.columnCount);
}

// ---- About --------------------------------------------------------------------------------

DialogView DescribeAboutDialog(UiLanguage language) {
    DialogView view = ViewWithButtons(DialogKind::About, kAboutCaption, language, false);
    AddItem(view, DialogItemKind::Note, kAboutHeading);
    AddItem(view, DialogItemKind::Note, kAboutText);
    return view;
}

}  // namespace plorimet
