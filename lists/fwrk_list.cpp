#include "lists/fwrk_list.h"
#include "lists/fwrk_list_view.h"
#include "lists/wrk_list_file.h"

#include "dialogs/max_placement.h"
#include "dialogs/report_view.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QShowEvent>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

int WrkRemarkColumnWidth(int clientWidth, const std::array<int, 7>& widths)
{
    int rest = clientWidth;
    for (int i = 0; i < 6; ++i)
        rest -= widths[size_t(i)];
    return std::max(rest, TWrkListCore::MinRemarkWidth);
}

TFWrkList::TFWrkList(int WindowNo, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , core_(WindowNo)
{
    setObjectName(QStringLiteral("FWrkList"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(core_.Caption);
    resize(DefaultWidth, DefaultHeight);
    InstallMaxPlacement(this);
    core_.OwnerForm = this;

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Splitter = new QSplitter(Qt::Vertical, this);
    Splitter->setObjectName(QStringLiteral("Splitter1"));
    layout->addWidget(Splitter);

    RemarkMemo = new QPlainTextEdit(Splitter);
    RemarkMemo->setObjectName(QStringLiteral("RemarkMemo"));
    RemarkMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RemarkMemo->setMinimumHeight(16);  // below its size hint, so that 32 pixels hold
    PL = new TWrkListView(Splitter);
    PL->setObjectName(QStringLiteral("PL"));
    SetUpReportView(PL, &core_.Model(), QAbstractItemView::ExtendedSelection);
    SetUpLineListView(PL);
    PL->setDragEnabled(true);
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);
    Splitter->setSizes({32, DefaultHeight - 32});
    ApplyColumnWidths();

    connect(PL->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int i, int, int w) {
        if (applyingWidths_ || i < 0 || i > 6)
            return;
        core_.ColWidth[size_t(i)] = w;
        if (i < 6)
            FitRemarkColumn();
    });
    connect(RemarkMemo, &QPlainTextEdit::textChanged, this, [this] {
        if (settingMemo_)
            return;
        const QString t = RemarkMemo->toPlainText();
        core_.Comments = wrkfile::MemoCommentLines(t);
    });
    core_.OnCommentsLoaded = [this] {
        settingMemo_ = true;
        RemarkMemo->setPlainText(core_.Comments.join(u'\n'));
        settingMemo_ = false;
    };
    core_.OnWidthsLoaded = [this] { ApplyColumnWidths(); };
    core_.OnCaptionChanged = [this] { setWindowTitle(core_.Caption); };
    core_.OnScrollTo = [this](int) { PL->scrollToBottom(); };
    core_.GetFocusedRow = [this] { return FocusedRow(); };
    createMenus();
    connectList();
}

TFWrkList::~TFWrkList()
{
    // The rows go before the list view: nothing may reach this window's
    // handlers from the view or the memo while its members are freed.
    RemarkMemo->removeEventFilter(this);
    RemarkMemo->disconnect(this);
    if (QItemSelectionModel* sm = PL->selectionModel())
        sm->disconnect(this);
    core_.Model().disconnect(this);
    PL->horizontalHeader()->disconnect(this);
    PL->OnStartDrag = nullptr;
    PL->OnDragOver = nullptr;
    PL->OnDrop = nullptr;
    PL->OnPress = nullptr;
    PL->OnDoubleClick = nullptr;
    PL->OnDeleteKey = nullptr;
    core_.GetFocusedRow = nullptr;
    core_.OnScrollTo = nullptr;
    core_.OnCaptionChanged = nullptr;
    core_.OnCommentsLoaded = nullptr;
    core_.OnWidthsLoaded = nullptr;
    core_.SetScheduler(nullptr);
    if (OnReleaseSlot)
        OnReleaseSlot(core_.WindowNo);
}

void TFWrkList::ApplyColumnWidths()
{
    applyingWidths_ = true;
    for (int i = 0; i < 6; ++i)
        PL->horizontalHeader()->resizeSection(i, core_.ColWidth[size_t(i)]);
    applyingWidths_ = false;
    FitRemarkColumn();
}

void TFWrkList::FitRemarkColumn()
{
    const int w = WrkRemarkColumnWidth(PL->viewport()->width(), core_.ColWidth);
    applyingWidths_ = true;
    PL->horizontalHeader()->resizeSection(6, w);
    applyingWidths_ = false;
    core_.ColWidth[6] = w;
}

void TFWrkList::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (e->spontaneous())
        return;
    if (!sized_) {
        // The memo keeps its 32 pixels; the list takes the rest.
        sized_ = true;
        Splitter->setSizes({32, std::max(0, Splitter->height() - 32 - Splitter->handleWidth())});
    }
    PL->setFocus();
    PL->selectRow(core_.Model().TrailingRow());
    PL->setCurrentIndex(core_.Model().index(core_.Model().TrailingRow(), 0));
    core_.Shown();
    FitRemarkColumn();
}

void TFWrkList::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    FitRemarkColumn();
}

void TFWrkList::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
        // The main menu acts on this list; it has no context commands.
        handOver();
        Tools->MainForm.SetContextFuncs(nullptr);
        UpdateEditors(FocusedRow());
        return;
    }
    if (e->type() != QEvent::WindowStateChange)
        return;
    if (windowState() & Qt::WindowMinimized)
        core_.Minimised();
    else
        core_.Restored();
    FitRemarkColumn();
}

void TFWrkList::closeEvent(QCloseEvent* e)
{
    if (!core_.CanClose()) {
        e->ignore();
        return;
    }
    e->accept();
    // The record once more, and no editor left pointing at a row.
    handOver();
    UpdateEditors(-1);
}
