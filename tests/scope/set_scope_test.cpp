// The scope set-up dialog: its copy, field limits, AUTO, the channel
// commands with scripted editors, OK and Cancel, and the dialog's pages.

#include "config/cfg_records.h"
#include "scope/scope_display.h"
#include "scope/scope_numbers.h"
#include "scope/set_scope.h"
#include "scope_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include "dialogs/glyph_button.h"
#include "screenshot.h"
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <deque>

namespace {

class ScriptedEditors : public ISetScopeEditors {
public:
    int EditAddressModal(int Inverter, const QString& Description, int16_t& Address) override
    {
        calls << QStringLiteral("adr %1 %2").arg(Inverter).arg(Description);
        if (addresses.empty())
            return 2;
        Address = int16_t(addresses.front());
        addresses.pop_front();
        return 1;
    }
    int EditValueModal(const TParaRec* Para, const QString& Label, int32_t& Value, bool ShowHidden) override
    {
        calls << QStringLiteral("val %1 %2 %3 %4").arg(Para ? Para->Addr : -1).arg(Label).arg(Value).arg(ShowHidden);
        if (values.empty())
            return 2;
        Value = values.front();
        values.pop_front();
        return 1;
    }
    int SelectInv(const QString& Prompt, int& Inverter) override
    {
        calls << QStringLiteral("inv %1 %2").arg(Prompt).arg(Inverter);
        if (inverters.empty())
            return 2;
        Inverter = inverters.front();
        inverters.pop_front();
        return 1;
    }
    bool ChooseColour(uint32_t& Colour) override
    {
        if (colours.empty())
            return false;
        Colour = colours.front();
        colours.pop_front();
        return true;
    }
    void CloseEditors() override { ++closes; }

    std::deque<int> addresses, values, inverters;
    std::deque<uint32_t> colours;
    QStringList calls;
    int closes = 0;
};

class SetScopeTest : public scopetest::ScopeTest {
protected:
    void SetUp() override
    {
        ScopeTest::SetUp();
        addInv(1);
        addInv(2);
        eng.ScopeInv = 1;
        for (TScopeChannel& c : eng.Setup.Chan)
            c.Inverter = 1;
        eng.Setup.Chan[0].Address = 0x0105;  // Mul 1, Div 10
        eng.CheckChannels();
        core.Project = &prj;
        core.Texts = &texts;
        core.Editors = &editors;
        core.Load(eng, TSetScopeCore::pgChanA);
    }
    void recordA(const std::vector<int32_t>& values)
    {
        for (size_t i = 0; i < values.size(); ++i)
            eng.Ring[i] = {{values[i], 77, 77, 77}, 10};
        eng.RingStart = 0;
        eng.RingEnd = int(values.size()) - 1;
        eng.RecTime = 10 * int64_t(values.size());
    }

