#include "scope/set_scope.h"

#include "config/cfg_records.h"
#include "dialogs/glyph_button.h"
#include "scope/scope_engine.h"
#include "dialogs/window_place.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

namespace {
QString swatchStyle(uint32_t c)
{
    return QStringLiteral("background-color: rgb(%1,%2,%3); border: 1px solid gray;")
        .arg(c & 0xFF)
        .arg((c >> 8) & 0xFF)
        .arg((c >> 16) & 0xFF);
}

template <class W>
W* make(QWidget* parent, const QString& name, int x, int y, int w, int h)
{
    auto* widget = new W(parent);
    widget->setObjectName(name);
    widget->setGeometry(x, y, w, h);
    return widget;
}
} // namespace

TUpDown::TUpDown(QWidget* parent) : QWidget(parent)
{
    auto* up = new QToolButton(this);
    up->setObjectName(QStringLiteral("Up"));
    up->setArrowType(Qt::UpArrow);
    up->setGeometry(0, 0, 16, 10);
    auto* down = new QToolButton(this);
    down->setObjectName(QStringLiteral("Down"));
    down->setArrowType(Qt::DownArrow);
    down->setGeometry(0, 10, 16, 10);
    connect(up, &QToolButton::clicked, this, [this] {
        if (OnStep)
            OnStep(true);
    });
    connect(down, &QToolButton::clicked, this, [this] {
        if (OnStep)
            OnStep(false);
    });
}

TSetScope::TSetScope(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SetScope"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    setFixedSize(ClientWidth, ClientHeight);
    setProperty("HelpContext", HelpContext);

    PageControl1 = make<QTabWidget>(this, QStringLiteral("PageControl1"), 4, 4, ClientWidth - 8, 206);
    const char* sheetNames[9] = {"Modesheet", "TabSheet1", "TabSheet2", "TabSheet4", "TabSheet5",
                                 "TabSheet6", "trigsheet", "offlinesheet", "notetab"};
    for (int i = 0; i < 9; ++i) {
        sheets_[i] = new QWidget;
        sheets_[i]->setObjectName(QString::fromLatin1(sheetNames[i]));
        PageControl1->addTab(sheets_[i], QString());
    }
    buildModePage();
    buildXPage();
    for (int k = 0; k < kScopeChannels; ++k)
        buildChannelPage(k);
    buildTriggerPage();
    buildOfflinePage();
    Memo1 = new QPlainTextEdit(sheets_[8]);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(0, 0, ClientWidth - 12, 178);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    Button1 = make<TVarneGlyphButton>(this, QStringLiteral("Button1"), ClientWidth - 180, 218, 84, 27);
    Button1->SetGlyphKind(glOK);
    Button1->setDefault(true);
    Button2 = make<TVarneGlyphButton>(this, QStringLiteral("Button2"), ClientWidth - 90, 218, 84, 27);
    Button2->SetGlyphKind(glCancel);
    connect(Button1, &QPushButton::clicked, this, [this] { done(1); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(2); });

    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int i) {
        if (updating_)
            return;
        core_.PageIndex = i;
        UpdateTabs(i);
    });
}

TSetScope::~TSetScope() = default;

void TSetScope::buildModePage()
{
    QWidget* p = sheets_[0];
    RadioButton1 = make<QRadioButton>(p, QStringLiteral("RadioButton1"), 12, 12, 200, 20);
    RadioButton2 = make<QRadioButton>(p, QStringLiteral("RadioButton2"), 12, 36, 200, 20);
    cbXYMode = make<QCheckBox>(p, QStringLiteral("cbXYMode"), 12, 80, 200, 20);
    Xaxislabel = make<QLabel>(p, QStringLiteral("Xaxislabel"), 30, 106, 120, 20);
    cbxyChan = make<QComboBox>(p, QStringLiteral("cbxyChan"), 160, 104, 90, 22);
    cbxyChan->addItems({QStringLiteral("CH A"), QStringLiteral("CH B"), QStringLiteral("CH C"),
                        QStringLiteral("CH D")});
    connect(RadioButton1, &QRadioButton::clicked, this, [this] {
        core_.ChooseOnline();
        showOfflineMode();
    });
    connect(RadioButton2, &QRadioButton::clicked, this, [this] {
        core_.ChooseOffline();
        showOfflineMode();
    });
    connect(cbXYMode, &QCheckBox::clicked, this, [this](bool on) {
        cbxyChan->setEnabled(on);
        core_.SetXYMode(on, cbxyChan->currentIndex());
    });
    connect(cbxyChan, &QComboBox::activated, this, [this](int i) { core_.SetXYMode(true, i); });
}

