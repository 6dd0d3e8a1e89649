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
    QRect r(QPoint(0, 0), FrameSize);
    r.moveCenter(WorkArea.center());
    const bool besideBar = BarFrame.isEmpty() || r.right() < BarFrame.left() || r.left() > BarFrame.right();
    int top = r.top();
    if (!besideBar && top <= BarFrame.bottom())
        top = BarFrame.bottom() + 1;
    // Too low now: up as far as the work area's bottom allows, never back
    // over the bar; a window taller than the room left hangs off the bottom.
    const int floor = besideBar ? WorkArea.top() : std::max(WorkArea.top(), BarFrame.bottom() + 1);
    top = std::max(floor, std::min(top, WorkArea.bottom() + 1 - r.height()));
    r.moveTop(top);
    // Wider than the work area: its left edge stays visible.
    if (r.left() < WorkArea.left())
        r.moveLeft(WorkArea.left());
    return r;
}

namespace {

QMargins frameMargins(const QWidget* w)
{
    const QRect f = w->frameGeometry();
    const QRect c = w->geometry();
    return QMargins(c.left() - f.left(), c.top() - f.top(), f.right() - c.right(), f.bottom() - c.bottom());
}

} // namespace

void CentreOnWorkArea(QWidget* Window)
{
    if (!Window)
        return;
    QWidget* bar = MaxPlacementBar();
    if (bar == Window)
        return;
    // Centred at the size it opens with: polished, laid out as show() would
    // and its texts fitted.
    Window->ensurePolished();
    if (Window->layout())
        Window->layout()->activate();
    if (!Window->isVisible() && !Window->testAttribute(Qt::WA_Resized))
        Window->adjustSize();
    FitTexts(Window);
    QScreen* screen = Window->screen() ? Window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QMargins m = frameMargins(Window);
    if (m.isNull() && bar && bar->isVisible())
        m = frameMargins(bar);
    const QSize frameSize = Window->size().grownBy(m);
    const QRect barFrame = bar && bar->isVisible() ? bar->frameGeometry() : QRect();
    // move() places a top-level window by its frame's top-left corner.
    Window->move(CentredFrame(screen->availableGeometry(), barFrame, frameSize).topLeft());
}
