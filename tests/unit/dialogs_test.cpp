// The dialogs as the model describes them: items, rules, answers, and the window's templates
// in the resource script, which must hold exactly the described controls and texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include "model/dialogs.h"

namespace plorimet {
namespace {

TEST(Dialogs, FitSettingsOfferTheDigitsAndTheDegreesOfThePairs) {
    FitDialogRequest request{UiLanguage::English, 12, 0, 2};
    const DialogView fit = DescribeFitDialog(request);
    ASSERT_EQ(fit.items.size(), 3u);
    EXPECT_EQ(fit.items[kFitDigitsItem].options, (std::vector<std::string>{"3", "4", "5", "6"}));
    EXPECT_EQ(fit.items[kFitDigitsItem].chosen, 2);
    const DialogItem& degree = fit.items[kFitDegreeItem];
    EXPECT_EQ(degree.options.front(), "11");
    EXPECT_EQ(degree.value, "10");
    EXPECT_TRUE(degree.enabled);
    request.pairCount = 2;  // no degree to choose
    EXPECT_FALSE(DescribeFitDialog(request).items[kFitDegreeItem].enabled);
    EXPECT_TRUE(DescribeFitDialog(request).items[kFitDegreeItem].options.empty());
}

TEST(Dialogs, AnEntryKeepsABeginningOfAListedNumberOrFallsBackToItsDefault) {
    const DialogItem degree = DescribeFitDialog({UiLanguage::English, 12, 0, 0}).items[kFitDegreeItem];
    const DialogView columns = DescribeColumnDialog({UiLanguage::English, 4, 1, 4});
    struct Row {
        const DialogItem& entry;
        const char* typed;
        const char* kept;
    };
    const Row rows[] = {
        {degree, "1", "1"}, {degree, "11", "11"}, {degree, "12", "10"}, {degree, "x", "10"}, {degree, "", ""},
        {columns.items[kColumnXItem], "4", "4"}, {columns.items[kColumnXItem], "5", "1"},
        {columns.items[kColumnYItem], "0", "4"},
    };
    for (const Row& row : rows) EXPECT_EQ(EntryTextAfterEdit(row.entry, row.typed), row.kept) << row.typed;
}

TEST(Dialogs, AChoiceIsTheLastCheckedOptionOrElseTheLastChosen) {
    EXPECT_EQ(ChoiceAtOk({false, true, false, true}, 0), 3);
    EXPECT_EQ(ChoiceAtOk({false, false, false}, 2), 2);
    const DialogView graph = DescribeGraphDialog({UiLanguage::English, GraphSettings{}});
    DialogAnswer answer = OpeningAnswer(graph);
    EXPECT_TRUE(ChooseOption(answer, graph, static_cast<int>(GraphGroup::Scale), 2));
    EXPECT_FALSE(ChooseOption(answer, graph, static_cast<int>(GraphGroup::Size), 3));  // no such option
    EXPECT_FALSE(ChooseOption(answer, graph, 4, 0));                                   // no such item
    EXPECT_EQ(answer.choices, (std::vector<int>{0, 0, 0, 2}));
}

TEST(Dialogs, AnswersBecomeTheFeaturesAnswers) {
    const FitDialogRequest fitRequest{UiLanguage::English, 5, 0, 1};
    DialogAnswer fit = OpeningAnswer(DescribeFitDialog(fitRequest));
    EXPECT_EQ(FitAnswerOf(fitRequest, fit).outcome, FitDialogOutcome::Cancelled);
    fit.accepted = true;
    fit.texts[kFitDegreeItem] = "3";
    fit.choices[kFitDigitsItem] = 7;  // outside 3..6 digits: the remembered digits count
    EXPECT_EQ(FitAnswerOf(fitRequest, fit).degree, 3);
    EXPECT_EQ(FitAnswerOf(fitRequest, fit).digitsIndex, 1);

    const GraphDialogRequest graphRequest{UiLanguage::English, GraphSettings{}};
    DialogAnswer graph = OpeningAnswer(DescribeGraphDialog(graphRequest));
    graph.choices = {4, 9, 2, 1};  // a dot size outside its group changes nothing
    const GraphDialogAnswer drawn = GraphAnswerOf(graphRequest, graph);
    EXPECT_EQ(drawn.outcome, GraphDialogOutcome::Cancelled);  // and keeps the choices
    EXPECT_EQ(drawn.settings.lineWidth, 5);
    EXPECT_EQ(drawn.settings.dotRadius, 2);
    EXPECT_EQ(drawn.settings.sizeFactor, 0.5);
    EXPECT_EQ(drawn.settings.scaleMode, ScaleMode::ScaleTicks);

    const ColumnDialogRequest columnRequest{UiLanguage::English, 3, 1, 3};
    DialogAnswer columns = OpeningAnswer(DescribeColumnDialog(columnRequest));
    columns.accepted = true;
    EXPECT_EQ(ColumnAnswerOf(columnRequest, columns).columns.yColumn, 3);
    columns.texts[kColumnXItem] = "3";
    EXPECT_EQ(ColumnAnswerOf(columnRequest, columns).outcome, ColumnDialogOutcome::YNotGreater);
}

// ---- The resource script's templates ---------------------------------------------------------

// The script is UTF-8; the program's texts are in the executables' character set (code page 932
// where the compiler converts them, UTF-8 otherwise).
std::string InProgramCharset(const std::string& utf8) {
    if (std::string("ｷ").size() != 1) return utf8;
#ifdef _WIN32
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0],
                                    static_cast<int>(wide.size())));
    std::string out(wide.size() * 2, '\0');
    out.resize(WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), &out[0],
                                   static_cast<int>(out.size()), nullptr, nullptr));
    return out;
