#include "lists/dwn_load.h"

#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "dialogs/inv_sel_dlg.h"
#include "dialogs/max_placement.h"
#include "dialogs/report_view.h"
#include "lists/adr_edit.h"
#include "dialogs/shared_objects.h"
#include "dialogs/text_fit.h"
#include "dialogs/window_wait.h"
#include "lists/dwn_load_env.h"
#include "lists/dwn_load_glyphs.h"
#include "lists/mode_edit.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "project/vortalin_prj.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QWheelEvent>

#include <array>
#include <utility>

namespace {
TDwnMessage dwnMsg(const QStringList& lines, int buttons, const QString& title, int icon, const QString& p1 = {})
{
    TDwnMessage m;
    m.Lines = lines;
    m.Buttons = buttons;
    m.Title = title;
    m.Icon = icon;
    m.P1 = p1;
    return m;
}

// The splitter between memo and list: dragging it changes the memo height.
class DwnSplitter : public QWidget {
public:
    explicit DwnSplitter(QWidget* parent) : QWidget(parent) { setCursor(Qt::SizeVerCursor); }
    std::function<void(int globalY, bool start)> OnDrag;

protected:
    void mousePressEvent(QMouseEvent* e) override
    {
        if (OnDrag && e->button() == Qt::LeftButton)
            OnDrag(int(e->globalPosition().y()), true);
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (OnDrag && (e->buttons() & Qt::LeftButton))
            OnDrag(int(e->globalPosition().y()), false);
    }
};
}  // namespace

TDwnGeometry DwnLayoutGeometry(int W, int H, int MemoH, int ScrollBarW)
{
    TDwnGeometry g;
    MemoH = std::clamp(MemoH, 1, std::max(1, H - TDwnLoad::SplitterHeight - 1));
    g.Memo = QRect(0, 0, W, MemoH);
    g.Splitter = QRect(0, MemoH, W, TDwnLoad::SplitterHeight);
    const int top = g.Splitter.top() + g.Splitter.height();
    const int sbLeft = W - ScrollBarW - 1;
    g.List = QRect(0, top, std::max(1, sbLeft - 1), std::max(1, H - top));
    g.ScrollBar = QRect(sbLeft, top + 1, ScrollBarW, std::max(1, g.List.height() - 2));
    return g;
}

int DwnVisibleRows(int ViewH, int RowH)
{
    return RowH > 0 ? std::max(1, ViewH / RowH) : 1;
}

// ---------------------------------------------------------------- creation

