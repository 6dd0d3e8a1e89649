#include "scope/scope_window.h"

#include "config/cfg_records.h"
#include "config/drag_drop.h"
#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "dialogs/max_placement.h"
#include "dialogs/message_dlg.h"
#include "dialogs/print_scrollbar.h"
#include "dialogs/shared_objects.h"
#include "lists/dwn_entry.h"
#include "lists/wrk_list_item.h"
#include "project/vortalin_prj.h"
#include "scope/scope_interaction_dlg.h"
#include "scope/scope_glyphs.h"
#include "scope/scope_plot.h"
#include "scope/set_scope.h"
#include "dialogs/window_place.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QWindowStateChangeEvent>


TScope::TScope(TVortalinPrj* Prj, const TVortalinText* Texts, const TProgCfg* Cfg, TScheduler* Sch,
               QWidget* parent)
    : QWidget(parent, Qt::Window), project_(Prj), texts_(Texts), cfg_(Cfg)
{
    setObjectName(QStringLiteral("Scope"));
    setWindowTitle(QStringLiteral("Scope"));
    setProperty("HelpContext", HelpContext);
    setMinimumSize(TScopeLayout::MinWidth, TScopeLayout::MinHeight);
    resize(ClientWidth, ClientHeight);
    InstallMaxPlacement(this);

    eng_.Project = Prj;
    eng_.Texts = Texts;
    eng_.Screen = std::shared_ptr<IScopeScreen>(static_cast<IScopeScreen*>(this), [](IScopeScreen*) {});
    eng_.Interaction = std::make_shared<TScopeInteractionDlg>(this, Texts);
    if (Cfg) {
        eng_.AppName = Cfg->AppName;
        eng_.DataPath = Cfg->DataPath;
        disp_.Separator = Cfg->Separator.isEmpty() ? QChar(u'+') : Cfg->Separator[0];
        disp_.ShowDecValue = Cfg->ShowDecValue;
    }
    // Scheduler client in state 2.
    eng_.SetScheduler(Sch, this);

    buildTools();
    buildMenu();
    // The read-out cells, column by column.
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 5; ++j) {
            auto* l = new QLabel(this);
            l->setObjectName(QStringLiteral("Readout%1%2").arg(i).arg(j));
            l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            l->setGeometry(i * 30, 0, 28, 16);
            l->setAutoFillBackground(true);
            l->hide();
            if (i == 3)
                l->installEventFilter(this);
            Readout[i][j] = l;
        }
    buildContextItems();

    // Hints are switched off during a recording.
    for (QWidget* c : findChildren<QWidget*>())
        c->installEventFilter(this);

    setScope_ = new TSetScope(this);
    setScope_->Core().Project = Prj;
    setScope_->Core().Texts = Texts;
    if (Cfg) {
        setScope_->Core().Separator = disp_.Separator;
        setScope_->Core().ShowDecValue = Cfg->ShowDecValue;
    }
    Relayout();
}

TScope::~TScope()
{
    // FormDestroy: the scheduler slot goes with the engine; the main window
    // forgets the slots and items through their owner.
    eng_.Screen = std::make_shared<NoScopeScreen>();
    eng_.SetScheduler(nullptr);
}

void TScope::SetEditors(ISetScopeEditors* Editors)
{
    setScope_->Core().Editors = Editors;
}

QString TScope::text(int Section, int Index) const
{
    return texts_ ? texts_->GetText(Section, Index) : QStringLiteral("???");
}

QColor TScope::colour(uint32_t c) const
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

void TScope::message(int Section, int Index)
{
    const QStringList* l = texts_ ? texts_->GetStrings(Section, Index) : nullptr;
    eng_.Interaction->Message(l ? *l : QStringList{QStringLiteral("???")}, sbOk, title_, icError, {}, {}, {}, 0,
                              -1);
}

// ---- construction

