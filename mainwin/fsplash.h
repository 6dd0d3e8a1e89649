#pragma once

#include <QWidget>

class QLabel;

// The splash window: borderless, centred, client 455 x 293, a stretched
// picture and a one-line status bar. It shows itself when created.
class TFSplash : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 455;
    static constexpr int ClientHeight = 293;
    static constexpr int StateBarHeight = 19;

    explicit TFSplash(QWidget* parent = nullptr);

    QLabel* Image1;
    QLabel* StateBar;

    // Loads the picture; false when the file cannot be read.
    bool LoadPicture(const QString& fileName);
    void SetState(const QString& text);
};
