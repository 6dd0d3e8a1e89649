#include "mainwin/fbs_comm.h"

#include "dialogs/inv_sel_dlg.h"
#include "dialogs/message_dlg.h"
#include "dialogs/shared_objects.h"
#include "dialogs/window_place.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cstring>

namespace {

QLineEdit* edit(QWidget* parent, const char* name, const QString& text, bool readOnly = false)
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QLatin1String(name));
    e->setReadOnly(readOnly);
    return e;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

} // namespace

TFbsComm::TFbsComm(std::shared_ptr<IFbsInteraction> Ui, TVortalinPrj* Prj, TVortalinText* Texts, TScheduler* Sch,
                   QWidget* Parent)
    : QWidget(Parent, Qt::Window)
    , FUi(Ui ? std::move(Ui) : std::make_shared<TFbsInteractionDlg>())
{
    setObjectName(QStringLiteral("FbsComm"));
    setWindowTitle(QStringLiteral("FeldBus-Kommunikation"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto* top = new QVBoxLayout(this);
    top->addWidget(PageControl1);

    // Page "Kommunikation".
    auto* comm = new QWidget(PageControl1);
    comm->setObjectName(QStringLiteral("TabSheet1"));
    auto* g1 = new QGridLayout(comm);
    cbFunktion = new QComboBox(comm);
    cbFunktion->setObjectName(QStringLiteral("cbFunktion"));
    cbFunktion->addItems({"VarAcc", "Identify", "IbsBusInfo", "ControlBus", "CanBusInfo"});
    Index = edit(comm, "Index", QStringLiteral("6000h"));
    Subindex = edit(comm, "Subindex", QStringLiteral("0"));
    Laenge = edit(comm, "Laenge", QStringLiteral("1"));
    Daten = edit(comm, "Daten", QStringLiteral("0,0,0"));
    Readbtn = button(comm, "Readbtn", QStringLiteral("Lesen"));
    WriteBtn = button(comm, "WriteBtn", QStringLiteral("Schreiben"));
    Button1 = button(comm, "Button1", QStringLiteral("Umrichter"));
    const std::pair<const char*, QWidget*> rows[] = {
        {"Funktion", cbFunktion}, {"Index", Index}, {"Subindex", Subindex}, {"Bytes", Laenge}, {"Daten", Daten}};
    int row = 0;
    for (const auto& [label, w] : rows) {
        g1->addWidget(new QLabel(QLatin1String(label), comm), row, 0);
        g1->addWidget(w, row, 1, 1, 3);
        ++row;
    }
    g1->addWidget(Readbtn, row, 1);
    g1->addWidget(WriteBtn, row, 2);
    g1->addWidget(Button1, row, 3);
    PageControl1->addTab(comm, QStringLiteral("Kommunikation"));

    // Page "Prozessdaten".
    auto* pd = new QWidget(PageControl1);
    pd->setObjectName(QStringLiteral("TabSheet2"));
    auto* g2 = new QGridLayout(pd);
    g2->addWidget(new QLabel(QStringLiteral("IN"), pd), 0, 0);
    g2->addWidget(new QLabel(QStringLiteral("OUT"), pd), 0, 1);
    QLineEdit** ins[] = {&PDin1, &PDin2, &PDin3, &PDin4};
    QLineEdit** outs[] = {&PdOut1, &PdOut2, &PdOut3, &PdOut4};
    const char* inNames[] = {"PDin1", "PDin2", "PDin3", "PDin4"};
    const char* outNames[] = {"PdOut1", "PdOut2", "PdOut3", "PdOut4"};
    for (int i = 0; i < 4; ++i) {
        *ins[i] = edit(pd, inNames[i], QStringLiteral("?"), true);
        *outs[i] = edit(pd, outNames[i], QStringLiteral("0000h"));
        g2->addWidget(*ins[i], i + 1, 0);
        g2->addWidget(*outs[i], i + 1, 1);
    }
    Button2 = button(pd, "Button2", QStringLiteral("OK"));
    cbUpdatePdin = new QCheckBox(QStringLiteral("Update"), pd);
    cbUpdatePdin->setObjectName(QStringLiteral("cbUpdatePdin"));
    cbPdType = new QComboBox(pd);
    cbPdType->setObjectName(QStringLiteral("cbPdType"));
    cbPdType->addItems({"16 : 2*32Bit", "17 : 4*16Bit", "48 : 2*32Bit R+W", "49 : 4*16Bit R+W"});
    cbPdType->setCurrentIndex(-1);
    g2->addWidget(cbUpdatePdin, 5, 0);
    g2->addWidget(Button2, 5, 1);
    g2->addWidget(cbPdType, 6, 0, 1, 2);
    PageControl1->addTab(pd, QStringLiteral("Prozessdaten"));

    FLogic = std::make_unique<TFbsCommLogic>(*this, *FUi, Prj, Texts, Sch);
    connect(Readbtn, &QPushButton::clicked, this, [this] { FLogic->ReadClicked(); });
    connect(WriteBtn, &QPushButton::clicked, this, [this] { FLogic->WriteClicked(); });
    connect(Button1, &QPushButton::clicked, this, [this] { FLogic->InverterClicked(); });
    connect(Button2, &QPushButton::clicked, this, [this] { FLogic->OkClicked(); });
    connect(cbUpdatePdin, &QCheckBox::clicked, this, [this](bool on) { FLogic->UpdateClicked(on); });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int page) { FLogic->PageChanged(page); });
}

TFbsComm::~TFbsComm() = default;

void TFbsComm::ShowWindow()
{
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    FLogic->Shown(this);
    // Its first place is the middle of the work area, clear of the bar;
    // after that it opens where the user left it.
    if (!placed_) {
        CentreOnWorkArea(this);
        placed_ = true;
    }
    show();
    raise();
}

void TFbsComm::closeEvent(QCloseEvent* e)
{
    FLogic->Closed();
    e->accept(); // a plain window: closing hides it
}

int TFbsComm::Funktion() const { return std::max(cbFunktion->currentIndex(), 0); }
void TFbsComm::SetFunktion(int Item) { cbFunktion->setCurrentIndex(Item); }
int TFbsComm::PdType() const { return cbPdType->currentIndex(); }
bool TFbsComm::UpdateChecked() const { return cbUpdatePdin->isChecked(); }
void TFbsComm::SetCaption(const QString& Text) { setWindowTitle(Text); }

QLineEdit* TFbsComm::FieldEdit(const char* Name) const
{
    return findChild<QLineEdit*>(QLatin1String(Name));
}

QString TFbsComm::Field(const char* Name) const
{
    const QLineEdit* e = FieldEdit(Name);
    return e ? e->text() : QString();
}

void TFbsComm::SetField(const char* Name, const QString& Text)
{
    if (QLineEdit* e = FieldEdit(Name))
        e->setText(Text);
}

// ------------------------------------------------------------- the dialogs

TFbsInteractionDlg::TFbsInteractionDlg(TfrmInvSel* InvSel) : invSel_(InvSel) {}

void TFbsInteractionDlg::Message(const QString& Text)
{
    UserMessageDlg(QStringList{Text}, ButtonList(1), QString(), icNone, QString(), QString(), QString(), 0, 0);
}

int TFbsInteractionDlg::SelectInv(const QString& Prompt, int16_t& InvAdr)
{
    return invSel_ ? invSel_->SelectInv(Prompt, InvAdr) : 2;
}
