// The explorer's pictures are painted once per window and shared: every
// tree item showing the same image holds the same icon, also after the tree
// is rebuilt (it is at every change of the inverter list).
#include "mainwin/prj_expl.h"
#include "prj_expl_fixture.h"

#include <QHash>
#include <QTreeWidgetItemIterator>

namespace {

// The icon's cache key of every item, by its node's image pair.
QHash<int, QSet<qint64>> iconKeysByImage(QTreeWidget* tv)
{
    QHash<int, QSet<qint64>> keys;
    for (QTreeWidgetItemIterator it(tv); *it; ++it) {
        auto* n = static_cast<TExplNode*>((*it)->data(0, Qt::UserRole + 1).value<void*>());
        if (n)
            keys[(n->Image << 16) | n->SelImage].insert((*it)->icon(0).cacheKey());
    }
    return keys;
}

TEST(ExplIcons, ItemsOfOneImageShareOneIconAcrossRebuilds)
{
    expltest::ExplProject ep;
    for (int a = 1; a <= 4; ++a)
        ASSERT_NO_FATAL_FAILURE(ep.add(a, a % 2 ? 100 : 101, QStringLiteral("Drive %1").arg(a)));
    TFPrjExpl w;
    w.Core().Project = &ep.prj;
    w.RebuildTree();
    const QHash<int, QSet<qint64>> first = iconKeysByImage(w.TV);
    for (auto it = first.begin(); it != first.end(); ++it)
        EXPECT_EQ(it.value().size(), 1) << "image pair " << it.key();
    ASSERT_GE(first.size(), 3);

    w.RebuildTree();
    const QHash<int, QSet<qint64>> again = iconKeysByImage(w.TV);
    for (auto it = again.begin(); it != again.end(); ++it)
        if (first.contains(it.key())) {
            EXPECT_EQ(it.value(), first.value(it.key())) << "image pair " << it.key();
        }
    // The pictures are still the ones painted for their indexes.
    for (QTreeWidgetItemIterator it(w.TV); *it; ++it) {
        auto* n = static_cast<TExplNode*>((*it)->data(0, Qt::UserRole + 1).value<void*>());
        ASSERT_TRUE(n);
        EXPECT_EQ((*it)->icon(0).pixmap(16, 16).toImage(), ExplImage(n->Image).toImage());
    }
}

} // namespace