void TScope::buildTools()
{
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setGeometry(4, 0, 37, 30);
    SpeedButton1->setCheckable(true);
    SpeedButton1->setCursor(Qt::PointingHandCursor);
    SpeedButton1->setIcon(ScopeGlyph("RUN"));
    connect(SpeedButton1, &QToolButton::toggled, this, [this](bool down) {
        SpeedButton1->setIcon(ScopeGlyph(down ? "STOP" : "RUN"));
    });
    connect(SpeedButton1, &QToolButton::clicked, this, [this](bool down) { eng_.SpeedButton1Click(down); });

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(45, 0, 276, 30);
    ComboBox1 = new QComboBox(Panel1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(4, 2, 137, 24);
    ComboBox1->setMaxVisibleItems(9);
    Dnbtn = new QPushButton(Panel1);
    Dnbtn->setObjectName(QStringLiteral("Dnbtn"));
    Dnbtn->setGeometry(140, 4, 20, 20);
    Dnbtn->setText(QStringLiteral("-"));
    Dnbtn->setProperty("tag", 1);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(160, 4, 90, 20);
    Edit1->installEventFilter(this);
    Upbtn = new QPushButton(Panel1);
    Upbtn->setObjectName(QStringLiteral("Upbtn"));
    Upbtn->setGeometry(250, 4, 20, 20);
    Upbtn->setText(QStringLiteral("+"));
    Upbtn->setProperty("tag", 0);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ShowEditValue(); });
    connect(Dnbtn, &QPushButton::clicked, this, [this] { stepClick(true); });
    connect(Upbtn, &QPushButton::clicked, this, [this] { stepClick(false); });

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel2->setGeometry(325, 0, 168, 30);
    for (int k = 0; k < kScopeChannels; ++k) {
        auto* b = new QPushButton(Panel2);
        const QChar letter(u'A' + k);
        b->setObjectName(QStringLiteral("ButtonCH_") + letter);
        b->setGeometry(2 + 40 * k, 4, 40, 20);
        b->setText(QString(letter));
        b->setProperty("tag", k);
        b->setAcceptDrops(true);
        b->installEventFilter(this);
        connect(b, &QPushButton::clicked, this, [this, k] { SetUpScope(TSetScopeCore::pgChanA + k); });
        ButtonCH[k] = b;
    }

    PaintBox = new TScopeSurface(this);
    PaintBox->setObjectName(QStringLiteral("PaintBox"));
    PaintBox->OnMouseDown = [this](QMouseEvent* e) { plotMouseDown(e); };
    PaintBox->OnMouseMove = [this](QMouseEvent* e) { plotMouseMove(e); };
    PaintBox->OnResized = [this] {
        DrawGrid();
        DrawTraces();
    };
    TimeBox = new TScopeSurface(this);
    TimeBox->setObjectName(QStringLiteral("TimeBox"));
    TimeBox->setFont(QFont(QStringLiteral("Monospace"), 8));
    TimeBox->OnMouseMove = [this](QMouseEvent* e) {
        if (disp_.TimeBoxMove(int(e->position().x()), e->buttons() == Qt::LeftButton))
            paintZoomStrip();
    };
    TimeBox->OnMouseUp = [this](QMouseEvent*) {
        const bool zoomed = disp_.TimeBoxUp();
        clearStrip();
        if (zoomed) {
            DrawGrid();
            DrawTraces();
            UpDateScrollBar();
            ShowEditValue();
        }
    };
    TimeBox->OnResized = [this] { clearStrip(); };
    ScrollBar1 = new TVortalinScrollbar(Qt::Horizontal, TimeBox);
    ScrollBar1->setObjectName(QStringLiteral("ScrollBar1"));
    connect(ScrollBar1, &QScrollBar::valueChanged, this, [this](int pos) {
        if (disp_.ScrollbarChange(pos)) {
            DrawGrid();
            DrawTraces();
        }
    });

    MoveCursor = new QScrollBar(Qt::Horizontal, this);
    MoveCursor->setObjectName(QStringLiteral("MoveCursor"));
    MoveCursor->setGeometry(0, 0, 1, 1);
    MoveCursor->setFocusPolicy(Qt::StrongFocus);
    MoveCursor->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

