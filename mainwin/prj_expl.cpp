#include "mainwin/prj_expl.h"

#include "config/drag_drop.h"
#include "config/vortalin_clpbrd.h"
#include "dialogs/elided_label.h"
#include "dialogs/help_context.h"
#include "dialogs/shared_objects.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"

#include <QApplication>
#include <QDrag>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kNodeRole = Qt::UserRole + 1;

TExplNode* nodeOf(const QTreeWidgetItem* it)
{
    return it ? static_cast<TExplNode*>(it->data(0, kNodeRole).value<void*>()) : nullptr;
}

QTreeWidget* makeList(QWidget* parent, const char* name, const QStringList& header)
{
    auto* l = new QTreeWidget(parent);
    l->setObjectName(QLatin1String(name));
    l->setRootIsDecorated(false);
    l->setHeaderLabels(header);
    l->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return l;
}

} // namespace

// ------------------------------------------------------------------ list view

bool TExplListView::OnStateImage(const QPoint& Pos) const
{
    const QModelIndex idx = indexAt(Pos);
    if (!idx.isValid())
        return false;
    const QRect cell = visualRect(idx.siblingAtColumn(0));
    return idx.column() == 0 && Pos.x() >= cell.left() && Pos.x() < cell.left() + iconSize().width() + 4;
}

void TExplListView::startDrag(Qt::DropActions supported)
{
    if (OnStartDrag)
        OnStartDrag(supported);
}

// ------------------------------------------------------------------ window

QLabel* TFPrjExpl::field(QWidget* page, QFormLayout* form, const QString& caption, const char* name)
{
    // Values (names, paths, error texts) never widen the pages: a page
    // wider than the pane would take its room from the tree.
    auto* l = new TElidedLabel(page);
    l->setObjectName(QLatin1String(name));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* cap = new QLabel(caption, page);
    form->addRow(cap, l);
    fields_.insert(QLatin1String(name), l);
    captions_.insert(QLatin1String(name), cap);
    return l;
}

TFPrjExpl::TFPrjExpl(QWidget* parent) : QWidget(parent, Qt::Window), context_(this)
{
    setObjectName(QStringLiteral("FPrjExpl"));
    setProperty(kHelpContextProperty, HelpContext);
    setWindowTitle(core_.Texts.HeaderText);
    resize(760, 460);

    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    createTreeAndTabs(top);
    createParaListPage();
    createPrjPropPage();
    createInvPropPage();
    createGrpPropPage();
    createParaPropPage();
    createPTPropPage();
    createDefPropPage();
    createSubPropPage();
    createParaDetailsPage();
    createStatusBar(top);
    createPopupMenu();
    createContextCommands();
    opFuncs_.Owner = this;
    core_.Window = this;
    connectCoreEvents();
    connectUserInput();
    showPage();
}

// The tree on the left, the pages on the right.
void TFPrjExpl::createTreeAndTabs(QVBoxLayout* top)
{
    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    top->addWidget(Splitter1, 1);

    TV = new QTreeWidget(Splitter1);
    TV->setObjectName(QStringLiteral("TV"));
    TV->setHeaderHidden(true);
    TV->setRootIsDecorated(false);
    TV->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TV->setIconSize(QSize(16, 16));
    // No expand buttons: nodes open by double click or the keyboard.
    TV->setStyleSheet(QStringLiteral("QTreeView::branch { image: none; border-image: none; }"));

    PC = new QTabWidget(Splitter1);
    PC->setObjectName(QStringLiteral("PC"));
    const char* pageNames[9] = {"ParaListPage", "PrjPropPage", "InvPropPage", "GrpPropPage", "ParaPropPage",
                                "PTPropPage",   "DefPropPage", "SubPropPage", "ParaDetailsPage"};
    const char* tabTexts[9] = {"Liste", "Projekt", "Umrichter", "Gruppe", "Parameter",
                               "Klartext", "Definition", "Wert", "Details"};
    for (int i = 0; i < 9; ++i) {
        Pages[size_t(i)] = new QWidget(PC);
        Pages[size_t(i)]->setObjectName(QLatin1String(pageNames[i]));
        PC->addTab(Pages[size_t(i)], QString::fromUtf8(tabTexts[i]));
    }
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({240, 520});
}