TDwnLoad::TDwnLoad(int Nr, const TDwnLoadShared& Shared)
    : QWidget(nullptr, Qt::Window)
    , shared_(Shared)
    , dlg_(std::make_unique<TDwnLoadDlg>(LangTexts, this))
    , engine_(std::make_unique<TDwnLoadEngine>(::Project, ::Scheduler,
                                               LangTexts, *dlg_, this))
    , view_(engine_->Lines)
    , edit_(*engine_, view_)
{
    // The controls, menus and context commands; the list starts empty, on
    // no inverter and not polled.
    setObjectName(QStringLiteral("DwnLoad_%1").arg(Nr));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(DefaultWidth, DefaultHeight);
    InstallMaxPlacement(this);
    engine_->WdwNr = Nr;
    engine_->SchedState = csPaused;
    engine_->TransferSchedState = csPolled;
    engine_->InvAdr = -1;
    engine_->Modified = false;
    if (ProgCfg) {
        engine_->Options.DataPath = ProgCfg->DataPath;
        engine_->Options.DwnHighPriority = ProgCfg->DwnHighPriority;
        engine_->Options.Separator = ProgCfg->Separator.isEmpty() ? QChar(u'+') : ProgCfg->Separator.at(0);
        engine_->Options.ShowDecValue = ProgCfg->ShowDecValue;
    }

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setProperty("tag", 2);
    auto* split = new DwnSplitter(this);
    split->setObjectName(QStringLiteral("Splitter1"));
    split->OnDrag = [this](int y, bool start) {
        if (start)
            splitterGrab_ = y - memoHeight_;
        else
            dragSplitter(y - splitterGrab_);
    };
    Splitter1 = split;

    model_ = new TDwnRowModel(view_, this);
    model_->Texts = LangTexts;
    ListView1 = new QTableView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setProperty("tag", 1);
    SetUpReportView(ListView1, model_, QAbstractItemView::MultiSelection);
    SetUpLineListView(ListView1);
    // The separate scroll bar scrolls the lines; the view holds the visible ones.
    ListView1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListView1->setTabKeyNavigation(false);
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView1->viewport()->setAcceptDrops(true);
    ListView1->installEventFilter(this);
    ListView1->viewport()->installEventFilter(this);

    ScrollBar1 = new QScrollBar(Qt::Vertical, this);
    ScrollBar1->setObjectName(QStringLiteral("ScrollBar1"));
    ScrollBar1->setFocusPolicy(Qt::StrongFocus);
    ScrollBar1->setContextMenuPolicy(Qt::CustomContextMenu);
    ScrollBar1->installEventFilter(this);
    connect(ScrollBar1, &QScrollBar::valueChanged, this, [this](int v) {
        // The rows show the lines from the scroll bar's new position.
        if (filling_)
            return;
        view_.SetPosition(v);
        FillList(view_.Position);
    });

    buildMenu();
    buildContextItems();
    auto popup = [this](QWidget* w) {
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& p) { PopupMenu1->popup(w->mapToGlobal(p)); });
    };
    popup(ListView1);
    popup(ScrollBar1);
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] {
        // What is typed into the memo is the list's remark and modifies it.
        if (settingMemo_)
            return;
        const QString t = Memo1->toPlainText();
        engine_->Remark = t.isEmpty() ? QStringList() : t.split(u'\n');
        engine_->Modified = true;
    });
    for (int c = 0; c < kDwnColCount; ++c)
        ListView1->horizontalHeader()->resizeSection(c, kDwnDefaultColWidths[size_t(c)]);

    dlg_->InvSelDlg = [sel = shared_.InvSel](const QString& caption, int adr) {
        int16_t a = int16_t(adr);
        return sel && sel->SelectInv(caption, a) == 1 ? int(a) : -1;
    };
    InputBox = [this](const QString& title, const QString& prompt, QString& value) {
        bool ok = false;
        const QString v = QInputDialog::getText(this, title, prompt, QLineEdit::Normal, value, &ok);
        if (ok)
            value = v;
        return ok;
    };
}

TDwnLoad::~TDwnLoad()
{
    // Every line goes, then the scheduler slot (the window's number is
    // free once it has gone).
    engine_->MarkAll();
    for (int i = int(engine_->Lines.size()) - 1; i >= 0; --i)
        DeleteDwnEntry(engine_->Lines, i);
    engine_->Unregister();
    // The rows and the list view go before the lines they show, the
    // engine before the dialogs it asks.
    ListView1->viewport()->removeEventFilter(this);
    ListView1->removeEventFilter(this);
    ScrollBar1->removeEventFilter(this);
    delete ListView1;
    ListView1 = nullptr;
    delete model_;
    model_ = nullptr;
    engine_.reset();
}

