#include "base/window_layout.h"

#include "resource_ids.h"

namespace plorimet {

namespace {

constexpr int kHeadingGap = 20;
constexpr int kHeadingIndent = 45;
constexpr std::array<int, kColumnCount> kColumnX = {5, 105, 215, 315, 425, 525};

}  // namespace

GridLayout MakeGridLayout(int textHeight, int externalLeading) {
    GridLayout layout;
    layout.rowHeight = textHeight + externalLeading + 2;
    layout.rowPitch = layout.rowHeight;
    layout.headingY = layout.rowHeight + kHeadingGap;
    layout.columnX = kColumnX;
    return layout;
}

bool IsCellCommand(int commandId) {
    return commandId >= IDC_FIRST_X_CELL && commandId <= IDC_LAST_Y_CELL;
}

int CellIndexForCommand(int commandId) {
    return commandId - IDC_FIRST_X_CELL;
}

int CellCommandForIndex(int cellIndex) {
    return cellIndex + IDC_FIRST_X_CELL;
}

Point CellPosition(const GridLayout& layout, int cellIndex, int offset) {
    const bool isY = cellIndex >= kCellCount / 2;
    const int pair = isY ? cellIndex - kCellCount / 2 : cellIndex;  // 0..44
    const int group = pair / kRowsPerGroup;                          // 0..2
    const int row = pair % kRowsPerGroup + 1;                        // 1..15
    const int column = group * 2 + (isY ? 1 : 0);
    return {layout.columnX[column] + offset, layout.headingY + row * layout.rowPitch};
}

Point HeadingPosition(const GridLayout& layout, int column) {
    return {layout.columnX[column] + kHeadingIndent, layout.headingY};
}

const char* HeadingText(int column) {
    return column % 2 == 0 ? "X" : "Y";
}

Rect EquationRect(const GridLayout& layout) {
    return {layout.columnX[0], layout.headingY, layout.columnX[kColumnCount - 1] + kCellWidth,
            layout.headingY + kRowsPerGroup * layout.rowPitch + layout.rowHeight};
}

int MainWindowHeight(int captionHeight, int dialogFrameHeight, const GridLayout& layout) {
    return captionHeight + 2 * dialogFrameHeight + MainClientSize(0, layout).height;
}

ClientSize MainClientSize(int dialogFrameWidth, const GridLayout& layout) {
    return {kMainWindowWidth - 2 * dialogFrameWidth,
            layout.headingY + kRowsPerGroup * layout.rowPitch + 2 * layout.rowHeight};
}

ClientSize StandardMainClientSize() {
    return MainClientSize(kStandardDialogFrame, MakeGridLayout(kStandardTextHeight, kStandardExternalLeading));
}

Point CentredOrigin(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
    return {(screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 2};
}

Point StartPictureOrigin(int clientWidth, int clientHeight) {
    return {clientWidth / 2 - 126, clientHeight / 2 - 110};
}

}  // namespace plorimet