void TSetScope::buildXPage()
{
    QWidget* p = sheets_[1];
    XDevLabel = make<QLabel>(p, QStringLiteral("XDevLabel"), 8, 10, 150, 20);
    XDevField = make<QLineEdit>(p, QStringLiteral("XDevField"), 170, 8, 100, 22);
    XDevField->setProperty("tag", 1000);
    MaxRTimeLabel = make<QLabel>(p, QStringLiteral("MaxRTimeLabel"), 8, 38, 150, 20);
    MaxRTimeField = make<QLineEdit>(p, QStringLiteral("MaxRTimeField"), 170, 36, 100, 22);
    MaxRTimeField->setProperty("tag", 1001);
    ReadCycleLabel = make<QLabel>(p, QStringLiteral("ReadCycleLabel"), 8, 66, 150, 20);
    ReadCycleField = make<QLineEdit>(p, QStringLiteral("ReadCycleField"), 170, 64, 100, 22);
    ReadCycleField->setProperty("tag", 1002);
    RollBox = make<QCheckBox>(p, QStringLiteral("RollBox"), 8, 94, 200, 20);
    BcolBtn = make<QPushButton>(p, QStringLiteral("BcolBtn"), 8, 122, 150, 24);
    ColBack = make<QLabel>(p, QStringLiteral("ColBack"), 170, 124, 40, 20);
    CcolBtn = make<QPushButton>(p, QStringLiteral("CcolBtn"), 8, 150, 150, 24);
    ColGrid = make<QLabel>(p, QStringLiteral("ColGrid"), 170, 152, 40, 20);

    connect(XDevField, &QLineEdit::textEdited, this, [this](const QString& t) {
        core_.SetTimeBase(t);
        refresh();
    });
    connect(MaxRTimeField, &QLineEdit::textEdited, this, [this](const QString& t) {
        core_.SetMaxReadTime(t);
        refresh();
    });
    connect(ReadCycleField, &QLineEdit::textEdited, this, [this](const QString& t) {
        core_.SetReadCycle(t);
        refresh();
    });
    connect(RollBox, &QCheckBox::clicked, this, [this](bool on) { core_.Setup.RollMode() = on ? 1 : 0; });
    connect(BcolBtn, &QPushButton::clicked, this, [this] {
        if (core_.ChangeColour(4))
            refresh();
    });
    connect(CcolBtn, &QPushButton::clicked, this, [this] {
        if (core_.ChangeColour(5))
            refresh();
    });
}

