// The work-list window and the value editor against simulated inverters:
// real selector, DIN 66019 II driver, serial port and scheduler over a
// pseudo-terminal to the simulator.

#include "lists/fwrk_list.h"
#include "lists/val_edit.h"
#include "wrk_fixture.h"

#include "sim/sim_din_pty_server.h"
#include "sim/sim_inverter.h"
#include "wait_until.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

using namespace listtest;
using namespace qelsim;

namespace {

struct WrkEndToEnd : ::testing::Test {
    void SetUp() override
    {
        FillProject(prj);
        SimModel m21, m3;
        QString err;
        ASSERT_TRUE(SimModel::fromJsonFile(qeltest::sourceDir() + QStringLiteral("/data/configs/type0021.json"), m21, &err))
            << err.toStdString();
        ASSERT_TRUE(SimModel::fromJsonFile(qeltest::sourceDir() + QStringLiteral("/data/configs/type0003.json"), m3, &err));
        inv1 = std::make_shared<SimInverter>(1, m21);
        inv2 = std::make_shared<SimInverter>(2, m3);
        server.addInverter(inv1);
        server.addInverter(inv2);
        ASSERT_TRUE(server.start({}, &err)) << err.toStdString();
        qputenv("QEL_COM1", server.path().toLocal8Bit());
        sel = std::make_unique<TProtSel>();
        sel->Ansi()->SetComport(Com1);
        sel->Ansi()->SetBaudrate(B_38400);
        sel->Ansi()->SetTimeOut(500);
        sel->SetProtocol(1, prANSI);
        sel->SetProtocol(2, prANSI);
        ASSERT_EQ(sel->GetActiveProtocol(1), prANSI);
        sch = new TScheduler;
        ASSERT_EQ(sch->Attach(sel.get()), 0);
        sch->SetActive(true);
    }
    void TearDown() override
    {
        sch->SetActive(false);
        sch->Release();
        sel.reset();
        server.stop();
        qunsetenv("QEL_COM1");
    }
    const TParaRec* para(int inv, int addr) { return prj.GetInv(inv)->Cfg->FindPara(addr); }
    QString text(int inv, int addr, int32_t v) { return para(inv, addr)->ValueToText(v, 0, u'+', false); }
    static void screenshot(QWidget& w, const QString& name)
    {
        const QString dir = qeltest::binaryDir() + QStringLiteral("/screenshots");
        QDir().mkpath(dir);
        const QImage img = w.grab().toImage();
        EXPECT_FALSE(img.isNull());
        EXPECT_TRUE(img.save(dir + u'/' + name));
    }

