// The least a program can do to show the three settings dialogs: a plain window that, on the
// commands 1, 2 and 3, runs the program's own templates (fit settings, graph settings, column
// dialog) with a dialog procedure that does nothing but close them. The driver's
// measure-dialogs mode times it against TAVRO_95.EXE in the same Wine session.
#include <windows.h>

namespace {

constexpr char kBenchClass[] = "PlorimetDialogBench";

INT_PTR CALLBACK CloseOnlyProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    if (message == WM_CLOSE) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

LRESULT CALLBACK BenchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        const bool japanese = GetACP() == 932;
        const char* name = nullptr;
        switch (LOWORD(wParam)) {
            case 1: name = japanese ? "SMOOTHING_DLG_J" : "SMOOTHING_DLG"; break;
            case 2: name = japanese ? "PENSIZE_DLG_J" : "PENSIZE_DLG"; break;
            case 3: name = japanese ? "COLUMN_NUM_DLG_J" : "COLUMN_NUM_DLG"; break;
            default: return 0;
        }
        DialogBoxParamA(GetModuleHandleA(nullptr), name, window, CloseOnlyProc, 0);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = BenchProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kBenchClass;
    if (!RegisterClassA(&wc)) return 1;
    HWND window = CreateWindowExA(0, kBenchClass, "Dialog bench", WS_OVERLAPPED | WS_SYSMENU | WS_MINIMIZEBOX, 100,
                                  100, 636, 476, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