// Page 0: the list.
void TFPrjExpl::createParaListPage()
{
    auto* v = new QVBoxLayout(Pages[0]);
    ListCaption = new QLabel(Pages[0]);
    ListCaption->setObjectName(QStringLiteral("ListCaption"));
    v->addWidget(ListCaption);
    lvParaList = new TExplListView(Pages[0]);
    lvParaList->setObjectName(QStringLiteral("lvParaList"));
    lvParaList->setRootIsDecorated(false);
    lvParaList->setColumnCount(3);
    lvParaList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvParaList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvParaList->setDragEnabled(true);
    lvParaList->setDragDropMode(QAbstractItemView::DragOnly);
    lvParaList->setIconSize(QSize(16, 16));
    lvParaList->setContextMenuPolicy(Qt::CustomContextMenu);
    lvParaList->setUniformRowHeights(true);
    v->addWidget(lvParaList, 1);
}

// Page 1: project.
void TFPrjExpl::createPrjPropPage()
{
    auto* v = new QVBoxLayout(Pages[1]);
    auto* f = new QFormLayout;
    v->addLayout(f);
    field(Pages[1], f, QStringLiteral("Projekt:"), "lbPrjName");
    field(Pages[1], f, QStringLiteral("Überwachung (s):"), "lbWatchInterval");
    field(Pages[1], f, QStringLiteral("Bemerkung:"), "lbRemarks");
    auto* invs = new QLabel(QStringLiteral("Umrichter:"), Pages[1]);
    invs->setObjectName(QStringLiteral("labPrjInvList"));
    captions_.insert(invs->objectName(), invs);
    v->addWidget(invs);
    InvListView = makeList(Pages[1], "InvListView", {QStringLiteral("Adr."), QStringLiteral("Name"),
                                                     QStringLiteral("Konfig.")});
    v->addWidget(InvListView, 1);
}

// Page 2: inverter.
void TFPrjExpl::createInvPropPage()
{
    auto* f = new QFormLayout(Pages[2]);
    field(Pages[2], f, QStringLiteral("Name:"), "lbInvName");
    field(Pages[2], f, QStringLiteral("Adresse:"), "lbInvAdr");
    field(Pages[2], f, QStringLiteral("Protokoll:"), "lbInvProt");
    field(Pages[2], f, QStringLiteral("Konfiguration (Projekt):"), "lbInvPrjCfgId");
    field(Pages[2], f, QStringLiteral("Konfiguration (verwendet):"), "lbInvCfgIdInUse");
    field(Pages[2], f, QStringLiteral("Konfiguration (Umrichter):"), TPrjExplCore::CfgIdLabel);
    field(Pages[2], f, QStringLiteral("Datei:"), "lbInvCfgFile");
    field(Pages[2], f, QStringLiteral("Datum:"), "lbInvCfgDate");
    field(Pages[2], f, QStringLiteral("Zustand:"), "lbInvState");
}

// Page 3: group.
void TFPrjExpl::createGrpPropPage()
{
    auto* f = new QFormLayout(Pages[3]);
    field(Pages[3], f, QStringLiteral("Index:"), "lbGrpIndex");
    field(Pages[3], f, QStringLiteral("Kennung:"), "lbGrpId");
    field(Pages[3], f, QStringLiteral("Kurzwahl:"), "lbGrpShortcut");
    field(Pages[3], f, QStringLiteral("Eigenschaften:"), "lbGrpProp");
    field(Pages[3], f, QStringLiteral("Max. Parameter:"), "lbGrpMaxPara");
    field(Pages[3], f, QStringLiteral("Parameter:"), "lbGrpLastPara");
    field(Pages[3], f, QStringLiteral("Basisadresse:"), "lbGrpBaseAddr");
    field(Pages[3], f, QStringLiteral("Name:"), "lbGrpName");
}

// Page 4: parameter limits and values.
void TFPrjExpl::createParaPropPage()
{
    auto* v = new QVBoxLayout(Pages[4]);
    auto* f = new QFormLayout;
    v->addLayout(f);
    for (auto [cap, raw, conv] : {std::tuple{"Untere Grenze:", "lbLowerLim", "lbLowerLimConv"},
                                  std::tuple{"Obere Grenze:", "lbUpperLim", "lbUpperLimConv"},
                                  std::tuple{"Vorgabewert:", "lbDefVal", "lbDefValConv"},
                                  std::tuple{"Auflösung:", "lbResolution", "lbResolutionConv"}}) {
        auto* row = new QWidget(Pages[4]);
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(0, 0, 0, 0);
        for (const char* n : {raw, conv}) {
            auto* l = new TElidedLabel(row);
            l->setObjectName(QLatin1String(n));
            l->setMinimumWidth(90);
            h->addWidget(l);
            fields_.insert(QLatin1String(n), l);
        }
        h->addStretch(1);
        auto* capLabel = new QLabel(QString::fromUtf8(cap), Pages[4]);
        captions_.insert(QLatin1String(raw), capLabel);
        f->addRow(capLabel, row);
    }
    lvParaVal = makeList(Pages[4], "lvParaVal", {QStringLiteral("Satz"), QStringLiteral("Wert")});
    for (int i = 0; i < 8; ++i)
        lvParaVal->addTopLevelItem(new QTreeWidgetItem(QStringList{QString::number(i), core_.Texts.NotActText}));
    v->addWidget(lvParaVal, 1);
}

