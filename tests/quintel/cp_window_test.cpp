// The main program's Quintel-mode window offscreen, by object name, against
// simulated inverters of the three layouts: the table, caption, editing
// through the real value editor, the restart messages, the failures while
// reading the definitions, copy, print, the operation slots and context
// commands, the inverter choice and the inverter-list refresh.

#include "cp_window_fixture.h"

#include "dialogs/glyph_button.h"
#include "pdf_text.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTableView>
#include <QKeyEvent>

using namespace cpwin;

namespace {

TEST_F(CpWindowTest, TablesOfTheThreeLayoutsAreReadAndFollowTheInverter)
{
    const struct {
        int adr;
        const char* caption;
        int target;  // an entry's target parameter
    } cases[] = {
        {1, "Quintel mode - Drive A", 0x101},
        {2, "Quintel mode - Inverter:2", 0x101},
        {3, "Quintel mode - Old", 0x101},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.adr);
        TfrmCpWindow* w = openRead(c.adr);
        ASSERT_TRUE(w);
        EXPECT_EQ(w->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(sch->GetState(w->Core().SchedSlot), 3);
        const TCpRowModel& rows = w->Core().Rows;
        EXPECT_EQ(rows.Caption(0), texts.GetText(0, 47));
        EXPECT_EQ(rows.Caption(3), texts.GetText(0, 3));
        // Row i is the entry with Id i, with its texts.
        for (int i = 0; i < rows.Count(); ++i) {
            const tCpEntry* e = w->Engine().GetEntry(i);
            ASSERT_TRUE(e);
            EXPECT_EQ(rows.Row(i).Name, e->Name);
            EXPECT_EQ(rows.Row(i).SetText, tQuintel::SetSelText(e->Def));
            EXPECT_TRUE(rows.Row(i).ParaName.endsWith(e->Para->GetName(0)));
            EXPECT_EQ(rows.Row(i).ValueText, w->Core().ValueText(*e));
        }
        EXPECT_EQ(rows.Width(1), w->Engine().AllSet0 ? 0 : 100);
        EXPECT_EQ(w->ListView1->isColumnHidden(1), w->Engine().AllSet0);
        // A value changed in the inverter reaches its row.
        const int row = rowOfTarget(*w, c.target);
        ASSERT_GE(row, 0);
        const tCpEntry* e = w->Engine().GetEntry(row);
        const int set = TCpWindowCore::SetSelOfDef(e->Def) > 0 ? tQuintel::MaskToSetNo(e->Def & 0xFF) : -1;
        const int32_t now = sims[c.adr]->value(uint16_t(c.target), set);
        sims[c.adr]->setValue(uint16_t(c.target), now + 7, set);
        EXPECT_TRUE(qeltest::waitUntil(
            [&] { return rows.Row(row).ValueText == e->Para->ValueToText(now + 7, 0, u'+', true); }, 20000))
            << rows.Row(row).ValueText.toStdString();
        if (c.adr == 1)
            screenshot(*w, QStringLiteral("cp_window_type21.png"));
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(CpWindowTest, PasswordMinusThreeShowsTheIdentTexts)
{
    sims[1]->setValue(0x0001, -3);
    TfrmCpWindow* w = openRead(1);
    ASSERT_TRUE(w);
    ASSERT_TRUE(w->Engine().ShowIdText);
    const TCpRowModel& rows = w->Core().Rows;
    for (int i = 0; i < rows.Count(); ++i) {
        const tCpEntry* e = w->Engine().GetEntry(i);
        EXPECT_EQ(rows.Row(i).ParaName,
                  QStringLiteral("(") + e->Para->GetIdText() + QStringLiteral(") ") + e->Para->GetName(0));
    }
    // Copy keeps the set column while it is shown.
    w->CopyToClipboard();
    ASSERT_TRUE(clpBrd.Content());
    EXPECT_EQ(clpBrd.Content()->Lines.value(1), QStringList({texts.GetText(0, 47), texts.GetText(0, 2),
                                                             texts.GetText(0, 1), texts.GetText(0, 3)})
                                                    .join(u'\t'));
}

TEST_F(CpWindowTest, AnEditThroughTheValueEditorReachesTheInverter)
{
    TfrmCpWindow* w = openRead(1);
    ASSERT_TRUE(w);
    const int row = rowOfTarget(*w, 0x101);
    ASSERT_GE(row, 0);
    const tCpEntry* e = w->Engine().GetEntry(row);
    w->ListView1->setCurrentIndex(w->Core().Rows.index(row, 0));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(w->ListView1, &enter);
    EXPECT_TRUE(enter.isAccepted());
    ASSERT_TRUE(valEdit->isVisible());
    const TValEditCore& ed = valEdit->Core();
    EXPECT_EQ(ed.Para.get(), e->Para.get());
    EXPECT_EQ(ed.Inverter, 1);
    EXPECT_EQ(ed.SetSel, TCpWindowCore::SetSelOfDef(e->Def));
    EXPECT_EQ(ed.Label, e->Name + QLatin1Char(' ') + e->Para->GetName(0) + QStringLiteral("; ") + w->windowTitle());
    const int set = ed.SetSel > 0 ? tQuintel::MaskToSetNo(uint32_t(ed.SetSel)) : -1;
    const int32_t target = sims[1]->value(0x101, set) + 3;
    auto* edit = valEdit->findChild<QLineEdit*>(QStringLiteral("Edit1"));
    ASSERT_TRUE(edit);
    edit->setText(e->Para->ValueToText(target, 0, u'+', false));
    emit edit->textEdited(edit->text());
    auto* ok = valEdit->findChild<TVarneGlyphButton*>(QStringLiteral("OkButton"));
    ASSERT_TRUE(ok);
    ok->click();
    EXPECT_TRUE(qeltest::waitUntil([&] { return sims[1]->value(0x101, set) == target; }, 20000));
    EXPECT_TRUE(qeltest::waitUntil(
        [&] { return w->Core().Rows.Row(row).ValueText == e->Para->ValueToText(target, 0, u'+', true); }, 20000));

    // The editor follows the selection while it is shown.
    valEdit->show();
    const int other = row == 1 ? 2 : 1;
    w->ListView1->setCurrentIndex(w->Core().Rows.index(other, 0));
    EXPECT_EQ(valEdit->Core().Para.get(), w->Engine().GetEntry(other)->Para.get());
    // A restart lets go of the entry before the engine frees it.
    EXPECT_EQ(ShowQuintelWindow(env, 1, 0), w);
    EXPECT_TRUE(valEdit->isVisible());
    EXPECT_EQ(valEdit->Core().Para, nullptr);
    EXPECT_EQ(w->Core().Rows.Count(), 0);
    ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(*w); }, 30000));

