// The keyboard: key codes the program reacts to, and the keys that give the tool bar's commands.
#pragma once

#include <string>

#include "base/view_state.h"

namespace plorimet {

// Virtual-key codes (the numbers of the Windows keyboard; letters and digits are their
// upper-case characters).
constexpr int kKeyBackspace = 0x08;
constexpr int kKeyTab = 0x09;
constexpr int kKeyEnter = 0x0D;
constexpr int kKeyEnd = 0x23;
constexpr int kKeyHome = 0x24;
constexpr int kKeyLeft = 0x25;
constexpr int kKeyUp = 0x26;
constexpr int kKeyRight = 0x27;
constexpr int kKeyDown = 0x28;
constexpr int kKeyInsert = 0x2D;
constexpr int kKeyDelete = 0x2E;
constexpr int kKeyF1 = 0x70;
constexpr int kKeyF5 = 0x74;

struct KeyPress {
    int key = 0;
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
};

enum class KeyCommand {
    None,
    Toolbar,       // a tool bar command, given as if its button had been clicked
    CopyEquation,  // the equation view's Ctrl+C
};

struct KeyDecision {
    KeyCommand kind = KeyCommand::None;
    int command = 0;  // the tool bar command's id when kind is Toolbar
};

// What a key gives in a view: a tool bar command only while its button is enabled in that
// view (the tool bar's own enabling table decides), Ctrl+C in the equation view copies the
// equation. Keys with Alt are the system's and give nothing.
//   Ctrl+N Input Data, Ctrl+O Read Data, Ctrl+Shift+V Paste Data, F5 Analysis,
//   Ctrl+S Save Data (equation) or Save Graph (graph), Ctrl+G Draw Graph,
//   Ctrl+C Copy Graph (graph) or copy the equation (equation), F1 Help, Ctrl+F1 About.
// Exit is the system's Alt+F4.
KeyDecision DecideCommandKey(const KeyPress& key, ViewState view);

// Whether the key gives a tool bar command in some view.
bool IsCommandKey(const KeyPress& key);

// The key of a tool bar command as people read it ("Ctrl+N", "F5", "Ctrl+Shift+V"), or in the
// form of the web's aria-keyshortcuts ("Control+N"); empty for a command without a key.
enum class KeyNameForm { Readable, Aria };
std::string CommandKeyName(int command, KeyNameForm form);

}  // namespace plorimet
