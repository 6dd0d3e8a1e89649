// Drops between two views, delivered as the drag and drop events a real
// drag would send with the drag's MIME data (offscreen a QDrag never
// drops), and the drag runner.

#include "config/drag_drop.h"
#include "dialogs/drag_exec.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

#include <memory>
#include <vector>

namespace {

struct Row {
    int address = 0;
    QString remark;
};

// A list window in small: rows it owns (shared, as the real lists hold
// them), and the one acceptance check on enter and drop.
class TestView : public QWidget {
public:
    TestView(TDragDrop& dd, std::initializer_list<uint8_t> kinds) : dd_(dd), kinds_(kinds)
    {
        setAcceptDrops(true);
    }

    bool startDrag(uint8_t kind, std::initializer_list<int> selected)
    {
        std::vector<std::shared_ptr<void>> items;
        for (int i : selected)
            items.push_back(rows.at(size_t(i)));
        return dd_.Start(this, kind, std::move(items), 0, 0);
    }

    std::vector<std::shared_ptr<Row>> rows;

protected:
    bool takes(const QMimeData* data) const
    {
        return std::any_of(kinds_.begin(), kinds_.end(), [&](uint8_t k) {
            return dd_.Accepts(data, this, {k});
        });
    }
    void dragEnterEvent(QDragEnterEvent* e) override
    {
        if (takes(e->mimeData()))
            e->acceptProposedAction();
        else
            e->ignore();
    }
    void dropEvent(QDropEvent* e) override
    {
        if (!takes(e->mimeData())) {
            e->ignore();
            return;
        }
        for (int i = 0; i < int(dd_.Items.size()); ++i)
            rows.push_back(std::make_shared<Row>(*dd_.Item<Row>(i)));
        e->acceptProposedAction();
    }

private:
    TDragDrop& dd_;
    std::vector<uint8_t> kinds_;
};

// What the target says to a drag entering and then dropping with `data`.
std::pair<bool, bool> deliver(QWidget& target, const QMimeData* data)
{
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
    return {enter.isAccepted(), drop.isAccepted()};
}

class DragExecTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 3; ++i)
            a.rows.push_back(std::make_shared<Row>(Row{0x100 + i, QStringLiteral("r%1").arg(i)}));
    }
    TDragDrop dd;
    TestView a{dd, {ddkExplParams, ddkDwnLines, ddkWrkRows}};
    TestView b{dd, {ddkExplParams, ddkDwnLines, ddkWrkRows}};
    TestView ops{dd, {ddkOpLines}};
};

TEST_F(DragExecTest, DropOnAnotherListCopiesTheDraggedRows)
{
    ASSERT_TRUE(a.startDrag(ddkWrkRows, {0, 2}));
    const auto data = dd.MimeData();
    EXPECT_EQ(deliver(b, data.get()), (std::pair{true, true}));
    ASSERT_EQ(b.rows.size(), 2u);
    EXPECT_EQ(b.rows[1]->address, 0x102);
}

TEST_F(DragExecTest, RefusedDrops)
{
    ASSERT_TRUE(a.startDrag(ddkWrkRows, {1}));
    const auto data = dd.MimeData();
    // Its own list, and a kind the target does not take.
    EXPECT_EQ(deliver(a, data.get()), (std::pair{false, false}));
    EXPECT_EQ(deliver(ops, data.get()), (std::pair{false, false}));
    // Another instance's drag of the same type.
    QMimeData foreign;
    foreign.setData(TDragDrop::MimeType,
                    QByteArray::number(QCoreApplication::applicationPid() + 1) + ":1");
    EXPECT_EQ(deliver(b, &foreign), (std::pair{false, false}));
    // The drag ended (e.g. a late drop of its data).
    dd.End();
    EXPECT_EQ(deliver(b, data.get()), (std::pair{false, false}));
    EXPECT_TRUE(b.rows.empty() && ops.rows.empty());
    EXPECT_EQ(a.rows.size(), 3u);
}

TEST_F(DragExecTest, RowsDeletedAtTheSourceBeforeTheDropStillArrive)
{
    ASSERT_TRUE(a.startDrag(ddkDwnLines, {0, 1}));
    const auto data = dd.MimeData();
    a.rows.clear();  // the source deletes its rows (or closes) during the drag
    EXPECT_EQ(deliver(b, data.get()), (std::pair{true, true}));
    ASSERT_EQ(b.rows.size(), 2u);
    EXPECT_EQ(b.rows[0]->remark, QStringLiteral("r0"));
    EXPECT_EQ(b.rows[1]->address, 0x101);
}

TEST_F(DragExecTest, TheRunnerEmptiesTheObjectWhenTheDragEnds)
{
    // Nothing to drag: nothing runs.
    EXPECT_EQ(ExecDrag(dd, &a), Qt::IgnoreAction);
    std::weak_ptr<Row> watch = a.rows[0];
    ASSERT_TRUE(a.startDrag(ddkWrkRows, {0}));
    const auto data = dd.MimeData();
    a.rows.erase(a.rows.begin());
    ExecDrag(dd, &a);  // offscreen it ends at once
    EXPECT_EQ(dd.Kind, ddkNone);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(deliver(b, data.get()), (std::pair{false, false}));
}

}  // namespace