void TDwnLoad::buildMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->setProperty("HelpContext", HelpContext);
    setProperty("HelpContext", HelpContext);
    auto add = [this](QAction*& a, const char* name, QKeySequence key, int help, auto slot) {
        a = PopupMenu1->addAction(QString());
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            addAction(a);
        }
        a->setProperty("HelpContext", help);
        connect(a, &QAction::triggered, this, slot);
    };
    add(MenuchangeVal, "MenuchangeVal", Qt::Key_F3, 86, [this] { MenuchangeValClick(); });
    add(MenuChangeSet, "MenuChangeSet", Qt::Key_F4, 45, [this] { MenuChangeSetClick(); });
    add(MenuChangenote, "MenuChangenote", Qt::Key_F5, 88, [this] { MenuChangenoteClick(); });
    add(Parametereinf1, "Parametereinf1", Qt::Key_F6, 84, [this] { Parametereinf1Click(); });
    add(MenuInsertBlankLine, "MenuInsertBlankLine", Qt::Key_F7, 87, [this] { MenuInsertBlankLineClick(); });
    add(MenuInsertUser, "MenuInsertUser", {}, 138, [this] { MenuInsertUserClick(); });
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N1"));
    add(MenuSave, "MenuSave", QKeySequence(Qt::CTRL | Qt::Key_S), 17, [this] { DoSave(); });
    add(MenuSaveAs, "MenuSaveAs", {}, 18, [this] { DoSaveAs(); });
    add(MenuAddProj, "MenuAddProj", {}, 91, [this] { MenuAddProjClick(); });
    MenuAddProj->setEnabled(false);
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N2"));
    add(MenuCut, "MenuCut", QKeySequence(Qt::CTRL | Qt::Key_X), 24, [this] { DoCut(); });
    add(MenuCopy, "MenuCopy", QKeySequence(Qt::CTRL | Qt::Key_C), 25, [this] { DoCopy(); });
    add(MenuPaste, "MenuPaste", QKeySequence(Qt::CTRL | Qt::Key_V), 26, [this] { DoPaste(); });
    add(MenuDel, "MenuDel", Qt::Key_Delete, 27, [this] { DoDelete(); });
    add(MenuMarkAll, "MenuMarkAll", QKeySequence(Qt::CTRL | Qt::Key_A), 28, [this] { DoMarkAll(); });
    // The memo keeps its own editing keys.
    for (QAction* a : {MenuCut, MenuCopy, MenuPaste, MenuDel, MenuMarkAll})
        removeAction(a);
    for (QAction* a : {MenuCut, MenuCopy, MenuPaste, MenuDel, MenuMarkAll}) {
        a->setShortcutContext(Qt::WidgetShortcut);
        ListView1->addAction(a);
    }
}

void TDwnLoad::buildContextItems()
{
    OpFuncs.Owner = this;
    OpFuncs.Slots[osSave] = [this] { DoSave(); };
    OpFuncs.Slots[osSaveAs] = [this] { DoSaveAs(); };
    OpFuncs.Slots[osCut] = [this] { DoCut(); };
    OpFuncs.Slots[osCopy] = [this] { DoCopy(); };
    OpFuncs.Slots[osPaste] = [this] { DoPaste(); };
    OpFuncs.Slots[osDelete] = [this] { DoDelete(); };
    OpFuncs.Slots[osMarkAll] = [this] { DoMarkAll(); };
    OpFuncs.Slots[osPrint] = [this] { DoPrint(); };
    OpFuncs.Slots[osSearch] = [this] { DoSearch(); };
    ContextItems.Owner = this;
    ContextItems.Clear();
    ContextItems.Add(QStringLiteral("DL"), {}, QStringLiteral("DL"), HelpContext);
    struct Cmd {
        std::pair<int, int> text;
        void (TDwnLoad::*run)();
        const char* glyph;
        int help;
    };
    const Cmd cmds[] = {
        {{2, 0}, &TDwnLoad::DoDownload, "DWNARROW", 50}, {{2, 1}, &TDwnLoad::DoUpload, "UPARROW", 71},
        {{2, 11}, &TDwnLoad::DoMakeList, "Complete", 52}, {{2, 15}, &TDwnLoad::DoCompress, "Compress", 53},
        {{2, 20}, &TDwnLoad::DoCompare, "CHECK", 137},    {{0, 11}, &TDwnLoad::DoSettings, "INVERTER", 54},
    };
    for (const Cmd& c : cmds) {
        const QString t = text(c.text.first, c.text.second);
        const QPointer<TDwnLoad> self(this);
        TContextItem& item = ContextItems.Add(t, [self, run = c.run](QObject*) { if (self) (self->*run)(); }, t, c.help);
        item.Glyph = DwnGlyph(QString::fromLatin1(c.glyph));
    }
}

