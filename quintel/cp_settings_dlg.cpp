#include "quintel/cp_settings_dlg.h"

#include "config/lang_texts.h"
#include "dialogs/glyph_button.h"
#include "quintel/cp_settings.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

#include <algorithm>

const QStringList& TCPsettings::TimeOutItems()
{
    static const QStringList items{QStringLiteral("20 ms"), QStringLiteral("50 ms"), QStringLiteral("100 ms"),
                                   QStringLiteral("200 ms"), QStringLiteral("500 ms")};
    return items;
}

void SizeDialogToButtons(QWidget* dialog, const QWidget* ok, const QWidget* cancel)
{
    dialog->setFixedSize(cancel->x() + cancel->width() + ok->x(), cancel->y() + cancel->height() + 5);
}

TCPsettings::TCPsettings(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TCPsettings"));
    auto label = [this](const char* name, int y) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(8, y + 3, 128, 17);
        return l;
    };
    auto combo = [this](const char* name, int y) {
        auto* c = new QComboBox(this);
        c->setObjectName(QString::fromLatin1(name));
        c->setGeometry(140, y, 130, 22);
        return c;
    };
    Label1 = label("Label1", 8);
    PortBox = combo("PortBox", 8);
    Label2 = label("Label2", 36);
    BaudBox = combo("BaudBox", 36);
    Label3 = label("Label3", 64);
    TimeOutBox = combo("TimeOutBox", 64);
    Label4 = label("Label4", 92);
    LangBox = combo("LangBox", 92);
    Label5 = label("Label5", 120);
    ParaLangBox = combo("ParaLangBox", 120);
    rbAnsi = new QRadioButton(QStringLiteral("DIN 66019"), this);
    rbAnsi->setObjectName(QStringLiteral("rbAnsi"));
    rbAnsi->setGeometry(8, 150, 120, 20);
    rbZelk = new QRadioButton(QStringLiteral("Zelk"), this);
    rbZelk->setObjectName(QStringLiteral("rbZelk"));
    rbZelk->setGeometry(140, 150, 120, 20);
    OkBtn = new TVarneGlyphButton(this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->SetGlyphKind(glOK);
    OkBtn->setText(QStringLiteral("OK"));
    OkBtn->setGeometry(8, 180, 120, 27);
    CancelBtn = new TVarneGlyphButton(this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->SetGlyphKind(glCancel);
    CancelBtn->setText(QStringLiteral("Cancel"));
    CancelBtn->setGeometry(150, 180, 120, 27);
    connect(OkBtn, &QPushButton::clicked, this, [this] { done(1); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { done(2); });

    for (int i = 1; i <= TCpSettings::PortCount; ++i)
        PortBox->addItem(QStringLiteral("Com %1").arg(i));
    for (int i = 0; i < TCpSettings::BaudCount; ++i)
        BaudBox->addItem(QString::number(TCpSettings::BaudBits(i)));
    TimeOutBox->addItems(TimeOutItems());
    for (int i = 0; i < Language::Count; ++i) {
        LangBox->addItem(Language::Name(i));
        ParaLangBox->addItem(Language::Name(i));
    }
}

void TCPsettings::Fill(const TCpSettings& s)
{
    PortBox->setCurrentIndex(std::clamp(s.Comport, 0, TCpSettings::PortCount - 1));
    BaudBox->setCurrentIndex(std::clamp(s.Baudrate, 0, TCpSettings::BaudCount - 1));
    FStoredTimeOut = s.TimeOut;
    int t = -1;
    for (int i = 0; i < TimeOutItems().size(); ++i)
        if (TCpSettings::ParseTimeOut(TimeOutItems()[i]) == s.TimeOut)
            t = i;
    TimeOutBox->setCurrentIndex(t);
    LangBox->setCurrentIndex(s.Proglng >= 0 && s.Proglng < Language::Count ? s.Proglng : -1);
    ParaLangBox->setCurrentIndex(s.Paralng >= 0 && s.Paralng < Language::Count ? s.Paralng : -1);
    rbAnsi->setChecked(s.Protocol == 1);
    rbZelk->setChecked(s.Protocol != 1);
}

void TCPsettings::CopyBack(TCpSettings& s) const
{
    s.Comport = std::max(PortBox->currentIndex(), 0);
    s.Baudrate = std::max(BaudBox->currentIndex(), 0);
    s.TimeOut = TimeOutBox->currentIndex() >= 0 ? TCpSettings::ParseTimeOut(TimeOutBox->currentText())
                                                 : FStoredTimeOut;
    if (LangBox->currentIndex() >= 0)
        s.Proglng = LangBox->currentIndex();
    if (ParaLangBox->currentIndex() >= 0)
        s.Paralng = ParaLangBox->currentIndex();
    s.Protocol = rbAnsi->isChecked() ? 1 : 2;
}

int TCPsettings::Execute(TCpSettings& Settings)
{
    Fill(Settings);
    const int r = exec();
    if (r == 1)
        CopyBack(Settings);
    return r;
}

void TCPsettings::showEvent(QShowEvent* e)
{
    SizeDialogToButtons(this, OkBtn, CancelBtn);
    QDialog::showEvent(e);
}
