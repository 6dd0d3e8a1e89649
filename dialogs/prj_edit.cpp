#include "dialogs/prj_edit.h"

#include "dialogs/file_dlg.h"
#include "dialogs/glyph_button.h"
#include "dialogs/prj_interaction_dlg.h"
#include "dialogs/window_place.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QTreeWidget* makeList(QWidget* parent, const char* name)
{
    auto* l = new QTreeWidget(parent);
    l->setObjectName(QLatin1String(name));
    l->setRootIsDecorated(false);
    l->setSelectionBehavior(QAbstractItemView::SelectRows);
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    l->setEditTriggers(QAbstractItemView::NoEditTriggers);
    l->setSortingEnabled(false);
    l->header()->setSectionsClickable(false);
    return l;
}

QPushButton* makeButton(QWidget* parent, const char* name, int tag = 0)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    if (tag)
        b->setProperty("Tag", tag);
    return b;
}

int currentRow(const QTreeWidget* l)
{
    const QTreeWidgetItem* it = l->currentItem();
    return it && it->isSelected() ? l->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(it)) : -1;
}

void selectRow(QTreeWidget* l, int row)
{
    if (row >= 0 && row < l->topLevelItemCount()) {
        l->setCurrentItem(l->topLevelItem(row));
        l->topLevelItem(row)->setSelected(true);
    }
}

} // namespace

TfrmPrjEdit::TfrmPrjEdit(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmPrjEdit"));
    setProperty("HelpContext", HelpContext);
    resize(620, 400);

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));

    auto* common = new QWidget;
    common->setObjectName(QStringLiteral("tsCommon"));
    labPrjName = new QLabel(common);
    labPrjName->setObjectName(QStringLiteral("labPrjName"));
    edPrjName = new QLineEdit(common);
    edPrjName->setObjectName(QStringLiteral("edPrjName"));
    labWatchInterval = new QLabel(common);
    labWatchInterval->setObjectName(QStringLiteral("labWatchInterval"));
    speWatchInterval = new QSpinBox(common);
    speWatchInterval->setObjectName(QStringLiteral("speWatchInterval"));
    speWatchInterval->setRange(0, 5000);
    labRemarks = new QLabel(common);
    labRemarks->setObjectName(QStringLiteral("labRemarks"));
    mePrjRemarks = new QPlainTextEdit(common);
    mePrjRemarks->setObjectName(QStringLiteral("mePrjRemarks"));
    mePrjRemarks->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* cl = new QVBoxLayout(common);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(labPrjName);
    nameRow->addWidget(edPrjName, 1);
    auto* intRow = new QHBoxLayout;
    intRow->addWidget(labWatchInterval);
    intRow->addWidget(speWatchInterval);
    intRow->addStretch(1);
    cl->addLayout(nameRow);
    cl->addLayout(intRow);
    cl->addWidget(labRemarks);
    cl->addWidget(mePrjRemarks, 1);
    PageControl->addTab(common, QString());

    auto listPage = [this](const char* pageName, QTreeWidget* list, std::initializer_list<QPushButton*> buttons) {
        auto* page = new QWidget;
        page->setObjectName(QLatin1String(pageName));
        list->setParent(page);
        auto* l = new QHBoxLayout(page);
        l->addWidget(list, 1);
        auto* bl = new QVBoxLayout;
        for (QPushButton* b : buttons) {
            b->setParent(page);
            bl->addWidget(b);
        }
        bl->addStretch(1);
        l->addLayout(bl);
        PageControl->addTab(page, QString());
    };

    lvInvList = makeList(this, "lvInvList");
    lvInvList->setColumnCount(4);
    lvInvList->setColumnWidth(0, 50);
    lvInvList->setColumnWidth(1, 190);
    lvInvList->setColumnWidth(2, 70);
    lvInvList->setColumnWidth(3, 70);
    btnAddInv = makeButton(this, "btnAddInv");
    btnDelInv = makeButton(this, "btnDelInv");
    btnEditInv = makeButton(this, "btnEditInv");
    listPage("tsInvList", lvInvList, {btnAddInv, btnDelInv, btnEditInv});
    connect(btnAddInv, &QPushButton::clicked, this, [this] { addInvClick(); });
    connect(btnDelInv, &QPushButton::clicked, this, [this] { delInvClick(); });
    connect(btnEditInv, &QPushButton::clicked, this, [this] { editInvClick(); });

    static const char* const pages[] = {"tsWorkList", "tsDwnList", "tsScopeList", "tsRemList"};
    static const char* const lists[] = {"lvWork", "lvProg", "lvScope", "lvRem"};
    static const char* const adds[] = {"btnAddWrkList", "btnAddDwnList", "btnAddScopeList", "btnAddRemList"};
    static const char* const dels[] = {"btnDelWrkList", "btnDelDwnList", "btnDelScopeList", "btnDelRemList"};
    for (int k = 0; k < kPrjFileKinds; ++k) {
        QTreeWidget* l = makeList(this, lists[k]);
        l->setColumnCount(3);
        l->setColumnWidth(0, 40);
        l->setColumnWidth(1, 150);
        l->setColumnWidth(2, 190);
        fileLists_[size_t(k)] = l;
        addFileBtns_[size_t(k)] = makeButton(this, adds[k], k + 2);
        delFileBtns_[size_t(k)] = makeButton(this, dels[k], k + 2);
        listPage(pages[k], l, {addFileBtns_[size_t(k)], delFileBtns_[size_t(k)]});
        connect(addFileBtns_[size_t(k)], &QPushButton::clicked, this, [this, k] { addFileClick(k); });
        connect(delFileBtns_[size_t(k)], &QPushButton::clicked, this, [this, k] { delFileClick(k); });
    }
    connect(PageControl, &QTabWidget::currentChanged, this, [this](int i) { pageChanged(i); });

    pmAddFile = new QMenu(this);
    pmAddFile->setObjectName(QStringLiteral("pmAddFile"));

    OkBtn = new TVarneGlyphButton(this);
    OkBtn->setObjectName(QStringLiteral("btnOK"));
    OkBtn->SetGlyphKind(glOK);
    OkBtn->setDefault(true);
    CancelBtn = new TVarneGlyphButton(this);
    CancelBtn->setObjectName(QStringLiteral("btnCancel"));
    CancelBtn->SetGlyphKind(glCancel);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    auto* main = new QVBoxLayout(this);
    main->addWidget(PageControl, 1);
    main->addLayout(buttons);

    ChooseFile = [this](const QString& dir, const QString& filter, int index) {
        TSaveDlgOptions o;
        o.Filter = filter;
        o.FilterIndex = index;
        o.InitialDir = dir;
        return ChooseFileDlg(fdOpen, o, this, QString(), this);
    };
    ChooseMenuItem = [this](QPushButton* b, const QStringList& items) {
        pmAddFile->clear();
        for (int i = 0; i < items.size(); ++i)
            pmAddFile->addAction(items[i])->setData(i);
        QAction* a = pmAddFile->exec(b->mapToGlobal(QPoint(b->width(), b->height())));
        return a ? a->data().toInt() : -1;
    };
    ApplyTexts(TPrjEditRows());
}

