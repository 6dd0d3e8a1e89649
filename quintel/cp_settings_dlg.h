#pragma once

// TCPsettings: the Quintel program's settings dialog (port, baud rate,
// time-out, languages, protocol) over the values of TCpSettings.

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QRadioButton;
class TCpSettings;
class TVarneGlyphButton;

class TCPsettings : public QDialog {
    Q_OBJECT
public:
    static const QStringList& TimeOutItems();  // "20 ms" .. "500 ms"

    explicit TCPsettings(QWidget* parent = nullptr);

    // Shows the dialog for Settings; on OK (result 1) copies the choice
    // back. A stored time-out that no item matches stays unless one is
    // picked.
    int Execute(TCpSettings& Settings);
    // Fills the controls from Settings / copies them back (also used by tests).
    void Fill(const TCpSettings& Settings);
    void CopyBack(TCpSettings& Settings) const;

    QComboBox* PortBox;
    QComboBox* BaudBox;
    QComboBox* TimeOutBox;
    QComboBox* LangBox;
    QComboBox* ParaLangBox;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QRadioButton* rbAnsi;
    QRadioButton* rbZelk;
    TVarneGlyphButton* OkBtn;
    TVarneGlyphButton* CancelBtn;

protected:
    void showEvent(QShowEvent* e) override;

private:
    int FStoredTimeOut = 0;
};

// Both dialogs size themselves to their buttons.
void SizeDialogToButtons(QWidget* dialog, const QWidget* ok, const QWidget* cancel);