void TScope::buildMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto add = [this](QMenu* m, const char* name, const QString& caption, const QKeySequence& key = {}) {
        auto* a = new QAction(caption, this);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WindowShortcut);
            addAction(a);
        }
        m->addAction(a);
        return a;
    };
    RunStop1 = add(PopupMenu1, "RunStop1", QStringLiteral("Run/Stop"), QKeySequence(Qt::Key_F9));
    connect(RunStop1, &QAction::triggered, this, [this] {
        if (SpeedButton1->isEnabled())
            eng_.RunStop1Click();
    });
    CursorI1 = add(PopupMenu1, "CursorI1", QStringLiteral("Move Cursor I"));
    CursorI1->setCheckable(true);
    CursorII1 = add(PopupMenu1, "CursorII1", QStringLiteral("Move Cursor II"));
    CursorII1->setCheckable(true);
    Cursor1Func = PopupMenu1->addMenu(QStringLiteral("Cursor 1"));
    Cursor1Func->setObjectName(QStringLiteral("Cursor1Func"));
    C1vert = add(Cursor1Func, "C1vert", QStringLiteral("Vertical"), QKeySequence(Qt::ALT | Qt::Key_A));
    C1hor = add(Cursor1Func, "C1hor", QStringLiteral("Horizontal"), QKeySequence(Qt::ALT | Qt::Key_C));
    c1off = add(Cursor1Func, "c1off", QStringLiteral("Off"));
    Cursor2Func = PopupMenu1->addMenu(QStringLiteral("Cursor 2"));
    Cursor2Func->setObjectName(QStringLiteral("Cursor2Func"));
    C2Vert = add(Cursor2Func, "C2Vert", QStringLiteral("Vertical"), QKeySequence(Qt::ALT | Qt::Key_B));
    C2Hor = add(Cursor2Func, "C2Hor", QStringLiteral("Horizontal"), QKeySequence(Qt::ALT | Qt::Key_D));
    C2off = add(Cursor2Func, "C2off", QStringLiteral("Off"));
    HLine = add(PopupMenu1, "HLine", QStringLiteral("MirvaLinie"));
    HLine->setCheckable(true);
    Messart = add(PopupMenu1, "Messart", QStringLiteral("Measurement"), QKeySequence(Qt::CTRL | Qt::Key_X));
    FullGrid1 = add(PopupMenu1, "FullGrid1", QStringLiteral("Full Grid"));
    FullGrid1->setCheckable(true);
    AddProj1 = add(PopupMenu1, "AddProj1", QStringLiteral("Add to project"));
    AddProj1->setEnabled(false);
    for (QAction* a : {C1vert, C1hor, c1off, C2Vert, C2Hor, C2off})
        a->setCheckable(true);

    connect(CursorI1, &QAction::triggered, this, [this] { cursorCommand([this] { disp_.SelCursor = 0; }, true); });
    connect(CursorII1, &QAction::triggered, this, [this] { cursorCommand([this] { disp_.SelCursor = 1; }, true); });
    connect(C1vert, &QAction::triggered, this,
            [this] { cursorCommand([this] { disp_.SetCursorMode(0, TScopeCursor::Vertical); }, true); });
    connect(C1hor, &QAction::triggered, this,
            [this] { cursorCommand([this] { disp_.SetCursorMode(0, TScopeCursor::Horizontal); }, true); });
    connect(c1off, &QAction::triggered, this, [this] { cursorCommand([this] { disp_.CursorOff(0); }, true); });
    connect(C2Vert, &QAction::triggered, this,
            [this] { cursorCommand([this] { disp_.SetCursorMode(1, TScopeCursor::Vertical); }, true); });
    connect(C2Hor, &QAction::triggered, this,
            [this] { cursorCommand([this] { disp_.SetCursorMode(1, TScopeCursor::Horizontal); }, true); });
    connect(C2off, &QAction::triggered, this, [this] { cursorCommand([this] { disp_.CursorOff(1); }, true); });
    connect(HLine, &QAction::triggered, this, [this] { cursorCommand([this] { disp_.ToggleHelpLine(); }, true); });
    connect(Messart, &QAction::triggered, this, [this] {
        disp_.NextMeasMode();
        writeReadouts();
        menuMarks();
    });
    connect(FullGrid1, &QAction::triggered, this, [this] {
        disp_.FullGrid = !disp_.FullGrid;
        DrawGrid();
        DrawTraces();
        menuMarks();
    });
    connect(AddProj1, &QAction::triggered, this, [this] { eng_.AddProj1Click(); });
    menuMarks();
}

