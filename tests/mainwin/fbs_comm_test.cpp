// The fieldbus test window: its logic headless (number parsing, request
// modes, requests and answers, captions) and the window offscreen by
// object name, end to end through the scheduler and the protocol selector
// with simulated CAN, Interbus and Profibus DP inverters.

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "config/lang_texts.h"
#include "mainwin/fbs_comm.h"
#include "project/vortalin_prj.h"
#include "sim/cards/sim_can_card.h"
#include "sim/cards/sim_ibs_card.h"
#include "sim/cards/sim_pbs_card.h"
#include "tests/comm/card_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <map>

namespace {

class FakeView : public IFbsView {
public:
    int Funktion() const override { return func; }
    void SetFunktion(int Item) override { func = Item; }
    QString Field(const char* Name) const override
    {
        auto it = fields.find(Name);
        return it == fields.end() ? QString() : it->second;
    }
    void SetField(const char* Name, const QString& Text) override { fields[Name] = Text; }
    int PdType() const override { return pdType; }
    bool UpdateChecked() const override { return update; }
    void SetCaption(const QString& Text) override { caption = Text; }

    int func = 3;
    std::map<std::string, QString> fields{{"Index", "6000h"}, {"Subindex", "0"}, {"Laenge", "1"},
                                          {"Daten", "0,0,0"}};
    int pdType = -1;
    bool update = false;
    QString caption;
};

class FakeUi : public IFbsInteraction {
public:
    void Message(const QString& Text) override { messages << Text; }
    int SelectInv(const QString& Prompt, int16_t& InvAdr) override
    {
        prompts << Prompt;
        if (choice < 0)
            return 2;
        InvAdr = int16_t(choice);
        return 1;
    }
    QStringList messages, prompts;
    int choice = -1;
};

TEST(FbsCommLogic, ParseNumber)
{
    const struct {
        const char* text;
        int width;
        int value;
    } cases[] = {
        {"6000h", 2, 0x6000},  {"24576", 2, 0x6000}, {"12xyH", 2, 0},     {"1FFh", 1, 0xFF},
        {" 2ah ", 1, 0x2A},    {"300", 1, 0x2C},     {"$1F", 2, 0x1F},    {"abc", 4, 0},
        {"", 2, 0},            {"12345678h", 4, 0x12345678},              {"FFFFFFFFh", 4, -1},
        {"1FFFFh", 2, 0xFFFF}, {"-1", 1, 0xFF},      {"7H9", 2, 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TFbsCommLogic::ParseNumber(QString::fromLatin1(c.text), c.width), c.value) << c.text;
}

class FbsLogic : public ::testing::Test {
protected:
    FakeView view;
    FakeUi ui;
    TVortalinPrj prj;
    TVortalinText texts;
    TFbsCommLogic logic{view, ui, &prj, &texts, nullptr};

    TReqRec Next()
    {
        TReqRec r;
        r.Valid = 7;
        logic.GetRequest(r);
        return r;
    }
    static TRecTel Answer(int service, bool read, int status, std::initializer_list<std::pair<int, int>> bytes = {})
    {
        TRecTel t;
        t.Service = service;
        t.IsRead = read ? 1 : 0;
        t.Status = status;
        for (auto [pos, v] : bytes)
            t.Data.SetByte(pos, uint8_t(v));
        return t;
    }
};

TEST_F(FbsLogic, FieldbusReadAndWriteRequests)
{
    logic.SetInvAdr(7);
    EXPECT_EQ(Next().Valid, 0);
    EXPECT_EQ(logic.ReqMode(), 0);

    view.func = 0;
    view.fields["Index"] = "24576";
    view.fields["Subindex"] = "1FFh";
    view.fields["Laenge"] = "2";
    logic.ReadClicked();
    TReqRec r = Next();
    EXPECT_EQ(r.Valid, 1);
    EXPECT_EQ(r.InvAdr, 7);
    EXPECT_EQ(r.Service, 13);
    EXPECT_EQ(r.IsRead, 1);
    EXPECT_EQ(r.Data.GetByte(0), 0);
    EXPECT_EQ(r.Data.GetU16(2), 0x6000);
    EXPECT_EQ(r.Data.GetByte(4), 0xFF);
    EXPECT_EQ(r.Data.GetByte(5), 2);
    EXPECT_EQ(logic.ReqMode(), TFbsCommLogic::rmReadSent);

    // The answer fills the fields and ends the exchange.
    logic.HandleResponse(Answer(13, true, 0, {{2, 0x01}, {3, 0x60}, {4, 3}, {5, 2}, {6, 0x0A}, {7, 0xFF}}), 0);
    EXPECT_EQ(view.fields["Laenge"], "2");
    EXPECT_EQ(view.fields["Index"], "6001h");
    EXPECT_EQ(view.fields["Subindex"], "3");
    EXPECT_EQ(view.fields["Daten"], "0Ah,FFh,");
    EXPECT_EQ(logic.ReqMode(), 0);

    view.fields["Daten"] = "1,2Ah,300";
    logic.WriteClicked();
    r = Next();
    EXPECT_EQ(r.IsRead, 0);
    EXPECT_EQ(r.Data.GetByte(6), 1);
    EXPECT_EQ(r.Data.GetByte(7), 0x2A);
    EXPECT_EQ(r.Data.GetByte(8), 0x2C);
    EXPECT_EQ(r.Data.GetByte(9), 0);
    EXPECT_EQ(logic.ReqMode(), TFbsCommLogic::rmWriteSent);
    logic.HandleResponse(Answer(13, false, 0), 0);
    EXPECT_EQ(view.fields["Daten"], "1,2Ah,300");
    EXPECT_TRUE(ui.messages.isEmpty());

    // An error answer is reported; a refused request at the next poll.
    logic.ReadClicked();
    Next();
    logic.HandleResponse(Answer(13, true, 7), 0);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0], texts.GetErrorText(7));
    logic.WriteClicked();
    Next();
    r = Next();
    EXPECT_EQ(r.Valid, 0);
    EXPECT_EQ(logic.ReqMode(), 0);
    EXPECT_EQ(ui.messages.last(), "Unsupported service 13");
}

