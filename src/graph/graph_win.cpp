#include "graph/graph_win.h"

#include <cstring>
#include <optional>

#include "base/file_save.h"
#include "graph/dib.h"
#include "graph/graph_plan.h"
#include "shell/dialog_guard_win.h"
#include "shell/file_dialog_win.h"
#include "shell/message_box_win.h"

namespace plorimet {

namespace {

// Where the Save Graph button sits in the tool bar strip.
constexpr int kSaveGraphButtonLeft = 239;
constexpr int kSaveGraphButtonRight = 271;
// A background fill that keeps failing is given up after this many tries.
constexpr int kBackgroundAttempts = 8;

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0);

// ---- The settings dialog ---------------------------------------------------------------

void CheckInGroup(HWND dialog, int buttonId) {
    const RadioGroup group = RadioGroupOf(buttonId);
    if (group.first != 0) CheckRadioButton(dialog, group.first, group.last, buttonId);
}

INT_PTR HandleGraphSettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* settings = reinterpret_cast<GraphSettings*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            settings = reinterpret_cast<GraphSettings*>(lParam);
            const GraphDialogChecks checks = InitGraphSettingsDialog(*settings);
            for (int button : {checks.thicknessButton, checks.dotButton, checks.sizeButton, checks.scaleButton})
                CheckInGroup(dialog, button);
            return TRUE;
        }
        case WM_COMMAND: {
            if (!settings) return TRUE;
            const int id = LOWORD(wParam);
            if (id == IDOK) {
                std::array<bool, kGraphRadioButtonCount> checked{};
                for (int k = 0; k < kGraphRadioButtonCount; ++k)
                    checked[k] = IsDlgButtonChecked(dialog, kFirstThicknessButton + k) == BST_CHECKED;
                AcceptGraphSettings(*settings, checked);
                EndDialog(dialog, kGraphDialogResultOk);
            } else if (id == IDCANCEL) {
                CancelGraphSettings(*settings);
                EndDialog(dialog, kGraphDialogResultCancel);
            } else if (ApplyGraphSettingsClick(*settings, id)) {
                CheckInGroup(dialog, id);
            }
            return TRUE;
        }
        case WM_CLOSE:
            if (settings) CancelGraphSettings(*settings);
            EndDialog(dialog, kGraphDialogResultClosed);
            return TRUE;
    }
    return FALSE;
}

// A dialog that fails draws nothing.
void CancelGraphDialog(HWND dialog) {
    if (auto* settings = reinterpret_cast<GraphSettings*>(GetWindowLongPtrA(dialog, DWLP_USER)))
        CancelGraphSettings(*settings);
}

// ---- Drawing ---------------------------------------------------------------------------

void FillBackground(HDC dc, int width, int height) {
    for (int attempt = 0; attempt < kBackgroundAttempts; ++attempt) {
        OwnedPen pen(CreatePen(PS_SOLID, 1, kWhite));
        OwnedBrush brush(CreateSolidBrush(kWhite));
        SelectGuard selectPen(dc, pen.get());
        SelectGuard selectBrush(dc, brush.get());
        if (Rectangle(dc, 0, 0, width, height)) return;
    }
}

void DrawSegments(HDC dc, const GraphPlan& plan) {
    OwnedPen pen(CreatePen(PS_SOLID, 1, kBlack));
    SelectGuard select(dc, pen.get());
    MoveToEx(dc, plan.frameOutline[0].x, plan.frameOutline[0].y, nullptr);
    for (size_t i = 1; i < plan.frameOutline.size(); ++i) LineTo(dc, plan.frameOutline[i].x, plan.frameOutline[i].y);
    for (const Segment& mark : plan.scaleMarks) {
        MoveToEx(dc, mark.from.x, mark.from.y, nullptr);
        LineTo(dc, mark.to.x, mark.to.y);
    }
}

void DrawCurve(HDC dc, const GraphPlan& plan) {
    OwnedPen pen(CreatePen(PS_SOLID, plan.curvePenWidth, kBlack));
    SelectGuard select(dc, pen.get());
    for (const CurveStep& step : plan.curve) {
        if (step.kind == PenStep::Move) {
            MoveToEx(dc, step.to.x, step.to.y, nullptr);
        } else {
            LineTo(dc, step.to.x, step.to.y);
        }
    }
}

void DrawDots(HDC dc, const GraphPlan& plan) {
    OwnedBrush brush(CreateSolidBrush(kRed));
    SelectGuard select(dc, brush.get());
    for (const DotBox& dot : plan.dots) Ellipse(dc, dot.left, dot.top, dot.right, dot.bottom);
}

// ---- Capture ---------------------------------------------------------------------------