#else
    iconv_t convert = iconv_open("CP932", "UTF-8");
    std::string in = utf8, out(utf8.size() * 2 + 1, '\0');
    char* from = &in[0];
    char* to = &out[0];
    size_t fromLeft = in.size(), toLeft = out.size();
    iconv(convert, &from, &fromLeft, &to, &toLeft);
    iconv_close(convert);
    out.resize(out.size() - toLeft);
    return out;
#endif
}

struct TemplateControl {
    std::string kind;  // the statement: LTEXT, GROUPBOX, CONTROL, COMBOBOX, PUSHBUTTON ...
    std::string text;
    std::string id;
};

struct DialogTemplate {
    std::string caption;
    std::vector<TemplateControl> controls;
};

std::string RcText(const std::string& quoted) {
    std::string text;
    for (size_t k = 0; k < quoted.size(); ++k) {
        if (quoted.compare(k, 2, "\"\"") == 0) {
            text += '"';
            ++k;
        } else if (quoted.compare(k, 2, "\\n") == 0) {
            text += '\n';
            ++k;
        } else {
            text += quoted[k];
        }
    }
    return InProgramCharset(text);
}

DialogTemplate ReadTemplate(const std::string& name) {
    std::ifstream file(PLORIMET_RESOURCE_SCRIPT);
    const std::regex head("^" + name + " DIALOG\\b.*");
    const std::regex caption("^CAPTION\\s+\"(.*)\"\\s*$");
    const std::regex texted("^\\s*(\\w+)\\s+\"((?:[^\"]|\"\")*)\"\\s*,\\s*([^,]+),.*");
    const std::regex plain("^\\s*(COMBOBOX|ICON)\\s+([^,]+),.*");
    DialogTemplate found;
    bool inside = false;
    std::smatch m;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!inside) {
            inside = std::regex_match(line, head);
        } else if (line == "END") {
            break;
        } else if (std::regex_match(line, m, caption)) {
            found.caption = RcText(m[1]);
        } else if (std::regex_match(line, m, texted)) {
            found.controls.push_back({m[1], RcText(m[2]), m[3]});
        } else if (std::regex_match(line, m, plain)) {
            found.controls.push_back({m[1], "", m[2]});
        }
    }
    return found;
}

// The statements a control of the view is written as.
bool Shows(const TemplateControl& control, DialogControlRole role) {
    switch (role) {
        case DialogControlRole::Title: return control.kind == "GROUPBOX";
        case DialogControlRole::Option: return control.kind == "CONTROL";
        case DialogControlRole::Note: return control.kind == "LTEXT" || control.kind == "CTEXT";
        case DialogControlRole::Label: return control.kind == "LTEXT";
        case DialogControlRole::Field: return control.kind == "COMBOBOX";
    }
    return false;
}

// The window fills its templates from the views: the templates hold the same controls in the
// same order with the same texts, so what it shows is the model's, as the page shows it.
TEST(Dialogs, TheWindowsTemplatesHoldTheViewsControlsAndTexts) {
    for (const UiLanguage language : {UiLanguage::English, UiLanguage::Japanese}) {
        const std::string suffix = language == UiLanguage::Japanese ? "_J" : "";
        const struct {
            std::string name;
            DialogView view;
        } dialogs[] = {
            {"SMOOTHING_DLG", DescribeFitDialog({language, 12, 0, 0})},
            {"PENSIZE_DLG", DescribeGraphDialog({language, GraphSettings{}})},
            {"COLUMN_NUM_DLG", DescribeColumnDialog({language, 3, 1, 3})},
            {"ABOUT_DLG", DescribeAboutDialog(language)},
        };
        for (const auto& dialog : dialogs) {
            SCOPED_TRACE(dialog.name + suffix);
            const DialogTemplate found = ReadTemplate(dialog.name + suffix);
            EXPECT_EQ(found.caption, dialog.view.caption);
            std::vector<TemplateControl> shown;
            for (const TemplateControl& control : found.controls) {
                if (control.id == "IDOK" || control.id == "IDCANCEL") {
                    EXPECT_EQ(control.text, control.id == "IDOK" ? dialog.view.okText : dialog.view.cancelText);
                } else if (control.kind != "ICON") {
                    shown.push_back(control);
                }
            }
            const std::vector<DialogControl> wanted = DialogControls(dialog.view);
            ASSERT_EQ(shown.size(), wanted.size());
            for (size_t k = 0; k < wanted.size(); ++k) {
                EXPECT_TRUE(Shows(shown[k], wanted[k].role)) << k << " " << shown[k].kind;
                if (wanted[k].role != DialogControlRole::Field) {
                    EXPECT_EQ(shown[k].text, DialogControlText(dialog.view, wanted[k])) << k;
                }
            }
        }
    }
}

}  // namespace
}  // namespace plorimet