TEST_F(FbsLogic, IdentifyAnswerIsText)
{
    for (int func : {1, 0}) {
        view.func = func;
        logic.ReadClicked();
        Next();
        logic.HandleResponse(
            Answer(13, true, 0, {{0, func}, {5, 5}, {6, 'A'}, {7, 'B'}, {8, 'C'}, {9, 'D'}, {10, 'E'}, {11, 'F'}}),
            0);
        EXPECT_EQ(view.fields["Daten"], func == 1 ? "ABCDE" : "41h,42h,43h,44h,45h,");
    }
}

TEST_F(FbsLogic, ProcessDataModes)
{
    view.update = true;
    view.pdType = 2; // 48 : 2*32Bit R+W
    logic.PageChanged(1);
    EXPECT_EQ(logic.ReqMode(), TFbsCommLogic::rmPdContinuous);
    TReqRec r = Next();
    EXPECT_EQ(r.Service, 16);
    EXPECT_EQ(r.IsRead, 1);
    TRecTel a = Answer(16, true, 0);
    a.Data.SetU32(0, 0xDEADBEEF);
    a.Data.SetU32(4, 5);
    logic.HandleResponse(a, 0);
    EXPECT_EQ(view.fields["PDin1"], "DEADBEEFh");
    EXPECT_EQ(view.fields["PDin2"], "00000005h");
    EXPECT_EQ(view.fields["PDin3"], "-");
    EXPECT_EQ(logic.ReqMode(), TFbsCommLogic::rmPdContinuous);

    // OK: the next answer ends the continuous read, the write goes out.
    view.fields["PdOut1"] = "11223344h";
    view.fields["PdOut2"] = "7";
    logic.OkClicked();
    logic.HandleResponse(a, 0);
    EXPECT_EQ(logic.ReqMode(), 0);
    r = Next();
    EXPECT_EQ(r.Service, 48);
    EXPECT_EQ(r.IsRead, 0);
    EXPECT_EQ(r.Data.GetU32(0), 0x11223344u);
    EXPECT_EQ(r.Data.GetU32(4), 7u);
    EXPECT_FALSE(logic.WriteWanted());
    EXPECT_EQ(logic.ReqMode(), TFbsCommLogic::rmPdWriteSent);
    TRecTel w = Answer(48, false, 0);
    w.Data.SetU32(0, 0x11223344);
    logic.HandleResponse(w, 0);
    EXPECT_EQ(view.fields["PDin1"], "11223344h");
    EXPECT_EQ(logic.ReqMode(), TFbsCommLogic::rmPdContinuous);

    // 16-bit values; an error answer; no type chosen counts as 17.
    view.pdType = -1;
    view.update = false;
    logic.UpdateClicked(false);
    EXPECT_EQ(logic.ReqMode(), 0);
    for (int i = 0; i < 4; ++i)
        view.fields["PdOut" + std::to_string(i + 1)] = QString::number(0x100 + i);
    logic.OkClicked();
    r = Next();
    EXPECT_EQ(r.Service, 17);
    EXPECT_EQ(r.Data.GetU16(6), 0x103);
    logic.HandleResponse(Answer(17, false, 3), 0);
    EXPECT_EQ(view.fields["PDin1"], texts.GetErrorText(3));
    EXPECT_EQ(view.fields["PDin4"], "?");
    EXPECT_EQ(logic.ReqMode(), 0);
    // A refused write is reported at the next poll.
    logic.OkClicked();
    Next();
    EXPECT_EQ(Next().Valid, 0);
    EXPECT_EQ(ui.messages.last(), "Unsupported service 13");
    // The first page stops the reading.
    view.update = true;
    logic.PageChanged(1);
    logic.PageChanged(0);
    EXPECT_EQ(logic.ReqMode(), 0);
}

