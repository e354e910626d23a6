// Every text the user can read, in English and Japanese, in one table.
// Texts are code page 932 bytes in the built program (the sources are UTF-8 and the
// compiler converts them), which is what the ANSI Win32 functions expect.
#pragma once

#include <string>

namespace plorimet {

enum class UiLanguage { English = 0, Japanese = 1 };

// Japanese exactly when the system's ANSI code page is 932.
UiLanguage LanguageForCodePage(unsigned codePage);

enum class Caption { Error, Warning, Question, SystemError, NoGraphDisplay };
enum class Icon { Error, Warning, Question };
enum class Buttons { Ok, YesNo };

// Message boxes. A message whose text holds "%lx" is formatted with a dialog's error code.
enum class MessageId {
    NoDataInputted,
    OnlyOneDataSet,
    Over45DataSets,
    TooLargeCoefficient,
    TooSmallCoefficient,
    ZeroCoefficient,
    ZeroDenominator,
    TooLargeTermValue,
    TooSmallTermValue,
    UnableToDisplayDialog,
    ClearForDataInput,
    OpenDialogError,
    FileDoesNotExist,
    NoDataInFile,
    SaveDialogError,
    RemoteDisk,
    NeedTxtExtension,
    CannotCreateDataFile,
    NoClipboardData,
    IncorrectClipboardData,
    NotTwoColumns,
    MissingDatum,
    MoreThanTenCharacters,
    NotNumerical,
    YColumnNotLarger,
    YValuesSame,
    ClipboardMemory,
    UnableToOpenFile,
    UnableToWriteInFile,
    IllegalInfoHeaderSize,
    DesktopNotFound,
    ManualMissing,
    NoPdfViewer,
    NeedGraphExtension,  // beyond the window: a picture name with an ending none of its formats has
    PlotBeyondDouble,    // beyond the window: a value the plot needs is beyond the range of a double
    Count
};

struct MessageEntry {
    const char* english;
    const char* japanese;
    Caption caption;
    Icon icon;
    Buttons buttons;
    bool systemModal;  // shown with no owner window, system-modal
};

const MessageEntry& GetMessageEntry(MessageId id);
const char* MessageText(MessageId id, UiLanguage language);
const char* CaptionText(Caption caption, UiLanguage language);
// The message's text with a "%lx" in it replaced by `detail` in hexadecimal.
std::string MessageTextWithDetail(MessageId id, UiLanguage language, unsigned long detail);

// Texts that are not message boxes: titles, file dialog strings, hover labels and the
// words of the equation text.
enum class TextId {
    ProductTitle,
    ProvisionalTitle,
    OpenDataTitle,
    OpenDataFilter,
    SaveDataTitle,
    SaveDataFilter,
    SaveGraphTitle,
    SaveGraphFilter,
    LabelInputData,  // hover labels 1..11, in tool bar order
    LabelReadData,
    LabelPasteData,
    LabelAnalysis,
    LabelSaveData,
    LabelDrawGraph,
    LabelCopyGraph,
    LabelSaveGraph,
    LabelAbout,
    LabelHelp,
    LabelExit,
    LeastSquaresLine,
    SimpleEquation,
    QuadraticEquation,
    CubicEquation,
    NthDegreeSuffix,
    ManualFileName,
    Count
};

const char* UiText(TextId id, UiLanguage language);

// Hover label k (1..11) of the tool bar.
const char* HoverLabelText(int k, UiLanguage language);

}  // namespace plorimet
