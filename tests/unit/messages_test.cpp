#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/messages.h"

namespace plorimet {
namespace {

std::string Hex(const char* text) {
    std::string out;
    char buffer[4];
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        std::snprintf(buffer, sizeof buffer, "%02x", *p);
        out += buffer;
    }
    return out;
}

TEST(Messages, JapaneseTextsAreCodePage932Bytes) {
    // What the ANSI functions receive, spelt out so a wrong source or compiler charset shows.
    EXPECT_EQ(Hex(CaptionText(Caption::Error, UiLanguage::Japanese)), "83478389815b");  // エラー
    EXPECT_EQ(Hex(CaptionText(Caption::Warning, UiLanguage::Japanese)), "8c788d90");  // 警告
    // 表 ends in the byte of a backslash; it must survive as it is.
    EXPECT_EQ(Hex(CaptionText(Caption::NoGraphDisplay, UiLanguage::Japanese)), "834f8389837494f1955c8ea6");
}

TEST(Messages, EveryMessageHasBothLanguages) {
    std::set<std::string> english;
    for (int i = 0; i < static_cast<int>(MessageId::Count); ++i) {
        const MessageEntry& entry = GetMessageEntry(static_cast<MessageId>(i));
        EXPECT_GT(std::string(entry.english).size(), 0u) << i;
        EXPECT_GT(std::string(entry.japanese).size(), 0u) << i;
        english.insert(entry.english);
    }
    EXPECT_EQ(english.size(), static_cast<size_t>(MessageId::Count));  // no row copied twice
}

TEST(Messages, CaptionsIconsAndButtonsPerMessage) {
    const MessageEntry& oneSet = GetMessageEntry(MessageId::OnlyOneDataSet);
    EXPECT_EQ(oneSet.caption, Caption::Warning);
    EXPECT_EQ(oneSet.icon, Icon::Error);
    const MessageEntry& extension = GetMessageEntry(MessageId::NeedTxtExtension);
    EXPECT_EQ(extension.caption, Caption::Error);
    EXPECT_EQ(extension.icon, Icon::Warning);
    const MessageEntry& question = GetMessageEntry(MessageId::ClearForDataInput);
    EXPECT_EQ(question.buttons, Buttons::YesNo);
    EXPECT_EQ(question.icon, Icon::Question);
    const MessageEntry& dialog = GetMessageEntry(MessageId::UnableToDisplayDialog);
    EXPECT_TRUE(dialog.systemModal);
    EXPECT_EQ(dialog.caption, Caption::SystemError);
    EXPECT_EQ(GetMessageEntry(MessageId::YValuesSame).caption, Caption::NoGraphDisplay);
    EXPECT_EQ(GetMessageEntry(MessageId::YColumnNotLarger).icon, Icon::Warning);
    EXPECT_EQ(GetMessageEntry(MessageId::RemoteDisk).caption, Caption::Warning);
}

TEST(Messages, TextsPickedByLanguage) {
    EXPECT_STREQ(MessageText(MessageId::NoDataInputted, UiLanguage::English), "NO data inputted!");
    EXPECT_STREQ(MessageText(MessageId::NoDataInputted, UiLanguage::Japanese), "入力数値がありません!");
    EXPECT_STREQ(CaptionText(Caption::NoGraphDisplay, UiLanguage::English), "NO Graph Display");
    EXPECT_STREQ(UiText(TextId::ProductTitle, UiLanguage::Japanese), "Plorimet");
    EXPECT_STREQ(UiText(TextId::ManualFileName, UiLanguage::Japanese), "TAVRO_J.PDF");
    EXPECT_STREQ(HoverLabelText(1, UiLanguage::English), "Input Data");
    EXPECT_STREQ(HoverLabelText(11, UiLanguage::Japanese), "終了");
    EXPECT_STREQ(HoverLabelText(12, UiLanguage::English), "");
}

TEST(Messages, LanguageFromCodePage) {
    EXPECT_EQ(LanguageForCodePage(932), UiLanguage::Japanese);
    for (unsigned other : {1252u, 936u, 949u, 65001u, 0u}) EXPECT_EQ(LanguageForCodePage(other), UiLanguage::English);
}

}  // namespace
}  // namespace plorimet