TEST_F(FbsLogic, CaptionAndInverterChoice)
{
    EXPECT_EQ(logic.GetCaption(), "Feldbus - " + texts.GetText(0, 0) + ":240");
    TScheduler sch;
    TFbsCommLogic shown{view, ui, &prj, &texts, &sch};
    shown.Shown(nullptr);
    EXPECT_EQ(shown.InvAdr(), 240);
    EXPECT_EQ(view.func, 0);
    EXPECT_EQ(view.caption, "Feldbus - " + texts.GetText(0, 0) + ":240");
    EXPECT_EQ(sch.GetState(shown.Slot()), 3);

    prj.BinPath = qeltest::binaryDir() + QStringLiteral("/data/configs/");
    ASSERT_EQ(prj.AddInv(9, 21, QStringLiteral("Pumpe"), prCAN, true), 0);
    ASSERT_EQ(prj.AddInv(4, 21, QStringLiteral("  "), prCAN, true), 0);
    ui.choice = 9;
    shown.InverterClicked();
    EXPECT_EQ(ui.prompts.last(), texts.GetText(5, 0) + "; 240");
    EXPECT_EQ(view.caption, "Feldbus - Pumpe");
    ui.choice = 4;
    shown.InverterClicked();
    EXPECT_EQ(view.caption, "Feldbus - " + texts.GetText(0, 0) + ":4"); // a blank name
    ui.choice = -1;
    shown.InverterClicked();
    EXPECT_EQ(shown.InvAdr(), 4);
    // Shown again: the lowest address of the project.
    shown.Closed();
    EXPECT_FALSE(shown.Registered());
    shown.Shown(nullptr);
    EXPECT_EQ(shown.InvAdr(), 4);
    const int slot = shown.Slot();
    EXPECT_GE(slot, 0);
}

// ------------------------------------------------------------ the window

