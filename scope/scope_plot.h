#pragma once

// The scope's two drawing surfaces. Each keeps its picture in an off-screen
// image that the window draws into; the plot lays the cursor lines over
// its image when it paints, so moving a cursor never redraws a trace.

#include <QImage>
#include <QWidget>

#include <functional>
#include <vector>

struct TScopeOverlayLine {
    QLine Line;
    Qt::PenStyle Style = Qt::SolidLine;
    QColor Colour;
};

class TScopeSurface : public QWidget {
    Q_OBJECT
public:
    explicit TScopeSurface(QWidget* parent = nullptr);

    // The picture, as large as the widget (renewed blank when the size
    // changed, also before a hidden widget got its resize event).
    QImage& Image();
    // Lines drawn over the picture at every paint.
    std::vector<TScopeOverlayLine> Overlay;

    std::function<void(QMouseEvent*)> OnMouseDown, OnMouseMove, OnMouseUp;
    std::function<void()> OnResized;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QImage image_;
};
