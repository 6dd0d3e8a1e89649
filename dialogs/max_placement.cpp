#include "dialogs/max_placement.h"

#include "dialogs/window_place.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

QPointer<QWidget> g_bar;

// The client rectangle a maximise request gave the window (invalid: none).
constexpr char kPlacedProperty[] = "maxPlacedGeometry";

class MaxPlacementFilter : public QObject {
public:
    explicit MaxPlacementFilter(QWidget* window) : QObject(window), window_(window)
    {
        setObjectName(QStringLiteral("MaxPlacement"));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (o == window_ && e->type() == QEvent::WindowStateChange && !pending_
            && (window_->windowState() & Qt::WindowMaximized) && MaxPlacementBar()) {
            // Answered after the window's own handling of the request.
            pending_ = true;
            QMetaObject::invokeMethod(this, [this] { place(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void place()
    {
        pending_ = false;
        QWidget* bar = MaxPlacementBar();
        // Withdrawn meanwhile (restored or minimised) or no bar any more.
        if (!bar || bar == window_ || !(window_->windowState() & Qt::WindowMaximized))
            return;
        const QScreen* s = bar->screen() ? bar->screen() : QGuiApplication::primaryScreen();
        if (!s)
            return;
        const QRect work = s->availableGeometry();
        const QRect frame = MaxPlacementFrame(work, bar->frameGeometry());
        // A work area that already starts below the bar (the bar reserves
        // its strip with the window manager) is what the window manager
        // fills: its maximised window is the right one.
        if (frame == work && !bar->frameGeometry().intersects(work))
            return;
        window_->setWindowState(window_->windowState() & ~Qt::WindowMaximized);
        // A window not framed yet has no known decorations: the bar's are
        // the estimate.
        const QRect target = frame.marginsRemoved(EstimatedFrameMargins(window_));
        // Set first: the window's own resize handling asks for it.
        window_->setProperty(kPlacedProperty, target);
        window_->setGeometry(target);
    }

    QWidget* window_;
    bool pending_ = false;
};

}  // namespace

QRect MaxPlacementFrame(const QRect& WorkArea, const QRect& BarFrame)
{
    if (BarFrame.isEmpty())
        return WorkArea;
    const int top = std::max(WorkArea.top(), BarFrame.top() + BarFrame.height());
    if (top > WorkArea.bottom())
        return WorkArea;
    return QRect(WorkArea.left(), top, WorkArea.width(), WorkArea.bottom() + 1 - top);
}

QRect MaxPlacementGeometry(const QRect& WorkArea, const QRect& BarFrame, const QMargins& Frame)
{
    return MaxPlacementFrame(WorkArea, BarFrame).marginsRemoved(Frame);
}

void SetMaxPlacementBar(QWidget* Bar)
{
    g_bar = Bar;
}

QWidget* MaxPlacementBar()
{
    return g_bar;
}

void InstallMaxPlacement(QWidget* Window)
{
    if (Window && !Window->findChild<QObject*>(QStringLiteral("MaxPlacement"), Qt::FindDirectChildrenOnly))
        new MaxPlacementFilter(Window);
}

bool IsMaxPlaced(const QWidget* Window)
{
    if (!Window)
        return false;
    const QRect placed = Window->property(kPlacedProperty).toRect();
    return placed.isValid() && Window->geometry() == placed;
}

bool CountsAsMaximised(const QWidget* Window)
{
    return Window && (Window->isMaximized() || IsMaxPlaced(Window));
}
