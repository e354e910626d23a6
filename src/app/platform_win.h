// The language and the platform level, read once from the system at start.
#pragma once

#include "base/messages.h"

namespace plorimet {

// Japanese exactly when the ANSI code page is 932.
UiLanguage DetectLanguage();

// The platform level from the registry's version texts (0 when neither key can be read).
int DetectPlatform();

}  // namespace plorimet
