// The operator-parameter window against a simulated inverter whose operator
// module has 30 parameters (a gap at 0x82, three with further sets): real
// selector, DIN 66019 II driver, serial port and scheduler over a
// pseudo-terminal, the list saved and read back by the download-list reader.

#include "lists/dwn_load_engine.h"
#include "lists/op_para.h"
#include "lists/val_edit.h"
#include "dialogs/shared_objects.h"
#include "dwn_fixture.h"
#include "fake_main_form.h"
#include "op_para_fixture.h"

#include "sim/sim_din_pty_server.h"
#include "sim/sim_inverter.h"
#include "wait_until.h"

#include <QDir>
#include <QTableView>
#include <QApplication>
#include <QKeyEvent>

using namespace listtest;
using namespace qelsim;

namespace {

// Type 21 with the 30-parameter operator module of sim/data.
SimModel ModuleModel()
{
    SimModel m21, ops;
    QString err;
    EXPECT_TRUE(SimModel::fromJsonFile(qeltest::sourceDir() + QStringLiteral("/data/configs/type0021.json"), m21, &err));
    EXPECT_TRUE(SimModel::fromJsonFile(qeltest::sourceDir() + QStringLiteral("/sim/data/op_module30.json"), ops, &err))
        << err.toStdString();
    for (auto it = m21.params.begin(); it != m21.params.end();)
        it = it->second.operatorParam ? m21.params.erase(it) : std::next(it);
    for (const auto& [adr, p] : ops.params)
        m21.params[adr] = p;
    return m21;
}

void keyClick(QWidget* w, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

struct OpParaWin : dwntest::DwnTest {
    void SetUp() override
    {
        DwnTest::SetUp();
        addInv(1, 21, QStringLiteral("Drive"));
        inv = std::make_shared<SimInverter>(1, ModuleModel());
        server.addInverter(inv);
        QString err;
        ASSERT_TRUE(server.start({}, &err)) << err.toStdString();
        qputenv("QEL_COM1", server.path().toLocal8Bit());
        sel = std::make_unique<TProtSel>();
        sel->Ansi()->SetComport(Com1);
        sel->Ansi()->SetBaudrate(B_38400);
        sel->Ansi()->SetTimeOut(500);
        sel->SetProtocol(1, prANSI);
        sch = new TScheduler;
        ASSERT_EQ(sch->Attach(sel.get()), 0);
        sch->SetActive(true);
        valEdit = std::make_unique<TfrmValEdit>();
        valEdit->Connect(sch, &prj);
        env = TOpParaEnv();
        env.Project = &prj;
        env.Texts = &texts;
        env.Scheduler = sch;
        env.ValEdit = valEdit.get();
        mainForm.Bar = QRect(0, 0, 800, 80);
        env.MainForm = &mainForm;
        env.MakeInteraction = [this](QWidget*) { return opUi; };
        env.Windows = &windows;
        env.Message = [this](const QStringList& Lines, const QStringList& Buttons, const QString&, int,
                             const QString&, const QString&, const QString&, int, int) {
            tableMessages.push_back(Lines);
            tableButtons = Buttons;
            return 0;
        };
        mainForm.OnSetPrgOpFuncs = [this](PTOperatingFuncs f) { handedFuncs.push_back(f); };
        mainForm.OnSetContextFuncs = [this](TContextList* l) { handedContext.push_back(l); };
    }
    void TearDown() override
    {
        for (int i = 0; i < kOpParaSlots; ++i)
            delete windows[i].data();
        valEdit.reset();
        sch->SetActive(false);
        sch->Release();
        sel.reset();
        server.stop();
        qunsetenv("QEL_COM1");
    }
    static bool allRead(TOpParaCore& c, int rows)
    {
        if (c.ReqState != TOpParaCore::rqCyclic || c.RowCount() != rows)
            return false;
        for (const TOpRow& r : c.Rows())
            if (!r.ValueRead)
                return false;
        return true;
    }
    static void screenshot(QWidget& w, const QString& name)
    {
        const QString dir = qeltest::binaryDir() + QStringLiteral("/screenshots");
        QDir().mkpath(dir);
        EXPECT_TRUE(w.grab().toImage().save(dir + u'/' + name));
    }

    SimDinPtyServer server;
    std::shared_ptr<SimInverter> inv;
    std::unique_ptr<TProtSel> sel;
    TScheduler* sch = nullptr;
    std::unique_ptr<TfrmValEdit> valEdit;
    // What the windows the test opens are created with.
    TOpParaWindows windows;
    TOpParaEnv env;
    std::shared_ptr<ScriptedOpUi> opUi = std::make_shared<ScriptedOpUi>();
    qeltest::TFakeMainForm mainForm;
    std::vector<PTOperatingFuncs> handedFuncs;
    std::vector<TContextList*> handedContext;
    std::vector<QStringList> tableMessages;
    QStringList tableButtons;
};

TEST_F(OpParaWin, ReadsTheModuleRebuildsOnANewIdAndSavesAList)
{
    inv->setValue(0x89, 777, 2);
    Top_para* w = CreateOpPara(env, 1, 0);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->objectName(), QStringLiteral("op_para"));
    EXPECT_EQ(w->pos(), QPoint(25, 105));
    TOpParaCore& c = w->Core();
    // 30 parameters, 0x83 with one further set, 0x89 with two, 0x93 with three.
    ASSERT_TRUE(qeltest::waitUntil([&] { return allRead(c, 36); }, 20000));
    EXPECT_EQ(c.Found, 30);
    QAbstractItemModel* m = w->List()->model();
    ASSERT_EQ(m->rowCount(), 36);
    auto cell = [&](int r, int col) { return m->data(m->index(r, col)).toString(); };
    EXPECT_EQ(cell(0, 0), QStringLiteral("0080h"));
    EXPECT_EQ(cell(2, 0), QStringLiteral("0083h"));  // 0x82 is missing
    int row89 = -1;
    for (int r = 0; r < 36 && row89 < 0; ++r)
        if (cell(r, 0) == QStringLiteral("0089h"))
            row89 = r;
    ASSERT_GE(row89, 0);
    EXPECT_EQ(cell(row89 + 2, 0), QStringLiteral("0089h"));
    EXPECT_EQ(cell(row89 + 2, 1), QStringLiteral("2"));
    EXPECT_EQ(cell(row89, 2), QStringLiteral("Jog speed"));
    const Top_pararec& r89 = *c.Rows()[row89 + 2].Rec;
    EXPECT_EQ(r89.Div, 10);
    EXPECT_EQ(cell(row89 + 2, 3), r89.ValueToText(777, 0, u'+', false));
    EXPECT_EQ(cell(35, 0), QStringLiteral("009Eh"));
    EXPECT_EQ(c.LastId, 0x00010203);
    EXPECT_TRUE(c.SaveSlots);
    w->resize(420, 520);
    screenshot(*w, QStringLiteral("op_para.png"));

    // Minimised it is not polled; shown again it is, as before.
    w->setWindowState(Qt::WindowMinimized);
    EXPECT_EQ(sch->GetState(c.SchedSlot), 2);
    w->setWindowState(Qt::WindowNoState);
    EXPECT_EQ(sch->GetState(c.SchedSlot), 3);

    // A second CreateOpPara for the inverter restarts this window.
    EXPECT_EQ(CreateOpPara(env, 1, 0), w);
    ASSERT_TRUE(qeltest::waitUntil([&] { return allRead(c, 36); }, 20000));

    // A new module id in the simulator: the whole list is described again,
    // down to its last parameter.
    auto describedLast = [&] {
        int n = 0;
        for (const SimRequest& q : inv->handledRequests())
            n += q.service == 6 && q.data.u16(0) == 0x9E;
        return n;
    };
    const int before = describedLast();
    inv->setValue(0x80, 0x00020300);
    ASSERT_TRUE(qeltest::waitUntil([&] { return c.LastId == 0x00020300 && allRead(c, 36); }, 20000));
    EXPECT_EQ(describedLast(), before + 1);

    // Saved, a row never read written read-only, read back line for line.
    inv->setRefusal(0x85, SimInverter::kAnyService, 6);
    ASSERT_TRUE(qeltest::waitUntil([&] { return !c.Rows()[5].ValueRead; }, 20000));
    const QString file = path(QStringLiteral("module.op5"));
    ASSERT_EQ(w->SaveData(file), 0);
    auto backEngine = makeEngine();
    TDwnLoadEngine& back = *backEngine;
    back.InvAdr = 1;
    back.LoadData(file);
    EXPECT_TRUE(back.OpList);
    EXPECT_EQ(back.CfgId, 0x00020300);
    ASSERT_EQ(back.Lines.size(), 36u);
    for (int i = 0; i < 36; ++i) {
        SCOPED_TRACE(i);
        const TOpRow& r = c.Rows()[i];
        const TDwnEntry& e = *back.Lines[i];
        EXPECT_EQ(e.Address, r.Rec->Addr);
        EXPECT_EQ(e.Value, r.Rec->Value);
        EXPECT_EQ(e.SetMask, r.Rec->SetMask);
        ASSERT_TRUE(e.Para);
        EXPECT_EQ(e.Para->GetName(0), r.Name);
        EXPECT_EQ(e.Para->Div, r.Rec->Div);
        EXPECT_EQ(e.Para->Attr, r.Rec->Attr);
        const uint8_t mode = !r.ValueRead ? DwnMode::RO
            : (r.Rec->Flags & 0x1000)     ? DwnMode::WA
            : (r.Rec->Flags & 0x8)        ? DwnMode::RW
                                          : DwnMode::RO;
        EXPECT_EQ(e.Mode, mode);
    }
    EXPECT_EQ(back.Lines[5]->Mode, DwnMode::RO);  // 0x85 is write-always but was not read
    EXPECT_EQ(back.Lines[6]->Mode, DwnMode::WA);
}

TEST_F(OpParaWin, EditorFollowsTheSelectedRowAndTenWindowsAreTheLimit)
{
    Top_para* w = CreateOpPara(env, 1, 0);
    ASSERT_NE(w, nullptr);
    TOpParaCore& c = w->Core();
    ASSERT_TRUE(qeltest::waitUntil([&] { return allRead(c, 36); }, 20000));
    QTableView* list = w->List();
    list->selectRow(2);
    keyClick(list, Qt::Key_Return);
    ASSERT_TRUE(valEdit->isVisible());
    EXPECT_EQ(valEdit->Core().Para.get(), c.Rows()[2].Rec.get());
    EXPECT_EQ(valEdit->Core().Value, 50);
    EXPECT_FALSE(valEdit->Core().OnValue);
    list->selectRow(3);
    keyClick(list, Qt::Key_Down);  // the release re-points the editor
    EXPECT_EQ(valEdit->Core().Para.get(), c.Rows()[4].Rec.get());
    EXPECT_EQ(valEdit->Core().SetSel, 1);
    EXPECT_TRUE(valEdit->Core().Label.startsWith(c.Rows()[4].Name + QStringLiteral("; ")));

    // A click hands the main window Save and Save As (DoSaveAs) and the
    // two context items.
    handedFuncs.clear();
    keyClick(list, Qt::Key_Up);
    ASSERT_FALSE(handedFuncs.empty());
    ASSERT_EQ(handedFuncs.back(), &w->OpFuncs);
    for (int s = 0; s < TOperatingFuncs::SlotCount; ++s)
        EXPECT_EQ(w->OpFuncs.Filled(s), s == osSave || s == osSaveAs) << s;
    ASSERT_EQ(handedContext.back(), &w->ContextItems);
    ASSERT_EQ(w->ContextItems.Count(), 2);
    EXPECT_EQ(w->ContextItems.Item(0)->Caption(), txt(10, 1));
    EXPECT_EQ(w->ContextItems.Item(1)->Caption(), txt(0, 0));
    EXPECT_EQ(w->ContextItems.Item(1)->Hint(), txt(0, 0));
    EXPECT_FALSE(w->ContextItems.Item(1)->Glyph.isNull());
    opUi->savePath = path(QStringLiteral("slot"));
    w->OpFuncs.Slots[osSaveAs]();
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("slot.op5"))));
    // The inverter choice rebuilds the list; the rebuild clears the slots.
    opUi->chosenInv = 1;
    w->ContextItems.Item(1)->OnClick(w);
    EXPECT_EQ(c.ReqState, TOpParaCore::rqReset);
    ASSERT_TRUE(qeltest::waitUntil([&] { return c.ReqState == TOpParaCore::rqName; }));
    EXPECT_FALSE(c.SaveSlots);
    ASSERT_TRUE(qeltest::waitUntil([&] { return allRead(c, 36); }, 20000));

    // Closing hands over nothing, detaches the editor and leaves the scheduler.
    list->selectRow(2);
    keyClick(list, Qt::Key_Return);
    ASSERT_EQ(valEdit->Core().Para.get(), c.Rows()[2].Rec.get());
    w->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(handedFuncs.back(), nullptr);
    EXPECT_EQ(handedContext.back(), nullptr);
    EXPECT_EQ(valEdit->Core().Para, nullptr);
    ASSERT_TRUE(qeltest::waitUntil([&] { return windows[0].isNull(); }));

    // Ten windows for ten addresses; the eleventh is refused with (2,13).
    std::vector<QPointer<Top_para>> ws;
    for (int a = 0; a < 10; ++a)
        ws.push_back(CreateOpPara(env, a == 0 ? 1 : 100 + a, 0));
    for (auto& p : ws)
        ASSERT_TRUE(p);
    EXPECT_EQ(CreateOpPara(env, 50, 0), nullptr);
    ASSERT_EQ(tableMessages.size(), 1u);
    EXPECT_EQ(tableButtons.size(), 1);
    // The addresses without an entry show inverter 1 too. With the first
    // slot free again, inverter 1's window behind it is found.
    EXPECT_EQ(ws[1]->Core().InvAdr, 1);
    ws[0]->close();
    QCoreApplication::processEvents();
    ASSERT_TRUE(qeltest::waitUntil([&] { return windows[0].isNull(); }));
    EXPECT_EQ(CreateOpPara(env, 1, 0), ws[1].data());
    EXPECT_TRUE(windows[0].isNull());
}

TEST(OpParaSlots, ExistingWindowFoundBehindAFreeSlot)
{
    struct Case {
        std::array<int, kOpParaSlots> taken;
        int adr, slot;
        bool existing;
    };
    const std::vector<Case> cases{
        {{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}, 5, 0, false},
        {{-1, 5, -1, -1, -1, -1, -1, -1, -1, -1}, 5, 1, true},
        {{1, 2, -1, 4, -1, -1, -1, -1, -1, 9}, 9, 9, true},
        {{1, 2, -1, 4, -1, -1, -1, -1, -1, 9}, 7, 2, false},
        {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 10, -1, false},
        {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 0, 0, true},
    };
    for (const Case& c : cases) {
        bool existing = !c.existing;
        EXPECT_EQ(OpParaSlotFor(c.taken, c.adr, &existing), c.slot);
        EXPECT_EQ(existing, c.existing);
    }
    EXPECT_EQ(OpParaPlace(QRect(0, 10, 800, 60), 0), QPoint(25, 95));
    EXPECT_EQ(OpParaPlace(QRect(0, 10, 800, 60), 9), QPoint(250, 320));
}

} // namespace