    // The inverter list changes while an answer is outstanding: the engine
    // is reset at once and the table rebuilt.
    ASSERT_TRUE(qeltest::waitUntil([&] { return w->Engine().Busy; }));
    invListChanged();
    EXPECT_EQ(w->Core().Rows.Count(), 0);
    EXPECT_EQ(w->Engine().State, 1);
    EXPECT_TRUE(qeltest::waitUntil([&] { return tableRead(*w); }, 30000));
    EXPECT_TRUE(messages.empty());
}

TEST_F(CpWindowTest, RestartWithoutAnEntryOrWithoutAQuintelModeLeavesTheWindowIdle)
{
    auto none = std::make_shared<TCfgRec>(*prj.GetInv(3)->Cfg);
    none->CfgId = 77;
    none->QuintelCount = 0;
    prj.Append(none);
    ASSERT_EQ(prj.AddInv(4, 77, QStringLiteral("No mode"), prOffline, true), 0);
    ASSERT_EQ(prj.AddInv(5, 21, QStringLiteral("Not there yet"), prOffline, true), 0);
    prj.GetInv(5)->Cfg.reset();
    const struct {
        int adr;
        QStringList lines;
        QString p1, p2;
    } cases[] = {
        {9, lines(0, 15), {}, {}},
        {4, lines(0, 48), QStringLiteral("4"), QStringLiteral("77")},
        {5, lines(0, 48), QStringLiteral("5"), QStringLiteral("21")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.adr);
        messages.clear();
        TfrmCpWindow* w = ShowQuintelWindow(env, c.adr, 0);
        ASSERT_TRUE(w);
        ASSERT_TRUE(qeltest::waitUntil([&] { return !messages.empty(); }));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].Lines, c.lines);
        EXPECT_EQ(messages[0].Title, w->windowTitle());
        EXPECT_EQ(messages[0].Icon, 2);
        EXPECT_EQ(messages[0].P1, c.p1);
        EXPECT_EQ(messages[0].P2, c.p2);
        EXPECT_EQ(sch->GetState(w->Core().SchedSlot), 2);
        qeltest::runEventLoopFor(100);
        EXPECT_EQ(w->Core().Rows.Count(), 0);
        EXPECT_TRUE(w->isVisible());
    }
    EXPECT_EQ(windows[0]->windowTitle(), texts.GetText(5, 47));  // no entry: the text alone
}