void TDwnLoad::handOver(bool None)
{
    if (None)
        shared_.MainForm.HandOver(nullptr, nullptr);
    else
        shared_.MainForm.HandOver(&OpFuncs, &ContextItems);
}

QString TDwnLoad::text(int S, int I) const
{
    const TVortalinText* t = LangTexts;
    return t ? t->GetText(S, I) : QStringLiteral("???");
}

void TDwnLoad::setTexts()
{
    const std::array<std::pair<int, int>, 8> cols{{{0, 0}, {0, 0}, {0, 2}, {2, 19}, {0, 47}, {0, 1}, {0, 3}, {2, 7}}};
    for (int c = 2; c < 8; ++c)
        model_->Captions[size_t(c)] = text(cols[size_t(c)].first, cols[size_t(c)].second);
    model_->Captions[1] = QStringLiteral("R / W");
    const std::array<std::pair<QAction*, std::pair<int, int>>, 14> items{{
        {MenuchangeVal, {5, 3}}, {MenuChangeSet, {5, 2}}, {MenuChangenote, {5, 4}},
        {Parametereinf1, {2, 5}}, {MenuInsertBlankLine, {2, 8}}, {MenuInsertUser, {2, 17}},
        {MenuSave, {5, 11}}, {MenuSaveAs, {5, 12}}, {MenuAddProj, {5, 14}}, {MenuCut, {5, 5}},
        {MenuCopy, {5, 6}}, {MenuPaste, {5, 7}}, {MenuDel, {5, 8}}, {MenuMarkAll, {5, 9}},
    }};
    for (const auto& [a, key] : items)
        a->setText(text(key.first, key.second));
    Memo1->setToolTip(text(2, 7));
    dlg_->SaveFilter = text(5, 18) + QStringLiteral(" (*.dw5)|*.dw5|") + text(5, 41) + QStringLiteral(" (*.op5)|*.op5");
}

TDwnLoad* CreateDwnLoad(const TDwnLoadShared& Shared, int InvAdr, int Language, const QString& FileName)
{
    const TDwnLoadShared& sh = Shared;
    const auto lines = [&](int s, int i) {
        const QStringList* l = LangTexts ? LangTexts->GetStrings(s, i) : nullptr;
        return l ? *l : QStringList{QStringLiteral("???")};
    };
    const int nr = sh.Windows ? sh.Windows->FreeNumber() : 0;
    if (!nr) {
        TDwnLoadDlg(LangTexts, nullptr).Message(dwnMsg(lines(2, 13), dblOk, QString(), dmiInformation));
        return nullptr;
    }
    auto* w = new TDwnLoad(nr, Shared);
    sh.Windows->Add(w, nr);
    TDwnLoadEngine& e = *w->engine_;
    e.Language = Language;
    w->model_->Options.Language = Language;
    w->model_->Options.Separator = e.Options.Separator;
    w->model_->Options.ShowDecValue = e.Options.ShowDecValue;
    e.FileName.clear();
    w->edit_.SearchAdr = -1;
    e.CfgId = 0;
    w->GetCaptionText(true);
    w->setTexts();
    const QRect bar = sh.MainForm.BarFrame();
    const int top = bar.top() + bar.height();
    w->move(25 * nr, top + 25 * nr);
    w->show();
    e.TransferState = DwnTransfer::Idle;
    w->ControlsEnabled(true);
    if (!e.OpenFor(InvAdr, FileName)) {
        w->LayoutBusy = 2;
        delete w;
        return nullptr;
    }
    w->GetCaptionText(true);
    e.Register(w);
    w->ContextItemsChanged(e.CompressEnabled());
    return w;
}