void TSetScope::buildChannelPage(int k)
{
    QWidget* p = sheets_[TSetScopeCore::pgChanA + k];
    ChannelPage& c = Chan[k];
    const QString n = QString::number(k + 1);
    c.Sheet = p;
    c.PnameBut = make<QPushButton>(p, QStringLiteral("PnameBut") + n, 8, 6, 90, 24);
    c.Pname = make<QLabel>(p, QStringLiteral("Pname") + n, 104, 8, 270, 20);
    c.InvBut = make<QPushButton>(p, QStringLiteral("InvBut") + n, 8, 34, 90, 24);
    c.InvName = make<QLabel>(p, QStringLiteral("InvName") + n, 104, 36, 270, 20);
    c.ColBtn = make<QPushButton>(p, QStringLiteral("ColBtn") + n, 8, 62, 90, 24);
    c.ColCH = make<QLabel>(p, QStringLiteral("ColCH") + n, 104, 64, 40, 20);
    c.SetLabel = make<QLabel>(p, QStringLiteral("SetLabel") + n, 8, 96, 80, 20);
    c.SetField = make<QLineEdit>(p, QStringLiteral("SetField") + n, 104, 94, 40, 22);
    c.UpDownSet = make<TUpDown>(p, QStringLiteral("UpDownSet") + n, 146, 95, 16, 20);
    c.YofsLabel = make<QLabel>(p, QStringLiteral("YofsLabel") + n, 8, 124, 80, 20);
    c.YofsField = make<QLineEdit>(p, QStringLiteral("YofsField") + n, 104, 122, 150, 22);
    c.UpDownYofs = make<TUpDown>(p, QStringLiteral("UpDownYofs") + n, 256, 123, 16, 20);
    c.YfacLabel = make<QLabel>(p, QStringLiteral("YfacLabel") + n, 8, 152, 80, 20);
    c.YfacField = make<QLineEdit>(p, QStringLiteral("YfacField") + n, 104, 150, 150, 22);
    c.UpDownYfac = make<TUpDown>(p, QStringLiteral("UpDownYfac") + n, 256, 151, 16, 20);
    c.Autobtn = make<QPushButton>(p, QStringLiteral("Autobtn") + n, 280, 150, 90, 24);
    c.Autobtn->setText(QStringLiteral("AUTO"));
    c.offBtn = make<QPushButton>(p, QStringLiteral("offBtn") + n, 280, 94, 90, 24);
    c.CBInvisible = make<QCheckBox>(p, QStringLiteral("CBInvisible") + n, 180, 66, 190, 20);
    for (QWidget* w : {static_cast<QWidget*>(c.PnameBut), static_cast<QWidget*>(c.InvBut),
                       static_cast<QWidget*>(c.ColBtn), static_cast<QWidget*>(c.offBtn)})
        w->setProperty("tag", 10 + k);
    c.SetField->setProperty("tag", 300 + k);
    c.YofsField->setProperty("tag", 100 + k);
    c.YfacField->setProperty("tag", 200 + k);
    c.YofsField->installEventFilter(this);
    c.YfacField->installEventFilter(this);

    connect(c.PnameBut, &QPushButton::clicked, this, [this, k] {
        core_.ChangeParaName(k);
        refresh();
    });
    connect(c.InvBut, &QPushButton::clicked, this, [this, k] {
        core_.ChangeInverter(k);
        refresh();
    });
    connect(c.ColBtn, &QPushButton::clicked, this, [this, k] {
        if (core_.ChangeColour(k))
            refresh();
    });
    connect(c.offBtn, &QPushButton::clicked, this, [this, k] {
        core_.ChannelOff(k);
        refresh();
    });
    connect(c.SetField, &QLineEdit::textEdited, this, [this, k](const QString& t) {
        core_.SetSetField(k, t);
        refresh();
    });
    c.UpDownSet->OnStep = [this](bool up) {
        if (chanOfPage() < 0 || chanOfPage() > 3)
            return;
        core_.StepSet(chanOfPage(), up);
        refresh();
    };
    c.UpDownYofs->OnStep = [this](bool up) {
        if (chanOfPage() < 0 || chanOfPage() > 3)
            return;
        core_.StepYOffset(chanOfPage(), up);
        refresh();
    };
    c.UpDownYfac->OnStep = [this](bool up) {
        if (chanOfPage() < 0 || chanOfPage() > 3)
            return;
        core_.StepYFactor(chanOfPage(), up);
        refresh();
    };
    connect(c.YofsField, &QLineEdit::editingFinished, this, [this, k] {
        if (updating_ || !isVisible())
            return;
        if (core_.SetYOffset(k, Chan[k].YofsField->text()))
            refresh();
    });
    connect(c.YfacField, &QLineEdit::editingFinished, this, [this, k] {
        if (updating_ || !isVisible())
            return;
        if (core_.SetYFactor(k, Chan[k].YfacField->text()))
            refresh();
    });
    connect(c.Autobtn, &QPushButton::clicked, this, [this] {
        if (chanOfPage() < 0 || chanOfPage() > 3)
            return;
        if (core_.Auto(chanOfPage()))
            refresh();
    });
    connect(c.CBInvisible, &QCheckBox::clicked, this, [this](bool on) {
        if (chanOfPage() >= 0 && chanOfPage() <= 3)
            core_.Setup.Chan[chanOfPage()].Invisible = on ? 1 : 0;
    });
}