    TSetScopeCore core;
    ScriptedEditors editors;
};

TEST(ScopeNumbers, LenientReading)
{
    const std::pair<const char*, int32_t> cases[] = {
        {"250 ms", 250}, {"  -12abc", -12}, {"abc", 0},       {"", 0},
        {"-", 0},        {"1-2", 0},        {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN},
    };
    for (auto [t, v] : cases)
        EXPECT_EQ(MakeStringToDecimal(QString::fromLatin1(t)), v) << t;
}

TEST_F(SetScopeTest, FieldLimits)
{
    struct Case {
        void (TSetScopeCore::*set)(const QString&);
        int32_t& (TScopeSetup::*get)();
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {&TSetScopeCore::SetTimeBase, &TScopeSetup::TimeBase, "250 ms", 250},
        {&TSetScopeCore::SetTimeBase, &TScopeSetup::TimeBase, "ms", 1},
        {&TSetScopeCore::SetTimeBase, &TScopeSetup::TimeBase, "", 1},
        {&TSetScopeCore::SetTimeBase, &TScopeSetup::TimeBase, "999999999", 214748364},
        {&TSetScopeCore::SetMaxReadTime, &TScopeSetup::MaxReadTime, "5 ms", 1000},
        {&TSetScopeCore::SetMaxReadTime, &TScopeSetup::MaxReadTime, "20000", 20000},
        {&TSetScopeCore::SetReadCycle, &TScopeSetup::ReadCycle, "70000 ms", 60000},
        {&TSetScopeCore::SetReadCycle, &TScopeSetup::ReadCycle, "-3", 0},
        {&TSetScopeCore::SetTrigDelay, &TScopeSetup::TrigDelay, "-5 ms", 0},
        {&TSetScopeCore::SetTrigDelay, &TScopeSetup::TrigDelay, "300 ms", 300},
    };
    for (const Case& c : cases) {
        (core.*c.set)(QString::fromLatin1(c.text));
        EXPECT_EQ((core.Setup.*c.get)(), c.value) << c.text;
    }
    // The set field reads its first character only.
    const std::pair<const char*, int> sets[] = {{"5", 5}, {"9", 7}, {"x", 0}, {"-1", 0}, {"", 0}};
    for (auto [t, v] : sets) {
        core.SetSetField(1, QString::fromLatin1(t));
        EXPECT_EQ(core.Setup.Chan[1].SetSel, v) << t;
    }
    for (int i = 0; i < 3; ++i)
        core.StepSet(1, false);
    EXPECT_EQ(core.Setup.Chan[1].SetSel, -1);
    EXPECT_EQ(SetNumberText(-1), QStringLiteral("I"));
    for (int i = 0; i < 10; ++i)
        core.StepSet(1, true);
    EXPECT_EQ(core.Setup.Chan[1].SetSel, 7);
    // Nothing reached the scope.
    EXPECT_EQ(eng.Setup.TimeBase(), 1000);
}

TEST_F(SetScopeTest, OffsetAndFactorSteps)
{
    TParaRec& p = *core.Setup.Chan[0].Para;
    ASSERT_EQ(p.Mul, 1);
    ASSERT_EQ(p.Div, 10);
    core.Setup.Chan[0].YFactor = 1;
    core.StepYFactor(0, true);
    EXPECT_EQ(core.Setup.Chan[0].YFactor, 11);
    core.StepYOffset(0, false);
    EXPECT_EQ(core.Setup.Chan[0].YOffset, -10);
    const int16_t mul = p.Mul, div = p.Div;
    p.Mul = 10;
    p.Div = 1;
    core.StepYFactor(0, true);
    EXPECT_EQ(core.Setup.Chan[0].YFactor, 11);  // the step rounds to 0
    // A description without a multiplier steps one raw unit.
    p.Mul = 0;
    core.StepYFactor(0, true);
    EXPECT_EQ(core.Setup.Chan[0].YFactor, 12);
    p.Mul = mul;
    p.Div = div;
    // Without a description: the lenient reader, factor at least 1.
    EXPECT_TRUE(core.SetYFactor(1, QStringLiteral("abc")));
    EXPECT_EQ(core.Setup.Chan[1].YFactor, 1);
    EXPECT_TRUE(core.SetYOffset(1, QStringLiteral("-40 x")));
    EXPECT_EQ(core.Setup.Chan[1].YOffset, -40);
    core.StepYOffset(1, true);
    EXPECT_EQ(core.Setup.Chan[1].YOffset, -39);
    // With one: its conversion (display units, here tenths).
    EXPECT_TRUE(core.SetYOffset(0, QStringLiteral("12.5")));
    int32_t raw = 0;
    ASSERT_TRUE(p.TextToValue(QStringLiteral("12.5"), raw));
    EXPECT_EQ(core.Setup.Chan[0].YOffset, raw);
    EXPECT_FALSE(core.SetYFactor(0, QStringLiteral("1-2")));
}

TEST_F(SetScopeTest, AutoScalesTheRecordedRange)
{
    TParaRec& p = *core.Setup.Chan[0].Para;
    p.Mul = 1;
    p.Div = 1;
    recordA({-500, 0, 400, 100});
    ASSERT_TRUE(core.Auto(0));
    EXPECT_EQ(core.Setup.Chan[0].YFactor, 100);
    EXPECT_EQ(core.Setup.Chan[0].YOffset, -50);
    // Constant: one display unit, rounded up.
    recordA({700, 700});
    p.Mul = 3;
    p.Div = 10;
    core.Auto(0);
    EXPECT_EQ(core.Setup.Chan[0].YFactor, 4);
    EXPECT_EQ(core.Setup.Chan[0].YOffset, 700);
    // No scale: raw units, never a division by zero.
    p.Mul = 0;
    core.Auto(0);
    EXPECT_EQ(core.Setup.Chan[0].YFactor, 1);
    p.Mul = 1;
    p.Div = 0;
    recordA({0, 900});
    core.Auto(0);
    EXPECT_EQ(core.Setup.Chan[0].YFactor, 100);
    p.Div = 10;
    // Only with a description.
    EXPECT_FALSE(core.Auto(1));
}

TEST_F(SetScopeTest, ChannelCommandsWithTheEditors)
{
    // Address editor: an address of the configuration is taken, another not.
    editors.addresses = {0x0109, 0x7777};
    EXPECT_TRUE(core.ChangeParaName(1));
    EXPECT_EQ(core.Setup.Chan[1].Address, 0x0109);
    ASSERT_NE(core.Setup.Chan[1].Para, nullptr);
    EXPECT_FALSE(core.ChangeParaName(1));
    EXPECT_EQ(core.Setup.Chan[1].Address, 0x0109);
    EXPECT_TRUE(editors.calls.contains(QStringLiteral("adr 1 1.5 B")));
    EXPECT_FALSE(core.ChangeParaName(1));  // cancelled
    EXPECT_EQ(core.GetParaName(1), core.Setup.Chan[1].Para->GetIdText() + u' ' + core.Setup.Chan[1].Para->GetName(0));
    EXPECT_EQ(core.GetParaName(2), QStringLiteral("1.6"));

    // Offline: channel A's inverter goes to B, C, D; another inverter for A too.
    ASSERT_NE(core.OfflineBase, -1);
    core.Setup.Chan[2].Inverter = 2;
    core.Setup.OfflineTimeBase() = 50000;  // beyond 1..10000
    core.Setup.OfflineTrigger() = 5;
    core.ChooseOffline();
    EXPECT_EQ(core.Setup.Chan[2].Inverter, 1);
    EXPECT_EQ(core.Setup.OfflineTimeBase(), 1);
    EXPECT_EQ(core.Setup.OfflineTrigger(), 5);
    editors.inverters = {2};
    EXPECT_TRUE(core.ChangeInverter(0));
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(core.Setup.Chan[k].Inverter, 2) << k;
    EXPECT_TRUE(editors.calls.contains(QStringLiteral("inv 1.44 CH A 1")));
    EXPECT_EQ(core.InvName(0), QStringLiteral("2 Inv 2"));

    // Trigger level through the value editor, any value allowed.
    core.Setup.TrigChannel() = 1;
    core.Setup.Chan[1].TrigLevel = 3;
    editors.values = {-7};
    EXPECT_TRUE(core.EditValue(1));
    EXPECT_EQ(core.Setup.Chan[1].TrigLevel, -7);
    EXPECT_EQ(editors.calls.last(), QStringLiteral("val 265 1.18 B 3 1"));
    EXPECT_FALSE(core.EditValue(1));  // cancelled: unchanged
    EXPECT_EQ(core.Setup.Chan[1].TrigLevel, -7);
    editors.values = {40};
    EXPECT_TRUE(core.EditValue(2));
    EXPECT_EQ(core.Setup.OfflineTimeBase(), 40);
    EXPECT_TRUE(editors.calls.last().endsWith(QStringLiteral(" 1 0")));
    core.Setup.TrigChannel() = 3;
    EXPECT_FALSE(core.EditValue(1));  // channel D has no parameter

    editors.colours = {0x123456};
    EXPECT_TRUE(core.ChangeColour(5));
    EXPECT_EQ(core.Setup.GridColour(), 0x123456);
    EXPECT_FALSE(core.ChangeColour(0));
}

TEST_F(SetScopeTest, OkAppliesCancelKeeps)
{
    recordA({10, 20, 30});
    core.ChannelOff(0);
    core.Setup.MaxReadTime() = 1000;
    core.Setup.TrigDelay() = 5000;
    core.Notes = {QStringLiteral("first"), QStringLiteral("second")};
    // Cancel: the scope never saw the copy.
    EXPECT_EQ(eng.Setup.Chan[0].Address, 0x0105);
    EXPECT_EQ(eng.Ring[1].ChanVal[0], 20);
    TScopeDisplay d(eng);
    EXPECT_TRUE(core.ApplyTo(eng, &d));  // the warning
    EXPECT_EQ(eng.Setup.Chan[0].Address, -1);
    EXPECT_EQ(eng.Setup.MaxReadTime(), 1000);
    EXPECT_EQ(eng.Setup.TrigDelay(), 5000);
    EXPECT_EQ(eng.ScopeNotes, core.Notes);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(eng.Ring[i].ChanVal[0], 0);
        EXPECT_EQ(eng.Ring[i].ChanVal[1], 0);  // every channel left off
    }
    // Offline mode without a block is online.
    core.Setup.OfflineMode() = 1;
    core.Setup.Chan[0].Inverter = 99;  // not in the project: the scope's own
    core.Setup.MaxReadTime() = 9000;
    EXPECT_FALSE(core.ApplyTo(eng, nullptr));
    EXPECT_EQ(eng.Setup.OfflineMode(), 1);
}

