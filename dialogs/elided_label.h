#pragma once

// A one-line label for texts that change while its window is open (status
// panels, values shown in a window's fields). A text wider than the label
// is cut with an ellipsis, and the tool tip shows it whole; the label never
// asks its layout for the room of its text, so a long text leaves the
// window's size, and the panes around the label, as they were.

#include <QLabel>

class TElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit TElidedLabel(QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    // Whether the text is cut at the label's present width.
    bool Elided() const;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    QRect textRect() const;
};