// Page 5: plain-text table.
void TFPrjExpl::createPTPropPage()
{
    auto* v = new QVBoxLayout(Pages[5]);
    auto* f = new QFormLayout;
    v->addLayout(f);
    field(Pages[5], f, QStringLiteral("Klartext-Index:"), "lbPtTextId");
    auto* defs = new QLabel(QStringLiteral("Definitionen:"), Pages[5]);
    defs->setObjectName(QStringLiteral("labDefIndList"));
    captions_.insert(defs->objectName(), defs);
    v->addWidget(defs);
    lvPlainText = makeList(Pages[5], "lvPlainText", {QStringLiteral("Maske"), QStringLiteral("Name")});
    v->addWidget(lvPlainText, 1);
}

// Page 6: definition.
void TFPrjExpl::createDefPropPage()
{
    auto* v = new QVBoxLayout(Pages[6]);
    auto* f = new QFormLayout;
    v->addLayout(f);
    field(Pages[6], f, QStringLiteral("Maske:"), "lbDefMask");
    field(Pages[6], f, QStringLiteral("Name:"), "lbDefName");
    lvSubInd = makeList(Pages[6], "lvSubInd", {QStringLiteral("Wert"), QStringLiteral("Attribut"),
                                               QStringLiteral("Name")});
    v->addWidget(lvSubInd, 1);
}

// Page 7: value.
void TFPrjExpl::createSubPropPage()
{
    auto* f = new QFormLayout(Pages[7]);
    field(Pages[7], f, QStringLiteral("Wert:"), "lbSubValue");
    field(Pages[7], f, QStringLiteral("Attribut:"), "lbSubAttr");
    field(Pages[7], f, QStringLiteral("Name:"), "lbSubName");
}

// Page 8: the raw description.
void TFPrjExpl::createParaDetailsPage()
{
    auto* f = new QFormLayout(Pages[8]);
    for (auto [cap, n] : {std::pair{"Adresse:", "lbAddr"}, std::pair{"Attribute:", "lbAttr"},
                          std::pair{"Flags:", "lbFlags"}, std::pair{"Mul:", "lbMul"}, std::pair{"Div:", "lbDiv"},
                          std::pair{"Offset:", "lbOffset"}, std::pair{"Format:", "lbFormat"},
                          std::pair{"Name:", "lbName"}, std::pair{"Text-Id:", "lbTextId"},
                          std::pair{"Definitionen:", "lbDefCount"}, std::pair{"Kennung:", "lbIdText"},
                          std::pair{"Satzprogrammierbar:", "lbProgrammable"},
                          std::pair{"Schreibschutz:", "lbWriteProt"}, std::pair{"Enter nötig:", "lbEnter"}})
        field(Pages[8], f, QString::fromUtf8(cap), n);
}

void TFPrjExpl::createStatusBar(QVBoxLayout* top)
{
    sbPrjExpl = new QStatusBar(this);
    sbPrjExpl->setObjectName(QStringLiteral("sbPrjExpl"));
    sbPrjExpl->setSizeGripEnabled(false);
    // A long status text (an error text after "Password:") is cut in its
    // panel rather than widening the window.
    for (int i = 0; i < 5; ++i) {
        Panels[size_t(i)] = new TElidedLabel(sbPrjExpl);
        Panels[size_t(i)]->setObjectName(QStringLiteral("sbPanel%1").arg(i));
        sbPrjExpl->addWidget(Panels[size_t(i)], i == 0 ? 0 : 1);
    }
    top->addWidget(sbPrjExpl);
}

