#include "quintel/sel_mode.h"

#include "comm/tel_records.h"
#include "dialogs/glyph_button.h"
#include "quintel/cp_settings_dlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

TSelMode::TSelMode(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TSelMode"));
    OnlineBtn = new QRadioButton(QStringLiteral("Online"), this);
    OnlineBtn->setObjectName(QStringLiteral("OnlineBtn"));
    OnlineBtn->setGeometry(8, 8, 100, 20);
    OnlineBtn->setChecked(true);
    Offlinebtn = new QRadioButton(QStringLiteral("Offline"), this);
    Offlinebtn->setObjectName(QStringLiteral("Offlinebtn"));
    Offlinebtn->setGeometry(8, 32, 100, 20);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(120, 8, 120, 17);
    Edit1 = new QLineEdit(QStringLiteral("0"), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(120, 28, 60, 22);
    UpBtn = new QToolButton(this);
    UpBtn->setObjectName(QStringLiteral("UpBtn"));
    UpBtn->setArrowType(Qt::UpArrow);
    UpBtn->setGeometry(181, 28, 16, 11);
    DownBtn = new QToolButton(this);
    DownBtn->setObjectName(QStringLiteral("DownBtn"));
    DownBtn->setArrowType(Qt::DownArrow);
    DownBtn->setGeometry(181, 39, 16, 11);
    OkBtn = new TVarneGlyphButton(this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->SetGlyphKind(glOK);
    OkBtn->setText(QStringLiteral("OK"));
    OkBtn->setGeometry(8, 64, 100, 27);
    CancelBtn = new TVarneGlyphButton(this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->SetGlyphKind(glCancel);
    CancelBtn->setText(QStringLiteral("Cancel"));
    CancelBtn->setGeometry(120, 64, 100, 27);

    auto step = [this](int d) {
        const int v = ParseAddress(Edit1->text());
        Edit1->setText(QString::number(Step(v < 0 ? 0 : v, d)));
    };
    connect(UpBtn, &QToolButton::clicked, this, [step] { step(1); });
    connect(DownBtn, &QToolButton::clicked, this, [step] { step(-1); });
    connect(OnlineBtn, &QRadioButton::toggled, this, [this] { modeChanged(); });
    connect(OkBtn, &QPushButton::clicked, this, [this] { okClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { done(2); });
}

int TSelMode::ParseAddress(const QString& Text)
{
    bool ok = false;
    const int v = Text.trimmed().toInt(&ok);
    return ok && v >= 0 && v <= MaxInvAdr ? v : -1;
}

int TSelMode::Step(int Value, int Delta)
{
    const int n = MaxInvAdr + 1;
    return ((Value + Delta) % n + n) % n;
}

void TSelMode::modeChanged()
{
    const bool on = OnlineBtn->isChecked();
    Edit1->setEnabled(on);
    Label1->setEnabled(on);
    UpBtn->setEnabled(on);
    DownBtn->setEnabled(on);
    if (on)
        Edit1->setFocus();
}

void TSelMode::okClick()
{
    if (Offlinebtn->isChecked()) {
        Address = -1;
        done(1);
        return;
    }
    const int a = ParseAddress(Edit1->text());
    if (a < 0) {
        done(2);
        return;
    }
    Address = a;
    done(1);
}

void TSelMode::showEvent(QShowEvent* e)
{
    if (Address >= 0)
        Edit1->setText(QString::number(Address));
    modeChanged();
    SizeDialogToButtons(this, OkBtn, CancelBtn);
    QDialog::showEvent(e);
}
