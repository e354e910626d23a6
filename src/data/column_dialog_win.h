// The dialog that asks which pasted columns hold X and Y.
#pragma once

#include <optional>

#include "data/sheet_text.h"
#include "win/program_state_win.h"

namespace plorimet {

struct ColumnDialogRequest {
    int columnCount = 3;
    int proposedX = 1;
    int proposedY = 3;
};

// The user's answer, or nothing when the dialog could not be shown.
std::optional<ColumnDialogAnswer> ShowColumnDialog(const ProgramState& state, const ColumnDialogRequest& request);

}  // namespace plorimet
