#include "base/keys.h"

#include "base/toolbar_layout.h"
#include "resource_ids.h"

namespace plorimet {

namespace {

struct CommandKey {
    int key;
    bool ctrl;
    bool shift;
    int command;
};

// One key may serve two commands whose buttons are never enabled in the same view: the
// enabled one is given.
constexpr CommandKey kCommandKeys[] = {
    {'N', true, false, IDM_INPUT_DATA},
    {'O', true, false, IDM_READ_DATA},
    {'V', true, true, IDM_PASTE_DATA},
    {kKeyF5, false, false, IDM_ANALYSIS},
    {'S', true, false, IDM_SAVE_DATA},
    {'G', true, false, IDM_DRAW_GRAPH},
    {'C', true, false, IDM_COPY_GRAPH},
    {'S', true, false, IDM_SAVE_GRAPH},
    {kKeyF1, true, false, IDM_ABOUT},
    {kKeyF1, false, false, IDM_HELP},
};

bool ButtonEnabled(int command, ViewState view) {
    for (const ToolbarButton& button : ToolbarButtons()) {
        if (button.command == command) return IsButtonEnabled(button, view);
    }
    return false;
}

}  // namespace

KeyDecision DecideCommandKey(const KeyPress& key, ViewState view) {
    if (key.alt) return {};
    for (const CommandKey& entry : kCommandKeys) {
        if (entry.key == key.key && entry.ctrl == key.ctrl && entry.shift == key.shift &&
            ButtonEnabled(entry.command, view))
            return {KeyCommand::Toolbar, entry.command};
    }
    if (view == ViewState::Equation && key.key == 'C' && key.ctrl && !key.shift) return {KeyCommand::CopyEquation, 0};
    return {};
}

bool IsCommandKey(const KeyPress& key) {
    if (key.alt) return false;
    for (const CommandKey& entry : kCommandKeys) {
        if (entry.key == key.key && entry.ctrl == key.ctrl && entry.shift == key.shift) return true;
    }
    return false;
}

std::string CommandKeyName(int command, KeyNameForm form) {
    for (const CommandKey& entry : kCommandKeys) {
        if (entry.command != command) continue;
        std::string name;
        if (entry.ctrl) name += form == KeyNameForm::Aria ? "Control+" : "Ctrl+";
        if (entry.shift) name += "Shift+";
        if (entry.key == kKeyF1) return name + "F1";
        if (entry.key == kKeyF5) return name + "F5";
        return name + static_cast<char>(entry.key);
    }
    return std::string();
}

}  // namespace plorimet