// Popup menu of the list.
void TFPrjExpl::createPopupMenu()
{
    PM = new QMenu(this);
    PM->setObjectName(QStringLiteral("PM"));
    PM->setProperty(kHelpContextProperty, HelpContext);
    auto item = [this](const char* name, const QString& text, int help, const QKeySequence& key = {}) {
        QAction* a = PM->addAction(text);
        a->setObjectName(QLatin1String(name));
        a->setProperty(kHelpContextProperty, help);
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            addAction(a);
        }
        return a;
    };
    MiEditSet = item("MiEditSet", QStringLiteral("Satzadressierung bearbeiten"), 45, QKeySequence(Qt::Key_F4));
    MiEditSetPtr = item("MiEditSetPtr", QStringLiteral("Satzzeiger bearbeiten"), 46);
    MiEditPassword = item("MiEditPassword", QStringLiteral("Passwort eingeben"), 47);
    MiEditVal = item("MiEditVal", QStringLiteral("Parameterwert editieren"), 86, QKeySequence(Qt::Key_F3));
    MiCopy = item("MiCopy", QStringLiteral("Kopieren"), 25, QKeySequence(Qt::CTRL | Qt::Key_C));
    MiMarkAll = item("MiMarkAll", QStringLiteral("Alles Markieren"), 28, QKeySequence(Qt::CTRL | Qt::Key_A));
    miExpandCollapse = item("miExpandCollapse", core_.Texts.ExpandSetDisplText, 0);
}

void TFPrjExpl::createContextCommands()
{
    context_.Add(core_.Texts.HeaderText, {}, {}, 41);
    context_.Add(core_.Texts.EditSetText, [this](QObject*) { EditSetAddr(); }, core_.Texts.EditSetText, 45, false);
    context_.Add(core_.Texts.EditSetPtrText, [this](QObject*) { EditValue(core_.SetPtrNode, core_.CurSetSel); },
                 core_.Texts.EditSetPtrText, 46, false);
    context_.Add(core_.Texts.EditPasswordText, [this](QObject*) { EditValue(core_.PasswordNode, core_.CurSetSel); },
                 core_.Texts.EditPasswordText, 47, false);
    for (int i = 1; i <= 3; ++i)
        context_.Item(i)->Glyph = ExplCommandGlyph(i);
}

// What the logic reports reaches the widgets.
void TFPrjExpl::connectCoreEvents()
{
    core_.OnTreeRebuilt = [this] { buildTreeItems(); };
    core_.OnListChanged = [this] { RebuildTree(); };
    core_.OnNodeChanged = [this](TExplNode* n) { nodeChanged(n); };
    core_.OnSelectNode = [this](TExplNode* n) { selectItemOf(n); };
    core_.OnPageChanged = [this] { showPage(); };
    core_.OnRowsChanged = [this] { showRows(); };
    core_.OnRowText = [this](int r) { showRow(r); };
    core_.OnParaValText = [this](int r) { showParaVal(r); };
    core_.OnPanelText = [this](int i) { Panels[size_t(i)]->setText(core_.Panels[size_t(i)]); };
    core_.OnFieldText = [this](const QString& n) { showField(n); };
    core_.OnCaptionChanged = [this] {
        setWindowTitle(core_.Caption);
    };
    core_.OnOpFuncsChanged = [this] {
        opFuncs_.Slots.fill({});
        if (core_.CopyOn()) {
            opFuncs_.Slots[osCopy] = [this] { CopyToClipboard(); };
            opFuncs_.Slots[osMarkAll] = [this] { MarkAll(); };
        }
        context_.Item(1)->Enabled = core_.EditSetEnabled;
        context_.Item(2)->Enabled = core_.EditSetPtrEnabled;
        context_.Item(3)->Enabled = core_.EditPasswordEnabled;
        MiEditSetPtr->setEnabled(core_.EditSetPtrEnabled);
        MiEditPassword->setEnabled(core_.EditPasswordEnabled);
        if (isVisible() && isActiveWindow())
            HandOver();
    };
}

