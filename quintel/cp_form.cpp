#include "quintel/cp_form.h"

#include "quintel/cp_table_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

static void initGlyphResources()
{
    Q_INIT_RESOURCE(quintel_glyphs);
}

TForm1::TForm1(SettingsStore& Store, ICpInteraction& Ui, QWidget* parent, const TProtSel::TDriverFactory& Factory)
    : QWidget(parent), FProgram(std::make_unique<TQuintelProgram>(Ui, Store, Factory))
{
    initGlyphResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(FProgram->Caption);
    resize(640, 420);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(30);
    auto* bar = new QHBoxLayout(Panel1);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(2);
    auto tool = [&](const char* name, const QIcon& icon) {
        auto* b = new QToolButton(Panel1);
        b->setObjectName(QString::fromLatin1(name));
        b->setFixedSize(25, 25);
        b->setIcon(icon);
        b->setAutoRaise(true);
        bar->addWidget(b);
        return b;
    };
    auto standard = [&](QStyle::StandardPixmap icon) { return style()->standardIcon(icon); };
    // The platform has no pictures for printing and copying (its file-dialog
    // ones look alike): the program draws its own.
    auto own = [](const char* file) {
        return QIcon(QPixmap(QStringLiteral(":/quintel_glyphs/") + QLatin1String(file)));
    };
    Quitbtn = tool("Quitbtn", standard(QStyle::SP_DialogCloseButton));
    PrintBtn = tool("PrintBtn", own("print.xpm"));
    SaveBtn = tool("SaveBtn", standard(QStyle::SP_DialogSaveButton));
    CopyBtn = tool("CopyBtn", own("copy.xpm"));
    Dwnloadbtn = tool("Dwnloadbtn", standard(QStyle::SP_ArrowDown));
    EditBtn = tool("EditBtn", standard(QStyle::SP_DialogOpenButton));
    invBtn = new QPushButton(QStringLiteral("Inv:"), Panel1);
    invBtn->setObjectName(QStringLiteral("invBtn"));
    invBtn->setFixedSize(120, 25);
    bar->addWidget(invBtn);
    StaticText1 = new QLabel(QStringLiteral("(?)"), Panel1);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setAlignment(Qt::AlignCenter);
    StaticText1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->addWidget(StaticText1, 1);
    ComBtn = new QPushButton(QStringLiteral("COM:"), Panel1);
    ComBtn->setObjectName(QStringLiteral("ComBtn"));
    ComBtn->setFixedSize(105, 25);
    bar->addWidget(ComBtn);

    ListView1 = NewCpTableView(&FProgram->Rows, this, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(ListView1, 1);

    TQuintelProgram* p = FProgram.get();
    connect(Quitbtn, &QToolButton::clicked, this, [p] { p->QuitReq = true; });
    connect(PrintBtn, &QToolButton::clicked, this, [p] { p->PrintReq = true; });
    connect(SaveBtn, &QToolButton::clicked, this, [p] { p->SaveReq = true; });
    connect(CopyBtn, &QToolButton::clicked, this, [p] { p->CopyReq = true; });
    connect(Dwnloadbtn, &QToolButton::clicked, this, [p] { p->DownloadReq = true; });
    connect(EditBtn, &QToolButton::clicked, this, [p] { p->OpenReq = true; });
    connect(invBtn, &QPushButton::clicked, this, [p] { p->InvDlgReq = true; });
    connect(ComBtn, &QPushButton::clicked, this, [p] { p->ComDlgReq = true; });
    connect(ListView1, &QTableView::doubleClicked, this, [this] { editRequest(); });
    connect(&FProgram->Rows, &TCpRowModel::widthsChanged, this, [this] { applyWidths(); });
    FProgram->OnViewChanged = [this] { refresh(); };
    applyWidths();
}

TForm1::~TForm1()
{
    FProgram->OnViewChanged = nullptr;
}

void TForm1::editRequest()
{
    const QModelIndex current = ListView1->currentIndex();
    FProgram->SelectedRow = current.isValid() ? current.row() : -1;
    FProgram->EditReq = true;
}

bool TForm1::eventFilter(QObject* o, QEvent* e)
{
    if (o == ListView1 && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            editRequest();
            return true;  // consumed
        }
    }
    return QWidget::eventFilter(o, e);
}

void TForm1::applyWidths()
{
    for (int c = 0; c < 4; ++c) {
        const int w = FProgram->Rows.Width(c);
        ListView1->setColumnHidden(c, w <= 0);
        if (w > 0)
            ListView1->setColumnWidth(c, w);
    }
}

void TForm1::applyTexts()
{
    const TVortalinText& t = FProgram->Texts;
    const std::pair<QWidget*, int> hints[] = {{Quitbtn, 0}, {SaveBtn, 1}, {Dwnloadbtn, 2}, {EditBtn, 3},
                                              {PrintBtn, 4}, {invBtn, 5},  {ComBtn, 6},     {CopyBtn, 7}};
    for (const auto& [w, i] : hints)
        w->setToolTip(t.GetText(2, i));
    if (OnTextsLoaded)
        OnTextsLoaded(t);
}

void TForm1::refresh()
{
    setWindowTitle(FProgram->Caption);
    invBtn->setText(FProgram->InvBtnCaption);
    StaticText1->setText(FProgram->StaticText1);
    ComBtn->setText(FProgram->ComBtnCaption);
}

void TForm1::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (FProgram->Shown)
        return;
    if (FProgram->FirstShow())
        applyTexts();
    refresh();
}

void TForm1::closeEvent(QCloseEvent* e)
{
    // The close box is the Quit command; only Quit ends the program.
    if (!FProgram->Ending) {
        FProgram->QuitReq = true;
        e->ignore();
        return;
    }
    e->accept();
}