void TSetScope::buildTriggerPage()
{
    QWidget* p = sheets_[6];
    TrigChanGrp = make<QGroupBox>(p, QStringLiteral("TrigChanGrp"), 6, 4, 120, 170);
    TrigChanButtons = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i) {
        auto* r = make<QRadioButton>(TrigChanGrp, QStringLiteral("TrigChan%1").arg(i), 8, 20 + 28 * i, 100, 20);
        TrigChanButtons->addButton(r, i);
    }
    TrigLevBox = make<QGroupBox>(p, QStringLiteral("TrigLevBox"), 132, 4, 246, 56);
    TrigLevField = make<QLineEdit>(TrigLevBox, QStringLiteral("TrigLevField"), 8, 22, 140, 22);
    TrigLevField->setReadOnly(true);
    TrigLevbut = make<QPushButton>(TrigLevBox, QStringLiteral("TrigLevbut"), 154, 21, 84, 24);
    TrigLevbut->setProperty("tag", 1);
    TrigSlopeGrp = make<QGroupBox>(p, QStringLiteral("TrigSlopeGrp"), 132, 64, 246, 50);
    TrigSlopeButtons = new QButtonGroup(this);
    const QString slopes[4] = {QStringLiteral("-"), QStringLiteral("+"), QString(QChar(0xB1)), QStringLiteral("=")};
    for (int i = 0; i < 4; ++i) {
        auto* r = make<QRadioButton>(TrigSlopeGrp, QStringLiteral("TrigSlope%1").arg(i), 8 + 58 * i, 22, 50, 20);
        r->setText(slopes[i]);
        TrigSlopeButtons->addButton(r, i);
    }
    TrigdelayLabel = make<QLabel>(p, QStringLiteral("TrigdelayLabel"), 132, 124, 120, 20);
    TrigDelayField = make<QLineEdit>(p, QStringLiteral("TrigDelayField"), 258, 122, 120, 22);
    connect(TrigChanButtons, &QButtonGroup::idClicked, this, [this](int id) {
        core_.SetTrigChannelItem(id);
        refresh();
    });
    connect(TrigSlopeButtons, &QButtonGroup::idClicked, this, [this](int id) {
        core_.SetTrigSlopeItem(id);
        refresh();
    });
    connect(TrigDelayField, &QLineEdit::textEdited, this, [this](const QString& t) {
        core_.SetTrigDelay(t);
        refresh();
    });
    connect(TrigLevbut, &QPushButton::clicked, this, [this] {
        if (core_.EditValue(1))
            refresh();
    });
}

void TSetScope::buildOfflinePage()
{
    QWidget* p = sheets_[7];
    OflTbaseBut = make<QPushButton>(p, QStringLiteral("OflTbaseBut"), 8, 10, 200, 24);
    OflTbasefield = make<QLineEdit>(p, QStringLiteral("OflTbasefield"), 216, 11, 150, 22);
    OflTrigBut = make<QPushButton>(p, QStringLiteral("OflTrigBut"), 8, 44, 200, 24);
    OflTrigfield = make<QLineEdit>(p, QStringLiteral("OflTrigfield"), 216, 45, 150, 22);
    OflTrigposBut = make<QPushButton>(p, QStringLiteral("OflTrigposBut"), 8, 78, 200, 24);
    OflTrigposfield = make<QLineEdit>(p, QStringLiteral("OflTrigposfield"), 216, 79, 150, 22);
    int tag = 2;
    for (QPushButton* b : {OflTbaseBut, OflTrigBut, OflTrigposBut}) {
        b->setProperty("tag", tag);
        connect(b, &QPushButton::clicked, this, [this, tag] {
            if (core_.EditValue(tag))
                refresh();
        });
        ++tag;
    }
    for (QLineEdit* e : {OflTbasefield, OflTrigfield, OflTrigposfield})
        e->setReadOnly(true);
}

bool TSetScope::Execute(const TScopeEngine& Eng, int Page)
{
    core_.Load(Eng, Page);
    Memo1->setPlainText(core_.Notes.join(u'\n'));
    if (core_.Editors)
        core_.Editors->CloseEditors();
    const int r = exec();
    if (r != 1)
        return false;
    const QString notes = Memo1->toPlainText();
    core_.Notes = notes.isEmpty() ? QStringList() : notes.split(u'\n');
    return true;
}

void TSetScope::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    FormActivate();
    // The page captions are set just now: fitted and centred with them.
    if (!e->spontaneous())
        CentreOnWorkArea(this);
}

