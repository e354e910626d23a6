#include "win/message_box_win.h"

#include <string>

namespace plorimet {

namespace {

UINT IconStyle(Icon icon) {
    switch (icon) {
        case Icon::Error: return MB_ICONERROR;
        case Icon::Warning: return MB_ICONWARNING;
        case Icon::Question: return MB_ICONQUESTION;
    }
    return MB_ICONERROR;
}

}  // namespace

int ShowMessage(HWND owner, UiLanguage language, MessageId id, unsigned long detail) {
    const MessageEntry& message = GetMessageEntry(id);
    const std::string text = MessageTextWithDetail(id, language, detail);
    UINT style = IconStyle(message.icon) | (message.buttons == Buttons::YesNo ? MB_YESNO : MB_OK);
    if (message.systemModal) {
        style |= MB_SYSTEMMODAL;
        owner = nullptr;
    }
    return MessageBoxA(owner, text.c_str(), CaptionText(message.caption, language), style);
}

}  // namespace plorimet
