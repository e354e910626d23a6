#include "win/window_text_win.h"

#include <vector>

namespace plorimet {

std::string ReadWindowText(HWND window, int maxChars) {
    if (!window || maxChars <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(maxChars) + 1, '\0');
    const int length = GetWindowTextA(window, buffer.data(), maxChars + 1);
    return std::string(buffer.data(), length > 0 ? static_cast<size_t>(length) : 0);
}

void WriteWindowText(HWND window, const std::string& text) {
    SetWindowTextA(window, text.c_str());
}

}  // namespace plorimet