    TVortalinPrj prj;
    SimDinPtyServer server;
    std::shared_ptr<SimInverter> inv1, inv2;
    std::unique_ptr<TProtSel> sel;
    TScheduler* sch = nullptr;
    std::shared_ptr<ScriptedListUi> ui = std::make_shared<ScriptedListUi>();
};

TEST_F(WrkEndToEnd, ListReadsConvertsAndFollowsTheInverters)
{
    inv1->setValue(0x0101, 500, 0);
    inv1->setValue(0x0104, 1450);
    inv2->setValue(0x0108, 120);
    inv2->setValue(0x0109, -25);
    inv2->setChangeOnRead(0x0104, true);

    auto* w = new TFWrkList(0);
    QPointer<TFWrkList> guard(w);
    TWrkListCore& c = w->Core();
    c.Project = &prj;
    c.SetInteraction(ui);
    for (const char* line : {"1,1,257;freq set 0", "1,0,260;speed", "-1,-1,-1;Type 3", "2,0,264;load",
                             "2,-1,265;signed", "2,0,260;changes", "2,0,16383;unknown"})
        c.InsertItem(c.ParseLine(QString::fromUtf8(line)), -1);
    c.Modified = false;
    w->SetScheduler(sch);
    w->show();
    const TWrkListModel& m = c.Model();
    auto shows = [&](int row, const QString& t) { return qeltest::waitUntil([&] { return m.Text(row, 5) == t; }); };
    EXPECT_TRUE(shows(0, text(1, 0x101, 500)));
    EXPECT_TRUE(shows(1, text(1, 0x104, 1450)));
    EXPECT_TRUE(shows(3, text(2, 0x108, 120)));
    EXPECT_TRUE(shows(4, text(2, 0x109, -25)));
    EXPECT_EQ(m.Text(2, 5), QString());
    // Unknown to the configuration, strict simulator: error 2.
    EXPECT_TRUE(shows(6, QStringLiteral("Fehler: 2")));
    // A value that changes on every read is followed.
    ASSERT_TRUE(qeltest::waitUntil([&] { return m.Item(5)->ValueValid; }));
    const int32_t first = m.Item(5)->Value;
    ASSERT_TRUE(qeltest::waitUntil([&] { return m.Item(5)->Value >= first + 2; }));
    EXPECT_EQ(m.Text(5, 5), text(2, 0x104, m.Item(5)->Value));

    // A changed value and a refusal show up.
    inv1->setValue(0x0101, 612, 0);
    EXPECT_TRUE(shows(0, text(1, 0x101, 612)));
    c.OnGetErrorText = [](int code) { return QStringLiteral("error %1").arg(code); };
    inv2->setRefusal(0x0108, SimInverter::kAnyService, 4);
    EXPECT_TRUE(shows(3, QStringLiteral("error 4")));
    EXPECT_FALSE(m.Item(3)->ValueValid);
    screenshot(*w, QStringLiteral("wrk_list.png"));

    // Minimised, the window sends nothing.
    w->setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(qeltest::waitUntil([&] { return sch->GetState(c.SchSlot) == 2; }));
    // The read still outstanding ends.
    ASSERT_TRUE(qeltest::waitUntil([&] { return sch->RunState() != TScheduler::rsAwaiting; }));
    const int before = server.requestCount();
    qeltest::runEventLoopFor(400);
    EXPECT_EQ(server.requestCount(), before);
    w->setWindowState(Qt::WindowNoState);
    ASSERT_TRUE(qeltest::waitUntil([&] { return server.requestCount() > before + 3; }));

    // Column 6 fills the list's width.
    w->resize(900, 400);
    auto* pl = w->findChild<QTableView*>(QStringLiteral("PL"));
    ASSERT_TRUE(pl);
    ASSERT_TRUE(qeltest::waitUntil([&] {
        return pl->horizontalHeader()->sectionSize(6) == WrkRemarkColumnWidth(pl->viewport()->width(), c.ColWidth);
    }));
    EXPECT_GT(pl->horizontalHeader()->sectionSize(6), 300);

    // Unchanged rows: closing asks nothing.
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(ui->messages.empty());
    delete guard.data();
}

TEST_F(WrkEndToEnd, EditorWritesAndTheListFollows)
{
    inv1->setValue(0x0101, 500, 0);
    auto* w = new TFWrkList(1);
    TWrkListCore& c = w->Core();
    c.Project = &prj;
    c.SetInteraction(ui);
    c.InsertItem(c.ParseLine(QStringLiteral("1,1,257;")), -1);
    c.InsertItem(c.ParseLine(QStringLiteral("1,1,258;")), -1);
    w->SetScheduler(sch);
    w->show();
    ASSERT_TRUE(qeltest::waitUntil([&] { return c.Model().Text(0, 5) == text(1, 0x101, 500); }));

    TfrmValEdit ed;
    ed.Core().SetInteraction(ui);
    ASSERT_TRUE(ed.Connect(sch, &prj));
    auto p = c.Model().Item(0)->Para;
    ed.EditValue(1, 1, p, QStringLiteral("1: Maximum frequency"), 500, nullptr);
    ASSERT_TRUE(ed.isVisible());
    auto* edit = ed.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    auto* ok = ed.findChild<QPushButton*>(QStringLiteral("OkButton"));
    ASSERT_TRUE(edit && ok);
    EXPECT_EQ(edit->text(), text(1, 0x101, 500));
    screenshot(ed, QStringLiteral("val_edit.png"));
    const QString typed = text(1, 0x101, 725);
    edit->setText(typed);
    emit edit->textEdited(typed);
    EXPECT_EQ(ed.Core().Value, 725);
    ok->click();
    ASSERT_TRUE(qeltest::waitUntil([&] { return inv1->value(0x0101, 0) == 725; }));
    ASSERT_TRUE(qeltest::waitUntil([&] { return !ed.isVisible(); }));
    EXPECT_TRUE(qeltest::waitUntil([&] { return c.Model().Text(0, 5) == text(1, 0x101, 725); }));
    EXPECT_TRUE(ui->messages.empty());

    // An error answer shows its text and the start value again.
    inv1->setRefusal(0x0102, SimInverter::kAnyService, 3);
    ed.EditValue(1, 1, c.Model().Item(1)->Para, QStringLiteral("2"), 40, nullptr);
    const QString t2 = text(1, 0x102, 90);
    edit->setText(t2);
    emit edit->textEdited(t2);
    ok->click();
    ASSERT_TRUE(qeltest::waitUntil([&] { return !ui->messages.empty(); }));
    EXPECT_EQ(ui->messages[0].Msg, QStringList{QStringLiteral("Error code :3")});
    EXPECT_TRUE(ed.isVisible());
    EXPECT_EQ(ed.Core().Value, 40);
    EXPECT_EQ(edit->text(), text(1, 0x102, 40));
    ed.hide();
    w->Core().Modified = false;
    delete w;
}

} // namespace
