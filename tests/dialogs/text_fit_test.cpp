// Cut texts that a window's layout cannot see: a tab bar that scrolls its
// tabs, a tree pane narrower than its rows; and a label that elides.
#include "dialogs/elided_label.h"
#include "dialogs/text_fit.h"

#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

bool tabsScroll(const QTabWidget& t)
{
    for (const QToolButton* arrow : t.tabBar()->findChildren<QToolButton*>())
        if (arrow->isVisible())
            return true;
    return false;
}

TEST(TextFit, ATabBarThatScrollsItsTabsIsCutAndItsDialogGrows)
{
    // Placed by coordinates in a dialog of fixed size, one pixel narrower
    // than its tabs.
    QDialog dlg;
    auto* tabs = new QTabWidget(&dlg);
    for (const char* t : {"Recording", "X", "CH A", "CH B", "CH C", "CH D", "Trigger", "Offline", "Notes"})
        tabs->addTab(new QWidget, QString::fromLatin1(t));
    const int needed = tabs->tabBar()->sizeHint().width();
    tabs->setGeometry(4, 4, needed - 1, 100);
    dlg.setFixedSize(needed + 7, 140);

    const QList<TCutText> cuts = FindCutTexts(&dlg);
    ASSERT_EQ(cuts.size(), 1) << DescribeCutTexts(cuts).toStdString();
    EXPECT_EQ(cuts[0].Control, tabs);
    EXPECT_EQ(cuts[0].Room, needed - 1);
    dlg.show();
    EXPECT_TRUE(tabsScroll(*tabs));

    FitTexts(&dlg);
    EXPECT_FALSE(tabsScroll(*tabs));
    EXPECT_GE(tabs->width(), needed);
    EXPECT_EQ(dlg.width(), tabs->width() + 8);
    EXPECT_TRUE(FindCutTexts(&dlg).isEmpty());
}

TEST(TextFit, ATreePaneNarrowerThanItsRowsIsCutAndTakesRoomFromItsNeighbour)
{
    QWidget w;
    auto* layout = new QHBoxLayout(&w);
    auto* splitter = new QSplitter(Qt::Horizontal, &w);
    layout->addWidget(splitter);
    auto* tree = new QTreeWidget(splitter);
    tree->setHeaderHidden(true);
    auto* root = new QTreeWidgetItem(tree, {QStringLiteral("Demo line")});
    new QTreeWidgetItem(root, {QStringLiteral("All linked files of the project")});
    auto* collapsed = new QTreeWidgetItem(root, {QStringLiteral("Groups")});
    new QTreeWidgetItem(collapsed, {QStringLiteral("A hidden row far longer than any shown one, not counted")});
    root->setExpanded(true);
    auto* right = new QWidget(splitter);
    right->setMinimumWidth(100);
    w.resize(600, 300);
    w.show();
    splitter->setSizes({60, 500});  // as narrow as the tree goes
    const int narrow = splitter->sizes()[0];

    const QList<TCutText> cuts = FindCutTexts(&w);
    ASSERT_EQ(cuts.size(), 1) << DescribeCutTexts(cuts).toStdString();
    EXPECT_EQ(cuts[0].Control, tree);
    EXPECT_EQ(cuts[0].Text, QStringLiteral("All linked files of the project"));
    EXPECT_EQ(cuts[0].Room, narrow);

    FitTexts(&w);
    EXPECT_EQ(w.width(), 600);
    EXPECT_EQ(splitter->sizes()[0], cuts[0].Needed);
    EXPECT_TRUE(FindCutTexts(&w).isEmpty()) << DescribeCutTexts(FindCutTexts(&w)).toStdString();

    // A neighbour at its minimum gives no more; the cut stays reported.
    splitter->setSizes({60, 500});
    right->setMinimumWidth(splitter->width() - narrow - splitter->handleWidth());
    FitTexts(&w);
    EXPECT_EQ(w.width(), 600);
    EXPECT_EQ(FindCutTexts(&w).size(), 1);
}

TEST(TextFit, AnElidedLabelCutsALongTextWithoutWideningItsWindow)
{
    QWidget w;
    auto* layout = new QHBoxLayout(&w);
    auto* label = new TElidedLabel(&w);
    layout->addWidget(label);
    label->setText(QStringLiteral("Password:"));
    w.resize(200, 40);
    w.show();
    EXPECT_FALSE(label->Elided());

    const QString text = QStringLiteral("Password: No answer: the request was still being sent at the time-out");
    label->setText(text);
    w.layout()->activate();
    EXPECT_EQ(w.width(), 200);
    EXPECT_EQ(label->text(), text);
    EXPECT_TRUE(label->Elided());
    EXPECT_TRUE(FindCutTexts(&w).isEmpty());
    // The tool tip shows it whole.
    QHelpEvent tip(QEvent::ToolTip, QPoint(5, 5), label->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(label, &tip);
    EXPECT_EQ(QToolTip::text(), text);
}

} // namespace