void TScope::buildContextItems()
{
    context_.Add(QString(), {}, QString(), HelpContext);
    context_.Add(QString(), [this](QObject*) { DoSettings(); }, QString(), 49).Glyph = ScopeGlyph("INVERTER");
    context_.Add(QString(), [this](QObject*) { eng_.DoExport(); }, QString(), 48).Glyph = ScopeGlyph("EXPORT");
    context_.Add(QString(), [this](QObject*) { eng_.DoReadOfflineMem(); }, QString(), 141).Glyph =
        ScopeGlyph("READOFFLINE");
}

void TScope::cursorCommand(std::function<void()> f, bool Focus)
{
    f();
    menuMarks();
    Relayout();
    if (Focus && isVisible())
        MoveCursor->setFocus();
}

void TScope::menuMarks()
{
    CursorI1->setChecked(disp_.SelCursor == 0);
    CursorII1->setChecked(disp_.SelCursor == 1);
    C1vert->setChecked(disp_.Cursor[0].Mode == TScopeCursor::Vertical);
    C1hor->setChecked(disp_.Cursor[0].Mode == TScopeCursor::Horizontal);
    c1off->setChecked(disp_.Cursor[0].Mode == TScopeCursor::Off);
    C2Vert->setChecked(disp_.Cursor[1].Mode == TScopeCursor::Vertical);
    C2Hor->setChecked(disp_.Cursor[1].Mode == TScopeCursor::Horizontal);
    C2off->setChecked(disp_.Cursor[1].Mode == TScopeCursor::Off);
    HLine->setChecked(disp_.Cursor[2].Mode == TScopeCursor::Horizontal);
    FullGrid1->setChecked(disp_.FullGrid);
}

// ---- opening

void TScope::setTexts()
{
    title_ = text(1, 44);
    eng_.Title = title_;
    PopupMenu1->setProperty("HelpContext", 43);
    const std::pair<QAction*, int> help[] = {{RunStop1, 65}, {CursorI1, 66}, {CursorII1, 66}, {C1vert, 67},
                                             {C2Vert, 67},   {C1hor, 68},    {C2Hor, 68},     {FullGrid1, 70},
                                             {AddProj1, 91}, {Messart, 142}, {HLine, 152}};
    for (auto [a, h] : help)
        a->setProperty("HelpContext", h);
    RunStop1->setText(text(1, 13));
    CursorI1->setText(text(1, 8));
    CursorII1->setText(text(1, 9));
    Cursor1Func->setTitle(text(1, 39));
    Cursor2Func->setTitle(text(1, 40));
    C1vert->setText(text(1, 10));
    C2Vert->setText(text(1, 10));
    C1hor->setText(text(1, 11));
    C2Hor->setText(text(1, 11));
    c1off->setText(text(1, 12));
    C2off->setText(text(1, 12));
    HLine->setText(text(1, 36));
    Messart->setText(text(1, 45));
    FullGrid1->setText(text(1, 7));
    AddProj1->setText(text(5, 14));

    {
        const QSignalBlocker block(ComboBox1);
        ComboBox1->clear();
        ComboBox1->addItem(text(1, eng_.TimeUnit == QLatin1String("us") ? 46 : 2));
        for (int k = 0; k < kScopeChannels; ++k)
            ComboBox1->addItem(QString(QChar(u'A' + k)) + QStringLiteral(": ") + text(1, 0));
        for (int k = 0; k < kScopeChannels; ++k)
            ComboBox1->addItem(QString(QChar(u'A' + k)) + QStringLiteral(": ") + text(1, 1));
        ComboBox1->setCurrentIndex(0);
    }
    SpeedButton1->setToolTip(text(1, 13));
    Edit1->setToolTip(text(0, 11));
    ComboBox1->setToolTip(text(0, 11));
    for (int k = 0; k < kScopeChannels; ++k)
        ButtonCH[k]->setToolTip(text(1, 5) + u' ' + QChar(u'A' + k));
    ScrollBar1->setToolTip(text(1, 14));

    commands_.Owner = this;
    commands_.Slots = {};
    commands_.Slots[osSave] = [this] { Save(); };
    commands_.Slots[osSaveAs] = [this] { SaveAs(); };
    commands_.Slots[osCopy] = [this] { Copy(); };
    commands_.Slots[osPrint] = [this] { Print(); };
    context_.Item(0)->SetCaption(title_);
    context_.Item(0)->HelpContext = HelpContext;
    const int captions[3][2] = {{0, 11}, {1, 28}, {1, 34}};
    for (int i = 1; i <= 3; ++i) {
        context_.Item(i)->SetCaption(text(captions[i - 1][0], captions[i - 1][1]));
        context_.Item(i)->SetHint(text(captions[i - 1][0], captions[i - 1][1]));
    }
    eng_.FileFilter = text(5, 19) + QStringLiteral("(*.sc5)|*.sc5|") + text(5, 43) + QStringLiteral("(*.se5)|*.se5");
    if (cfg_) {
        eng_.DataPath = cfg_->DataPath;
        eng_.AppName = cfg_->AppName;
        disp_.Separator = cfg_->Separator.isEmpty() ? QChar(u'+') : cfg_->Separator[0];
        disp_.ShowDecValue = cfg_->ShowDecValue;
        setScope_->Core().Separator = disp_.Separator;
        setScope_->Core().ShowDecValue = cfg_->ShowDecValue;
    }
}