void TSetScope::FormActivate()
{
    updating_ = true;
    PageControl1->setCurrentIndex(core_.PageIndex);
    const int tabTexts[9][2] = {{1, 30}, {-1, 0}, {-1, 1}, {-1, 2}, {-1, 3}, {-1, 4}, {-1, 5}, {-1, 6}, {1, 17}};
    const QString fixedTabs[7] = {QStringLiteral("X"), QStringLiteral("CH A"), QStringLiteral("CH B"),
                                  QStringLiteral("CH C"), QStringLiteral("CH D"), QStringLiteral("Trigger"),
                                  QStringLiteral("Offline")};
    for (int i = 0; i < 9; ++i)
        PageControl1->setTabText(i, tabTexts[i][0] >= 0 ? text(tabTexts[i][0], tabTexts[i][1])
                                                        : fixedTabs[tabTexts[i][1]]);
    RadioButton1->setText(text(1, 31));
    RadioButton2->setText(text(1, 32));
    cbXYMode->setText(text(1, 37));
    Xaxislabel->setText(text(1, 38));
    XDevLabel->setText(text(1, 2));
    MaxRTimeLabel->setText(text(1, 23));
    ReadCycleLabel->setText(text(1, 24));
    RollBox->setText(text(1, 26));
    BcolBtn->setText(text(1, 4));
    CcolBtn->setText(text(1, 25));
    for (ChannelPage& c : Chan) {
        c.PnameBut->setText(text(0, 1));
        c.InvBut->setText(text(0, 0));
        c.ColBtn->setText(text(1, 3));
        c.SetLabel->setText(text(0, 2));
        c.YofsLabel->setText(text(1, 0));
        c.YfacLabel->setText(text(1, 1));
        c.offBtn->setText(text(0, 5));
        c.CBInvisible->setText(text(1, 35));
    }
    TrigChanGrp->setTitle(text(1, 20));
    TrigChanButtons->button(0)->setText(text(0, 5));
    for (int i = 1; i < 5; ++i)
        TrigChanButtons->button(i)->setText(QStringLiteral("CH ") + QChar(u'A' + i - 1));
    TrigSlopeGrp->setTitle(text(1, 21));
    TrigdelayLabel->setText(text(1, 22));
    Button1->setText(text(0, 6));
    Button2->setText(text(0, 7));

    showOfflineMode();
    const int xy = core_.Setup.XYChannel();
    cbxyChan->setCurrentIndex(xy <= 0 ? 0 : xy - 1);
    cbxyChan->setEnabled(xy > 0);
    cbXYMode->setChecked(xy > 0);
    updating_ = false;
    UpdateTabs(core_.PageIndex);
}

void TSetScope::showOfflineMode()
{
    const bool offline = core_.Setup.OfflineMode() == 1;
    PageControl1->setTabVisible(TSetScopeCore::pgTrigger, !offline);
    PageControl1->setTabVisible(TSetScopeCore::pgOffline, offline);
    MaxRTimeField->setEnabled(!offline);
    ReadCycleField->setEnabled(!offline);
    for (int k = 1; k < kScopeChannels; ++k)
        Chan[k].InvBut->setVisible(!offline);
}

void TSetScope::SetEditText(QLineEdit* Edit, const QString& Text)
{
    if (Edit->text() == Text)
        return;
    const int pos = Edit->cursorPosition();
    Edit->setText(Text);
    Edit->setCursorPosition(std::min<int>(pos, Text.size()));
    Edit->deselect();
}