// ---- the dialog

class SetScopeDialogTest : public SetScopeTest {
protected:
    // Acts on the dialog once it is shown; a dialog left open is cancelled.
    void onShown(std::function<void()> act)
    {
        auto* poll = new QTimer;
        poll->setInterval(2);
        QObject::connect(poll, &QTimer::timeout, [this, poll, act] {
            if (!dlg.isVisible())
                return;
            poll->stop();
            poll->deleteLater();
            act();
            if (dlg.isVisible())
                dlg.done(2);
        });
        poll->start();
    }
    void shot(const QString& name)
    {
        qeltest::saveScreenshot(dlg, name);
    }
    TSetScope dlg;
};

TEST_F(SetScopeDialogTest, PagesShowTheCopyAndOkReturnsIt)
{
    dlg.Core().Project = &prj;
    dlg.Core().Texts = &texts;
    dlg.Core().Editors = &editors;
    eng.Setup.Chan[0].Invisible = 1;
    eng.ScopeNotes = {QStringLiteral("note")};
    bool ok = false;
    onShown([&] {
        EXPECT_EQ(dlg.PageControl1->currentIndex(), 2);
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("1.5 A"));
        auto& c = dlg.Chan[0];
        EXPECT_TRUE(c.CBInvisible->isChecked());
        EXPECT_EQ(c.SetField->text(), SetNumberText(0));
        EXPECT_EQ(c.InvName->text(), QStringLiteral("1 Inv 1"));
        EXPECT_EQ(dlg.Memo1->toPlainText(), QStringLiteral("note"));
        // Up-down of the factor: one display unit (Div 10) in raw units.
        const int32_t before = dlg.Core().Setup.Chan[0].YFactor;
        c.UpDownYfac->findChild<QToolButton*>(QStringLiteral("Up"))->click();
        EXPECT_EQ(dlg.Core().Setup.Chan[0].YFactor, before + 10);
        // Enter in the factor field takes the entry and keeps the dialog open.
        c.YfacField->setText(QStringLiteral("2.5"));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(c.YfacField, &enter);
        EXPECT_TRUE(dlg.isVisible());
        // A factor is a span: 0x0105's display offset (-40.0) does not enter.
        EXPECT_EQ(dlg.Core().Setup.Chan[0].YFactor, 25);
        c.offBtn->click();
        EXPECT_EQ(c.Pname->text(), QStringLiteral("1.6"));
        shot(QStringLiteral("setscope_2.png"));
        for (int page = 0; page < 9; ++page) {
            if (!dlg.PageControl1->isTabVisible(page))
                continue;
            dlg.PageControl1->setCurrentIndex(page);
            shot(QStringLiteral("setscope_%1.png").arg(page));
        }
        // X page: typing reads leniently and the refresh rewrites the field.
        dlg.PageControl1->setCurrentIndex(1);
        dlg.XDevField->setText(QStringLiteral("250 ms"));
        emit dlg.XDevField->textEdited(dlg.XDevField->text());
        EXPECT_EQ(dlg.XDevField->text(), QStringLiteral("250"));
        dlg.MaxRTimeField->setText(QStringLiteral("5"));
        emit dlg.MaxRTimeField->textEdited(dlg.MaxRTimeField->text());
        EXPECT_EQ(dlg.MaxRTimeField->text(), QStringLiteral("1000 ms"));
        dlg.Memo1->setPlainText(QStringLiteral("a\nb"));
        dlg.Button1->click();
    });
    ok = dlg.Execute(eng, TSetScopeCore::pgChanA);
    EXPECT_TRUE(ok);
    EXPECT_EQ(editors.closes, 1);
    EXPECT_EQ(dlg.Core().Setup.TimeBase(), 250);
    EXPECT_EQ(dlg.Core().Setup.Chan[0].Address, -1);
    EXPECT_EQ(dlg.Core().Notes, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(eng.Setup.TimeBase(), 1000);  // the scope takes it only through ApplyTo

    // Cancel.
    onShown([&] {
        EXPECT_EQ(dlg.PageControl1->currentIndex(), 0);
        dlg.RadioButton2->click();  // offline: trigger page hidden, offline page shown
        EXPECT_FALSE(dlg.PageControl1->isTabVisible(TSetScopeCore::pgTrigger));
        EXPECT_TRUE(dlg.PageControl1->isTabVisible(TSetScopeCore::pgOffline));
        EXPECT_FALSE(dlg.Chan[1].InvBut->isVisibleTo(&dlg));
        dlg.PageControl1->setCurrentIndex(TSetScopeCore::pgOffline);
        shot(QStringLiteral("setscope_7.png"));
        dlg.Button2->click();
    });
    EXPECT_FALSE(dlg.Execute(eng, TSetScopeCore::pgMode));
    EXPECT_EQ(eng.Setup.OfflineMode(), 0);
}

} // namespace
