// Rows that come and go in blocks: a selection is deleted with one removal
// per contiguous block, a load, paste or drop inserts its rows as one block,
// and the view scrolls to the end once per load but still after a single
// row added at the end. The model's notifications are checked throughout.
#include "lists/fwrk_list.h"
#include "lists/fwrk_list_view.h"
#include "fake_main_form.h"
#include "wrk_fixture.h"

#include "config/drag_drop.h"
#include "config/vortalin_clpbrd.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QScrollBar>

using namespace listtest;

namespace {

struct WrkBlocks : qeltest::TempDirTest {
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        FillProject(prj);
        w = std::make_unique<TFWrkList>(0);
        w->Core().Project = &prj;
        w->Core().SetInteraction(ui);
        mainForm.OnSetPrgOpFuncs = [this](PTOperatingFuncs f) { handed.push_back(f && f->Filled(osCopy)); };
        auto tools = std::make_shared<TWrkListTools>();
        tools->MainForm = &mainForm;
        w->Tools = tools;
        tester = std::make_unique<QAbstractItemModelTester>(&model(),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
        QObject::connect(&model(), &QAbstractItemModel::rowsInserted, [this](const QModelIndex&, int f, int l) {
            inserted.push_back({f, l});
        });
        QObject::connect(&model(), &QAbstractItemModel::rowsRemoved, [this](const QModelIndex&, int f, int l) {
            removed.push_back({f, l});
        });
    }
    void TearDown() override
    {
        tester.reset();
        w->Core().Modified = false;
        w.reset();
    }
    TWrkListModel& model() { return w->Core().Model(); }
    // Rows "r0".."r<n-1>" of inverter 1, one notification each.
    void fill(int n)
    {
        for (int i = 0; i < n; ++i) {
            auto r = std::make_shared<TWrkListItem>();
            r->Inverter = 1;
            r->Address = 0x0101;
            r->Remark = QStringLiteral("r%1").arg(i);
            w->Core().InsertItem(r, model().TrailingRow());
        }
        inserted.clear();
    }
    QStringList remarks()
    {
        QStringList l;
        for (const auto& r : w->Core().Rows())
            l << r->Remark;
        return l;
    }
    void select(std::initializer_list<int> rows)
    {
        QItemSelection s;
        for (int r : rows)
            s.select(model().index(r, 0), model().index(r, 6));
        w->List()->selectionModel()->select(s, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    QScrollBar* vbar() { return w->List()->verticalScrollBar(); }
    void showSmall()
    {
        w->resize(400, 160);
        w->show();
        QApplication::processEvents();
    }

    TVortalinPrj prj;
    std::shared_ptr<ScriptedListUi> ui = std::make_shared<ScriptedListUi>();
    std::unique_ptr<TFWrkList> w;
    std::unique_ptr<QAbstractItemModelTester> tester;
    std::vector<std::pair<int, int>> inserted, removed;
    std::vector<bool> handed;
    qeltest::TFakeMainForm mainForm;
};

TEST_F(WrkBlocks, DeletingASelectionRemovesEachContiguousBlockOnceAndKeepsTheTrailingRow)
{
    fill(10);
    const int trailing = model().TrailingRow();
    select({1, 2, 3, 6, 8, 9, trailing});
    ASSERT_TRUE(w->OpFuncs().Filled(osCopy));
    w->Delete();
    EXPECT_EQ(remarks(), (QStringList{"r0", "r4", "r5", "r7"}));
    // Last block first, so each notification names rows as they stand.
    EXPECT_EQ(removed, (std::vector<std::pair<int, int>>{{8, 9}, {6, 6}, {1, 3}}));
    EXPECT_EQ(model().RowCount(), 5);
    EXPECT_FALSE(model().Item(model().TrailingRow()));
    EXPECT_EQ(w->Core().LastRow, 3);
    EXPECT_EQ(w->Core().PollIndex, 0);
    EXPECT_TRUE(w->Core().Modified);
    // Only the trailing row is still selected: Cut, Copy and Delete go.
    EXPECT_FALSE(w->OpFuncs().Filled(osCopy));
    ASSERT_FALSE(handed.empty());
    EXPECT_FALSE(handed.back());
}

TEST_F(WrkBlocks, SelectingTheTrailingRowAloneOrNothingLeavesTheSlotsCleared)
{
    fill(3);
    for (auto rows : {std::vector<int>{3}, std::vector<int>{}, std::vector<int>{0}, std::vector<int>{3}}) {
        QItemSelection s;
        for (int r : rows)
            s.select(model().index(r, 0), model().index(r, 6));
        w->List()->selectionModel()->select(s, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        EXPECT_EQ(w->OpFuncs().Filled(osCopy), rows == std::vector<int>{0}) << (rows.empty() ? -1 : rows[0]);
    }
    // Delete with the trailing row alone selected removes nothing.
    w->Delete();
    EXPECT_EQ(model().RowCount(), 4);
    EXPECT_TRUE(removed.empty());
}

TEST_F(WrkBlocks, SelectAllAndDeleteEmptiesTheListInOneRemoval)
{
    fill(50);
    w->MarkAll();
    w->Delete();
    EXPECT_EQ(removed, (std::vector<std::pair<int, int>>{{0, 49}}));
    EXPECT_EQ(model().RowCount(), 1);
    EXPECT_EQ(w->Core().LastRow, -1);
    // The lone trailing row takes the focus.
    EXPECT_EQ(w->List()->currentIndex().row(), 0);
}

TEST_F(WrkBlocks, ALoadInsertsOneBlockAndScrollsToTheEndOnce)
{
    QByteArray text = ";comment\r\n";
    for (int i = 0; i < 200; ++i)
        text += "1,-1," + QByteArray::number(0x0101) + ";f" + QByteArray::number(i) + "\r\n";
    text += "bad line\r\n-1,-1,-1;blank\r\n";
    WriteBytes(path("big.wr5"), text);
    showSmall();
    int scrolls = 0;
    QObject::connect(vbar(), &QScrollBar::valueChanged, [&scrolls] { ++scrolls; });
    ASSERT_EQ(w->LoadFromFile(path("big.wr5")), 0);
    QApplication::processEvents();
    EXPECT_EQ(inserted, (std::vector<std::pair<int, int>>{{0, 200}}));
    EXPECT_EQ(remarks().size(), 201);
    EXPECT_EQ(remarks().front(), "f0");
    EXPECT_EQ(remarks().back(), "blank");
    EXPECT_EQ(w->Core().LastRow, 200);
    EXPECT_FALSE(w->Core().Modified);
    EXPECT_GT(vbar()->maximum(), 0);
    EXPECT_EQ(vbar()->value(), vbar()->maximum());
    EXPECT_EQ(scrolls, 1);
}

TEST_F(WrkBlocks, OneRowAddedAtTheEndStillScrollsThereAndOneElsewhereDoesNot)
{
    fill(100);
    showSmall();
    vbar()->setValue(0);
    auto row = [](const char* remark) {
        auto r = std::make_shared<TWrkListItem>();
        r->SetSel = r->Address = r->Inverter = -1;
        r->Remark = QString::fromLatin1(remark);
        return r;
    };
    w->Core().InsertItem(row("top"), 0);
    QApplication::processEvents();
    EXPECT_EQ(vbar()->value(), 0);
    w->Core().InsertItem(row("end"), model().TrailingRow());
    QApplication::processEvents();
    EXPECT_EQ(vbar()->value(), vbar()->maximum());
    EXPECT_EQ(remarks().front(), "top");
    EXPECT_EQ(remarks().back(), "end");
}

TEST_F(WrkBlocks, PastesAndDropsInsertOneBlockInTheirOrderBeforeTheRow)
{
    fill(6);
    select({1, 2, 4});
    const std::unique_ptr<TIntClpBrd> content = w->Core().CopyRows(w->SelectedRows());
    EXPECT_EQ(w->Core().PasteContent(*content, 3), 3);
    EXPECT_EQ(inserted, (std::vector<std::pair<int, int>>{{3, 5}}));
    EXPECT_EQ(remarks(), (QStringList{"r0", "r1", "r2", "r1", "r2", "r4", "r3", "r4", "r5"}));

    // Rows of another list dropped before row 0 (null entries skipped).
    TDragDrop dd;
    dd.Kind = ddkWrkRows;
    const std::vector<std::shared_ptr<TWrkListItem>> rows = w->Core().Rows();
    dd.Items = {rows[8], nullptr, rows[6]};
    inserted.clear();
    EXPECT_EQ(w->Core().DropItems(dd, 0), 2);
    EXPECT_EQ(inserted, (std::vector<std::pair<int, int>>{{0, 1}}));
    EXPECT_EQ(remarks().mid(0, 3), (QStringList{"r5", "r3", "r0"}));
    EXPECT_EQ(w->Core().LastRow, 10);
}

} // namespace