// The framed part of the graph as a 16-colour image, or nothing when it cannot be made.
std::optional<IndexedImage> CaptureGraph(const ProgramState& state) {
    const CaptureRegion region = CaptureRegionOf(state.graphFrame);
    if (!state.graphSurface.held() || region.IsEmpty()) return std::nullopt;

    struct FourBitInfo {
        BITMAPINFOHEADER header;
        RGBQUAD colours[16];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = region.width;
    info.header.biHeight = -region.height;  // top-down, so row y is at y * stride
    info.header.biPlanes = 1;
    info.header.biBitCount = 4;
    info.header.biCompression = BI_RGB;
    for (int i = 0; i < 16; ++i) {
        info.colours[i].rgbRed = kGraphPalette[i].red;
        info.colours[i].rgbGreen = kGraphPalette[i].green;
        info.colours[i].rgbBlue = kGraphPalette[i].blue;
    }

    WindowDC screen(state.mainWindow);
    if (!screen) return std::nullopt;
    void* bits = nullptr;
    OwnedBitmap section(CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                         nullptr, 0));
    MemoryDC memory(screen.get());
    if (!section || !bits || !memory) return std::nullopt;
    SelectGuard select(memory.get(), section.get());
    if (!select.ok()) return std::nullopt;
    SetStretchBltMode(memory.get(), COLORONCOLOR);
    if (!BitBlt(memory.get(), 0, 0, region.width, region.height, state.graphSurface.dc(), region.left, region.top,
                SRCCOPY))
        return std::nullopt;
    GdiFlush();

    IndexedImage image(region.width, region.height);
    const std::uint32_t stride = DibRowSize(region.width);
    const auto* rows = static_cast<const std::uint8_t*>(bits);
    for (int y = 0; y < region.height; ++y) {
        const std::uint8_t* row = rows + static_cast<size_t>(y) * stride;
        for (int x = 0; x < region.width; ++x) {
            const std::uint8_t pair = row[x / 2];
            image.Set(x, y, (x % 2 == 0) ? pair >> 4 : pair & 0x0f);
        }
    }
    return image;
}

// Hands a block to the clipboard; the block is freed here unless the clipboard took it.
void PutOnClipboard(HWND owner, HGLOBAL block) {
    ClipboardSession clipboard(owner);
    if (clipboard.open() && EmptyClipboard() && SetClipboardData(CF_DIB, block)) return;
    GlobalFree(block);
}

}  // namespace

void DrawGraph(ProgramState& state) {
    GraphSettings& settings = state.graphSettings;
    settings.settingsCancelled = false;
    const char* templateName = state.language == UiLanguage::Japanese ? "PENSIZE_DLG_J" : "PENSIZE_DLG";
    const INT_PTR result = DialogBoxParamA(state.appInstance, templateName, state.mainWindow, GuardedDialogProc<HandleGraphSettingsDialog, CancelGraphDialog>,
                                           reinterpret_cast<LPARAM>(&settings));
    if (result == -1) {
        ShowMessage(state.mainWindow, state.language, MessageId::UnableToDisplayDialog);
        return;
    }
    if (settings.settingsCancelled) return;

    const int termCount = TermCount(state.fitSettings, state.dataSet);
    if (YRangeIsFlat(state.dataSet)) {
        ShowMessage(state.mainWindow, state.language, MessageId::YValuesSame);
        return;
    }

    RECT client{};
    GetClientRect(state.mainWindow, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    WindowDC screen(state.mainWindow);
    // The new picture is made before the old one is let go, so a failure keeps what is shown.
    ViewSurface surface;
    if (!screen || !surface.Hold(screen.get(), CreateCompatibleBitmap(screen.get(), width, height))) return;
    HDC dc = surface.dc();
    SetStretchBltMode(dc, COLORONCOLOR);

    const GraphPlan plan =
        PlanGraph(width, height, state.dataSet, state.fitResult.coefficients, termCount, settings);
    FillBackground(dc, width, height);
    DrawSegments(dc, plan);
    DrawCurve(dc, plan);
    DrawDots(dc, plan);

    if (state.view == ViewState::Initial) state.logoSurface.Release();
    state.graphSurface.Swap(surface);
    state.graphFrame = plan.frame;
    state.view = ViewState::Graph;
    InvalidateRect(state.mainWindow, nullptr, TRUE);
    UpdateWindow(state.mainWindow);
}

void CopyGraph(ProgramState& state) {
    const std::optional<IndexedImage> image = CaptureGraph(state);
    if (!image) return;
    const Bytes packed = PackedDib(*image, kClipboardImportantColours);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, packed.size());
    if (!block) {
        ShowMessage(state.mainWindow, state.language, MessageId::ClipboardMemory);
        return;
    }
    {
        GlobalLockGuard<std::uint8_t> locked(block);
        if (!locked) {
            GlobalFree(block);
            return;
        }
        std::memcpy(locked.get(), packed.data(), packed.size());
    }
    PutOnClipboard(state.mainWindow, block);
}

void SaveGraph(ProgramState& state) {
    const FileDialogResult choice =
        RunFileDialog(state.mainWindow, state.language,
                      {/*save=*/true, TextId::SaveGraphTitle, TextId::SaveGraphFilter, "*.bmp", "bmp"});
    if (choice.kind == FileDialogResult::Kind::Failed) {
        ShowMessage(state.mainWindow, state.language, MessageId::SaveDialogError, choice.errorCode);
        return;
    }
    RepaintToolbarStrip(state.mainWindow, kSaveGraphButtonLeft, kSaveGraphButtonRight);
    if (choice.kind == FileDialogResult::Kind::Cancelled) return;

    const std::optional<IndexedImage> image = CaptureGraph(state);
    if (!image) {
        ShowMessage(state.mainWindow, state.language, MessageId::UnableToWriteInFile);
        return;
    }
    Bytes file = BmpFileBytes(*image);
    Bytes packed(file.begin() + kFileHeaderSize, file.end());
    if (const CaptureHeaderCheck check = CheckCaptureHeader(packed, kBmpBitsOffset); check.failure) {
        ShowMessage(state.mainWindow, state.language, *check.failure);
        return;
    }
    const std::string bytes(file.begin(), file.end());
    if (const auto failure = SaveFailureMessage(SaveFileReplacing(choice.path, bytes), SavedFile::Graph))
        ShowMessage(state.mainWindow, state.language, *failure);
}

}  // namespace plorimet
