#include "app/graph_commands_win.h"

#include <optional>

#include "graph/graph_plan.h"
#include "model/commands.h"
#include "win/dialog_win.h"
#include "win/message_box_win.h"

namespace plorimet {

namespace {

// A background fill that keeps failing is given up after this many tries.
constexpr int kBackgroundAttempts = 8;

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0);

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

}  // namespace

void DrawGraph(WindowState& state) {
    const Outcome outcome = FinishDrawGraph(state, ShowDialog(state.mainWindow, BeginDrawGraph(state)));
    if (outcome.hasMessage) ShowMessage(state.mainWindow, state.language, outcome.message);
    if (!outcome.drawsGraph) return;

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

    const GraphPlan plan = GraphPlanOf(state, width, height);
    FillBackground(dc, width, height);
    DrawSegments(dc, plan);
    DrawCurve(dc, plan);
    DrawDots(dc, plan);

    if (state.view == ViewState::Initial) state.logoSurface.Release();
    state.graphSurface.Swap(surface);
    GraphDrawn(state, plan.frame);
    InvalidateRect(state.mainWindow, nullptr, TRUE);
    UpdateWindow(state.mainWindow);
}

}  // namespace plorimet
