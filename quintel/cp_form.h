#pragma once

// TForm1: the Quintel program's main window. It draws TQuintelProgram
// and forwards the user's input; the buttons only set requests that the
// program's cycle takes up.

#include "quintel/cp_program.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTableView;
class QToolButton;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    TForm1(SettingsStore& Store, ICpInteraction& Ui, QWidget* parent = nullptr,
           const TProtSel::TDriverFactory& Factory = {});
    ~TForm1() override;

    TQuintelProgram& Program() { return *FProgram; }
    // Called once the language texts are loaded (after the first showing).
    std::function<void(const TVortalinText&)> OnTextsLoaded;

    QWidget* Panel1;
    QToolButton* Quitbtn;
    QToolButton* PrintBtn;
    QToolButton* SaveBtn;
    QToolButton* CopyBtn;
    QToolButton* Dwnloadbtn;
    QToolButton* EditBtn;
    QPushButton* invBtn;
    QLabel* StaticText1;
    QPushButton* ComBtn;
    QTableView* ListView1;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void refresh();
    void applyWidths();
    void applyTexts();
    void editRequest();

    std::unique_ptr<TQuintelProgram> FProgram;
};
