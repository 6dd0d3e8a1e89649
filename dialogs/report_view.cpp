#include "dialogs/report_view.h"

#include <QHeaderView>
#include <QTableView>

void SetUpReportView(QTableView* View, QAbstractItemModel* Rows, QAbstractItemView::SelectionMode Mode)
{
    View->setModel(Rows);
    View->setSelectionMode(Mode);
    View->setSelectionBehavior(QAbstractItemView::SelectRows);
    View->setEditTriggers(QAbstractItemView::NoEditTriggers);
    View->setShowGrid(false);
    View->verticalHeader()->hide();
    View->horizontalHeader()->setSectionsClickable(false);
}

void SetUpLineListView(QTableView* View)
{
    View->setWordWrap(false);
    View->verticalHeader()->setDefaultSectionSize(View->fontMetrics().height() + 4);
    View->horizontalHeader()->setHighlightSections(false);
    View->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QPalette pal = View->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    View->setPalette(pal);
}
