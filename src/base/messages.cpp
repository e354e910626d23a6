#include "base/messages.h"

#include <cstdio>
#include <cstring>

namespace plorimet {

namespace {

constexpr MessageEntry kMessages[] = {
    // NoDataInputted
    {"NO data inputted!", "入力数値がありません!", Caption::Error, Icon::Error, Buttons::Ok, false},
    // OnlyOneDataSet
    {"Only one data set inputted!", "入力数値が１組です!", Caption::Warning, Icon::Error, Buttons::Ok, false},
    // Over45DataSets
    {"Over 45 data sets inputted!", "入力数値が４５組以上です!", Caption::Error, Icon::Error, Buttons::Ok, false},
    // TooLargeCoefficient
    {"Too large coefficient!", "係数が大きすぎます!", Caption::Error, Icon::Error, Buttons::Ok, false},
    // TooSmallCoefficient
    {"Too small coefficient!", "係数が小さすぎます!", Caption::Error, Icon::Error, Buttons::Ok, false},
    // ZeroCoefficient
    {"Zero coefficient!", "係数がゼロです!", Caption::Error, Icon::Error, Buttons::Ok, false},
    // ZeroDenominator
    {"Zero denominator for getting an answer!", "答えを求めるための分母がゼロです!", Caption::Error, Icon::Error,
     Buttons::Ok, false},
    // TooLargeTermValue
    {"Too large term value!", "項の値が大きすぎます!", Caption::Error, Icon::Error, Buttons::Ok, false},
    // TooSmallTermValue
    {"Too small term value!", "項の値が小さすぎます!", Caption::Error, Icon::Error, Buttons::Ok, false},
    // UnableToDisplayDialog
    {"Unable to display dialog", "ダイアログを表示できません", Caption::SystemError, Icon::Error, Buttons::Ok, true},
    // ClearForDataInput
    {"Clear the window for data input,\nwith discarding previous inputted data?",
     "既入力値を廃棄して、\nデータ入力Windowをクリアーしますか？", Caption::Question, Icon::Question, Buttons::YesNo,
     false},
    // OpenDialogError
    {"GetOpenFileName error 0x%lx", "GetOpenFileName エラー 0x%lx", Caption::Error, Icon::Error, Buttons::Ok, false},
    // FileDoesNotExist
    {"The file does not exist.", "ファイルが存在しません.", Caption::Error, Icon::Error, Buttons::Ok, false},
    // NoDataInFile
    {"NO data in the file.", "ファイルはデータを含んでいません.", Caption::Error, Icon::Error, Buttons::Ok, false},
    // SaveDialogError
    {"GetSaveFileName error 0x%lx", "GetSaveFileName エラー 0x%lx", Caption::Error, Icon::Error, Buttons::Ok, false},
    // RemoteDisk
    {"Unable to save to the remote disk.", "リモート・ディスクへはセーブできません.", Caption::Warning, Icon::Warning,
     Buttons::Ok, false},
    // NeedTxtExtension: the caption says "Error" while the icon is the warning one.
    {"Assign a file with TXT extension.", "ファイルは拡張子 TXT を持つ必要があります.", Caption::Error, Icon::Warning,
     Buttons::Ok, false},
    // CannotCreateDataFile
    {"Unable to create an assigned file to save data.", "データ保存用ファイルを作成できません.", Caption::Error,
     Icon::Error, Buttons::Ok, false},
    // NoClipboardData
    {"No data on the Clipboard.", "クリップボードにデータがありません.", Caption::Error, Icon::Error, Buttons::Ok, false},
    // IncorrectClipboardData
    {"Incorrect Clipboard data.\nNot copied data from Excel.",
     "クリップボードのデータが不正です.\nExcelのデータのコピーではありません.", Caption::Error, Icon::Error,
     Buttons::Ok, false},
    // NotTwoColumns
    {"Incorrect Clipboard data.\nNot two column (or, more) data copied from Excel.",
     "クリップボードのデータが不正です.\nExcelのデータ２列(以上)のコピーではありません.", Caption::Error, Icon::Error,
     Buttons::Ok, false},
    // MissingDatum
    {"Incorrect Clipboard data.\nSome cell in Excel data does not have a datum.",
     "クリップボードのデータが不正です.\nExcelのデータ・セルでデータの無いものがあります.", Caption::Error,
     Icon::Error, Buttons::Ok, false},
    // MoreThanTenCharacters
    {"More than 10 characters.", "文字数が１０以上です.", Caption::Error, Icon::Error, Buttons::Ok, false},
    // NotNumerical
    {"Not numerical value strings.", "文字列が数値ではありません.", Caption::Error, Icon::Error, Buttons::Ok, false},
    // YColumnNotLarger
    {"Y column number should be larger\nthan X column number.",
     "Ｙカラム番号はＸカラム番号より\n大きくなくてはいけません.", Caption::Warning, Icon::Warning, Buttons::Ok, false},
    // YValuesSame
    {"Inputted Y values are same!", "入力データのY値がすべて同じです!", Caption::NoGraphDisplay, Icon::Error,
     Buttons::Ok, false},
    // ClipboardMemory
    {"Unable to allocate clipboard memory.", "クリップボードのメモリを確保できません.", Caption::Error, Icon::Error,
     Buttons::Ok, false},
    // UnableToOpenFile
    {"Unable to open file.", "ファイルを開けません.", Caption::Error, Icon::Error, Buttons::Ok, false},
    // UnableToWriteInFile
    {"Unable to write in file.", "ファイルに書き込めません.", Caption::Error, Icon::Error, Buttons::Ok, false},
    // IllegalInfoHeaderSize
    {"Found illegal structure size in info header.", "インフォ・ヘッダーに不適当なサイズがあります.", Caption::Error,
     Icon::Error, Buttons::Ok, false},
    // DesktopNotFound
    {"Unable to find the SysListView Window.", "SysListView32 Windowを見つけられません.", Caption::Error,
     Icon::Error, Buttons::Ok, false},
    // ManualMissing
    {"Install the readme file (TAVRO_E.PDF)\nin the same directory.",
     "説明書ファイル（TAVRO_J.PDF）を同じ\nフォルダーに入れてください.", Caption::Error, Icon::Error, Buttons::Ok,
     false},
    // NoPdfViewer
    {"Unable to open the readme file (TAVRO_E.PDF)\nbecause of being NO software to read PDF documents.",
     "PDF 文書の閲覧ソフトが無いので、\n説明書（TAVRO_J.PDF）を開けません.", Caption::Error, Icon::Error,
     Buttons::Ok, false},
    // NeedGraphExtension: as NeedTxtExtension, for the picture's three formats.
    {"Assign a file with BMP, PNG or SVG extension.", "ファイルは拡張子 BMP, PNG または SVG を持つ必要があります.",
     Caption::Error, Icon::Warning, Buttons::Ok, false},
    // PlotBeyondDouble
    {"Unable to plot: a value is beyond the range of a double.", "プロットできません: 値が倍精度の範囲を超えています.",
     Caption::Error, Icon::Error, Buttons::Ok, false},
};
static_assert(sizeof(kMessages) / sizeof(kMessages[0]) == static_cast<int>(MessageId::Count),
              "one table row per MessageId");

struct TextPair {
    const char* english;
    const char* japanese;
};

constexpr TextPair kCaptions[] = {
    {"Error", "エラー"},
    {"Warning", "警告"},
    {"Question", "質問"},
    {"System Error", "システム・エラー"},
    {"NO Graph Display", "グラフ非表示"},
};

constexpr TextPair kTexts[] = {
    {"Plorimet", "Plorimet"},
    {"Plori_met", "Plori_met"},
    {"Select a file to read", "読み込むファイル名の選択"},
    {"Tab/Comma/Space Texts (*.txt)", "Tab/Comma/Space Texts (*.txt)"},
    {"Assign a file to save the data.", "データを保存するファイル名の選択"},
    {"Texts (*.txt)", "Texts (*.txt)"},
    {"Assign a file to save the graph.", "グラフを保存するファイル名の選択"},
    {"Bitmaps (*.bmp)", "Bitmaps (*.bmp)"},
    {"Input Data", "データ入力"},
    {"Read Data", "データ読込"},
    {"Paste Data", "データ貼付け"},
    {"Analysis", "データ解析"},
    {"Save Data", "データ保存"},
    {"Draw Graph", "グラフ作成"},
    {"Copy Graph", "グラフコピー"},
    {"Save Graph", "グラフ保存"},
    {"About", "御案内"},
    {"Help", "ヘルプ"},
    {"Exit", "終了"},
    {"Method of least squares : ", "最小二乗法 : "},
    {"Simple equation.", "一次式の適用."},
    {"Quadratic equation.", "二次式の適用."},
    {"Cubic equation.", "三次式の適用."},
    {"th degree equation.", "次式の適用."},
    {"TAVRO_E.PDF", "TAVRO_J.PDF"},
};
static_assert(sizeof(kTexts) / sizeof(kTexts[0]) == static_cast<int>(TextId::Count), "one row per TextId");

const char* Pick(const TextPair& pair, UiLanguage language) {
    return language == UiLanguage::Japanese ? pair.japanese : pair.english;
}

}  // namespace

UiLanguage LanguageForCodePage(unsigned codePage) {
    return codePage == 932 ? UiLanguage::Japanese : UiLanguage::English;
}

const MessageEntry& GetMessageEntry(MessageId id) {
    return kMessages[static_cast<int>(id)];
}

const char* MessageText(MessageId id, UiLanguage language) {
    const MessageEntry& entry = GetMessageEntry(id);
    return language == UiLanguage::Japanese ? entry.japanese : entry.english;
}

const char* CaptionText(Caption caption, UiLanguage language) {
    return Pick(kCaptions[static_cast<int>(caption)], language);
}

std::string MessageTextWithDetail(MessageId id, UiLanguage language, unsigned long detail) {
    const char* text = MessageText(id, language);
    if (!std::strstr(text, "%lx")) return text;
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, text, detail);
    return buffer;
}

const char* UiText(TextId id, UiLanguage language) {
    return Pick(kTexts[static_cast<int>(id)], language);
}

const char* HoverLabelText(int k, UiLanguage language) {
    if (k < 1 || k > 11) return "";
    return UiText(static_cast<TextId>(static_cast<int>(TextId::LabelInputData) + k - 1), language);
}

}  // namespace plorimet