void TScope::ShowScope(int Inv, int Lng, const QString& FileName)
{
    if (scopeOpen_) {
        show();
        raise();
        activateWindow();
        if (eng_.RecState != TScopeEngine::recIdle)
            return;
        // The kept recording keeps its date; only a loaded file replaces it.
        if (!FileName.isEmpty())
            eng_.LoadFromFile(FileName.left(255));
    } else {
        setTexts();
        eng_.RecState = TScopeEngine::recIdle;
        if (Inv < 0 || Inv > 239)
            Inv = 0;
        eng_.ScopeInv = Inv;
        eng_.CheckChannels();
        if (!FileName.isEmpty())
            eng_.LoadFromFile(FileName.left(255));
        if (project_ && !project_->GetInv(eng_.ScopeInv)) {
            for (int a = 0; a <= 239; ++a)
                if (project_->GetInv(a)) {
                    eng_.ScopeInv = a;
                    break;
                }
            eng_.CheckChannels();
        }
        if (!project_ || project_->InvCount() == 0) {
            message(0, 15);
            if (OnScopeClosed)
                OnScopeClosed();
            return;
        }
        scopeOpen_ = true;
        eng_.WindowOpen = true;
        eng_.Language = Lng;
        disp_.CalcZeroLines();
        setWindowTitle(BuildCaption());
        CentreOnWorkArea(this);
        show();
        raise();
        activateWindow();
        DrawGrid();
        DrawTraces();
        UpDateScrollBar();
        UpdateToolItems();
    }
    if (TScheduler* s = eng_.Scheduler(); s && eng_.SchedSlot >= 0)
        eng_.SchedState = s->SetState(eng_.SchedSlot, csPaused);
}

QString TScope::BuildCaption() const
{
    QString c = title_;
    if (!eng_.FileName.isEmpty())
        c += QStringLiteral(" - ") + eng_.FileName;
    c += QStringLiteral(" - ");
    const TPrjInvRec* r = project_ ? project_->GetInv(eng_.ScopeInv) : nullptr;
    const QString name = r ? r->GetName().trimmed() : QString();
    return c + (name.isEmpty() ? text(0, 0) + u':' + QString::number(eng_.ScopeInv) : name);
}

void TScope::UpdateToolItems()
{
    context_.Item(3)->Enabled = eng_.OfflineBase != -1;
    MainForm.SetContextFuncs(nullptr);
    MainForm.SetContextFuncs(&context_);
}

bool TScope::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate && scopeOpen_) {
        MainForm.HandOver(&commands_, &context_);
    } else if (e->type() == QEvent::WindowDeactivate) {
        eng_.FormDeactivate();
    }
    return QWidget::event(e);
}

// ---- value chooser and edit

void TScope::ShowEditValue()
{
    Edit1->setText(disp_.EditValueText(ComboBox1->currentIndex()));
}

void TScope::applyEdit(TEditResult r)
{
    if (r == TEditResult::NotInteger) {
        message(0, 12);
        return;
    }
    if (r != TEditResult::Changed)
        return;
    if (ComboBox1->currentIndex() == 0)
        UpDateScrollBar();
    ShowEditValue();
    disp_.ClearcursorText();
    DrawGrid();
    DrawTraces();
}