class FbsWindow : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        can = cardtest::CardControl<qelsim::SimCanCard>("simcan", "qelsim_can_card");
        ibs = cardtest::CardControl<qelsim::SimIbsBoard>("simibs", "qelsim_ibs_board");
        pbs = cardtest::CardControl<qelsim::SimPbsCard>("simpbs", "qelsim_pbs_card");
        ASSERT_TRUE(can && ibs && pbs) << "simulated cards not built";
        can->reset();
        ibs->reset();
        pbs->reset();
        time = std::make_unique<cardtest::CardVirtualTime<qelsim::SimCanCard, qelsim::SimIbsBoard, qelsim::SimPbsCard>>(
            can, ibs, pbs);
        scope = std::make_unique<cardtest::LibraryScope>(
            path("registry.reg"), std::map<QString, QString>{{"nican.DLL", cardtest::CardLibrary("simcan")},
                                                             {"IBDDIWNT.DLL", cardtest::CardLibrary("simibs")},
                                                             {"PAPI.DLL", cardtest::CardLibrary("simpbs")}});
        can->addInverter(2);
        ibs->addInverter(3);
        pbs->addInverter(4);
        can->setVariable(2, 0x6000, 0, 0x12, 1);
        ibs->setVariable(3, 0x6000, 0, QByteArray::fromHex("12"));
        pbs->setVariable(4, 0x6000, 0, QByteArray::fromHex("12"));
        sel = std::make_unique<TProtSel>();
        sel->SetProtocol(2, prCAN);
        sel->SetProtocol(3, prIBS);
        sel->SetProtocol(4, prPBS);
        sch = new TScheduler;
        sch->Attach(sel.get());
        sch->SetActive(true);
        win = std::make_unique<TFbsComm>(ui, &prj, &texts, sch);
    }
    void TearDown() override
    {
        win.reset();
        if (sch)
            sch->Release();
        sel.reset();
        for (auto reset : {std::function<void()>([&] { can->reset(); }), std::function<void()>([&] { ibs->reset(); }),
                           std::function<void()>([&] { pbs->reset(); })})
            reset();
        scope.reset();
        time.reset();
    }

    template <class T> T* Find(const char* name) const
    {
        T* w = win->findChild<T*>(QLatin1String(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    void Click(const char* name) { Find<QPushButton>(name)->click(); }
    QString Text(const char* name) const { return Find<QLineEdit>(name)->text(); }
    void SetText(const char* name, const QString& t) { Find<QLineEdit>(name)->setText(t); }
    // Chooses the inverter through "Umrichter".
    void Choose(int adr)
    {
        ui->choice = adr;
        Click("Button1");
        EXPECT_EQ(win->Logic().InvAdr(), adr);
    }
    bool Idle() const { return win->Logic().ReqMode() == 0; }

    qelsim::SimCanCard* can = nullptr;
    qelsim::SimIbsBoard* ibs = nullptr;
    qelsim::SimPbsCard* pbs = nullptr;
    std::unique_ptr<cardtest::LibraryScope> scope;
    std::unique_ptr<cardtest::CardVirtualTime<qelsim::SimCanCard, qelsim::SimIbsBoard, qelsim::SimPbsCard>> time;
    std::unique_ptr<TProtSel> sel;
    TScheduler* sch = nullptr;
    TVortalinPrj prj;
    TVortalinText texts;
    std::shared_ptr<FakeUi> ui = std::make_shared<FakeUi>();
    std::unique_ptr<TFbsComm> win;
};

TEST_F(FbsWindow, LayoutAndShowing)
{
    EXPECT_EQ(win->windowTitle(), "FeldBus-Kommunikation");
    auto* pages = Find<QTabWidget>("PageControl1");
    ASSERT_EQ(pages->count(), 2);
    EXPECT_EQ(pages->tabText(0), "Kommunikation");
    EXPECT_EQ(pages->tabText(1), "Prozessdaten");
    auto* func = Find<QComboBox>("cbFunktion");
    ASSERT_EQ(func->count(), 5);
    EXPECT_EQ(func->itemText(4), "CanBusInfo");
    EXPECT_EQ(Text("Index"), "6000h");
    EXPECT_EQ(Text("Daten"), "0,0,0");
    EXPECT_EQ(Find<QPushButton>("Readbtn")->text(), "Lesen");
    EXPECT_EQ(Find<QPushButton>("WriteBtn")->text(), "Schreiben");
    EXPECT_EQ(Find<QPushButton>("Button1")->text(), "Umrichter");
    EXPECT_EQ(Text("PDin3"), "?");
    EXPECT_TRUE(Find<QLineEdit>("PDin1")->isReadOnly());
    EXPECT_EQ(Text("PdOut4"), "0000h");
    EXPECT_EQ(Find<QComboBox>("cbPdType")->currentIndex(), -1);
    EXPECT_EQ(Find<QComboBox>("cbPdType")->itemText(2), "48 : 2*32Bit R+W");
    EXPECT_EQ(Find<QCheckBox>("cbUpdatePdin")->text(), "Update");

    win->ShowWindow();
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(win->windowTitle(), "Feldbus - " + texts.GetText(0, 0) + ":240");
    const int slot = win->Logic().Slot();
    ASSERT_GE(slot, 0);
    win->ShowWindow(); // only raised
    EXPECT_EQ(win->Logic().Slot(), slot);
    int used = 0;
    for (int i = 0; i < 64; ++i)
        used += sch->GetItem(i) ? 1 : 0;
    EXPECT_EQ(used, 1);
    win->close();
    EXPECT_FALSE(win->isVisible());
    EXPECT_FALSE(win->Logic().Registered());

    win->ShowWindow();
    Choose(4);
    // Both pages as pictures (QEL_FBS_SCREENSHOT names the first).
    const QByteArray out = qgetenv("QEL_FBS_SCREENSHOT");
    for (int page : {0, 1}) {
        pages->setCurrentIndex(page);
        const QImage shot = win->grab().toImage();
        EXPECT_FALSE(shot.isNull());
        if (!out.isEmpty())
            shot.save(QString::fromLocal8Bit(out) + (page ? QStringLiteral(".2.png") : QString()));
    }
}

TEST_F(FbsWindow, ReadAndWriteVariablesOverEveryCard)
{
    win->ShowWindow();
    for (int adr : {2, 3, 4}) {
        Choose(adr);
        SetText("Index", "6000h");
        SetText("Subindex", "0");
        SetText("Laenge", "1");
        SetText("Daten", "");
        Click("Readbtn");
        ASSERT_TRUE(qeltest::waitUntil([&] { return Idle(); }, 10000)) << adr;
        EXPECT_EQ(Text("Daten"), "12h,") << adr;
        EXPECT_EQ(Text("Laenge"), "1") << adr;
        SetText("Daten", "2Ah");
        Click("WriteBtn");
        ASSERT_TRUE(qeltest::waitUntil([&] { return Idle(); }, 10000)) << adr;
        EXPECT_TRUE(ui->messages.isEmpty()) << adr << ui->messages.join('|').toStdString();
    }
    EXPECT_EQ(can->variable(2, 0x6000, 0), 0x2Au);
    EXPECT_EQ(ibs->variable(3, 0x6000, 0), QByteArray::fromHex("2A"));
    EXPECT_EQ(pbs->variable(4, 0x6000, 0), QByteArray::fromHex("2A"));

    // "Identify" is not carried over Profibus DP.
    Find<QComboBox>("cbFunktion")->setCurrentIndex(1);
    Click("Readbtn");
    ASSERT_TRUE(qeltest::waitUntil([&] { return !ui->messages.isEmpty(); }, 10000));
    EXPECT_EQ(ui->messages.last(), "Unsupported service 13");
    EXPECT_TRUE(Idle());
}

TEST_F(FbsWindow, ContinuousProcessDataWithOk)
{
    win->ShowWindow();
    Choose(4);
    auto inv = pbs->inverter(4);
    auto* pages = Find<QTabWidget>("PageControl1");
    pages->setCurrentIndex(1);
    Find<QComboBox>("cbPdType")->setCurrentIndex(2);
    Find<QCheckBox>("cbUpdatePdin")->click();
    ASSERT_EQ(win->Logic().ReqMode(), TFbsCommLogic::rmPdContinuous);
    ASSERT_TRUE(qeltest::waitUntil([&] { return Text("PDin1") == "00000000h"; }, 10000)) << Text("PDin1").toStdString();
    EXPECT_EQ(Text("PDin3"), "-");
    SetText("PdOut1", "CAFE0001h");
    SetText("PdOut2", "42");
    Click("Button2");
    ASSERT_TRUE(qeltest::waitUntil([&] { return Text("PDin1") == "CAFE0001h"; }, 10000));
    EXPECT_EQ(Text("PDin2"), "0000002Ah");
    // Reading goes on: a change of the inverter's inputs shows.
    inv->setProcessLoopback(false);
    inv->setProcessIn({0, 0, 0, 0, 0x34, 0x12, 0x34, 0x12});
    ASSERT_TRUE(qeltest::waitUntil([&] { return Text("PDin2") == "12341234h"; }, 10000)) << Text("PDin2").toStdString();
    EXPECT_EQ(win->Logic().ReqMode(), TFbsCommLogic::rmPdContinuous);
    pages->setCurrentIndex(0);
    EXPECT_TRUE(Idle());
}

} // namespace