void TSetScope::UpdateTabs(int Page)
{
    updating_ = true;
    core_.UpdateOffline();
    const TScopeSetup& S = core_.Setup;
    RadioButton2->setEnabled(core_.OfflineBase != -1);
    QPushButton* ob[3] = {OflTbaseBut, OflTrigBut, OflTrigposBut};
    for (int i = 0; i < 3; ++i)
        if (core_.OflDesc[i])
            ob[i]->setText(core_.OflDesc[i]->GetName(core_.Language));

    if (Page == TSetScopeCore::pgMode) {
        setWindowTitle(text(0, 11));
        (S.OfflineMode() == 1 ? RadioButton2 : RadioButton1)->setChecked(true);
    } else if (Page == TSetScopeCore::pgX) {
        setWindowTitle(text(0, 11));
        ColBack->setStyleSheet(swatchStyle(uint32_t(S.Chan[0].General3)));
        ColGrid->setStyleSheet(swatchStyle(uint32_t(S.Chan[1].General3)));
        SetEditText(XDevField, QString::number(S.TimeBase()));
        SetEditText(ReadCycleField, QString::number(S.ReadCycle()) + QStringLiteral(" ms"));
        SetEditText(MaxRTimeField, QString::number(S.MaxReadTime()) + QStringLiteral(" ms"));
        RollBox->setChecked(S.Chan[3].General1 != 0);
    } else if (Page >= TSetScopeCore::pgChanA && Page < TSetScopeCore::pgChanA + kScopeChannels) {
        const int k = Page - TSetScopeCore::pgChanA;
        ChannelPage& c = Chan[k];
        const TScopeChannel& ch = S.Chan[k];
        setWindowTitle(text(1, 5) + u' ' + QChar(u'A' + k));
        c.ColCH->setStyleSheet(swatchStyle(ch.Colour));
        SetEditText(c.YfacField, core_.GetYFac(k));
        SetEditText(c.YofsField, core_.GetYOfs(k));
        SetEditText(c.SetField, SetNumberText(ch.SetSel));
        c.Pname->setText(core_.GetParaName(k));
        c.CBInvisible->setChecked(ch.Invisible != 0);
        c.InvName->setText(core_.InvName(k));
    } else if (Page == TSetScopeCore::pgTrigger) {
        setWindowTitle(text(1, 19));
        TrigLevbut->setText(text(0, 3));
        const int t = S.TrigChannel();
        TrigChanButtons->button(std::clamp(t + 1, 0, 4))->setChecked(true);
        const QString level = core_.TrigLevelText();
        if (t >= 0 && t <= 3 && S.Chan[t].Para) {
            SetEditText(TrigLevField, level);
            TrigLevBox->setTitle(text(1, 18) + u' ' + QChar(u'A' + t));
            TrigLevBox->setEnabled(true);
        } else {
            SetEditText(TrigLevField, text(1, 6));
            TrigLevBox->setTitle(QString());
            TrigLevBox->setEnabled(false);
        }
        TrigSlopeButtons->button(std::clamp(S.TrigSlope(), 0, 3))->setChecked(true);
        SetEditText(TrigDelayField, QString::number(S.TrigDelay()) + QStringLiteral(" ms"));
    } else if (Page == TSetScopeCore::pgOffline) {
        setWindowTitle(text(1, 29));
        if (core_.Setup.OfflineTimeBase() < 1)
            core_.Setup.OfflineTimeBase() = 1;
        QLineEdit* of[3] = {OflTbasefield, OflTrigfield, OflTrigposfield};
        for (int i = 0; i < 3; ++i)
            if (core_.OflDesc[i])
                SetEditText(of[i], core_.OfflineText(i));
    } else if (Page == TSetScopeCore::pgNotes) {
        setWindowTitle(text(1, 17));
    }
    updating_ = false;
}

bool TSetScope::eventFilter(QObject* o, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        // Enter takes the entry of an offset or factor field; it does not
        // close the dialog through its default button.
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            for (int k = 0; k < kScopeChannels; ++k)
                if (o == Chan[k].YofsField || o == Chan[k].YfacField) {
                    auto* edit = static_cast<QLineEdit*>(o);
                    const bool ok = o == Chan[k].YofsField ? core_.SetYOffset(k, edit->text())
                                                           : core_.SetYFactor(k, edit->text());
                    if (ok)
                        refresh();
                    return true;
                }
        }
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            for (int k = 0; k < kScopeChannels; ++k) {
                if (o == Chan[k].YofsField) {
                    core_.StepYOffset(chanOfPage() >= 0 ? chanOfPage() : k, key == Qt::Key_Up);
                    refresh();
                    return true;
                }
                if (o == Chan[k].YfacField) {
                    core_.StepYFactor(chanOfPage() >= 0 ? chanOfPage() : k, key == Qt::Key_Up);
                    refresh();
                    return true;
                }
            }
        }
    }
    return QDialog::eventFilter(o, e);
}
