// The main window: operation slots, context commands, Windows menu,
// arrangement, and the windows a project records.
#include "mainwin/fmain.h"
#include "mainwin/fmain_helpers.h"

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "dialogs/max_placement.h"
#include "dialogs/message_dlg.h"
#include "dialogs/shared_objects.h"
#include "dialogs/window_file.h"
#include "dialogs/window_place.h"
#include "dialogs/window_wait.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QToolButton>

using namespace fmain_detail;

// ------------------------------------------------------------------ slots

void TFMain::enableSlotEntries()
{
    for (QAction* a : {MenuSave1, MenuSaveAs1, MenuCut1, MenuCopy1, MenuPaste1, MenuDelete1, MenuMarkAll1, MenuPrint1,
                       MenuSearch1})
        a->setEnabled(CurOpFuncs && CurOpFuncs->Filled(a->property(kSlot).toInt()));
}

void TFMain::SetPrgOpFuncs(PTOperatingFuncs Funcs)
{
    // A window activated while the main window is being freed (a driver's
    // close runs the event loop) finds no menus to enable any more.
    if (destroying_)
        return;
    disconnect(opOwnerConn_);
    CurOpFuncs = Funcs;
    if (Funcs && Funcs->Owner)
        opOwnerConn_ = connect(Funcs->Owner.data(), &QObject::destroyed, this, [this] { SetPrgOpFuncs(nullptr); });
    enableSlotEntries();
}

void TFMain::CallSlot(int Slot)
{
    if (Slot == osReserved || !CurOpFuncs || !CurOpFuncs->Filled(Slot))
        return;
    // A copy: the slot may hand over another record while it runs.
    const std::function<void()> f = CurOpFuncs->Slots[size_t(Slot)];
    f();
}

void TFMain::SetContextFuncs(TContextList* List)
{
    if (destroying_ || List == CurContext)
        return;
    disconnect(ctxOwnerConn_);
    CurContext = List;
    if (List && List->Owner)
        ctxOwnerConn_ =
            connect(List->Owner.data(), &QObject::destroyed, this, [this] { SetContextFuncs(nullptr); });
    QAction* menu = MenuContext0->menuAction();
    if (!List || List->Count() < 1) {
        MenuContext0->setTitle(QStringLiteral("-"));
        menu->setEnabled(false);
        setHelpContext(MenuContext0, MainHelpContext);
        for (QToolButton* b : CtxButtons)
            b->hide();
        return;
    }
    const TContextItem& head = *List->Item(0);
    MenuContext0->setTitle(head.Caption());
    menu->setEnabled(head.Enabled);
    setHelpContext(MenuContext0, head.HelpContext);
    setHelpContext(menu, head.HelpContext);
    const int n = List->Count();
    for (int i = 1; i < n; ++i) {
        if (MenuContext0->actions().size() < i) {
            auto* entry = MenuContext0->addAction(QString());
            entry->setObjectName(QStringLiteral("MenuContextItem%1").arg(i));
            auto* b = new QToolButton(Panel1);
            b->setObjectName(QStringLiteral("CtxButton%1").arg(i));
            b->setAutoRaise(true);
            b->setIconSize(QSize(24, 24));
            b->setGeometry(layout_.ContextButton(i));
            CtxButtons.push_back(b);
            // The command is looked up when clicked, so a list handed over
            // later (or none, once its window has gone) is what counts.
            auto click = [this, i](QObject* sender) {
                TContextItem* item = CurContext ? CurContext->Item(i) : nullptr;
                if (item && item->Enabled && item->OnClick) {
                    const auto f = item->OnClick;
                    f(sender);
                }
            };
            connect(entry, &QAction::triggered, this, [click, entry] { click(entry); });
            connect(b, &QToolButton::clicked, this, [click, b] { click(b); });
        }
        const TContextItem& item = *List->Item(i);
        QAction* entry = MenuContext0->actions().at(i - 1);
        entry->setText(item.Caption());
        entry->setEnabled(item.Enabled);
        setHelpContext(entry, item.HelpContext);
        QToolButton* b = CtxButtons[size_t(i - 1)];
        b->setIcon(QIcon(item.Glyph));
        b->setToolTip(item.Hint());
        b->setEnabled(item.Enabled);
        b->setVisible(true);
    }
    while (MenuContext0->actions().size() >= n && !MenuContext0->actions().isEmpty()) {
        QAction* entry = MenuContext0->actions().at(n - 1);
        MenuContext0->removeAction(entry);
        delete entry;
        delete CtxButtons[size_t(n - 1)];
        CtxButtons.erase(CtxButtons.begin() + (n - 1));
    }
}