TfrmPrjEdit::~TfrmPrjEdit() = default;

void TfrmPrjEdit::ApplyTexts(const TPrjEditRows& r)
{
    setWindowTitle(r.FrmHeaderText);
    for (int i = 0; i < 6; ++i)
        PageControl->setTabText(i, r.PageTexts[size_t(i)]);
    labPrjName->setText(r.PrjNameLabText);
    labWatchInterval->setText(r.IntervalLabText);
    labRemarks->setText(r.RemarkLabText);
    CancelBtn->setText(r.ButtonTexts[0]);
    OkBtn->setText(r.ButtonTexts[1]);
    btnAddInv->setText(r.ButtonTexts[2]);
    btnDelInv->setText(r.ButtonTexts[3]);
    btnEditInv->setText(r.ButtonTexts[4]);
    for (int k = 0; k < kPrjFileKinds; ++k) {
        addFileBtns_[size_t(k)]->setText(r.ButtonTexts[5]);
        delFileBtns_[size_t(k)]->setText(r.ButtonTexts[6]);
    }
    lvInvList->setHeaderLabels({r.InvColTexts[0], r.InvColTexts[1], r.InvColTexts[2], r.InvColTexts[3]});
    for (QTreeWidget* l : fileLists_)
        l->setHeaderLabels({r.FileColTexts[0], r.FileColTexts[1], r.FileColTexts[2]});
}

