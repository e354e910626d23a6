// Reading and writing window texts without fixed buffers at the call sites.
#pragma once

#include <windows.h>

#include <string>

namespace plorimet {

// At most maxChars characters of a window's text (the rest is cut, as the cells are read).
std::string ReadWindowText(HWND window, int maxChars);

void WriteWindowText(HWND window, const std::string& text);

}  // namespace plorimet
