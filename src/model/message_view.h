// A message of the program's table as every front end shows it: the text (its detail filled
// in), the caption, the icon, the buttons and whether it is shown above every window.
#pragma once

#include <string>

#include "base/messages.h"

namespace plorimet {

struct MessageView {
    std::string text;  // "%lx" already replaced by the detail
    std::string caption;
    Icon icon = Icon::Error;
    Buttons buttons = Buttons::Ok;
    bool systemModal = false;
};
MessageView ViewOfMessage(MessageId id, UiLanguage language, unsigned long detail = 0);

}  // namespace plorimet