TEST_F(CpWindowTest, FailuresWhileReadingTheDefinitionsGiveOneMessage)
{
    // Each injected silence is one failed answer for the engine.
    sel->SetRetryCnt(0);
    sel->Ansi()->SetTimeOut(300);
    qelsim::SimFault five, six;
    five.silence = six.silence = true;
    five.count = 5;
    six.count = 6;
    const struct {
        const char* name;
        qelsim::SimFault fault;
        bool fails;
    } cases[] = {{"five, then a success", five, false}, {"a sixth in a row", six, true}};
    TfrmCpWindow* w = nullptr;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        // The engine at rest (its last answer in), so that the first
        // definition read is the next request to meet the fault.
        sch->SetActive(false);
        if (w)
            w->Engine().Stop();
        sims[1]->faults().clear();
        sims[1]->faults().push(c.fault);
        w = ShowQuintelWindow(env, 1, 0);  // the second time: the same window, restarted
        ASSERT_TRUE(w);
        sch->SetActive(true);
        if (c.fails) {
            ASSERT_TRUE(qeltest::waitUntil([&] { return !messages.empty(); }, 30000));
            EXPECT_EQ(messages[0].Lines, QStringList{texts.GetErrorText(-10)});
            EXPECT_EQ(messages[0].Title, w->windowTitle());
            EXPECT_EQ(messages[0].Icon, 2);
            const int before = server.requestCount();
            qeltest::runEventLoopFor(500);
            EXPECT_EQ(messages.size(), 1u);  // once per failure
            EXPECT_EQ(server.requestCount(), before);  // the engine stays at rest
            EXPECT_EQ(w->Core().Rows.Count(), 0);
        } else {
            ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(*w); }, 30000));
            EXPECT_TRUE(messages.empty());
        }
    }
    EXPECT_TRUE(windows[1].isNull());
}

TEST_F(CpWindowTest, WindowsAreFoundUpToTheFirstFreeEntryAndPlaced)
{
    mainForm.Bar = QRect(0, 0, 800, 60);
    const int bottom = 60;
    TfrmCpWindow* a = ShowQuintelWindow(env, 11, 0);
    TfrmCpWindow* b = ShowQuintelWindow(env, 12, 0);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->pos(), QPoint(25, bottom + 25));
    EXPECT_EQ(b->pos(), QPoint(50, bottom + 50));
    EXPECT_EQ(a->size(), QSize(588, 427));
    EXPECT_EQ(ShowQuintelWindow(env, 12, 0), b);  // found and restarted
    EXPECT_EQ(ShowQuintelWindow(env, -5, 0)->InvAdr(), 0);  // negative: 0
    a->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(windows[0].isNull());
    // The search stops at the free entry: a second window for 12.
    TfrmCpWindow* b2 = ShowQuintelWindow(env, 12, 0);
    EXPECT_NE(b2, b);
    EXPECT_EQ(windows[0], b2);
    for (int adr = 20; adr < 27; ++adr)
        ASSERT_TRUE(ShowQuintelWindow(env, adr, 0));
    ASSERT_TRUE(qeltest::waitUntil([&] { return messages.size() == 11u; })) << messages.size();
    // (0,15) at each start; the closed window's pending one went with it.
    messages.clear();
    EXPECT_EQ(ShowQuintelWindow(env, 30, 0), nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Lines, lines(2, 13));
    EXPECT_EQ(messages[0].Icon, 3);
    EXPECT_EQ(messages[0].Title, QString());
    // A window closing releases its scheduler slot and its entry.
    const int slot = b->Core().SchedSlot;
    delete b;
    EXPECT_EQ(sch->GetItem(slot), nullptr);
    EXPECT_TRUE(windows[1].isNull());
}