QString GetDwnLoadFileName(const TDwnLoad* Window)
{
    return Window ? Window->Engine().FileName : QString();
}

TDwnLoad* ShowDwnLoadFile(const TDwnLoadShared& Shared, int InvAdr, int Language, const QString& FileName)
{
    if (TDwnLoad* w = Shared.Windows ? Shared.Windows->Find(FileName) : nullptr) {
        w->showNormal();
        w->raise();
        w->activateWindow();
        w->ListView1->setFocus();
        return w;
    }
    return CreateDwnLoad(Shared, InvAdr, Language, FileName);
}

// The upload's end wakes the parameter save at once; this only bounds a
// sleep that no event ends.
constexpr int kSaveParasRecheckMs = 100;

void DwnSaveParas(const TDwnLoadShared& Shared, int InvAdr, int Language)
{
    TDwnLoad* w = CreateDwnLoad(Shared, InvAdr, Language, QString());
    if (!w)
        return;
    w->DoMakeList();
    w->Engine().TransferState = DwnTransfer::UnattendedUpload;
    w->DoUpload();
    // The upload runs in the event loop; closed meanwhile, nothing is saved.
    const bool uploaded = WaitOnWindow(
        w, [](QWidget& x) { return static_cast<TDwnLoad&>(x).Engine().TransferState == DwnTransfer::Idle; },
        kSaveParasRecheckMs, [w](QEventLoop& loop) {
            QObject::connect(w, &TDwnLoad::TransferEnded, &loop, &QEventLoop::quit);
        });
    if (!uploaded)
        return;
    w->DoSaveAs();
    w->close();
}

// ---------------------------------------------------------------- caption

QString TDwnLoad::GetCaptionText(bool Apply)
{
    QString c = engine_->FileName.isEmpty() ? GetShortName() : engine_->FileName;
    if (const TPrjInvRec* inv = engine_->Inv()) {
        const QString name = inv->GetName();
        if (name.trimmed().isEmpty())
            c += QStringLiteral(" - ") + text(0, 0) + u':' + QString::number(engine_->InvAdr);
        else
            c += QStringLiteral(" - ") + name;
    }
    if (Apply) {
        setWindowTitle(c);
        if (TScheduler* s = ::Scheduler; s && engine_->SchedSlot >= 0)
            s->ItemChanged(engine_->SchedSlot);
        ContextItems.Item(0)->SetCaption(GetShortName());
        ContextItems.Item(0)->SetHint(GetShortName());
        handOverChangedItems();
    }
    return c;
}

// ---------------------------------------------------------------- virtual view

void TDwnLoad::SetLinesCount()
{
    if (LayoutBusy == 2)
        return;
    LayoutBusy = 0;
    const int rowH = ListView1->verticalHeader()->defaultSectionSize();
    for (int pass = 0; pass < 2; ++pass) {
        ++LayoutBusy;
        const TDwnGeometry g = DwnLayoutGeometry(width(), height(), memoHeight_, ScrollBar1->sizeHint().width());
        Memo1->setGeometry(g.Memo);
        Splitter1->setGeometry(g.Splitter);
        ListView1->setGeometry(g.List);
        ScrollBar1->setGeometry(g.ScrollBar);
        // A shown view has placed its viewport below the header already.
        const int viewH = ListView1->isVisible() ? ListView1->viewport()->height()
                                                 : g.List.height() - ListView1->horizontalHeader()->sizeHint().height()
                - 2 * ListView1->frameWidth();
        const int rows = DwnVisibleRows(viewH, rowH);
        const bool grew = rows > view_.Rows;
        view_.SetRows(rows);
        model_->Refill();
        if (!grew)
            break;
    }
    SetScrollMax();
    FillList(view_.Position);
    LayoutBusy = 0;
}