void TFPrjExpl::connectUserInput()
{
    connect(TV, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* cur) {
        if (syncing_ || !cur)
            return;
        core_.Select(nodeOf(cur));
        if (isVisible()) {
            // The context commands again: first none, then the list.
            MainForm.SetContextFuncs(nullptr);
            MainForm.SetContextFuncs(&context_);
        }
    });
    connect(TV, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* it) {
        if (TExplNode* n = nodeOf(it); n && !core_.CanExpand(n))
            it->setExpanded(false);
    });
    connect(PC, &QTabWidget::tabBarClicked, this, [this](int page) { core_.TabSwitched(page); });
    connect(lvParaList, &QTreeWidget::itemDoubleClicked, this, [this] { listDoubleClick(); });
    connect(lvParaList, &QTreeWidget::currentItemChanged, this, [this] { focusedRowChanged(); });
    connect(lvParaList, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) { popup(p); });
    connect(lvParaList->header(), &QHeaderView::sectionResized, this, [this](int col, int, int w) {
        if (!syncing_)
            core_.SetParaColWidth(col, w);
    });
    connect(lvParaVal, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* it) {
        TExplEditArgs a;
        if (core_.ParaValEditArgs(lvParaVal->indexOfTopLevelItem(it), a))
            EditValueArgs(a);
    });
    connect(Splitter1, &QSplitter::splitterMoved, this, [this] { fitLastColumn(); });
    lvParaList->OnStartDrag = [this](Qt::DropActions) {
        if (!DragDrop || core_.PageMode == pmGroups)
            return;
        const std::vector<int> rows = SelectedRows();
        if (!DragDrop->Start(lvParaList, ddkExplParams, core_.DragItems(rows), int16_t(core_.CurAdr),
                             int16_t(core_.CurSetSel)))
            return;
        auto* drag = new QDrag(lvParaList);
        drag->setMimeData(DragDrop->MimeData().release());
        drag->exec(Qt::CopyAction);
        DragDrop->End();
    };
    connect(MiEditVal, &QAction::triggered, this, [this] {
        RowClick = true;
        listDoubleClick();
    });
    connect(MiEditSet, &QAction::triggered, this, [this] { EditSetAddr(); });
    connect(MiEditSetPtr, &QAction::triggered, this, [this] { EditValue(core_.SetPtrNode, core_.CurSetSel); });
    connect(MiEditPassword, &QAction::triggered, this, [this] { EditValue(core_.PasswordNode, core_.CurSetSel); });
    connect(MiCopy, &QAction::triggered, this, [this] { CopyToClipboard(); });
    connect(MiMarkAll, &QAction::triggered, this, [this] { MarkAll(); });
    connect(miExpandCollapse, &QAction::triggered, this, [this] {
        const int row = lvParaList->indexOfTopLevelItem(lvParaList->currentItem());
        if (miExpandCollapse->text() == core_.Texts.ExpandSetDisplText)
            core_.ExpandSets(row);
        else
            core_.CollapseSets(row);
    });

    TV->installEventFilter(this);
    lvParaList->installEventFilter(this);
    lvParaList->viewport()->installEventFilter(this);
    for (QWidget* w : {static_cast<QWidget*>(PC), static_cast<QWidget*>(lvParaVal), static_cast<QWidget*>(InvListView),
                       static_cast<QWidget*>(lvPlainText), static_cast<QWidget*>(lvSubInd)})
        w->installEventFilter(this);
}

TFPrjExpl::~TFPrjExpl()
{
    // The views go after the explorer's state: none of their signals may
    // reach it any more.
    for (QObject* o : findChildren<QObject*>())
        o->disconnect(this);
    core_.OnTreeRebuilt = nullptr;
    core_.OnSelectNode = nullptr;
    core_.OnListChanged = nullptr;
    core_.SetScheduler(nullptr, nullptr);
    // Going with the main window (it has already left): its receivers of
    // our slots and commands must not run on its half-destroyed menus.
    if (!FMain)
        disconnect(this, &QObject::destroyed, nullptr, nullptr);
}

void TFPrjExpl::RebuildTree()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    core_.RebuildTree();
    QApplication::restoreOverrideCursor();
}

void TFPrjExpl::SetTexts(const TPrjExplTexts& Texts)
{
    core_.Texts = Texts;
    updateContextTexts();
    if (core_.Root())
        core_.RebuildTree();
    core_.UpdatePrjProps();
}

void TFPrjExpl::SetFieldCaption(const QString& Name, const QString& Text)
{
    if (QLabel* l = captions_.value(Name); l && !Text.isEmpty())
        l->setText(Text);
}

QString TFPrjExpl::FieldCaption(const QString& Name) const
{
    const QLabel* l = captions_.value(Name);
    return l ? l->text() : QString();
}

void TFPrjExpl::SetPageText(int Page, const QString& Text)
{
    if (Page >= 0 && Page < 9 && !Text.isEmpty())
        PC->setTabText(Page, Text);
}

