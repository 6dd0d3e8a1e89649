#pragma once

// The scope set-up dialog: nine pages over a copy of the scope's setup
// (TSetScopeCore), which OK hands back to the scope and Cancel discards.

#include "scope/set_scope_core.h"

#include <QDialog>

#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TVarneGlyphButton;

// Two small arrow buttons ("Up", "Down") stepping a value.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent = nullptr);
    std::function<void(bool Up)> OnStep;
};

class TSetScope : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 392;
    static constexpr int ClientHeight = 251;
    static constexpr int HelpContext = 49;

    explicit TSetScope(QWidget* parent = nullptr);
    ~TSetScope() override;

    TSetScopeCore& Core() { return core_; }

    // Takes the scope's setup and shows the page modally; true on OK
    // (Core() then holds the accepted copy, notes included).
    bool Execute(const TScopeEngine& Eng, int Page);
    // Refreshes the controls of a page from the copy.
    void UpdateTabs(int Page);
    // Sets an edit's text keeping its caret, selecting nothing.
    static void SetEditText(QLineEdit* Edit, const QString& Text);

    QTabWidget* PageControl1;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QCheckBox* cbXYMode;
    QComboBox* cbxyChan;
    QLabel* Xaxislabel;
    QLineEdit* XDevField;
    QLabel* XDevLabel;
    QLineEdit* MaxRTimeField;
    QLabel* MaxRTimeLabel;
    QLineEdit* ReadCycleField;
    QLabel* ReadCycleLabel;
    QCheckBox* RollBox;
    QPushButton* BcolBtn;
    QLabel* ColBack;
    QPushButton* CcolBtn;
    QLabel* ColGrid;
    struct ChannelPage {
        QWidget* Sheet = nullptr;
        QPushButton* PnameBut = nullptr;
        QLabel* Pname = nullptr;
        QPushButton* InvBut = nullptr;
        QLabel* InvName = nullptr;
        QPushButton* ColBtn = nullptr;
        QLabel* ColCH = nullptr;
        QLineEdit* SetField = nullptr;
        TUpDown* UpDownSet = nullptr;
        QLabel* SetLabel = nullptr;
        QLineEdit* YofsField = nullptr;
        TUpDown* UpDownYofs = nullptr;
        QLabel* YofsLabel = nullptr;
        QLineEdit* YfacField = nullptr;
        TUpDown* UpDownYfac = nullptr;
        QLabel* YfacLabel = nullptr;
        QPushButton* Autobtn = nullptr;
        QPushButton* offBtn = nullptr;
        QCheckBox* CBInvisible = nullptr;
    };
    std::array<ChannelPage, kScopeChannels> Chan;
    QGroupBox* TrigChanGrp;
    QButtonGroup* TrigChanButtons;
    QGroupBox* TrigLevBox;
    QLineEdit* TrigLevField;
    QPushButton* TrigLevbut;
    QGroupBox* TrigSlopeGrp;
    QButtonGroup* TrigSlopeButtons;
    QLineEdit* TrigDelayField;
    QLabel* TrigdelayLabel;
    QPushButton* OflTbaseBut;
    QLineEdit* OflTbasefield;
    QPushButton* OflTrigBut;
    QLineEdit* OflTrigfield;
    QPushButton* OflTrigposBut;
    QLineEdit* OflTrigposfield;
    QPlainTextEdit* Memo1;
    TVarneGlyphButton* Button1;
    TVarneGlyphButton* Button2;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void buildModePage();
    void buildXPage();
    void buildChannelPage(int k);
    void buildTriggerPage();
    void buildOfflinePage();
    void FormActivate();
    void showOfflineMode();
    void refresh() { UpdateTabs(core_.PageIndex); }
    int chanOfPage() const { return core_.PageIndex - TSetScopeCore::pgChanA; }
    QString text(int s, int i) const { return core_.Text(s, i); }

    TSetScopeCore core_;
    QWidget* sheets_[9] = {};
    bool updating_ = false;
};