// ------------------------------------------------------------------ windows

QWidget* TFMain::OpenWindowOfSlot(int Slot) const
{
    if (!scheduler_)
        return nullptr;
    const TSchItem* item = scheduler_->GetItem(Slot);
    if (!item || item->State <= csRegistered)
        return nullptr;
    return qobject_cast<QWidget*>(item->Form.data());
}

QWidget* TFMain::shownWindowOfSlot(int Slot) const
{
    // A window that only hides when closed (the scope) keeps its client.
    QWidget* w = OpenWindowOfSlot(Slot);
    return w && !w->isHidden() ? w : nullptr;
}

void TFMain::SchListChanged(QObject*)
{
    const QList<QAction*> entries = miWindows->actions();
    for (qsizetype i = 5; i < entries.size(); ++i) {
        miWindows->removeAction(entries[i]);
        delete entries[i];
    }
    for (int s = 0; s < TScheduler::SlotCount; ++s) {
        // Showing or hiding a client's window changes the menu as well.
        if (QWidget* any = OpenWindowOfSlot(s))
            any->installEventFilter(this);
        QWidget* w = shownWindowOfSlot(s);
        if (!w)
            continue;
        QAction* a = miWindows->addAction(w->windowTitle());
        a->setData(s);
        setHelpContext(a, helpContextOf(w));
        connect(a, &QAction::triggered, this, [this, s] { ChooseWindow(s); });
    }
    miWindows->menuAction()->setVisible(miWindows->actions().size() >= 7);
}

void TFMain::ChooseWindow(int Slot)
{
    QWidget* w = OpenWindowOfSlot(Slot);
    if (!w)
        return;
    if (w->isMinimized())
        w->showNormal();
    scheduler_->FocusItem(Slot);
    w->activateWindow();
    CurSlot = Slot;
}

void TFMain::NextWindow()
{
    if (!miWindows->menuAction()->isVisible())
        return;
    const int s = NextOpenSlot(CurSlot, TScheduler::SlotCount, [this](int k) { return shownWindowOfSlot(k); });
    if (s < 0)
        return;
    CurSlot = s;
    QWidget* w = OpenWindowOfSlot(s);
    if (w->isMinimized())
        w->showNormal();
    scheduler_->FocusItem(s);
    w->activateWindow();
}

void TFMain::Arrange(TArrangeKind Kind)
{
    // Only the windows the user sees: a client may keep a hidden window
    // (the scope before its first opening), which must not pop up here.
    std::vector<QWidget*> windows;
    for (int s = 0; s < TScheduler::SlotCount; ++s)
        if (QWidget* w = shownWindowOfSlot(s); w && !w->isMinimized())
            windows.push_back(w);
    if (windows.empty())
        return;
    QScreen* scr = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect work = scr ? scr->availableGeometry() : QRect();
    const std::vector<QRect> bounds = ArrangeBounds(Kind, work, frameGeometry(), int(windows.size()));
    for (size_t k = 0; k < windows.size(); ++k) {
        QWidget* w = windows[k];
        w->hide();
        if (w->isMaximized())
            w->setWindowState(w->windowState() & ~Qt::WindowMaximized);
        // Outer bounds: the window's own frame is taken off its client area.
        const QRect frame = w->frameGeometry();
        const QRect client = w->geometry();
        const QMargins m(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                         frame.bottom() - client.bottom());
        w->setGeometry(bounds[k].marginsRemoved(m));
        w->showNormal();
    }
}

namespace {

// Kind of a window by its lower-cased name; -1: not recorded.
int windowKind(const QWidget* w)
{
    const QString name = w->objectName().toLower();
    if (name == QLatin1String("fprjexpl"))
        return wkPrjExpl;
    if (name == QLatin1String("op_para"))
        return wkOperator;
    if (name == QLatin1String("scope"))
        return wkScope;
    if (name.startsWith(QLatin1String("fwrklist")))
        return wkWorkList;
    if (name.startsWith(QLatin1String("dwnload")))
        return wkDownList;
    return -1;
}

} // namespace