void TFPrjExpl::updateContextTexts()
{
    const TPrjExplTexts& t = core_.Texts;
    context_.Item(0)->SetCaption(t.HeaderText);
    // Until a row's sets are shown, the entry offers to show them.
    miExpandCollapse->setText(t.ExpandSetDisplText);
    for (auto [i, text] : {std::pair{1, t.EditSetText}, std::pair{2, t.EditSetPtrText}, std::pair{3, t.EditPasswordText}}) {
        context_.Item(i)->SetCaption(text);
        context_.Item(i)->SetHint(text);
    }
    MiEditSet->setText(t.EditSetText);
    MiEditSetPtr->setText(t.EditSetPtrText);
    MiEditPassword->setText(t.EditPasswordText);
}

// ------------------------------------------------------------------ tree

// The node's image, and its selected image where it has one of its own.
QIcon TFPrjExpl::nodeIcon(const TExplNode* n)
{
    const int key = (n->Image << 16) | (n->SelImage & 0xFFFF);
    auto it = nodeIcons_.constFind(key);
    if (it != nodeIcons_.constEnd())
        return *it;
    QIcon icon(ExplImage(n->Image));
    if (n->SelImage != n->Image)
        icon.addPixmap(ExplImage(n->SelImage), QIcon::Selected);
    return nodeIcons_.insert(key, icon).value();
}

QIcon TFPrjExpl::stateIcon(int StateImage)
{
    auto it = stateIcons_.constFind(StateImage);
    if (it != stateIcons_.constEnd())
        return *it;
    return stateIcons_.insert(StateImage, QIcon(ExplStateImage(StateImage))).value();
}

QTreeWidgetItem* TFPrjExpl::makeItem(TExplNode* n)
{
    auto* it = new QTreeWidgetItem(QStringList{n->Text});
    it->setIcon(0, nodeIcon(n));
    it->setData(0, kNodeRole, QVariant::fromValue(static_cast<void*>(n)));
    items_.insert(n, it);
    for (auto& c : n->Children)
        it->addChild(makeItem(c.get()));
    return it;
}

void TFPrjExpl::buildTreeItems()
{
    syncing_ = true;
    TV->clear();
    items_.clear();
    if (TExplNode* root = core_.Root()) {
        TV->addTopLevelItem(makeItem(root));
        TV->topLevelItem(0)->setExpanded(true);
    }
    syncing_ = false;
}

void TFPrjExpl::nodeChanged(TExplNode* n)
{
    if (QTreeWidgetItem* it = items_.value(n)) {
        it->setText(0, n->Text);
        it->setIcon(0, nodeIcon(n));
    }
}

void TFPrjExpl::selectItemOf(TExplNode* n)
{
    if (QTreeWidgetItem* it = items_.value(n)) {
        syncing_ = true;
        TV->setCurrentItem(it);
        TV->scrollToItem(it);
        syncing_ = false;
    }
}

// ------------------------------------------------------------------ pages

void TFPrjExpl::showField(const QString& name)
{
    if (QLabel* l = fields_.value(name))
        l->setText(core_.Fields.value(name));
}

void TFPrjExpl::showPage()
{
    for (int i = 0; i < 9; ++i)
        PC->setTabVisible(i, (core_.PageMask >> i) & 1);
    if (core_.ActivePage >= 0 && core_.ActivePage < 9 && ((core_.PageMask >> core_.ActivePage) & 1))
        PC->setCurrentIndex(core_.ActivePage);
    for (auto it = core_.Fields.begin(); it != core_.Fields.end(); ++it)
        showField(it.key());
    QTreeWidget* table = core_.PageMode == pmProject      ? InvListView
                         : core_.PageMode == pmPlainText  ? lvPlainText
                         : core_.PageMode == pmDefinition ? lvSubInd
                                                          : nullptr;
    if (table) {
        table->clear();
        for (const QStringList& r : core_.Table)
            table->addTopLevelItem(new QTreeWidgetItem(r));
    }
    for (int i = 0; i < 8; ++i)
        showParaVal(i);
    for (int i = 0; i < 5; ++i)
        Panels[size_t(i)]->setText(core_.Panels[size_t(i)]);
    showRows();
}