void TScope::stepClick(bool Down)
{
    const int item = ComboBox1->currentIndex();
    applyEdit(disp_.ApplyEditValue(item, disp_.SteppedValue(item, Down)));
}

void TScope::editEntered()
{
    // The message about a wrong entry takes the focus from the edit; that
    // focus loss must not read the same entry again.
    if (applying_)
        return;
    applying_ = true;
    applyEdit(disp_.ApplyEditText(ComboBox1->currentIndex(), Edit1->text()));
    applying_ = false;
}

void TScope::RefreshDisplay()
{
    DrawCursors(1);
    ShowEditValue();
}

// ---- commands

void TScope::Save()
{
    eng_.SaveToFile(eng_.FileName);
}

void TScope::SaveAs()
{
    eng_.SaveToFile(QString());
}

void TScope::Copy()
{
    PrintScope(1);
}

void TScope::Print()
{
    PrintScope(0);
}

void TScope::DoSettings()
{
    if (eng_.RecState == TScopeEngine::recIdle)
        SetUpScope(TSetScopeCore::pgMode);
}

void TScope::SetUpScope(int Page)
{
    if (!setScope_->Execute(eng_, Page))
        return;
    const bool warn = setScope_->Core().ApplyTo(eng_, &disp_);
    if (warn)
        message(1, 27);
    ShowEditValue();
    DrawGrid();
    DrawTraces();
    UpDateScrollBar();
    UpdateToolItems();
}

void TScope::AssignChannel(int k, int Inverter, int Address)
{
    if (k < 0 || k >= kScopeChannels || Address < 0)
        return;
    eng_.Setup.Chan[k].Inverter = int16_t(Inverter);
    eng_.Setup.Chan[k].Address = int16_t(Address);
    eng_.CheckChannels();
    disp_.CalcZeroLines();
}

bool TScope::ButtonCH_XXDragOver(const QMimeData* Data, int k) const
{
    return DragDrop && k >= 0 && k < kScopeChannels
        && DragDrop->Accepts(Data, ButtonCH[size_t(k)], {ddkExplParams, ddkDwnLines, ddkWrkRows});
}

void TScope::ButtonCH_XXDragDrop(int k)
{
    if (!DragDrop || DragDrop->Items.empty())
        return;
    int inv = DragDrop->InvAdr;
    int adr = -1;
    switch (DragDrop->Kind) {
    case ddkExplParams:
        if (auto p = DragDrop->Item<TParaRec>(0))
            adr = p->Addr;
        break;
    case ddkDwnLines:
        if (auto e = DragDrop->Item<TDwnEntry>(0))
            adr = e->Address;
        break;
    case ddkWrkRows:
        if (auto r = DragDrop->Item<TWrkListItem>(0)) {
            adr = int16_t(r->Address & 0xFFFF);
            inv = r->Inverter;
        }
        break;
    default:
        return;
    }
    AssignChannel(k, inv, adr);
}

// ---- closing

bool TScope::formCloseQuery()
{
    while (eng_.Unsaved) {
        msgList_ = QStringList{text(1, 15)};
        if (const QStringList* question = texts_ ? texts_->GetStrings(0, 24) : nullptr)
            msgList_ += *question;
        else
            msgList_ += text(0, 24);
        const int r = eng_.Interaction->Message(msgList_, sbYesNoCancel, title_, icConfirmation, {}, {}, {}, 0, -1);
        // Cancel keeps the window, unless the project has no inverter left.
        if (r == 2 && !closingForEmpty_)
            return false;
        // A running recording ends before it is saved or forgotten.
        eng_.Stop();
        if (r == 0) {
            if (eng_.SaveToFile(QString()) == 0)
                eng_.Unsaved = false;
            continue;
        }
        eng_.Unsaved = false;
    }
    return true;
}

void TScope::formClose()
{
    disp_.ResetCursors();
    menuMarks();
    MainForm.HandOver(nullptr, nullptr);
    eng_.FormClose();
    scopeOpen_ = false;
    if (OnScopeClosed)
        OnScopeClosed();
}

void TScope::closeEvent(QCloseEvent* e)
{
    if (!scopeOpen_) {
        e->accept();
        return;
    }
    if (!formCloseQuery()) {
        e->ignore();
        return;
    }
    formClose();
    e->accept();
}
