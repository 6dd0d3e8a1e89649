#include "quintel/cp_table_view.h"

#include <QHeaderView>
#include <QTableView>

QTableView* NewCpTableView(QAbstractItemModel* rows, QWidget* parent, QObject* keyFilter)
{
    auto* v = new QTableView(parent);
    v->setObjectName(QStringLiteral("ListView1"));
    v->setModel(rows);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->setSelectionBehavior(QAbstractItemView::SelectRows);
    v->setSelectionMode(QAbstractItemView::SingleSelection);
    v->setShowGrid(false);
    v->verticalHeader()->hide();
    v->verticalHeader()->setDefaultSectionSize(18);
    v->horizontalHeader()->setSectionsClickable(false);
    v->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft);
    v->installEventFilter(keyFilter);
    return v;
}
