#include "model/program_state.h"

#include "base/toolbar_layout.h"
#include "data/cell_rule.h"
#include "data/grid_keys.h"
#include "resource_ids.h"

namespace plorimet {

namespace {

constexpr int kFirstCommandId = IDM_INPUT_DATA;
static_assert(IDM_EXIT - IDM_INPUT_DATA + 1 == kCommandCount);

}  // namespace

int CommandId(Command command) {
    return kFirstCommandId + static_cast<int>(command);
}

bool CommandOfId(int commandId, Command& command) {
    if (commandId < kFirstCommandId || commandId >= kFirstCommandId + kCommandCount) return false;
    command = static_cast<Command>(commandId - kFirstCommandId);
    return true;
}

bool IsCommandEnabled(Command command, ViewState view) {
    for (const ToolbarButton& button : ToolbarButtons()) {
        if (button.command == CommandId(command)) return IsButtonEnabled(button, view);
    }
    return false;
}

std::array<bool, kCommandCount> EnabledCommands(ViewState view) {
    std::array<bool, kCommandCount> enabled{};
    for (int k = 0; k < kCommandCount; ++k) enabled[k] = IsCommandEnabled(static_cast<Command>(k), view);
    return enabled;
}

KeyAction ActionForKey(ViewState view, int fromCell, const KeyPress& key) {
    return ActionForKey(view, KeyFocus{fromCell, false, false, false}, key);
}

KeyAction ActionForKey(ViewState view, const KeyFocus& focus, const KeyPress& key) {
    KeyAction action;
    const std::optional<GridMove> move = GridMoveForKey(key);
    if (view == ViewState::DataInput && move && !focus.onControl) {
        action.taken = true;
        const int cell = CellAfterMove(focus.cell, *move);
        const bool stays = focus.cell >= 0 && cell == focus.cell;
        if (focus.gridEndsLeave && stays && (*move == GridMove::Next || *move == GridMove::Previous)) {
            action.leavesGrid = *move == GridMove::Next ? 1 : -1;
        } else {
            action.focusCell = cell;
        }
        return action;
    }
    const KeyDecision decision = DecideCommandKey(key, view);
    switch (decision.kind) {
        case KeyCommand::None:
            return action;
        case KeyCommand::CopyEquation:
            if (focus.textSelected) return action;  // the selection's copy
            action.taken = true;
            action.copiesEquation = true;
            return action;
        case KeyCommand::Toolbar:
            action.taken = CommandOfId(decision.command, action.command);
            action.hasCommand = action.taken;
            return action;
    }
    return action;
}

bool KeyHeldDuringDialog(const KeyPress& key) {
    const bool fieldKey = key.ctrl && (key.key == 'C' || (key.key == 'V' && key.shift));
    return IsCommandKey(key) && !fieldKey;
}

void ResetForNewGrid(ProgramState& state) {
    state.lastXColumn = 0;
    state.lastYColumn = 0;
    state.fitSettings.lastDegree = 0;
    state.view = ViewState::Initial;
}

std::string CellTextAfterEdit(const std::string& typed) {
    return ApplyCellRule(typed.substr(0, kCellTextLimit));
}

std::optional<std::string> CellTextAfterChange(const std::string& text) {
    if (ObeysCellRule(text)) return std::nullopt;
    return text.substr(0, text.size() - 1);
}

std::string EditCell(ProgramState& state, int cellIndex, const std::string& typed) {
    if (cellIndex < 0 || cellIndex >= kCellCount) return std::string();
    state.cells[cellIndex] = CellTextAfterEdit(typed);
    return state.cells[cellIndex];
}

}  // namespace plorimet