void TFPrjExpl::showRows()
{
    syncing_ = true;
    const int cur = lvParaList->indexOfTopLevelItem(lvParaList->currentItem());
    lvParaList->clear();
    ListCaption->setText(core_.ListCaption);
    lvParaList->setHeaderLabels(core_.ListHeader);
    lvParaList->setColumnCount(3);
    for (int c = 0; c < 3; ++c) {
        lvParaList->setColumnHidden(c, c >= core_.ListHeader.size());
        if (c < core_.ListHeader.size())
            lvParaList->setColumnWidth(c, core_.ListWidths[size_t(c)]);
    }
    const bool paraList = core_.PageMode == pmParaList || core_.PageMode == pmGroupPage;
    QList<QTreeWidgetItem*> items;
    for (size_t i = 0; i < core_.Rows.size(); ++i) {
        const TExplRow& r = core_.Rows[i];
        auto* it = new QTreeWidgetItem(QStringList{r.Caption, r.Name, r.Value});
        if (paraList)
            it->setIcon(0, stateIcon(r.StateImage));
        items << it;
    }
    lvParaList->addTopLevelItems(items);
    if (!items.isEmpty()) {
        const int row = paraList && cur >= 0 && cur < items.size() && core_.PageMode == pmParaList ? cur : 0;
        lvParaList->setCurrentItem(items[row]);
    }
    syncing_ = false;
    fitLastColumn();
}

void TFPrjExpl::showRow(int row)
{
    if (QTreeWidgetItem* it = lvParaList->topLevelItem(row))
        it->setText(2, core_.Rows[size_t(row)].Value);
}

void TFPrjExpl::showParaVal(int row)
{
    if (QTreeWidgetItem* it = lvParaVal->topLevelItem(row)) {
        it->setText(0, core_.ParaVal[size_t(row)].Caption);
        it->setText(1, core_.ParaVal[size_t(row)].Value);
    }
}

void TFPrjExpl::fitLastColumn()
{
    int col = -1;
    if (core_.PageMode == pmGroups || core_.PageMode >= pmScopeFiles)
        col = 1;
    else if (core_.PageMode == pmParaList)
        col = 2;
    if (col < 0)
        return;
    int used = 0;
    for (int c = 0; c < col; ++c)
        used += lvParaList->columnWidth(c);
    const int w = lvParaList->viewport()->width() - used;
    if (w > 0) {
        syncing_ = true;
        lvParaList->setColumnWidth(col, w);
        syncing_ = false;
    }
}

// ------------------------------------------------------------------ commands

std::vector<int> TFPrjExpl::SelectedRows() const
{
    std::vector<int> rows;
    for (int i = 0; i < lvParaList->topLevelItemCount(); ++i)
        if (lvParaList->topLevelItem(i)->isSelected())
            rows.push_back(i);
    return rows;
}

void TFPrjExpl::CopyToClipboard()
{
    if (core_.PageMode != pmParaList || !ClpBrd)
        return;
    ClpBrd->SetIntClpBrd(core_.CopyContent(SelectedRows()));
}

void TFPrjExpl::MarkAll()
{
    if (core_.PageMode == pmParaList)
        lvParaList->selectAll();
}

void TFPrjExpl::EditValueArgs(const TExplEditArgs& a)
{
    if (ValEdit)
        ValEdit->EditValue(a.SetSel, a.InvAdr, a.Para, a.Label, a.Value, nullptr);
}

void TFPrjExpl::EditValue(const std::shared_ptr<TParaNode>& Node, int SetSelector)
{
    EditValueArgs(core_.EditArgs(Node, SetSelector));
}

void TFPrjExpl::EditSetAddr()
{
    if (!SetEdit || core_.CurAdr < 0)
        return;
    SetEdit->EditSet(int16_t(core_.CurSetSel), core_.Texts.EditSetText + u' ' + QString::number(core_.CurAdr),
                     [this](int16_t sel) { core_.SetAddrModeChanged(sel); });
}

void TFPrjExpl::listDoubleClick()
{
    const int row = lvParaList->indexOfTopLevelItem(lvParaList->currentItem());
    if (core_.PageMode == pmParaList) {
        TExplEditArgs a;
        if (RowClick && core_.RowEditArgs(row, a))
            EditValueArgs(a);
        return;
    }
    core_.ActivateRow(row);
}

void TFPrjExpl::focusedRowChanged()
{
    if (syncing_)
        return;
    if (DetachRemarkEditor)
        DetachRemarkEditor();
    TExplEditArgs a;
    if (ValEdit && ValEdit->isVisible() &&
        core_.RowEditArgs(lvParaList->indexOfTopLevelItem(lvParaList->currentItem()), a))
        EditValueArgs(a);
    if (SetEdit && SetEdit->isVisible() && core_.CurAdr >= 0)
        SetEdit->EditSet(int16_t(core_.CurSetSel), windowTitle() + QStringLiteral(" Inv: ") + QString::number(core_.CurAdr),
                         [this](int16_t sel) { core_.SetAddrModeChanged(sel); });
}

