#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "graph/dib.h"

#include "base/keys.h"
#include "model/commands.h"
#include "model/dialogs.h"
#include "model/fit_details.h"

namespace plorimet {
namespace {

using C = Command;

// Fills pair k's cells with the texts, through the cell rule.
ProgramState WithPairs(const std::vector<std::pair<const char*, const char*>>& pairs) {
    ProgramState state;
    for (size_t k = 0; k < pairs.size(); ++k) {
        EditCell(state, static_cast<int>(k), pairs[k].first);
        EditCell(state, kMaxPairs + static_cast<int>(k), pairs[k].second);
    }
    return state;
}

// The fit settings dialog ended with OK on a degree and digits.
DialogAnswer Ok(const DialogView& fit, const char* degree = "1", int digits = 0) {
    DialogAnswer answer = OpeningAnswer(fit);
    answer.accepted = true;
    answer.texts[kFitDegreeItem] = degree;
    answer.choices[kFitDigitsItem] = digits;
    return answer;
}

// The graph settings dialog with a choice in each group.
DialogAnswer GraphAnswer(const DialogView& graph, bool accepted, const GraphChoices& choices = {}) {
    DialogAnswer answer = OpeningAnswer(graph);
    answer.accepted = accepted;
    for (int group = 0; group < kGraphGroupCount; ++group) answer.choices[group] = choices[group];
    return answer;
}

// Reads the bytes as the page's file reader does, in one slice.
Outcome ReadBytes(ProgramState& state, const std::string& bytes) {
    DataFileRead read;
    read.Feed(bytes);
    return read.Finish(state);
}

std::vector<C> Enabled(ViewState view) {
    std::vector<C> enabled;
    const auto all = EnabledCommands(view);
    for (int k = 0; k < kCommandCount; ++k)
        if (all[k]) enabled.push_back(static_cast<C>(k));
    return enabled;
}

TEST(Model, ViewCycleAndTheCommandsOfEachView) {
    const std::vector<C> always = {C::InputData, C::About, C::Help, C::Exit};
    auto with = [&](std::vector<C> more) {
        more.insert(more.end(), always.begin(), always.end());
        std::sort(more.begin(), more.end());
        return more;
    };
    ProgramState state;
    struct Step {
        const char* what;
        std::function<void()> run;
        ViewState view;
        std::vector<C> enabled;
    };
    const Step steps[] = {
        {"start", [] {}, ViewState::Initial, with({})},
        {"Input Data", [&] { FinishInputData(state, false); }, ViewState::DataInput,
         with({C::ReadData, C::PasteData, C::Analysis})},
        {"a cancelled Analysis", [&] { FinishAnalysis(state, OpeningAnswer(BeginAnalysis(state))); },
         ViewState::DataInput, with({C::ReadData, C::PasteData, C::Analysis})},
        {"Analysis", [&] { EXPECT_EQ(ReadBytes(state, "1 1\n2 3\n3 2\n").hasMessage, false);
                           FinishAnalysis(state, Ok(BeginAnalysis(state))); },
         ViewState::Equation, with({C::SaveData, C::DrawGraph})},
        {"Draw Graph", [&] { ASSERT_TRUE(FinishDrawGraph(state, GraphAnswer(BeginDrawGraph(state), true)).drawsGraph);
                             DrawGraphPicture(state); },
         ViewState::Graph, with({C::CopyGraph, C::SaveGraph})},
        {"Input Data again", [&] { FinishInputData(state, false); }, ViewState::DataInput,
         with({C::ReadData, C::PasteData, C::Analysis})},
    };
    for (const Step& step : steps) {
        step.run();
        EXPECT_EQ(state.view, step.view) << step.what;
        EXPECT_EQ(Enabled(state.view), step.enabled) << step.what;
        for (C c : step.enabled) EXPECT_TRUE(IsCommandEnabled(c, state.view));
    }
}

TEST(Model, KeysMoveInTheGridOrGiveTheViewsCommands) {
    struct Row {
        ViewState view;
        int from;
        KeyPress key;
        int focusCell;
        std::optional<C> command;
        bool copies;
    };
    const Row rows[] = {
        {ViewState::DataInput, 0, {kKeyTab}, 45, std::nullopt, false},
        {ViewState::DataInput, -1, {kKeyDown}, 0, std::nullopt, false},
        {ViewState::DataInput, 3, {kKeyF5}, -1, C::Analysis, false},
        {ViewState::Equation, -1, {kKeyF5}, -1, std::nullopt, false},  // Analysis is off there
        {ViewState::Equation, -1, {kKeyTab}, -1, std::nullopt, false},
        {ViewState::Equation, -1, {'C', true}, -1, std::nullopt, true},
        {ViewState::Graph, -1, {'S', true}, -1, C::SaveGraph, false},
    };
    for (const Row& row : rows) {
        const KeyAction action = ActionForKey(row.view, row.from, row.key);
        EXPECT_EQ(action.taken, row.focusCell >= 0 || row.command || row.copies) << row.key.key;
        EXPECT_EQ(action.focusCell, row.focusCell) << row.key.key;
        EXPECT_EQ(action.hasCommand ? std::optional(action.command) : std::nullopt, row.command) << row.key.key;
        EXPECT_EQ(action.copiesEquation, row.copies) << row.key.key;
    }
}

// The page's own controls take the focus too: their keys are theirs, and Tab leaves the grid at
// its two ends instead of staying there (which kept the keyboard in the grid).
TEST(Model, KeysOfAFrontEndWhoseControlsTakeTheFocus) {
    struct Row {
        KeyFocus focus;
        KeyPress key;
        bool taken;
        int focusCell;
        int leavesGrid;
        bool copies;
        ViewState view = ViewState::DataInput;
    };
    const KeyPress tab{kKeyTab}, backTab{kKeyTab, false, true}, enter{kKeyEnter}, down{kKeyDown};
    const Row rows[] = {
        {{89, false, true}, tab, true, -1, 1, false},        // Y 45: on to the tool bar
        {{0, false, true}, backTab, true, -1, -1, false},    // X 1: back to the tool bar
        {{89, false, false}, tab, true, 89, 0, false},       // the window: the cell stays
        {{44, false, true}, tab, true, 89, 0, false},        // X 45 to Y 45
        {{44, false, true}, down, true, 44, 0, false},       // Down at the last pair stays
        {{-1, true, true}, enter, false, -1, 0, false},      // a focused button's own Enter
        {{-1, true, true}, tab, false, -1, 0, false},
        {{-1, true, true}, {kKeyF5}, true, -1, 0, false},    // a command key still is the program's
        {{-1, false, true}, {'C', true}, true, -1, 0, true, ViewState::Equation},
        {{-1, false, true, true}, {'C', true}, false, -1, 0, false, ViewState::Equation},  // the selection's copy
    };
    for (const Row& row : rows) {
        const KeyAction action = ActionForKey(row.view, row.focus, row.key);
        EXPECT_EQ(action.taken, row.taken) << row.focus.cell << " " << row.key.key;
        EXPECT_EQ(action.focusCell, row.focusCell) << row.focus.cell << " " << row.key.key;
        EXPECT_EQ(action.leavesGrid, row.leavesGrid) << row.focus.cell << " " << row.key.key;
        EXPECT_EQ(action.copiesEquation, row.copies) << row.focus.cell << " " << row.key.key;
    }
}

// While a dialog is open, no command key reaches the browser (F5 reloaded the page, Ctrl+S
// saved it, F1 opened the browser's help); a text field keeps its copy and paste.
TEST(Model, CommandKeysAreHeldWhileADialogIsOpen) {
    for (const KeyPress& key : {KeyPress{kKeyF5}, KeyPress{kKeyF1}, KeyPress{kKeyF1, true}, KeyPress{'S', true},
                                KeyPress{'O', true}, KeyPress{'N', true}, KeyPress{'G', true}})
        EXPECT_TRUE(KeyHeldDuringDialog(key)) << key.key;
    for (const KeyPress& key : {KeyPress{'C', true}, KeyPress{'V', true, true}, KeyPress{'V', true}, KeyPress{kKeyTab},
                                KeyPress{'S'}, KeyPress{kKeyF5, false, false, true}})
        EXPECT_FALSE(KeyHeldDuringDialog(key)) << key.key;
    EXPECT_EQ(CommandKeyName(CommandId(C::PasteData), KeyNameForm::Readable), "Ctrl+Shift+V");
    EXPECT_EQ(CommandKeyName(CommandId(C::PasteData), KeyNameForm::Aria), "Control+Shift+V");
    EXPECT_EQ(CommandKeyName(CommandId(C::Analysis), KeyNameForm::Aria), "F5");
    EXPECT_EQ(CommandKeyName(CommandId(C::About), KeyNameForm::Readable), "Ctrl+F1");
    EXPECT_EQ(CommandKeyName(CommandId(C::Exit), KeyNameForm::Readable), "");
}

TEST(Model, InputDataAsksOnlyWhenTheDataSetHoldsTextsAndYesClearsThem) {
    struct Row {
        ViewState view;
        const char* pasted;  // into the data set before Input Data
        bool yes;
        bool asks;
        const char* firstCell;
    };
    const Row rows[] = {
        {ViewState::Equation, "", false, false, ""},
        {ViewState::Equation, "1\t2\r\n", false, true, "1"},
        {ViewState::Equation, "1\t2\r\n", true, true, ""},
        {ViewState::Initial, "1\t2\r\n", false, true, ""},  // the start picture's data set goes
    };
    for (const Row& row : rows) {
        ProgramState state;
        if (*row.pasted) BeginPasteText(state, row.pasted);
        state.view = row.view;
        state.fitResult.equationShown = true;
        EXPECT_EQ(BeginInputData(state).asks, row.asks) << row.pasted;
        const Outcome outcome = FinishInputData(state, row.yes);
        EXPECT_TRUE(outcome.cellsChanged && outcome.viewChanged);
        EXPECT_EQ(state.cells[0], row.firstCell) << row.pasted << row.yes;
        EXPECT_FALSE(state.fitResult.equationShown);
    }
}

TEST(Model, CellsKeepTenCharactersThatObeyTheRule) {
    ProgramState state;
    EXPECT_EQ(EditCell(state, 0, "-12.5x"), "-12.5");
    EXPECT_EQ(EditCell(state, 89, "123456789012"), "1234567890");
    EXPECT_EQ(EditCell(state, 90, "1"), "");
    EXPECT_EQ(state.cells[89], "1234567890");
    // The window's cell, which checks itself after each change, loses one character at a time.
    EXPECT_EQ(CellTextAfterChange("-1.5"), std::nullopt);
    EXPECT_EQ(CellTextAfterChange("1.5.2"), "1.5.");
    EXPECT_EQ(CellTextAfterChange("1.5."), "1.5");
}

TEST(Model, AnalysisTakesTheCellsAndEndsWithTheEquationOrAMessage) {
    struct Row {
        std::vector<std::pair<const char*, const char*>> pairs;
        std::optional<DialogAnswer> (*answer)(const DialogView&);
        std::optional<MessageId> message;
        ViewState view;
    };
    const Row rows[] = {
        {{{"1", "1"}, {"2", "3"}, {"3", "2"}}, [](const DialogView& v) { return std::optional(Ok(v, "2", 1)); },
         std::nullopt, ViewState::Equation},
        {{{"1", "1"}}, [](const DialogView& v) { return std::optional(Ok(v)); }, MessageId::OnlyOneDataSet,
         ViewState::DataInput},
        {{{"1", "1"}, {"2", "3"}}, [](const DialogView&) { return std::optional<DialogAnswer>(); },
         MessageId::UnableToDisplayDialog, ViewState::DataInput},
        {{{"1", "1"}, {"2", "3"}}, [](const DialogView& v) { return std::optional(OpeningAnswer(v)); },
         std::nullopt, ViewState::DataInput},
    };
    for (const Row& row : rows) {
        ProgramState state = WithPairs(row.pairs);
        state.view = ViewState::DataInput;
        const FitSettings before = state.fitSettings;
        const DialogView fit = BeginAnalysis(state);
        EXPECT_EQ(state.dataSet.pairCount, static_cast<int>(row.pairs.size()));
        const Outcome outcome = FinishAnalysis(state, row.answer(fit));
        EXPECT_EQ(outcome.hasMessage ? std::optional(outcome.message) : std::nullopt, row.message);
        EXPECT_EQ(state.view, row.view);
        if (row.view == ViewState::Equation) {
            EXPECT_EQ(state.fitSettings.degree, 2);
            EXPECT_EQ(state.fitSettings.digitsIndex, 1);
            EXPECT_EQ(EquationCopyText(state).rfind(state.fitResult.equationText + "\r\n\r\n", 0), 0u);
        } else if (!row.message) {
            EXPECT_EQ(state.fitSettings.digitsIndex, before.digitsIndex);  // Cancel restores
            EXPECT_TRUE(EquationCopyText(state).empty());
        }
    }
}

TEST(Model, PasteAsksForColumnsFromThreeOnAndAgainWhenYIsNotRightOfX) {
    const std::string three = "1\t10\t100\r\n2\t20\t200\r\n";
    struct Row {
        std::optional<std::string> text;
        std::vector<std::optional<std::pair<const char*, const char*>>> answers;  // X and Y typed, or none
        std::vector<std::optional<MessageId>> messages;  // one per step
        const char* firstY;
    };
    const std::pair<const char*, const char*> cancel = {nullptr, nullptr};
    const auto ok = [](const char* x, const char* y) { return std::pair<const char*, const char*>(x, y); };
    // The column dialog ended with OK on the typed numbers (Cancel without them).
    const auto answer = [](const DialogView& columns, std::pair<const char*, const char*> typed) {
        DialogAnswer a = OpeningAnswer(columns);
        a.accepted = typed.first != nullptr;
        if (a.accepted) {
            a.texts[kColumnXItem] = typed.first;
            a.texts[kColumnYItem] = typed.second;
        }
        return a;
    };
    const Row rows[] = {
        {std::nullopt, {}, {MessageId::NoClipboardData}, ""},
        {"1\t2\r\n", {}, {std::nullopt}, "2"},
        {"1\t2", {}, {MessageId::IncorrectClipboardData}, ""},
        {three, {ok("1", "3")}, {std::nullopt, std::nullopt}, "100"},
        {three, {ok("3", "2"), ok("2", "3")}, {std::nullopt, MessageId::YColumnNotLarger, std::nullopt}, "100"},
        {three, {cancel}, {std::nullopt, std::nullopt}, ""},
        {three, {std::nullopt}, {std::nullopt, MessageId::UnableToDisplayDialog}, ""},
    };
    for (const Row& row : rows) {
        ProgramState state;
        PasteStep step = BeginPasteData(state, row.text);
        std::vector<std::optional<MessageId>> messages;
        for (size_t k = 0;; ++k) {
            messages.push_back(step.outcome.hasMessage ? std::optional(step.outcome.message) : std::nullopt);
            if (!step.asksColumns) break;
            EXPECT_EQ(step.columns.items[kColumnXItem].options.size(), 3u);
            const auto& typed = row.answers.at(k);
            step = FinishPasteData(state, *row.text,
                                   typed ? std::optional(answer(step.columns, *typed)) : std::nullopt);
        }
        EXPECT_EQ(messages, row.messages) << row.text.value_or("(none)");
        EXPECT_EQ(state.cells[kMaxPairs], row.firstY);
        EXPECT_EQ(state.dataSet.yText[0], row.firstY);
    }
    // The accepted columns are proposed next time.
    ProgramState state;
    FinishPasteData(state, three, answer(BeginPasteText(state, three).columns, ok("2", "3")));
    const PasteStep again = BeginPasteText(state, three);
    EXPECT_EQ(again.columns.items[kColumnXItem].value, "2");
    EXPECT_EQ(again.columns.items[kColumnYItem].value, "3");
}

// A row of a million tabs: the column dialog opens with a short list at once, each keystroke is
// judged without the list, and OK gets the window's message.
TEST(Model, PasteOfAMillionColumns) {
    const std::string text = std::string(1000000, '\t') + "\r\n";
    ProgramState state;
    const PasteStep asked = BeginPasteText(state, text);
    ASSERT_TRUE(asked.asksColumns);
    const DialogItem& y = asked.columns.items[kColumnYItem];
    EXPECT_EQ(asked.columns.items[kColumnXItem].options.size(), static_cast<size_t>(kColumnListLimit));
    EXPECT_EQ(EntryTextAfterEdit(y, "1000001"), "1000001");
    EXPECT_EQ(EntryTextAfterEdit(y, "1000002"), "1000001");
    DialogAnswer ok = OpeningAnswer(asked.columns);
    ok.accepted = true;
    ok.texts[kColumnXItem] = "1";
    ok.texts[kColumnYItem] = "1000001";
    EXPECT_EQ(FinishPasteData(state, text, ok).outcome.message, MessageId::MissingDatum);
    const PasteStep four = BeginPasteText(state, "1\t2\t3\t4\r\n");
    EXPECT_EQ(four.columns.items[kColumnXItem].options, (std::vector<std::string>{"1", "2", "3", "4"}));
}

TEST(Model, GraphDialogKeepsTheChoicesAlsoWhenCancelled) {
    ProgramState state = WithPairs({{"1", "1"}, {"2", "3"}, {"3", "2"}});
    FinishAnalysis(state, Ok(BeginAnalysis(state)));
    const DialogView graph = BeginDrawGraph(state);
    EXPECT_EQ(graph.items[static_cast<int>(GraphGroup::Line)].chosen, 0);
    const Outcome cancelled = FinishDrawGraph(state, GraphAnswer(graph, false, {2, 4, 1, 2}));
    EXPECT_FALSE(cancelled.drawsGraph);
    EXPECT_EQ(state.graphSettings.lineWidth, 3);
    EXPECT_EQ(state.graphSettings.dotRadius, 6);
    EXPECT_EQ(state.graphSettings.sizeFactor, 0.7);
    EXPECT_EQ(state.graphSettings.scaleMode, ScaleMode::ScaleGrid);
    const DialogView reopened = BeginDrawGraph(state);
    EXPECT_EQ(reopened.items[static_cast<int>(GraphGroup::Dot)].chosen, 4);
    EXPECT_EQ(FinishDrawGraph(state, std::nullopt).message, MessageId::UnableToDisplayDialog);

    ProgramState flat = WithPairs({{"1", "2"}, {"2", "2"}});
    FinishAnalysis(flat, Ok(BeginAnalysis(flat)));
    EXPECT_EQ(FinishDrawGraph(flat, GraphAnswer(BeginDrawGraph(flat), true)).message,
              MessageId::YValuesSame);
}

TEST(Model, FilesOfTheFrontEnds) {
    ProgramState state = WithPairs({{"1", "1"}, {"2", "3"}, {"3", "2"}});
    EXPECT_EQ(ReadBytes(state, "no data\r\n").message, MessageId::NoDataInFile);
    EXPECT_EQ(state.cells[0], "");
    DataFileRead sliced;  // the pairs of the slices as of the whole; the 45th ends the reading
    std::string file;
    for (int k = 1; k <= 46; ++k) file += std::to_string(k) + " 1\r\n";
    bool wanted = true;
    for (size_t at = 0; at < file.size() && wanted; at += 7) wanted = sliced.Feed(file.substr(at, 7));
    EXPECT_FALSE(wanted);
    EXPECT_FALSE(sliced.Finish(state).hasMessage);
    EXPECT_EQ(state.cells[44], "45");
    EXPECT_EQ(PlanSaveData(state, "a.csv").outcome.message, MessageId::NeedTxtExtension);
    EXPECT_TRUE(PlanSaveData(state, "a.TXT").writes);
    EXPECT_EQ(FinishSave(SaveOutcome::ReadOnlyTarget, SavedFile::Data).hasMessage, true);
    EXPECT_EQ(FinishSave(SaveOutcome::Saved, SavedFile::Graph).hasMessage, false);

    struct Name {
        const char* typed;
        const char* withTxt;
        GraphFileFormat format;
    };
    for (const Name& n : {Name{"data", "data.txt", GraphFileFormat::Bmp}, Name{"d.PNG", "d.PNG", GraphFileFormat::Png},
                          Name{"a.b/c", "a.b/c.txt", GraphFileFormat::Bmp}, Name{"g.svg", "g.svg", GraphFileFormat::Svg}}) {
        EXPECT_EQ(WithDefaultExtension(n.typed, "txt"), n.withTxt);
        EXPECT_EQ(GraphFileFormatOf(n.typed), n.format);
    }
    EXPECT_EQ(WithCrLfLineEnds("1\t2\n3\t4\r\n\n"), "1\t2\r\n3\t4\r\n\r\n");
}

// A name typed for a picture gets its format by its ending; one the picture cannot be written
// in, or no name, is refused (BMP bytes were saved under .jpg, a name of spaces did nothing).
TEST(Model, PictureNamesAndTheirFormats) {
    struct Row {
        const char* typed;
        Picture picture;
        const char* name;  // "" when refused
        GraphFileFormat format;
    };
    const Row rows[] = {
        {"graph", Picture::Graph, "graph.bmp", GraphFileFormat::Bmp},
        {"  g.PNG ", Picture::Graph, "g.PNG", GraphFileFormat::Png},
        {"a.b/c", Picture::Graph, "a.b/c.bmp", GraphFileFormat::Bmp},
        {"g.svg", Picture::Graph, "g.svg", GraphFileFormat::Svg},
        {"graph.jpg", Picture::Graph, "", GraphFileFormat::Bmp},
        {"graph.txt", Picture::Graph, "", GraphFileFormat::Bmp},
        {"   ", Picture::Graph, "", GraphFileFormat::Bmp},
        {".bmp", Picture::Graph, "", GraphFileFormat::Bmp},
        {"plot", Picture::Plot, "plot.svg", GraphFileFormat::Svg},
        {"plot.png", Picture::Plot, "plot.png", GraphFileFormat::Png},
        {"plot.bmp", Picture::Plot, "", GraphFileFormat::Bmp},
    };
    for (const Row& row : rows) {
        const PictureFileName file = PictureFileNameOf(row.typed, row.picture);
        EXPECT_EQ(file.outcome.hasMessage, !*row.name) << row.typed;
        if (*row.name) {
            EXPECT_EQ(file.name, row.name);
            EXPECT_EQ(file.format, row.format) << row.typed;
        } else {
            EXPECT_EQ(file.outcome.message, MessageId::NeedGraphExtension) << row.typed;
        }
    }
    ProgramState state = WithPairs({{"1", "1"}, {"2", "3"}, {"3", "2"}});
    EXPECT_EQ(PlanSaveDataTyped(state, "  ").outcome.message, MessageId::NeedTxtExtension);
    EXPECT_TRUE(PlanSaveDataTyped(state, " data ").writes);
}

// The statistics as the page shows them: texts of the exact values, in a table.
TEST(Model, StatisticsTableOfTheShownFit) {
    ProgramState state = WithPairs({{"1", "3"}, {"2", "5"}, {"3", "7.5"}, {"4", "9"}, {"5", "11"}});
    EXPECT_FALSE(ShownFitOf(state));
    FinishAnalysis(state, Ok(BeginAnalysis(state), "1"));
    const std::optional<ShownFit> shown = ShownFitOf(state);
    ASSERT_TRUE(shown);
    const std::optional<StatisticsTable> table = FitDetails(*shown).Statistics();
    ASSERT_TRUE(table);
    EXPECT_EQ(table->columns, (std::vector<std::string>{"Power", "Coefficient", "Std. error", "t value", "p value",
                                                        "Lower 95%", "Upper 95%"}));
    ASSERT_EQ(table->rows.size(), 2u);
    // The line of these pairs: slope 2, intercept 1.1, exactly.
    EXPECT_EQ(table->rows[1][0], "1");
    EXPECT_EQ(table->rows[1][1], "2");
    EXPECT_EQ(table->rows[0][1], "1.1");
    EXPECT_EQ(table->summary.at(1).first, "Residual standard deviation");
    EXPECT_EQ(table->note.find("n/a:"), std::string::npos);  // nothing is missing
    ProgramState through = WithPairs({{"1", "2"}, {"2", "5"}});
    FinishAnalysis(through, Ok(BeginAnalysis(through)));
    const std::optional<StatisticsTable> none = FitDetails(*ShownFitOf(through)).Statistics();
    ASSERT_TRUE(none);
    EXPECT_EQ(none->rows[0][2], "n/a");
    EXPECT_NE(none->note.find("n/a: no residual degrees of freedom"), std::string::npos);
}

// What a front end works out ahead while the Analysis dialog is open is what OK then shows; an
// outcome made for other pairs or settings is not taken.
TEST(Model, AnAnalysisMadeAheadIsTheOneOkShows) {
    const std::vector<std::pair<const char*, const char*>> five = {
        {"3", "3"}, {"1", "5"}, {"2", "7.5"}, {"5", "9"}, {"4", "11"}};
    struct Row {
        std::vector<std::pair<const char*, const char*>> pairs;
        const char* degree;
        bool japanese;
    };
    const Row rows[] = {
        {five, "1", false}, {five, "4", true}, {five, "3", false},
        {{{"1", "2"}, {"2", "5"}}, "1", false},  // two pairs: through both, no degree asked
        {five, "9", false},                       // beyond the pairs: a message, not a fit
    };
    auto finished = [](ProgramState state, const DialogAnswer& answer, const AnalysisOutcome* ahead) {
        const Outcome outcome = FinishAnalysis(state, answer, ahead);
        return std::pair(state, outcome.hasMessage ? std::optional(outcome.message) : std::nullopt);
    };
    for (const Row& row : rows) {
        ProgramState state = WithPairs(row.pairs);
        state.language = row.japanese ? UiLanguage::Japanese : UiLanguage::English;
        const DialogView view = BeginAnalysis(state);
        EXPECT_FALSE(AnalysisRequestOf(state, OpeningAnswer(view)));  // Cancel
        const DialogAnswer answer = Ok(view, row.degree, 2);
        const AnalysisOutcome ahead = RunAnalysis(*AnalysisRequestOf(state, answer));
        const AnalysisOutcome other = RunAnalysis(*AnalysisRequestOf(state, Ok(view, "2", 2)));  // another degree
        const auto [fitted, message] = finished(state, answer, nullptr);
        for (const AnalysisOutcome* given : {&ahead, &other}) {
            const auto [taken, takenMessage] = finished(state, answer, given);
            EXPECT_EQ(takenMessage, message) << row.degree;
            EXPECT_EQ(taken.view, fitted.view);
            const FitResult &a = taken.fitResult, &b = fitted.fitResult;
            EXPECT_EQ(a.equationText, b.equationText) << row.degree;
            EXPECT_EQ(a.termCount, b.termCount);
            EXPECT_TRUE(std::equal(a.coefficients.begin(), a.coefficients.begin() + a.termCount, b.coefficients.begin()));
            EXPECT_EQ(a.curve.coefficients, b.curve.coefficients);
        }
        const std::optional<ShownFit> shown = ShownFitOf(fitted);
        if (!shown) continue;
        const ShownFit early = ShownFitAhead(*AnalysisRequestOf(state, answer));
        EXPECT_EQ(early.x, shown->x);
        EXPECT_EQ(early.y, shown->y);
        EXPECT_EQ(early.termCount, shown->termCount) << row.degree;
        EXPECT_EQ(early.language, shown->language);
    }
}

TEST(Model, GraphPictureAndFilesAtTheStandardClientArea) {
    ProgramState state = WithPairs({{"1", "1"}, {"2", "3"}, {"3", "2"}});
    FinishAnalysis(state, Ok(BeginAnalysis(state), "2"));
    FinishDrawGraph(state, GraphAnswer(BeginDrawGraph(state), true));
    const GraphPicture picture = DrawGraphPicture(state);
    EXPECT_EQ(picture.width, 630);
    EXPECT_EQ(picture.height, 344);
    EXPECT_EQ(picture.rgba.size(), 630u * 344u * 4u);
    EXPECT_EQ(state.view, ViewState::Graph);
    const CaptureRegion region = CaptureRegionOf(state.graphFrame);
    const GraphFile bmp = GraphFileOf(state, GraphFileFormat::Bmp);
    ASSERT_FALSE(bmp.outcome.hasMessage);
    EXPECT_EQ(bmp.bytes.size(), kBmpBitsOffset + DibRowSize(region.width) * region.height);
    EXPECT_EQ(GraphFileOf(state, GraphFileFormat::Png).bytes.substr(1, 3), "PNG");
    EXPECT_NE(GraphFileOf(state, GraphFileFormat::Svg).bytes.find("<svg"), std::string::npos);
}

TEST(Model, MessagesCarryTheirDetail) {
    const MessageView view = ViewOfMessage(MessageId::OpenDialogError, UiLanguage::English, 0x3002);
    EXPECT_EQ(view.text, "GetOpenFileName error 0x3002");
    EXPECT_EQ(view.caption, CaptionText(Caption::Error, UiLanguage::English));
    EXPECT_EQ(ViewOfMessage(MessageId::ClearForDataInput, UiLanguage::English).buttons, Buttons::YesNo);
}

}  // namespace
}  // namespace plorimet
