#include "quintel/cp_table_view.h"

#include "dialogs/report_view.h"

#include <QHeaderView>
#include <QTableView>

QTableView* NewCpTableView(QAbstractItemModel* rows, QWidget* parent, QObject* keyFilter)
{
    auto* v = new QTableView(parent);
    v->setObjectName(QStringLiteral("ListView1"));
    SetUpReportView(v, rows, QAbstractItemView::SingleSelection);
    v->verticalHeader()->setDefaultSectionSize(18);
    v->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft);
    v->installEventFilter(keyFilter);
    return v;
}