void TFPrjExpl::popup(const QPoint& pos)
{
    const int row = lvParaList->indexOfTopLevelItem(lvParaList->currentItem());
    const bool groupList = core_.PageMode == pmParaList && core_.Selected() && core_.Selected()->Kind == nkGroup;
    if (groupList) {
        MiEditSet->setEnabled(core_.SetAddrAllowed);
        const TExplRow* r = row >= 0 && row < int(core_.Rows.size()) ? &core_.Rows[size_t(row)] : nullptr;
        if (r && r->StateImage == 1) {
            miExpandCollapse->setText(core_.Texts.ExpandSetDisplText);
            miExpandCollapse->setEnabled(core_.SetAddrAllowed);
        } else if (r && r->Node && r->Node->Expanded) {
            miExpandCollapse->setText(core_.Texts.CollapseSetDisplText);
            miExpandCollapse->setEnabled(core_.SetAddrAllowed);
        } else {
            miExpandCollapse->setEnabled(false);
        }
        MiCopy->setEnabled(true);
        MiEditVal->setEnabled(true);
        MiMarkAll->setEnabled(true);
    } else {
        for (QAction* a : {MiEditVal, MiCopy, MiEditSet, MiMarkAll, miExpandCollapse})
            a->setEnabled(false);
    }
    if (!core_.PopupOn)
        return;
    RowClick = true;
    PM->popup(lvParaList->viewport()->mapToGlobal(pos));
}

void TFPrjExpl::HandOver()
{
    MainForm.SetPrgOpFuncs(&opFuncs_);
    MainForm.SetContextFuncs(nullptr);
    MainForm.SetContextFuncs(&context_);
}

// ------------------------------------------------------------------ window events

void TFPrjExpl::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    core_.Shown();
    HandOver();
}

void TFPrjExpl::closeEvent(QCloseEvent* e)
{
    core_.Closing();
    MainForm.HandOver(nullptr, nullptr);
    if (DetachRemarkEditor)
        DetachRemarkEditor();
    if (ValEdit && ValEdit->isVisible())
        EditValueArgs(core_.NoEditArgs());
    if (SetEdit && SetEdit->isVisible())
        SetEdit->EditSet(-1, QString(), nullptr);
    if (OnClosed)
        OnClosed();
    QWidget::closeEvent(e);
}

void TFPrjExpl::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange) {
        if (windowState() & Qt::WindowMinimized)
            core_.Minimised();
    } else if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
        focusedRowChanged();
        HandOver();
    }
}

void TFPrjExpl::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    core_.Resized();
    fitLastColumn();
}

bool TFPrjExpl::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (watched == TV && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)) {
            if (TExplNode* next = NextNodeInOrder(core_.Selected()))
                if (QTreeWidgetItem* it = items_.value(next))
                    TV->setCurrentItem(it);
            return true;
        }
        if (watched == lvParaList && core_.PageMode == pmParaList) {
            const int row = lvParaList->indexOfTopLevelItem(lvParaList->currentItem());
            if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
                RowClick = true;
                listDoubleClick();
                return true;
            }
            if (k->key() == Qt::Key_Left) {
                core_.CollapseSets(row);
                return true;
            }
            if (k->key() == Qt::Key_Right) {
                core_.ExpandSets(row);
                return true;
            }
        }
        // Every typed character is taken by the shortcut letters.
        const QString text = k->text();
        if (!(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && text.size() == 1 && text[0].isPrint()) {
            core_.SelectShortcut(text[0]);
            return true;
        }
    } else if (e->type() == QEvent::MouseButtonPress && watched == lvParaList->viewport()) {
        auto* m = static_cast<QMouseEvent*>(e);
        if (core_.PageMode == pmParaList && lvParaList->OnStateImage(m->position().toPoint())) {
            RowClick = false;
            const QModelIndex idx = lvParaList->indexAt(m->position().toPoint());
            const int row = idx.row();
            if (row >= 0 && row < int(core_.Rows.size())) {
                if (core_.Rows[size_t(row)].Node && core_.Rows[size_t(row)].Node->Expanded)
                    core_.CollapseSets(row);
                else
                    core_.ExpandSets(row);
                return true;
            }
        } else {
            RowClick = true;
        }
    }
    return QWidget::eventFilter(watched, e);
}
