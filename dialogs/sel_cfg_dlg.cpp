#include "dialogs/sel_cfg_dlg.h"

#include "config/lang_texts.h"
#include "dialogs/glyph_button.h"
#include "dialogs/window_place.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QSignalBlocker>
#include <QTreeWidget>

QStringList SelCfgGroups(const TCfgFileList& list, const QString& allText)
{
    QStringList groups{allText};
    QStringList seen;
    for (const TCfgFileRec& r : list)
        if (!seen.contains(r.GroupName)) {
            seen.append(r.GroupName);
            groups.append(r.GroupName);
        }
    return groups;
}

std::vector<TSelCfgRow> SelCfgRows(const TCfgFileList& list, int groupItem, const QString& groupText,
                                   const QString* autoText)
{
    std::vector<TSelCfgRow> rows;
    if (autoText)
        rows.push_back({0, *autoText});
    // The automatic row stays first whatever numbers follow.
    const size_t first = rows.size();
    for (const TCfgFileRec& r : list) {
        if (groupItem != 0 && r.GroupName != groupText)
            continue;
        size_t at = rows.size();
        while (at > first && rows[at - 1].CfgId > r.CfgId)
            --at;
        rows.insert(rows.begin() + std::ptrdiff_t(at), TSelCfgRow{r.CfgId, r.TypeName});
    }
    return rows;
}

TFrmSelCfg::TFrmSelCfg(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FrmSelCfg"));
    setWindowTitle(QStringLiteral("Konfiguration auswählen"));

    labInfo = new QLabel(QStringLiteral("Konfiguration auswählen für Umrichteradresse"), this);
    labInfo->setObjectName(QStringLiteral("labInfo"));
    labInfo->setGeometry(8, 8, 300, 16);
    labInvAdr = new QLabel(this);
    labInvAdr->setObjectName(QStringLiteral("labInvAdr"));
    labInvAdr->setGeometry(312, 8, 60, 16);
    labGroup = new QLabel(QStringLiteral("Gerätegruppe:"), this);
    labGroup->setObjectName(QStringLiteral("labGroup"));
    labGroup->setGeometry(8, 36, 100, 16);
    cobGroup = new QComboBox(this);
    cobGroup->setObjectName(QStringLiteral("cobGroup"));
    cobGroup->setGeometry(110, 32, 256, 22);

    lvCfg = new QTreeWidget(this);
    lvCfg->setObjectName(QStringLiteral("lvCfg"));
    lvCfg->setRootIsDecorated(false);
    lvCfg->setItemsExpandable(false);
    lvCfg->setSelectionMode(QAbstractItemView::SingleSelection);
    lvCfg->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvCfg->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvCfg->setHeaderLabels({QStringLiteral("Cfg-ID:"), QStringLiteral("Name:")});
    lvCfg->setColumnWidth(0, 60);
    lvCfg->setColumnWidth(1, 284);
    lvCfg->setGeometry(8, 62, 358, 200);

    btnOK = new TVarneGlyphButton(this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->SetGlyphKind(glOK);
    btnOK->setText(QStringLiteral("OK"));
    btnOK->setDefault(true);
    btnOK->setGeometry(178, 272, 92, 25);
    btnCancel = new TVarneGlyphButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->SetGlyphKind(glCancel);
    btnCancel->setText(QStringLiteral("Abbrechen"));
    btnCancel->setAutoDefault(false);
    btnCancel->setGeometry(274, 272, 92, 25);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cobGroup, &QComboBox::currentIndexChanged, this, [this] { FillList(); });
    connect(lvCfg, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateOK(); });
    connect(lvCfg, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item)
            lvCfg->setCurrentItem(item);
        accept();
    });
    setFixedSize(374, 306);
}

TFrmSelCfg::~TFrmSelCfg() = default;

void TFrmSelCfg::SetInvInfoText(const QString& t) { labInfo->setText(t); }
void TFrmSelCfg::SetGroupText(const QString& t) { labGroup->setText(t); }
void TFrmSelCfg::SetCfgIdColText(const QString& t) { lvCfg->headerItem()->setText(0, t); }
void TFrmSelCfg::SetNameColText(const QString& t) { lvCfg->headerItem()->setText(1, t); }
void TFrmSelCfg::SetOKBtnText(const QString& t) { btnOK->setText(t); }
void TFrmSelCfg::SetCancelBtnText(const QString& t) { btnCancel->setText(t); }

void TFrmSelCfg::SetTexts(const TVortalinText& texts)
{
    SetFrmHeaderText(texts.GetText(7, 28));
    SetInvInfoText(texts.GetText(7, 29));
    SetGroupText(texts.GetText(7, 30));
    SetCfgIdColText(texts.GetText(7, 19));
    SetNameColText(texts.GetText(7, 18));
    SetCancelBtnText(texts.GetText(7, 10));
    SetOKBtnText(texts.GetText(7, 11));
    AllGroupsText = texts.GetText(7, 31);
    CfgIdZeroText = texts.GetText(7, 32);
}

void TFrmSelCfg::FillList()
{
    lvCfg->scrollToTop();
    lvCfg->clear();
    if (CfgFileList) {
        const int g = cobGroup->currentIndex();
        for (const TSelCfgRow& row :
             SelCfgRows(*CfgFileList, g < 0 ? 0 : g, cobGroup->currentText(),
                        allowAuto_ ? &CfgIdZeroText : nullptr)) {
            auto* item = new QTreeWidgetItem(lvCfg);
            item->setText(0, QString::number(row.CfgId));
            item->setText(1, row.Name);
        }
    }
    if (lvCfg->topLevelItemCount() > 0) {
        lvCfg->setCurrentItem(lvCfg->topLevelItem(0));
        lvCfg->topLevelItem(0)->setSelected(true);
    }
    UpdateOK();
}

void TFrmSelCfg::UpdateOK()
{
    // A list with rows needs a chosen one; an empty list accepts (result 0).
    btnOK->setEnabled(lvCfg->topLevelItemCount() == 0 || !lvCfg->selectedItems().isEmpty());
}

int TFrmSelCfg::Execute(int InvAdr, bool AllowAuto)
{
    if (!CfgFileList)
        return -1;
    allowAuto_ = AllowAuto;
    labInvAdr->setText(QString::number(InvAdr));
    btnCancel->setVisible(true);
    Qt::WindowFlags flags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (AllowAuto)
        flags |= Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
    {
        const QSignalBlocker block(cobGroup);
        cobGroup->clear();
        cobGroup->addItems(SelCfgGroups(*CfgFileList, AllGroupsText));
        cobGroup->setCurrentIndex(0);
    }
    FillList();

    int result = -1;
    CentreOnWorkArea(this);
    if (exec() == QDialog::Accepted) {
        const QList<QTreeWidgetItem*> sel = lvCfg->selectedItems();
        if (lvCfg->topLevelItemCount() == 0)
            result = 0;
        else if (!sel.isEmpty())
            result = sel.constFirst()->text(0).toInt();
    }
    lvCfg->clear();
    return result;
}
