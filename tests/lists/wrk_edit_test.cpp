// A work list's editing without a display: copied lines, paste by content
// flags, drops of each kind, the editors' callbacks, the pressed column,
// the list menu's state and the content of a print.

#include "lists/dwn_entry.h"
#include "lists/wrk_list_core.h"
#include "wrk_fixture.h"

#include "config/vortalin_help.h"

#include <QDir>
#include <QMimeData>

using namespace listtest;

namespace {

struct WrkEdit : ::testing::Test {
    void SetUp() override
    {
        FillProject(prj);
        c.Project = &prj;
        c.SetInteraction(ui);
    }
    // A row of inverter `inv` at `adr` (its description when known).
    std::shared_ptr<TWrkListItem> row(int inv, int adr, int set = 0, const QString& remark = {})
    {
        auto r = std::make_shared<TWrkListItem>();
        r->Inverter = inv;
        r->Address = adr;
        r->SetSel = set;
        r->Remark = remark;
        if (const TPrjInvRec* i = prj.GetInv(inv))
            r->Para = FindParaShared(i->Cfg, adr);
        return r;
    }
    std::shared_ptr<TWrkListItem> blank(const QString& remark)
    {
        auto r = std::make_shared<TWrkListItem>();
        r->SetSel = r->Address = r->Inverter = -1;
        r->Remark = remark;
        return r;
    }
    void add(std::shared_ptr<TWrkListItem> r) { c.InsertItem(std::move(r), c.Model().TrailingRow()); }
    QString text(int r, int col) const { return c.Model().Text(r, col); }
    const TWrkListItem& item(int r) const { return *c.Model().Item(r); }

