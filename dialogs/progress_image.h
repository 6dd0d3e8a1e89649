#pragma once

#include <QColor>
#include <QFont>
#include <QImage>

// The picture of the program's progress window: a bar drawn into an image
// with the percentage written on it, without a window. Step only draws what
// changed, so a fast loop costs no drawing between pixel columns.
class TProgressImage {
public:
    explicit TProgressImage(QSize size = QSize(329, 25), const QFont& font = QFont());

    // Clears the picture to the background, frames it and resets the bar;
    // a maximum below 1 counts as 1 (every step divides by it).
    void Start(int max);
    // Returns whether the picture changed.
    bool Step(int position);

    const QImage& Image() const { return image_; }
    int BarRight() const { return barRight_; }
    int Max() const { return max_; }
    int LastPercent() const { return lastPercent_; }


private:
    void clearAndFrame();
    void fillBar(int from, int to);

    QImage image_;
    QFont font_;
    QColor background_{255, 255, 255};
    QColor foreground_{0, 0, 0};
    int barTop_ = 1;
    int barBottom_ = 0;
    int barRight_ = 0;
    int max_ = 1;
    int lastPercent_ = -1;
};