void TDwnLoad::SetScrollMax()
{
    view_.SetScrollMax();
    filling_ = true;
    ScrollBar1->setRange(0, view_.ScrollMax);
    ScrollBar1->setPageStep(view_.LargeStep);
    ScrollBar1->setSingleStep(1);
    ScrollBar1->setValue(view_.Position);
    filling_ = false;
}

void TDwnLoad::FillList(int TopIndex)
{
    view_.SetPosition(TopIndex);
    if (ScrollBar1->value() != view_.Position) {
        filling_ = true;
        ScrollBar1->setValue(view_.Position);
        filling_ = false;
    }
    model_->Refill();
    syncSelection();
}

void TDwnLoad::syncSelection()
{
    QItemSelection sel;
    for (int r = 0; r < view_.Rows; ++r)
        if (const TDwnEntry* e = view_.Line(view_.Position + r); e && e->Selected)
            sel.select(model_->index(r, 0), model_->index(r, 7));
    ListView1->selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
    focusRowInView();
}

void TDwnLoad::focusRowInView()
{
    if (view_.FocusRow >= 0 && view_.FocusRow < model_->rowCount())
        ListView1->selectionModel()->setCurrentIndex(model_->index(view_.FocusRow, 0), QItemSelectionModel::NoUpdate);
    else
        ListView1->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void TDwnLoad::SelectRange(int A, int B)
{
    view_.SelectRange(A, B);
    FillList(view_.Position);
}

void TDwnLoad::SelectLine(int Index)
{
    view_.SelectLine(Index);
    SetScrollMax();
    FillList(view_.Position);
}

void TDwnLoad::dragSplitter(int Y)
{
    memoHeight_ = std::clamp(Y, 1, std::max(1, height() - SplitterHeight - 20));
    SetLinesCount();
}

// ---------------------------------------------------------------- IDwnNotify

void TDwnLoad::RefreshView(bool FromTop)
{
    if (FromTop)
        view_.Position = 0;
    // The remark may have been read.
    const QString remark = engine_->Remark.join(u'\n');
    if (remark != Memo1->toPlainText()) {
        settingMemo_ = true;
        Memo1->setPlainText(remark);
        settingMemo_ = false;
    }
    for (int c = 0; c < kDwnColCount; ++c)
        if (ListView1->horizontalHeader()->sectionSize(c) != engine_->ColWidths[size_t(c)])
            ListView1->horizontalHeader()->resizeSection(c, engine_->ColWidths[size_t(c)]);
    // The list's widths were measured for a narrower font: a header whose
    // text they cut grows again (the list keeps its own widths).
    if (isVisible())
        FitTexts(this);
    RowsChanged();
}

void TDwnLoad::RowsChanged()
{
    SetScrollMax();
    FillList(view_.Position);
}

void TDwnLoad::ClearViewSelection()
{
    ListView1->selectionModel()->clearSelection();
}

void TDwnLoad::ControlsEnabled(bool Enabled)
{
    // While a transfer runs the lines, the remark and the scroll bar take
    // no input: the transfer works through the lines by index.
    for (QWidget* c : {static_cast<QWidget*>(ListView1), static_cast<QWidget*>(Memo1), Splitter1,
                       static_cast<QWidget*>(ScrollBar1)})
        c->setEnabled(Enabled);
    if (Enabled)
        emit TransferEnded();
}

void TDwnLoad::ContextItemsChanged(bool CompressEnabled)
{
    ContextItems.Item(4)->Enabled = CompressEnabled;
    handOverChangedItems();
}

void TDwnLoad::handOverChangedItems()
{
    // Only the active window's items are the main window's.
    if (!isActiveWindow()) {
        itemsOutdated_ = true;
        return;
    }
    itemsOutdated_ = false;
    handOver(true);
    handOver();
}

void TDwnLoad::AddProjEnabled()
{
    MenuAddProj->setEnabled(!engine_->FileName.isEmpty());
}

void TDwnLoad::CloseWindow()
{
    // Called from inside the list's operations: the window goes afterwards.
    QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
}

// ---------------------------------------------------------------- form events

bool TDwnLoad::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate) {
        // The main window takes this list's slots and context commands
        // (outdated ones replaced), and the open editors follow its marks.
        if (std::exchange(itemsOutdated_, false))
            handOver(true);
        handOver();
        SetDialogBoxes();
    }
    return QWidget::event(e);
}