    TVortalinPrj prj;
    TWrkListCore c{0};
    std::shared_ptr<ScriptedListUi> ui = std::make_shared<ScriptedListUi>();
};

TEST_F(WrkEdit, CopiedRowsCarryTheirFieldsAndTheirShownTextLines)
{
    auto read = row(1, 0x0002, 0, QStringLiteral("type"));
    read->Value = 21;
    read->ValueValid = true;
    add(read);
    add(blank(QStringLiteral("-- pumps --")));
    add(row(7, 0x0101, 3, QStringLiteral("far")));
    const TParaRec& p = *prj.GetInv(1)->Cfg->FindPara(2);

    // The trailing row and doubles are left out; rows come in list order.
    const auto content = c.CopyRows({2, 3, 0, 1, 0});
    ASSERT_EQ(content->Count(), 3);
    EXPECT_EQ(content->Flags, cbfRows);
    const struct {
        int inv, adr, set, value;
        bool valid;
        uint8_t kind;
        const char* remark;
    } items[] = {{1, 2, 0, 21, true, cbkParameter, "type"},
                 {-1, -1, -1, 0, false, cbkBlank, "-- pumps --"},
                 {7, 0x101, 3, 0, false, cbkParameter, "far"}};
    for (int i = 0; i < 3; ++i) {
        const TClpBrdItem& it = content->Items[size_t(i)];
        SCOPED_TRACE(i);
        EXPECT_EQ(it.InvAdr, items[i].inv);
        EXPECT_EQ(it.Address, items[i].adr);
        EXPECT_EQ(it.SetSel, items[i].set);
        EXPECT_EQ(it.Value, items[i].value);
        EXPECT_EQ(it.ValueValid, items[i].valid);
        EXPECT_EQ(it.Kind, items[i].kind);
        EXPECT_EQ(it.Remark, QString::fromUtf8(items[i].remark));
        EXPECT_EQ(it.Para, nullptr);
    }
    EXPECT_EQ(content->Lines,
              (QStringList{QStringLiteral("1 ; 0002h ; A ; ") + p.GetIdText() + QStringLiteral(" ; ") + p.GetName(0)
                               + QStringLiteral(" ; ") + c.NotActText + QStringLiteral(" ; type"),
                           QStringLiteral(" ;  ;  ;  ;  ;  ; -- pumps --"),
                           QStringLiteral("7 ; 0101h ; 0-1 ;  ; ") + c.UnknownInverterText + QStringLiteral(" ; ")
                               + c.NotActText + QStringLiteral(" ; far")}));
    // No row selected: an empty content.
    EXPECT_EQ(c.CopyRows({c.Model().TrailingRow()})->Count(), 0);
}

TEST_F(WrkEdit, PasteTakesWhatTheFlagsSayAndKeepsTheOrder)
{
    TIntClpBrd src;
    auto item = [](int inv, int adr, int value, bool valid, uint8_t kind, const char* remark) {
        TClpBrdItem it;
        it.InvAdr = inv;
        it.Address = adr;
        it.SetSel = 1;
        it.Value = value;
        it.ValueValid = valid;
        it.Kind = kind;
        it.Remark = QString::fromUtf8(remark);
        return it;
    };
    src.Items = {item(1, 2, 21, true, cbkParameter, "read"), item(1, 0x0101, 0, false, cbkParameter, "never read"),
                 item(0, 0, 0, false, cbkUserStep, "step"), item(-1, -1, 0, false, cbkBlank, "gap"),
                 item(9, 0x0101, 7, true, cbkParameter, "unknown inverter")};
    const struct {
        uint8_t flags;
        int rows;
        bool values, remarks;
    } cases[] = {{cbfRows, 4, true, true}, {cbfParameters, 4, false, false}, {cbfTextOnly, 0, false, false},
                 {cbfRows & ~cbfSetSel, 0, false, false}};
    for (const auto& k : cases) {
        SCOPED_TRACE(int(k.flags));
        TWrkListCore list(1);
        list.Project = &prj;
        auto mark = blank(QStringLiteral("mark"));
        list.InsertItem(mark, 0);
        src.Flags = k.flags;
        // Pasted before the row focused when the paste began.
        EXPECT_EQ(list.PasteContent(src, 0), k.rows);
        const TWrkListModel& m = list.Model();
        ASSERT_EQ(m.TrailingRow(), k.rows + 1);
        EXPECT_EQ(m.Item(k.rows).get(), mark.get());
        if (k.rows == 0)
            continue;
        const QString none;
        EXPECT_EQ(m.Item(0)->Remark, k.remarks ? QStringLiteral("read") : none);
        EXPECT_EQ(m.Item(0)->Value, k.values ? 21 : 0);
        EXPECT_EQ(m.Item(0)->ValueValid, k.values);
        EXPECT_NE(m.Item(0)->Para, nullptr);
        // Copied before it was read: stays unread, its editor offers the default.
        EXPECT_FALSE(m.Item(1)->ValueValid);
        EXPECT_EQ(list.ValueStart(1), m.Item(1)->Para->DefVal);
        EXPECT_TRUE(m.Item(2)->IsBlank());
        EXPECT_EQ(m.Item(2)->Remark, k.remarks ? QStringLiteral("gap") : none);
        EXPECT_EQ(m.Item(3)->Para, nullptr);
        EXPECT_EQ(m.Text(3, TWrkListModel::colName), list.UnknownInverterText);
        for (int r = 0; r < 4; ++r)
            if (!m.Item(r)->IsBlank()) {
                EXPECT_EQ(m.Text(r, TWrkListModel::colValue), list.NotActText);
            }
        EXPECT_EQ(list.ValueStart(0), k.values ? 21 : m.Item(0)->Para->DefVal);
        EXPECT_TRUE(list.Modified);
    }
}

TEST_F(WrkEdit, DropsOfEachKindGoBeforeTheTargetInOrder)
{
    add(row(1, 2));
    TDragDrop dd;
    QObject source;
    const std::shared_ptr<TCfgRec> cfg = prj.GetInv(1)->Cfg;

    // Explorer parameters: the drag object's set and inverter.
    std::vector<std::shared_ptr<void>> params{FindSharedPara(cfg, 0x0101), FindSharedPara(cfg, 0x0104)};
    ASSERT_TRUE(params[0] && params[1]);
    ASSERT_TRUE(dd.Start(&source, ddkExplParams, params, 1, 3));
    EXPECT_EQ(c.DropItems(dd, 0), 2);
    EXPECT_EQ(item(0).Address, 0x0101);
    EXPECT_EQ(item(1).Address, 0x0104);
    EXPECT_EQ(item(0).SetSel, 3);
    EXPECT_EQ(item(0).Inverter, 1);
    EXPECT_EQ(item(0).Para.get(), static_cast<const TParaRec*>(params[0].get()));
    EXPECT_EQ(text(0, TWrkListModel::colSet), QStringLiteral("0-1"));

    // Download lines: the user step skipped, the blank line a blank row.
    auto line = [](uint8_t mode, int adr, int value, const char* note, std::shared_ptr<TParaRec> p = {}) {
        auto e = std::make_shared<TDwnEntry>();
        e->Mode = mode;
        e->Address = int16_t(adr);
        e->Value = value;
        e->SetMask = 4;
        e->Note = QString::fromUtf8(note);
        e->Para = std::move(p);
        return e;
    };
    std::shared_ptr<TParaRec> p101 = FindSharedPara(cfg, 0x0101);
    ASSERT_TRUE(dd.Start(&source, ddkDwnLines,
                         {line(DwnMode::RW, 0x0101, 77, "speed", p101), line(DwnMode::UserStep, 0, -500, "wait"),
                          line(DwnMode::Blank, 0, 0, "gap")},
                         2, 0));
    c.ClearRows();
    add(row(1, 2));
    EXPECT_EQ(c.DropItems(dd, 0), 2);
    EXPECT_EQ(item(0).Address, 0x0101);
    EXPECT_EQ(item(0).Value, 77);
    EXPECT_FALSE(item(0).ValueValid);
    EXPECT_EQ(item(0).SetSel, 4);
    EXPECT_EQ(item(0).Inverter, 2);
    EXPECT_EQ(item(0).Remark, QStringLiteral("speed"));
    EXPECT_TRUE(item(1).IsBlank());
    EXPECT_EQ(item(1).Remark, QStringLiteral("gap"));
    EXPECT_EQ(item(2).Address, 2);

    // Rows of another list: copies, never marked read.
    auto other = row(2, 2, 0, QStringLiteral("from B"));
    other->Value = 3;
    other->ValueValid = true;
    ASSERT_TRUE(dd.Start(&source, ddkWrkRows, {other, blank(QStringLiteral("b"))}, 0, 0));
    c.ClearRows();
    EXPECT_EQ(c.DropItems(dd, 0), 2);
    EXPECT_NE(c.Model().Item(0).get(), other.get());
    EXPECT_EQ(item(0).Value, 3);
    EXPECT_FALSE(item(0).ValueValid);
    EXPECT_EQ(item(0).Remark, QStringLiteral("from B"));
    EXPECT_TRUE(item(1).IsBlank());
    EXPECT_TRUE(other->ValueValid);  // the source row is untouched

    // The acceptance check refuses the list's own rows and other kinds.
    const auto data = dd.MimeData();
    EXPECT_TRUE(dd.Accepts(data.get(), nullptr, {ddkExplParams, ddkDwnLines, ddkWrkRows}));
    EXPECT_FALSE(dd.Accepts(data.get(), &source, {ddkExplParams, ddkDwnLines, ddkWrkRows}));
    ASSERT_TRUE(dd.Start(&source, ddkOpLines, {line(DwnMode::RW, 1, 1, "")}, 0, 0));
    const auto opData = dd.MimeData();
    EXPECT_FALSE(dd.Accepts(opData.get(), nullptr, {ddkExplParams, ddkDwnLines, ddkWrkRows}));
}

TEST_F(WrkEdit, ASetMaskSkipsTypesWithoutParameterSetsOnly)
{
    add(row(1, 0x0101, 0));
    add(row(2, 0x0108, 0));
    add(blank(QStringLiteral("gap")));
    add(row(1, 0x0104, -1));
    add(row(9, 0x0101, 0));  // not in the project
    c.Modified = false;
    c.ChangeSet({0, 1, 2, 3, 4}, 5);
    EXPECT_EQ(text(0, TWrkListModel::colSet), QStringLiteral("0;2"));
    EXPECT_EQ(text(1, TWrkListModel::colSet), QStringLiteral("A"));
    EXPECT_EQ(item(1).SetSel, 0);
    EXPECT_TRUE(item(2).IsBlank());
    EXPECT_EQ(text(3, TWrkListModel::colSet), QStringLiteral("0;2"));
    EXPECT_EQ(text(4, TWrkListModel::colSet), QStringLiteral("0;2"));
    EXPECT_TRUE(c.Modified);
    // The actual set and indirect addressing go to every type.
    c.ChangeSet({1}, -1);
    EXPECT_EQ(text(1, TWrkListModel::colSet), QStringLiteral("I"));
}

TEST_F(WrkEdit, AddressAndInverterChangesHoldForInvertersOutsideTheProject)
{
    add(row(1, 0x0101));
    add(row(9, 0x0101));
    c.LastRow = 1;
    // An address of a row whose inverter is not in the project is stored
    // and shown, with no description.
    c.ChangeAddress(1, 0x0104);
    EXPECT_EQ(item(1).Address, 0x0104);
    EXPECT_EQ(text(1, TWrkListModel::colAdr), QStringLiteral("0104h"));
    EXPECT_EQ(text(1, TWrkListModel::colName), c.UnknownInverterText);
    c.ChangeAddress(0, 0x0108);
    EXPECT_EQ(item(0).Para.get(), prj.GetInv(1)->Cfg->FindPara(0x0108));
    EXPECT_EQ(text(0, TWrkListModel::colId), item(0).Para->GetIdText());
    EXPECT_EQ(text(0, TWrkListModel::colValue), c.NotActText);

    // The read outstanding for row 0 is dropped when its inverter changes,
    // also to one outside the project: the late answer writes nothing.
    c.PollIndex = -1;
    TReqRec req;
    c.GiveNextReq(req);
    ASSERT_EQ(c.PolledRow(), c.Model().Item(0).get());
    c.ChangeInverter({0}, 12);
    EXPECT_EQ(c.PolledRow(), nullptr);
    EXPECT_EQ(item(0).Para, nullptr);
    EXPECT_EQ(text(0, TWrkListModel::colInv), QStringLiteral("12"));
    TRecTel rsp{};
    rsp.Service = QelService::ParaSetAdr;
    rsp.Data.Value = 1234;
    c.ReceiveAnswer(rsp, 0);
    EXPECT_FALSE(item(0).ValueValid);
    EXPECT_EQ(text(0, TWrkListModel::colValue), c.NotActText);
    // Back into the project: the description is looked up again.
    c.ChangeInverter({0, 1}, 2);
    EXPECT_EQ(item(0).Para.get(), prj.GetInv(2)->Cfg->FindPara(0x0108));
    EXPECT_EQ(item(1).Inverter, 2);

    c.ChangeRemark(1, QStringLiteral("new"));
    EXPECT_EQ(text(1, TWrkListModel::colRemark), QStringLiteral("new"));
}

TEST(WrkClickedColumn, SpansFromTheFirstColumnsLeftEdge)
{
    const std::array<int, 7> w{40, 50, 70, 40, 170, 100, 100};
    const struct {
        int x, left, col;
    } cases[] = {
        {20, 0, 0},  {0, 0, 5},    {40, 0, 5},    {41, 0, 1},   {89, 0, 1},  {90, 0, 5},   {199, 0, 3}, {200, 0, 5},
        {470, 0, 5}, {471, 0, 6},  {569, 0, 6},   {570, 0, 5},  {900, 0, 5}, {-5, 0, 5},
        // Scrolled 30 pixels to the right: column 0 begins at -30.
        {9, -30, 0}, {10, -30, 5}, {11, -30, 1},  {539, -30, 6},
    };
    for (const auto& k : cases)
        EXPECT_EQ(WrkClickedColumn(k.x, k.left, w), k.col) << k.x << " " << k.left;
}

TEST_F(WrkEdit, TheListMenuFollowsTheFocusedRowAndTheFile)
{
    add(row(1, 0x0101));   // 0 with description, sets
    add(row(2, 0x0108));   // 1 with description, no sets
    add(row(9, 0x0101));   // 2 no description
    add(blank({}));        // 3
    const int trailing = c.Model().TrailingRow();
    const struct {
        int row;
        bool copy;
        bool inv, adr, set, rem, val, cut;
    } cases[] = {
        {0, true, true, true, true, true, true, true},     {1, false, true, true, false, true, true, false},
        {2, true, true, true, true, true, false, true},    {3, true, false, false, false, false, false, true},
        {trailing, false, false, false, false, false, false, false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.row);
        const TWrkListMenuState m = c.ListMenuState(k.row, k.copy);
        EXPECT_TRUE(m.HasFocusedRow);
        EXPECT_EQ(m.EditInv, k.inv);
        EXPECT_EQ(m.EditAdr, k.adr);
        EXPECT_EQ(m.EditSet, k.set);
        EXPECT_EQ(m.EditRem, k.rem);
        EXPECT_EQ(m.EditVal, k.val);
        EXPECT_EQ(m.CutCopyDelete, k.cut);
    }
    EXPECT_FALSE(c.ListMenuState(-1, true).HasFocusedRow);

    // Without a file the add item is disabled; with one it adds or removes.
    TWrkListMenuState m = c.ListMenuState(0, true);
    EXPECT_FALSE(m.AddToPrjEnabled);
    EXPECT_TRUE(m.AddToPrjIsAdd);
    c.FileName = QStringLiteral("/tmp/some list.wr5");
    m = c.ListMenuState(0, true);
    EXPECT_TRUE(m.AddToPrjEnabled);
    EXPECT_TRUE(m.AddToPrjIsAdd);
    ASSERT_GE(prj.AddFile(c.FileName, 2), 0);
    m = c.ListMenuState(0, true);
    EXPECT_TRUE(m.AddToPrjEnabled);
    EXPECT_FALSE(m.AddToPrjIsAdd);
}

TEST_F(WrkEdit, EditorTextsAndBlankRows)
{
    add(row(1, 0x0101, 2));
    add(row(1, 0x0104));
    c.Caption = QStringLiteral("/data/lists/Pumps.wr5");
    const TParaRec& p = *item(0).Para;
    EXPECT_EQ(c.DescriptionText(0), p.GetIdText() + u' ' + p.GetName(0) + QStringLiteral(" , Pumps.wr5"));
    EXPECT_EQ(c.ValueLabel(0), p.GetIdText() + u' ' + p.GetName(0) + QStringLiteral(" ; ")
                                   + c.Model().Caption(0) + QStringLiteral(" 1 ; ") + c.Model().Caption(2)
                                   + QStringLiteral(" 1"));
    c.InsertBlank(1);
    EXPECT_TRUE(item(1).IsBlank());
    EXPECT_EQ(item(1).SetSel, -1);
    EXPECT_EQ(item(1).Inverter, -1);
    EXPECT_FALSE(item(1).ValueValid);
    EXPECT_EQ(item(2).Address, 0x0104);

    c.ColWidth = {1, 2, 3, 4, 5, 6, 7};
    c.ResetColWidths();
    EXPECT_EQ(c.ColWidth, (std::array<int, 7>{40, 50, 70, 40, 170, 100, 7}));
}

TEST_F(WrkEdit, DeleteKeepsTheTrailingRowAndDropsTheOutstandingRead)
{
    add(row(1, 0x0101));
    add(row(1, 0x0104));
    add(row(1, 0x0108));
    c.PollIndex = -1;
    TReqRec req;
    c.GiveNextReq(req);
    ASSERT_NE(c.PolledRow(), nullptr);
    c.Modified = false;
    c.DeleteRows({2, 0, c.Model().TrailingRow()});
    EXPECT_EQ(c.Model().TrailingRow(), 1);
    EXPECT_EQ(item(0).Address, 0x0104);
    EXPECT_EQ(c.PolledRow(), nullptr);
    EXPECT_EQ(c.LastRow, 0);
    EXPECT_EQ(c.PollIndex, 0);
    EXPECT_TRUE(c.Modified);
}

TEST_F(WrkEdit, APrintHoldsTheHeaderTheMemoAndOneLinePerRow)
{
    add(row(1, 0x0101, 0, QStringLiteral("r1")));
    add(blank(QStringLiteral("gap")));
    c.Caption = QStringLiteral("Arbeitsliste 1");
    c.AppNameText = QStringLiteral("Halvorn");
    c.VersionText = QStringLiteral("5.0");
    c.Comments = {QStringLiteral("first"), QStringLiteral("second")};
    c.ColWidth = {40, 50, 70, 40, 170, 100, 30};
    const TWrkPrintJob j = c.PrintJob(QDateTime(QDate(2026, 12, 10), QTime(16, 0)));
    EXPECT_EQ(j.DialogCaption, c.PrintCaptionText + QStringLiteral(" Arbeitsliste 1"));
    EXPECT_EQ(j.Title, QStringLiteral("Halvorn: Arbeitsliste 1"));
    EXPECT_EQ(j.Footer, c.PageFooterText);
    ASSERT_EQ(j.HeadLines.size(), 7);
    EXPECT_EQ(j.HeadLines[0], QStringLiteral("Halvorn 5.0"));
    EXPECT_TRUE(j.HeadLines[1].startsWith(c.PrintDateText + QStringLiteral(": ")));
    EXPECT_TRUE(j.HeadLines[1].contains(QStringLiteral("16")));
    EXPECT_EQ(j.HeadLines[2], c.FileDateText + QStringLiteral(": "));  // no file
    EXPECT_EQ(j.HeadLines.mid(3), (QStringList{QStringLiteral(" "), QStringLiteral("first"), QStringLiteral("second"),
                                               QStringLiteral(" ")}));
    EXPECT_EQ(j.TabPercents, (QList<int>{8, 10, 14, 8, 34, 20, 6}));
    EXPECT_EQ(j.Header.split(u'\t').size(), 7);
    ASSERT_EQ(j.Rows.size(), 2);
    EXPECT_EQ(j.Rows[0].split(u'\t').value(6), QStringLiteral("r1"));
    EXPECT_EQ(j.Rows[1], QStringLiteral("\t\t\t\t\t\tgap"));

    // Without a memo text no memo lines; zero widths share equally.
    c.Comments.clear();
    c.ColWidth = {0, 0, 0, 0, 0, 0, 0};
    const TWrkPrintJob k = c.PrintJob(QDateTime::currentDateTime());
    EXPECT_EQ(k.HeadLines.size(), 4);
    EXPECT_EQ(k.TabPercents, (QList<int>{14, 14, 14, 14, 14, 14, 14}));
}

}  // namespace
