#pragma once

// TSelMode: the Quintel program's inverter choice, an address 0..239 or
// offline.

#include <QDialog>

class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;
class TVarneGlyphButton;

class TSelMode : public QDialog {
    Q_OBJECT
public:
    explicit TSelMode(QWidget* parent = nullptr);

    // The chosen address; -1 offline.
    int Address = 0;

    // The address typed, or -1 when it is no number or outside 0..239.
    static int ParseAddress(const QString& Text);
    // One step of the up-down control, wrapping within 0..239.
    static int Step(int Value, int Delta);

    QRadioButton* OnlineBtn;
    QRadioButton* Offlinebtn;
    QLineEdit* Edit1;
    QToolButton* UpBtn;
    QToolButton* DownBtn;
    QLabel* Label1;
    TVarneGlyphButton* OkBtn;
    TVarneGlyphButton* CancelBtn;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void modeChanged();
    void okClick();
};