bool TfrmPrjEdit::Execute(TPrjEditRows& Rows)
{
    rows_ = &Rows;
    ApplyTexts(Rows);
    edPrjName->setText(Rows.PrjName);
    speWatchInterval->setValue(Rows.WatchInterval);
    mePrjRemarks->setPlainText(Rows.Remarks);
    refillAll();
    for (QTreeWidget* l : fileLists_)
        selectRow(l, 0);
    selectRow(lvInvList, Rows.SelInv);
    enableButtons();
    PageControl->setCurrentIndex(Rows.Page);
    CentreOnWorkArea(this);
    const bool ok = exec() == QDialog::Accepted;
    Rows.Page = PageControl->currentIndex();
    if (ok) {
        Rows.PrjName = edPrjName->text();
        Rows.WatchInterval = speWatchInterval->value();
        Rows.Remarks = mePrjRemarks->toPlainText();
    }
    for (QTreeWidget* l : fileLists_)
        l->clear();
    lvInvList->clear();
    rows_ = nullptr;
    return ok;
}

void TfrmPrjEdit::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    enableButtons();
}

void TfrmPrjEdit::refillInv()
{
    lvInvList->clear();
    if (!rows_)
        return;
    for (const TPrjInvRow& r : rows_->Inverters)
        new QTreeWidgetItem(lvInvList, {QString::number(r.Copy->InvAdr), r.Copy->Name, rows_->NumberText(r),
                                        TPrjEditRows::ProtText(r.Copy->Prot)});
}

void TfrmPrjEdit::refillFiles(int Kind)
{
    QTreeWidget* l = fileLists_[size_t(Kind)];
    l->clear();
    if (!rows_)
        return;
    for (const TPrjFileRow& f : rows_->Files[size_t(Kind)])
        new QTreeWidgetItem(l, {QString::number(f.Adr), f.Name, f.Dir});
}

void TfrmPrjEdit::refillAll()
{
    refillInv();
    for (int k = 0; k < kPrjFileKinds; ++k)
        refillFiles(k);
}

void TfrmPrjEdit::enableButtons()
{
    const bool inv = lvInvList->topLevelItemCount() > 0;
    btnDelInv->setEnabled(inv);
    btnEditInv->setEnabled(inv);
    for (int k = 0; k < kPrjFileKinds; ++k)
        delFileBtns_[size_t(k)]->setEnabled(fileLists_[size_t(k)]->topLevelItemCount() > 0);
}

void TfrmPrjEdit::pageChanged(int Index)
{
    if (Index == 1 && lvInvList->topLevelItemCount() > 0) {
        selectRow(lvInvList, 0);
        lvInvList->setFocus();
    }
}

void TfrmPrjEdit::addInvClick()
{
    if (rows_ && rows_->AddInv()) {
        refillInv();
        selectRow(lvInvList, rows_->SelInv);
    }
    enableButtons();
}

void TfrmPrjEdit::editInvClick()
{
    const int row = currentRow(lvInvList);
    if (!rows_ || row < 0)
        return;
    rows_->SelInv = row;
    if (rows_->EditInv(row)) {
        refillAll();
        selectRow(lvInvList, rows_->SelInv);
    }
    enableButtons();
}

void TfrmPrjEdit::delInvClick()
{
    const int row = currentRow(lvInvList);
    if (!rows_ || row < 0)
        return;
    if (rows_->DelInv(row)) {
        refillAll();
        selectRow(lvInvList, rows_->SelInv);
    }
    enableButtons();
}

QString TfrmPrjEdit::startDir() const
{
    if (rows_ && !rows_->FileName.isEmpty())
        return QFileInfo(rows_->FileName).path();
    return rows_ ? rows_->DataPath : QString();
}

void TfrmPrjEdit::addFileClick(int Kind)
{
    if (!rows_)
        return;
    std::vector<int> adrs;
    const QStringList items = rows_->AddFileMenu(&adrs);
    const int choice = ChooseMenuItem ? ChooseMenuItem(addFileBtns_[size_t(Kind)], items) : -1;
    if (choice < 0 || choice >= int(adrs.size()))
        return;
    const int page = PageControl->currentIndex();
    const QString path = ChooseFile ? ChooseFile(startDir(), FilterStr, TPrjEditRows::FilterIndexForPage(page))
                                    : QString();
    int kind = -1;
    if (path.isEmpty() || !rows_->AddFile(adrs[size_t(choice)], path, &kind))
        return;
    refillFiles(kind);
    enableButtons();
    PageControl->setCurrentIndex(TPrjEditRows::PageOfKind(kind));
}

void TfrmPrjEdit::delFileClick(int Kind)
{
    const int row = currentRow(fileLists_[size_t(Kind)]);
    if (!rows_ || row < 0)
        return;
    rows_->DelFile(Kind, row);
    refillFiles(Kind);
    selectRow(fileLists_[size_t(Kind)], std::min(row, fileLists_[size_t(Kind)]->topLevelItemCount() - 1));
    enableButtons();
}
