#include "dialogs/window_place.h"

#include <QGuiApplication>
#include <QLayout>
#include <QMargins>
#include <QScreen>
#include <QWidget>

#include <algorithm>

#include "dialogs/max_placement.h"
#include "dialogs/text_fit.h"

QRect CentredFrame(const QRect& WorkArea, const QRect& BarFrame, const QSize& FrameSize)
{
    return CentredFrameOver(WorkArea, BarFrame, WorkArea, FrameSize);
}

QRect CentredFrameOver(const QRect& WorkArea, const QRect& BarFrame, const QRect& Over, const QSize& FrameSize)
{
    QRect r(QPoint(0, 0), FrameSize);
    r.moveCenter(Over.center());
    // Past the work area's right edge (over a window near it): back inside;
    // wider than the work area: its left edge stays visible.
    if (r.right() > WorkArea.right())
        r.moveRight(WorkArea.right());
    if (r.left() < WorkArea.left())
        r.moveLeft(WorkArea.left());
    const bool besideBar = BarFrame.isEmpty() || r.right() < BarFrame.left() || r.left() > BarFrame.right();
    int top = r.top();
    if (!besideBar && top <= BarFrame.bottom())
        top = BarFrame.bottom() + 1;
    // Too low now: up as far as the work area's bottom allows, never back
    // over the bar; a window taller than the room left hangs off the bottom.
    const int floor = besideBar ? WorkArea.top() : std::max(WorkArea.top(), BarFrame.bottom() + 1);
    top = std::max(floor, std::min(top, WorkArea.bottom() + 1 - r.height()));
    r.moveTop(top);
    return r;
}

QMargins FrameMargins(const QWidget* Window)
{
    const QRect f = Window->frameGeometry();
    const QRect c = Window->geometry();
    return QMargins(c.left() - f.left(), c.top() - f.top(), f.right() - c.right(), f.bottom() - c.bottom());
}

QMargins EstimatedFrameMargins(const QWidget* Window)
{
    const QMargins own = FrameMargins(Window);
    QWidget* bar = MaxPlacementBar();
    if (own.isNull() && bar && bar != Window && bar->isVisible())
        return FrameMargins(bar);
    return own;
}

void CentreOnWorkArea(QWidget* Window)
{
    if (!Window || MaxPlacementBar() == Window)
        return;
    // Centred at the size it opens with: polished, laid out as show() would
    // and its texts fitted.
    Window->ensurePolished();
    if (Window->layout())
        Window->layout()->activate();
    if (!Window->isVisible() && !Window->testAttribute(Qt::WA_Resized))
        Window->adjustSize();
    FitTexts(Window);
    PlaceCentredOver(Window, nullptr);
}

void PlaceCentredOver(QWidget* Window, const QWidget* Over)
{
    if (!Window)
        return;
    QWidget* bar = MaxPlacementBar();
    if (bar == Window)
        return;
    QScreen* screen = Window->screen() ? Window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize frameSize = Window->size().grownBy(EstimatedFrameMargins(Window));
    const QRect barFrame = bar && bar->isVisible() ? bar->frameGeometry() : QRect();
    const QRect work = screen->availableGeometry();
    const bool overWindow = Over && Over != bar && Over != Window && Over->isVisible() && !Over->isMinimized();
    MoveFrameTo(Window, CentredFrameOver(work, barFrame, overWindow ? Over->frameGeometry() : work, frameSize).topLeft());
}

void MoveFrameTo(QWidget* Window, const QPoint& Corner)
{
    if (!Window)
        return;
    // move() places a top-level window by its frame's top-left corner, but
    // of a window that exists in the window system and has no frame yet it
    // places the inside, and the window manager puts the frame around that.
    const bool insideOnly = FrameMargins(Window).isNull() && Window->testAttribute(Qt::WA_WState_Created);
    const QMargins m = EstimatedFrameMargins(Window);
    Window->move(insideOnly ? Corner + QPoint(m.left(), m.top()) : Corner);
}