void TDwnLoad::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    FormResize();
}

void TDwnLoad::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange)
        FormResize();
}

void TDwnLoad::FormResize()
{
    if (LayoutBusy == 2)
        return;
    if (windowState() & Qt::WindowMinimized) {
        engine_->Minimised();
        return;
    }
    // A maximise request places the window below the main bar
    // (dialogs/max_placement.h); the resize that follows lays it out.
    engine_->Restored();
    SetLinesCount();
}

void TDwnLoad::FormClose()
{
    const TDwnLoadShared& sh = shared_;
    handOver(true);
    // Detach the tool windows from this list.
    if (sh.AdrEdit && sh.AdrEdit->isVisible())
        sh.AdrEdit->EditAddress(-1, QString(), false, nullptr, 0);
    if (sh.ValEdit && sh.ValEdit->isVisible())
        sh.ValEdit->EditValue(0, -1, nullptr, QString(), 0, nullptr);
    if (sh.SetEdit && sh.SetEdit->isVisible())
        sh.SetEdit->EditSet(0, QString(), nullptr);
    if (sh.ModeEdit && sh.ModeEdit->isVisible())
        sh.ModeEdit->EditMode(QString(), 0, nullptr);
    if (sh.RemEdit && sh.RemEdit->isVisible())
        sh.RemEdit->EditRemark(QString(), QString(), nullptr);
    if (sh.InvSel && sh.InvSel->isVisible())
        sh.InvSel->ShowSelect(QString(), -1, nullptr);
    LayoutBusy = 2;
    engine_->Closing();
    if (shared_.Windows)
        shared_.Windows->Closed(this);
}

void TDwnLoad::closeEvent(QCloseEvent* e)
{
    if (LayoutBusy != 2 && !engine_->CloseQuery()) {
        e->ignore();
        return;
    }
    FormClose();
    e->accept();
}

// ---------------------------------------------------------------- input

bool TDwnLoad::MemoActive() const
{
    return Memo1->hasFocus() || (focusWidget() == Memo1);
}

void TDwnLoad::wheelEvent(QWheelEvent* e)
{
    e->accept();
    if (!ScrollBar1->isEnabled() || focusWidget() != ListView1)
        return;
    const int lines = QApplication::wheelScrollLines();
    const int steps = e->angleDelta().y() < 0 ? lines : e->angleDelta().y() > 0 ? -lines : 0;
    if (steps) {
        view_.Wheel(steps);
        FillList(view_.Position);
    }
}

bool TDwnLoad::eventFilter(QObject* o, QEvent* e)
{
    if (!ListView1)  // being destroyed
        return QWidget::eventFilter(o, e);
    if (o == ScrollBar1 && e->type() == QEvent::FocusIn) {
        // The scroll bar passes the focus on: the list keeps it.
        QTimer::singleShot(0, ListView1, [this] { ListView1->setFocus(); });
        return false;
    }
    if (o == ListView1 && e->type() == QEvent::KeyPress) {
        listKey(static_cast<QKeyEvent*>(e));
        return e->isAccepted();
    }
    if ((o == ListView1 || o == ListView1->viewport()) && e->type() == QEvent::Resize && LayoutBusy == 0) {
        // The view changed size (also when its horizontal scroll bar came or
        // went): its rows are laid out again.
        QMetaObject::invokeMethod(this, [this] { if (LayoutBusy == 0) SetLinesCount(); }, Qt::QueuedConnection);
        return false;
    }
    if (o == ListView1->viewport()) {
        switch (e->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* d = static_cast<QDropEvent*>(e);
            if (ListView1DragOver(d->mimeData()))
                d->acceptProposedAction();
            else
                d->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto* d = static_cast<QDropEvent*>(e);
            // The list is copied from, never moved out of.
            if (ListView1DragDrop(d->mimeData(), ListView1->rowAt(d->position().toPoint().y()))) {
                d->setDropAction(Qt::CopyAction);
                d->accept();
            } else {
                d->ignore();
            }
            return true;
        }
        default: break;
        }
        if (e->type() == QEvent::Wheel) {
            wheelEvent(static_cast<QWheelEvent*>(e));
            return true;
        }
        return listMouse(e);
    }
    return QWidget::eventFilter(o, e);
}

