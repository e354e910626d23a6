#include "model/message_view.h"

namespace plorimet {

MessageView ViewOfMessage(MessageId id, UiLanguage language, unsigned long detail) {
    const MessageEntry& entry = GetMessageEntry(id);
    MessageView view;
    view.text = MessageTextWithDetail(id, language, detail);
    view.caption = CaptionText(entry.caption, language);
    view.icon = entry.icon;
    view.buttons = entry.buttons;
    view.systemModal = entry.systemModal;
    return view;
}

}  // namespace plorimet
