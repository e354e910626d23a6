// Geometry of the main window and of the data grid, in client pixels of the main window.
#pragma once

#include <array>

namespace plorimet {

constexpr int kMainWindowWidth = 636;        // also the shift that takes the grid out of view
constexpr int kInitialMainWindowHeight = 476;
constexpr int kCellCount = 90;               // 45 X cells, then 45 Y cells
constexpr int kCellWidth = 100;
constexpr int kRowsPerGroup = 15;
constexpr int kColumnCount = 6;
constexpr int kStartPictureWidth = 253;
constexpr int kStartPictureHeight = 221;
constexpr int kToolbarCover = 21;            // client rows the tool bar lies over

struct Point {
    int x;
    int y;
};

struct Rect {
    int left;
    int top;
    int right;
    int bottom;
};

struct GridLayout {
    int rowHeight = 0;
    int rowPitch = 0;
    int headingY = 0;
    std::array<int, kColumnCount> columnX{};
};

// From the text metrics of the main window's default font.
GridLayout MakeGridLayout(int textHeight, int externalLeading);

// Cells are indexed by control id - 101: 0..44 the X cells of pairs 1..45, 45..89 the Y cells.
bool IsCellCommand(int commandId);
int CellIndexForCommand(int commandId);
int CellCommandForIndex(int cellIndex);

// Top-left corner of a cell at home, shifted right by offset (0 shows the grid).
Point CellPosition(const GridLayout& layout, int cellIndex, int offset);

// The six column headings "X", "Y", "X", "Y", "X", "Y".
Point HeadingPosition(const GridLayout& layout, int column);
const char* HeadingText(int column);

// Where the equation is drawn (and erased): from the first column to the last one's right
// edge, from the heading row down to the bottom of the fifteenth cell row.
Rect EquationRect(const GridLayout& layout);

// Window height that fits the caption, two fixed frames, the heading offset, fifteen rows
// and two more.
int MainWindowHeight(int captionHeight, int dialogFrameHeight, const GridLayout& layout);

// The client area inside the main window's caption and fixed frames: the window's width less
// two frames; the heading offset, fifteen rows and two more high.
struct ClientSize {
    int width;
    int height;
};
ClientSize MainClientSize(int dialogFrameWidth, const GridLayout& layout);

// The metrics of a standard desktop, for drawing the graph where there is no window (the
// command-line tool): the default system font, 16 pixels high with no external leading, and
// dialog frames 3 pixels wide. The window reads the real ones from the system.
constexpr int kStandardTextHeight = 16;
constexpr int kStandardExternalLeading = 0;
constexpr int kStandardDialogFrame = 3;
// 630 x 344: the client area of the main window on such a desktop.
ClientSize StandardMainClientSize();

// Position that centres a window on the screen, halves rounded toward zero (a screen smaller
// than the window gives a negative position).
Point CentredOrigin(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

// Top-left corner of the start picture in a client area of the given size.
Point StartPictureOrigin(int clientWidth, int clientHeight);

}  // namespace plorimet
