#include "scope/scope_plot.h"

#include <QMouseEvent>
#include <QPainter>

TScopeSurface::TScopeSurface(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

QImage& TScopeSurface::Image()
{
    const QSize want = size().expandedTo(QSize(1, 1));
    if (image_.size() != want) {
        image_ = QImage(want, QImage::Format_RGB32);
        image_.fill(Qt::black);
    }
    return image_;
}

void TScopeSurface::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, Image());
    for (const TScopeOverlayLine& l : Overlay) {
        p.setPen(QPen(l.Colour, 1, l.Style));
        p.drawLine(l.Line);
    }
}

void TScopeSurface::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    Image();
    if (OnResized)
        OnResized();
}

void TScopeSurface::mousePressEvent(QMouseEvent* e)
{
    if (OnMouseDown)
        OnMouseDown(e);
}

void TScopeSurface::mouseMoveEvent(QMouseEvent* e)
{
    if (OnMouseMove)
        OnMouseMove(e);
}

void TScopeSurface::mouseReleaseEvent(QMouseEvent* e)
{
    if (OnMouseUp)
        OnMouseUp(e);
}
