#include "win/message_box_win.h"

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

int ShowMessage(HWND owner, const MessageView& view) {
    UINT style = IconStyle(view.icon) | (view.buttons == Buttons::YesNo ? MB_YESNO : MB_OK);
    if (view.systemModal) {
        style |= MB_SYSTEMMODAL;
        owner = nullptr;
    }
    return MessageBoxA(owner, view.text.c_str(), view.caption.c_str(), style);
}

int ShowMessage(HWND owner, UiLanguage language, MessageId id, unsigned long detail) {
    return ShowMessage(owner, ViewOfMessage(id, language, detail));
}

}  // namespace plorimet