void TFMain::SaveWindowLayout()
{
    TVortalinPrj& prj = *project_;
    while (prj.WdwCount() > 0)
        prj.DeleteWdw(prj.WdwCount() - 1);
    for (int s = 0; s < TScheduler::SlotCount; ++s) {
        QWidget* w = OpenWindowOfSlot(s);
        if (!w)
            continue;
        const int kind = windowKind(w);
        if (kind < 0)
            continue;
        TSavedWdwRec rec;
        rec.WdwType = kind;
        rec.State = w->isMinimized() ? 1 : CountsAsMaximised(w) ? 2 : 0;
        rec.Height = w->height();
        rec.Width = w->width();
        rec.Left = w->x();
        rec.Top = w->y();
        rec.InvNr = -2;
        if (kind == wkScope || kind == wkWorkList || kind == wkDownList) {
            const auto* f = dynamic_cast<const IWindowFileName*>(w);
            rec.FileName = f ? f->WindowFileName() : QString();
            rec.InvNr = rec.FileName.isEmpty() ? -1 : prj.FindFile(rec.FileName);
            if (rec.InvNr == -2) {
                if (!prj.AskAddFile(rec.FileName))
                    continue;
                rec.InvNr = prj.FindFile(rec.FileName);
            }
        }
        const int i = prj.AddWdw();
        *prj.GetWdw(i) = rec;
    }
}

void TFMain::applyWindowRecord(QWidget* w, const TSavedWdwRec& rec)
{
    // The record holds the frame's corner (as saved from pos()); a window
    // just opened has no frame yet, and a plain move() would put its inside
    // there, one title bar lower than it was saved.
    MoveFrameTo(w, QPoint(rec.Left, rec.Top));
    w->resize(rec.Width, rec.Height);
    switch (rec.State) {
    case 1:
        w->showMinimized();
        break;
    case 2:
        w->showMaximized();
        break;
    default:
        w->showNormal();
        break;
    }
}

void TFMain::RestoreWindows()
{
    if (!project_)
        return;
    // A copy: opening a window may change the project's records.
    std::vector<TSavedWdwRec> records;
    for (int i = 0; i < project_->WdwCount(); ++i)
        records.push_back(*project_->GetWdw(i));
    const int lng = progCfg_->lng;
    for (const TSavedWdwRec& rec : records) {
        QWidget* w = nullptr;
        switch (rec.WdwType) {
        case wkPrjExpl:
            Kinds.PrjExpl->RebuildTree();
            w = Kinds.PrjExpl->Show(currentInv(), lng, QString());
            MenuPrjExpl->setChecked(true);
            break;
        case wkOperator:
            // As the menu entry opens it: for the explorer's inverter.
            w = Kinds.OpPara->Show(currentInv(), lng, QString());
            break;
        case wkScope:
            w = Kinds.Scope->Show(rec.InvNr, lng, rec.FileName);
            MenuInverterScope->setChecked(true);
            break;
        case wkWorkList:
            w = Kinds.WrkList->Show(rec.InvNr, lng, rec.FileName);
            if (!w)
                showListOpenError();
            break;
        case wkDownList:
            w = Kinds.DwnLoad->Show(rec.InvNr, lng, rec.FileName);
            break;
        default:
            break;
        }
        if (w)
            applyWindowRecord(w, rec);
    }
}

// Asks the window to close until it has gone. One that refuses without a
// question (a transfer still running) is asked again after a sleep in the
// event loop, which runs its transfer meanwhile.
static void closeRefusing(QWidget* Window)
{
    constexpr int kReaskMs = 100;
    const QPointer<QWidget> w(Window);
    while (w && w->isVisible() && !w->close())
        SleepOnWindow(w, kReaskMs);
}

void TFMain::CloseAllWindows()
{
    // Work-list and download-list windows, each asked until it has gone
    // (its own save question may be answered with Cancel).
    for (;;) {
        QWidget* next = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            const QString name = w->objectName().toLower();
            if (w != this && w->isVisible() &&
                (name.startsWith(QLatin1String("fwrklist")) || name.startsWith(QLatin1String("dwnload")))) {
                next = w;
                break;
            }
        }
        if (!next)
            break;
        closeRefusing(next);
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const QString name = w->objectName().toLower();
        if (name == QLatin1String("scope"))
            closeRefusing(w);
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName().toLower() == QLatin1String("fprjexpl"))
            w->close();
}
