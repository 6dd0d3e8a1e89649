// The drag object without widgets: filling it, its MIME data and the one
// acceptance check of the drop targets.

#include "config/drag_drop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMimeData>

namespace {

struct Row {
    int no = 0;
};

std::vector<std::shared_ptr<void>> rows(std::initializer_list<int> nos)
{
    std::vector<std::shared_ptr<void>> out;
    for (int n : nos)
        out.push_back(std::make_shared<Row>(Row{n}));
    return out;
}

TEST(DragDropTest, StartFillsOrLeavesNothing)
{
    QObject source;
    TDragDrop dd;
    EXPECT_EQ(dd.Kind, ddkNone);
    EXPECT_EQ(dd.MimeData(), nullptr);

    ASSERT_TRUE(dd.Start(&source, ddkExplParams, rows({1, 2}), 7, 3));
    EXPECT_EQ(dd.Kind, ddkExplParams);
    EXPECT_EQ(dd.InvAdr, 7);
    EXPECT_EQ(dd.SetSel, 3);
    EXPECT_EQ(dd.SourceView, &source);
    ASSERT_EQ(dd.Items.size(), 2u);
    EXPECT_EQ(dd.Item<Row>(1)->no, 2);
    EXPECT_EQ(dd.Item<Row>(2), nullptr);

    // Selected rows none of which can be dragged: the previous drag's
    // records are gone and nothing is carried.
    EXPECT_FALSE(dd.Start(&source, ddkWrkRows, {nullptr, nullptr}, 0, 0));
    EXPECT_EQ(dd.Kind, ddkNone);
    EXPECT_TRUE(dd.Items.empty());
    EXPECT_EQ(dd.MimeData(), nullptr);
    EXPECT_FALSE(dd.Start(&source, ddkWrkRows, {}, 0, 0));
    EXPECT_EQ(dd.Kind, ddkNone);
}

TEST(DragDropTest, AcceptanceCheck)
{
    QObject listA, listB;
    TDragDrop dd;
    ASSERT_TRUE(dd.Start(&listA, ddkWrkRows, rows({1}), 0, 0));
    const auto data = dd.MimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat(TDragDrop::MimeType));

    // Another instance: same type, other process id.
    QMimeData foreign;
    foreign.setData(TDragDrop::MimeType,
                    QByteArray::number(QCoreApplication::applicationPid() + 1) + ":1");
    QMimeData garbage;
    garbage.setData(TDragDrop::MimeType, "x:y:z");
    QMimeData text;
    text.setText(QStringLiteral("4711"));

    struct Case {
        const char* name;
        const QMimeData* data;
        const QObject* target;
        std::initializer_list<uint8_t> kinds;
        bool accepted;
    };
    const Case cases[] = {
        {"other list", data.get(), &listB, {ddkExplParams, ddkDwnLines, ddkWrkRows}, true},
        {"own list", data.get(), &listA, {ddkExplParams, ddkDwnLines, ddkWrkRows}, false},
        {"kind not taken", data.get(), &listB, {ddkOpLines}, false},
        {"no list (a button)", data.get(), nullptr, {ddkWrkRows}, true},
        {"foreign instance", &foreign, &listB, {ddkWrkRows}, false},
        {"garbage", &garbage, &listB, {ddkWrkRows}, false},
        {"plain text", &text, &listB, {ddkWrkRows}, false},
        {"no data", nullptr, &listB, {ddkWrkRows}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dd.Accepts(c.data, c.target, c.kinds), c.accepted);
    }

    // An ended drag, and a later drag's object, refuse the old data.
    dd.End();
    EXPECT_EQ(dd.Kind, ddkNone);
    EXPECT_TRUE(dd.Items.empty());
    EXPECT_FALSE(dd.Accepts(data.get(), &listB, {ddkWrkRows}));
    ASSERT_TRUE(dd.Start(&listA, ddkWrkRows, rows({1}), 0, 0));
    EXPECT_FALSE(dd.Accepts(data.get(), &listB, {ddkWrkRows}));
    EXPECT_TRUE(dd.Accepts(dd.MimeData().get(), &listB, {ddkWrkRows}));
}

TEST(DragDropTest, RecordsOutliveTheirWindowAndAVanishedSourceIsNoOwnList)
{
    TDragDrop dd;
    std::weak_ptr<void> watch;
    auto* source = new QObject;
    {
        auto items = rows({5});
        watch = items[0];
        ASSERT_TRUE(dd.Start(source, ddkDwnLines, std::move(items), 1, 0));
    }
    delete source;  // the window closed during the drag
    EXPECT_FALSE(watch.expired());
    EXPECT_EQ(dd.SourceView, nullptr);
    QObject target;
    EXPECT_TRUE(dd.Accepts(dd.MimeData().get(), &target, {ddkDwnLines}));
    EXPECT_EQ(dd.Item<Row>(0)->no, 5);
    dd.End();
    EXPECT_TRUE(watch.expired());
}

}  // namespace