void TDwnLoad::listKey(QKeyEvent* k)
{
    using K = TDwnLoadView::Key;
    K key = K::Other;
    switch (k->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: key = K::Enter; break;
    case Qt::Key_End: key = K::End; break;
    case Qt::Key_Home: key = K::Home; break;
    case Qt::Key_Up: key = K::Up; break;
    case Qt::Key_Down: key = K::Down; break;
    case Qt::Key_PageDown: key = K::PageDown; break;
    case Qt::Key_PageUp: key = K::PageUp; break;
    case Qt::Key_Space: key = K::Space; break;
    default: break;
    }
    const bool shift = k->modifiers() & Qt::ShiftModifier;
    const bool ctrl = k->modifiers() & Qt::ControlModifier;
    const auto r = view_.KeyDown(key, shift, ctrl);
    if (!r.Consumed) {
        // Left to the list view; the rows show the lines' marks again after.
        k->ignore();
        QMetaObject::invokeMethod(this, [this] { syncSelection(); }, Qt::QueuedConnection);
        return;
    }
    k->accept();
    if (r.OpenValueEditor) {
        MenuchangeValClick();
        return;
    }
    FillList(view_.Position);
    if (r.EditorsChanged)
        SetDialogBoxes();
}

bool TDwnLoad::listMouse(QEvent* e)
{
    const auto type = e->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease
        && type != QEvent::MouseButtonDblClick && type != QEvent::MouseMove)
        return false;
    auto* m = static_cast<QMouseEvent*>(e);
    const QPoint p = m->position().toPoint();
    const int row = ListView1->rowAt(p.y());
    const bool shift = m->modifiers() & Qt::ShiftModifier;
    const bool ctrl = m->modifiers() & Qt::ControlModifier;
    ListView1->setFocus();
    if (type == QEvent::MouseButtonPress) {
        const bool left = m->buttons() == Qt::LeftButton;
        const bool right = m->buttons() == Qt::RightButton;
        DragStarted = false;
        pressPos_ = p;
        if (view_.MousePress(row, left, right, shift, ctrl)) {
            FillList(view_.Position);
            SetDialogBoxes();
        } else {
            FillList(view_.Position);
        }
        // The context menu of a right press follows as an event of its own.
        return true;
    }
    if (type == QEvent::MouseButtonDblClick) {
        if (m->button() != Qt::LeftButton)
            return true;
        if (row >= 0)
            view_.FocusRow = row;
        int col = ListView1->horizontalHeader()->logicalIndexAt(p.x());
        if (col < 0)
            col = 7;
        OpenEditor(col);
        return true;
    }
    if (type == QEvent::MouseMove) {
        // The drag begins after the system's drag distance.
        if (m->buttons() == Qt::LeftButton && !DragStarted
            && (p - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
            DragStarted = true;
            ListView1StartDrag();
        }
        return true;
    }
    // release
    if (m->button() == Qt::LeftButton && !DragStarted) {
        view_.MouseRelease(row, shift, ctrl);
        FillList(view_.Position);
        SetDialogBoxes();
    }
    DragStarted = false;
    return true;
}