TEST_F(CpWindowTest, CopyLeavesOutTheHiddenSetColumnAndPrintKeepsIt)
{
    TfrmCpWindow* w = openRead(3);
    ASSERT_TRUE(w);
    ASSERT_TRUE(w->Engine().AllSet0);  // the old style has no sets
    const TCpRowModel& rows = w->Core().Rows;
    w->CopyToClipboard();
    ASSERT_TRUE(clpBrd.Content());
    EXPECT_EQ(clpBrd.Content()->Flags, 1);
    const QStringList copied = clpBrd.Content()->Lines;
    ASSERT_EQ(copied.size(), rows.Count() + 2);
    EXPECT_EQ(copied[0], w->windowTitle());
    EXPECT_EQ(copied[1], texts.GetText(0, 47) + u'\t' + texts.GetText(0, 1) + u'\t' + texts.GetText(0, 3));
    EXPECT_EQ(copied[2], rows.Row(0).Name + u'\t' + rows.Row(0).ParaName + u'\t' + rows.Row(0).ValueText);

    qeltest::onModal<TFrmvortalinprint>([](TFrmvortalinprint& d) { d.printbtn->click(); });
    w->Print();
    const std::array<int, 4> widths{40, 0, 200, 240};
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(print->Writer().TabWidths[size_t(c)], widths[size_t(c)] * 100 / 480) << c;
    const QStringList pdfs = QDir(dir()).entryList({QStringLiteral("*.pdf")});
    ASSERT_EQ(pdfs.size(), 1);
    if (qeltest::pdfToTextTool().isEmpty())
        GTEST_SKIP() << "pdftotext missing";
    const qeltest::PdfText pdf = qeltest::pdfText(QDir(dir()).filePath(pdfs[0]));
    ASSERT_TRUE(pdf.finished);
    const QString text = pdf.text;
    EXPECT_TRUE(text.contains(QStringLiteral("Halvorn Version 5.4"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("VL-03"))) << text.toStdString();
    EXPECT_TRUE(text.contains(rows.Row(1).ParaName)) << text.toStdString();

    // An empty table: (0,21), nothing printed.
    TfrmCpWindow* idle = ShowQuintelWindow(env, 50, 0);
    ASSERT_TRUE(qeltest::waitUntil([&] { return !messages.empty(); }));
    messages.clear();
    idle->CopyToClipboard();
    EXPECT_EQ(clpBrd.Content()->Lines, copied);
    idle->Print();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Lines, lines(0, 21));
}

TEST_F(CpWindowTest, SlotsContextCommandsAndTheInverterChoice)
{
    TfrmCpWindow* w = openRead(1);
    ASSERT_TRUE(w);
    // Created: nothing, then the new list.
    ASSERT_GE(contexts.size(), 2u);
    EXPECT_EQ(contexts[0], nullptr);
    EXPECT_EQ(contexts[1], &w->ContextItems);
    ASSERT_EQ(w->ContextItems.Count(), 2);
    EXPECT_EQ(w->ContextItems.Item(0)->Caption(), texts.GetText(5, 47));
    EXPECT_EQ(w->ContextItems.Item(1)->Caption(), texts.GetText(0, 11));
    EXPECT_EQ(w->ContextItems.Item(1)->Hint(), texts.GetText(0, 11));
    EXPECT_FALSE(w->ContextItems.Item(1)->Glyph.isNull());
    w->Activated();
    ASSERT_FALSE(opFuncs.empty());
    for (int s = 0; s < TOperatingFuncs::SlotCount; ++s)
        EXPECT_EQ(opFuncs.back()->Filled(s), s == osCopy || s == osPrint) << s;
    opFuncs.back()->Slots[osCopy]();
    ASSERT_TRUE(clpBrd.Content());
    EXPECT_EQ(clpBrd.Content()->Lines.value(0), w->windowTitle());

    // Select inverter: the choice of inverter 3 restarts the window on it.
    QString prompt;
    qeltest::onModal<TfrmInvSel>([&](TfrmInvSel& d) {
        prompt = d.Label1->text();
        d.ComboBox1->setCurrentIndex(2);
        d.OkButton->click();
    });
    w->ContextItems.Item(1)->OnClick(w);
    EXPECT_EQ(w->InvAdr(), 3);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Quintel mode - Old"));
    EXPECT_TRUE(qeltest::waitUntil([&] { return tableRead(*w); }, 30000));
    EXPECT_EQ(w->Engine().Inverter, 3);
    EXPECT_TRUE(prompt.isEmpty() || prompt.contains(QStringLiteral("Drive A")));

    // Closing hands nothing to the main window.
    opFuncs.clear();
    contexts.clear();
    w->close();
    ASSERT_EQ(opFuncs.size(), 1u);
    EXPECT_EQ(opFuncs[0], nullptr);
    ASSERT_EQ(contexts.size(), 1u);
    EXPECT_EQ(contexts[0], nullptr);
}

}  // namespace
