#include "dialogs/message_dlg.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

#include "dialogs/glyph_button.h"
#include "dialogs/progress_form.h"
#include "dialogs/user_msg_layout.h"
#include "modal.h"
#include "screenshot.h"

namespace {

class RecordingSound : public TMsgSound {
public:
    void Beep(TWAV kind) override { beeps.push_back(kind); }
    void PlayFile(const QString& f) override { files << f; }
    void PlayResource(const QString& r) override { resources << r; }
    std::vector<TWAV> beeps;
    QStringList files;
    QStringList resources;
};

TVarneGlyphButton* button(QDialog& dlg, int i)
{
    return dlg.findChild<TVarneGlyphButton*>(QStringLiteral("btn") + QString::number(i));
}

void sendKey(QWidget* target, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

// Runs `act` on the message dialog once it is open. Should the dialog still
// be open a few seconds later, the test fails and the first button ends it.
void onDialog(std::function<void(QDialog&)> act)
{
    qeltest::onModal<QDialog>([act](QDialog& dlg) {
        QPointer<QDialog> guard(&dlg);
        act(dlg);
        if (guard)
            qeltest::failIfLeftOpen(*guard, "message dialog",
                                    [](QWidget& w) { button(static_cast<QDialog&>(w), 0)->click(); });
    });
}

class MessageDlgTest : public ::testing::Test {
protected:
    void SetUp() override { SetMsgSound(&sound); }
    void TearDown() override { SetMsgSound(nullptr); }
    RecordingSound sound;
};

const QStringList kYesNo{"3&Ja", "4&Nein"};
const QStringList kYesNoCancel{"3&Ja", "4&Nein", "6&Abbrechen"};

TEST_F(MessageDlgTest, PlaceholdersGlyphsAndLabel)
{
    QString labelText, title;
    TGlyphKind kinds[2] = {glNone, glNone};
    QString captions[2];
    bool hasIcon = false;
    onDialog([&](QDialog& dlg) {
        labelText = dlg.findChild<QLabel*>("lblMessage")->text();
        title = dlg.windowTitle();
        for (int i = 0; i < 2; ++i) {
            kinds[i] = button(dlg, i)->GlyphKind();
            captions[i] = button(dlg, i)->text();
        }
        hasIcon = dlg.findChild<QLabel*>("imgIcon") != nullptr;
        button(dlg, 1)->click();
    });
    const QStringList msg{"Datei @p1 existiert.", "Adresse @P2 <b>@P3</b>"};
    EXPECT_EQ(UserMessageDlg(&msg, &kYesNo, "Titel", icConfirmation, "a&b.wr5", "7", "", 0, 1), 1);
    EXPECT_EQ(labelText, "Datei a&b.wr5 existiert.\nAdresse 7 <b></b>");
    EXPECT_EQ(title, "Titel");
    EXPECT_EQ(kinds[0], glYes);
    EXPECT_EQ(kinds[1], glNo);
    EXPECT_EQ(captions[0], "&Ja");
    EXPECT_EQ(captions[1], "&Nein");
    EXPECT_TRUE(hasIcon);
}

TEST_F(MessageDlgTest, EnterEscapeAndCloseBox)
{
    struct Case {
        const char* name;
        int defaultIndex;
        std::function<void(QDialog&)> act;
        int expected;
    };
    const Case cases[] = {
        {"Enter on the default button", 0, [](QDialog& d) { sendKey(d.focusWidget(), Qt::Key_Return); }, 0},
        {"Enter with default 1", 1, [](QDialog& d) { sendKey(d.focusWidget(), Qt::Key_Enter); }, 1},
        {"Escape gives cancel", 0, [](QDialog& d) { sendKey(d.focusWidget(), Qt::Key_Escape); }, 1},
        {"close box gives cancel", 0, [](QDialog& d) { d.close(); }, 1},
        {"click", 0, [](QDialog& d) { button(d, 1)->click(); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString focused;
        bool closeBox = false;
        onDialog([&](QDialog& d) {
            focused = d.focusWidget() ? d.focusWidget()->objectName() : QString();
            closeBox = d.windowFlags().testFlag(Qt::WindowCloseButtonHint);
            c.act(d);
        });
        const QStringList msg{"Speichern?"};
        EXPECT_EQ(UserMessageDlg(&msg, &kYesNo, "", icConfirmation, "", "", "", c.defaultIndex, 1), c.expected);
        EXPECT_TRUE(closeBox);
        EXPECT_EQ(focused, QStringLiteral("btn") + QString::number(c.defaultIndex));
    }
}

TEST_F(MessageDlgTest, WithoutValidCancelThereIsNoWayOutButAButton)
{
    for (int cancel : {-1, 2}) {   // none, and one past the two buttons
        SCOPED_TRACE(cancel);
        bool closeBox = true, openAfterClose = false, openAfterEscape = false;
        onDialog([&](QDialog& d) {
            closeBox = d.windowFlags().testFlag(Qt::WindowCloseButtonHint) ||
                       d.windowFlags().testFlag(Qt::WindowSystemMenuHint);
            d.close();
            openAfterClose = d.isVisible();
            sendKey(d.focusWidget(), Qt::Key_Escape);
            openAfterEscape = d.isVisible();
            button(d, 1)->click();
        });
        const QStringList msg{"Nur Knoepfe"};
        EXPECT_EQ(UserMessageDlg(&msg, &kYesNo, "", icInformation, "", "", "", 0, cancel), 1);
        EXPECT_FALSE(closeBox);
        EXPECT_TRUE(openAfterClose);
        EXPECT_TRUE(openAfterEscape);
    }
}

TEST_F(MessageDlgTest, ButtonListEdgeCases)
{
    struct Case {
        const char* name;
        const QStringList* buttons;
        QStringList expectedCaptions;
    };
    const QStringList trailing{"3Ja", "", ""};
    const QStringList allEmpty{"", ""};
    const Case cases[] = {
        {"trailing empties dropped", &trailing, {"Ja"}},
        {"only empties give OK", &allEmpty, {"OK"}},
        {"no list gives the defaults", nullptr, {"&OK", "&Cancel"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList shown;
        onDialog([&](QDialog& d) {
            for (int i = 0; button(d, i); ++i)
                shown << button(d, i)->text();
            button(d, 0)->click();
        });
        EXPECT_EQ(UserMessageDlg(nullptr, c.buttons, "", icNone, "", "", "", 0, -1), 0);
        EXPECT_EQ(shown, c.expectedCaptions);
    }
}

// A window manager keeps stay-on-top windows above all others: a message
// asked while a progress window shows must stay on top too, or it opens
// beneath that window (the end of a download-list transfer).
TEST_F(MessageDlgTest, StaysOnTopWhileAProgressWindowShows)
{
    for (bool progressShown : {false, true}) {
        SCOPED_TRACE(progressShown);
        TfrmProgress progress;
        if (progressShown)
            progress.Start(QStringLiteral("Liste 1"), QStringLiteral("Abbrechen"));
        bool onTop = !progressShown;
        onDialog([&](QDialog& d) {
            onTop = d.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            button(d, 0)->click();
        });
        const QStringList msg{"\u00dcbertragung beendet."};
        EXPECT_EQ(UserMessageDlg(&msg, nullptr, "Liste 1", icInformation, "", "", "", 0, -1), 0);
        EXPECT_EQ(onTop, progressShown);
    }
}

TEST_F(MessageDlgTest, WideMessageWrapsAtTheWidthLimit)
{
    const int limit = UserMsgWidthLimit(QGuiApplication::primaryScreen()->geometry().width());
    int width = 0, labelHeight = 0, lineHeight = 0;
    bool wrapped = false;
    onDialog([&](QDialog& d) {
        width = d.width();
        auto* label = d.findChild<QLabel*>("lblMessage");
        wrapped = label->wordWrap();
        labelHeight = label->height();
        lineHeight = label->fontMetrics().lineSpacing();
        sendKey(d.focusWidget(), Qt::Key_Return);
    });
    QString longLine;
    for (int i = 0; i < 60; ++i)
        longLine += QStringLiteral("Wort%1 ").arg(i);
    const QStringList msg{longLine};
    const QStringList ok{"0OK"};
    EXPECT_EQ(UserMessageDlg(&msg, &ok, "", icError, "", "", "", 0, -1), 0);
    EXPECT_TRUE(wrapped);
    EXPECT_EQ(width, limit);
    EXPECT_GE(labelHeight, 2 * lineHeight);
}

TEST_F(MessageDlgTest, SoundFollowsTheIcon)
{
    const std::pair<int, TWAV> cases[] = {
        {icCustom, wavDefault}, {icWarning, wavExclamation}, {icError, wavAsterisk},
        {icInformation, wavExclamation}, {icConfirmation, wavQuestion}, {icNone, wavDefault},
    };
    for (const auto& [icon, wav] : cases) {
        SCOPED_TRACE(icon);
        sound.beeps.clear();
        onDialog([](QDialog& d) { button(d, 0)->click(); });
        const QStringList msg{"x"};
        UserMessageDlg(&msg, nullptr, "", icon, "", "", "", 0, 1);
        EXPECT_EQ(sound.beeps, std::vector<TWAV>{wav});
    }
}

TEST_F(MessageDlgTest, WaveFileOnlyWhenItExists)
{
    TUserDlg dlg;
    dlg.SetWAV(wavFile);
    dlg.SetCustomWAV("/nonexistent/ding.wav");
    onDialog([](QDialog& d) { button(d, 0)->click(); });
    dlg.Execute();
    EXPECT_TRUE(sound.files.isEmpty());
    EXPECT_TRUE(sound.beeps.empty());
}

TEST_F(MessageDlgTest, HelpContextGoesToTheHandler)
{
    int opened = -1;
    SetUserMsgHelpHandler([&](int ctx) { opened = ctx; });
    UserMsgHelpContext = 168;
    onDialog([](QDialog& d) {
        sendKey(d.focusWidget(), Qt::Key_F1);
        button(d, 0)->click();
    });
    const QStringList msg{"Hilfe?"};
    UserMessageDlg(&msg, &kYesNo, "", icConfirmation, "", "", "", 0, 1);
    UserMsgHelpContext = 0;
    SetUserMsgHelpHandler(nullptr);
    EXPECT_EQ(opened, 168);
}

TEST(UserDlg, SettingsRules)
{
    TUserDlg dlg;
    EXPECT_EQ(dlg.Buttons(), (QStringList{"&OK", "&Cancel"}));
    dlg.SetButtons(nullptr);   // keeps the defaults, preset rule still runs
    EXPECT_EQ(dlg.Default(), 0);
    EXPECT_EQ(dlg.Cancel(), 1);
    const QStringList list{"Retry", "&Abort", "ok"};
    dlg.SetCancel(-1);
    dlg.SetButtons(&list);
    EXPECT_EQ(dlg.Default(), 0);   // already set
    EXPECT_EQ(dlg.Cancel(), 1);

    dlg.SetButtonsMinWidth(5);
    EXPECT_EQ(dlg.ButtonsMinWidth(), 20);
    dlg.SetButtonsMinWidth(90);
    EXPECT_EQ(dlg.ButtonsMinWidth(), 90);

    EXPECT_EQ(dlg.Icon(), icNone);
    QPixmap pic(16, 16);
    pic.fill(Qt::red);
    dlg.SetCustomIcon(pic);
    EXPECT_EQ(dlg.Icon(), icCustom);

    dlg.SetParam("P1", 42LL);
    dlg.SetParam("P2", 1.5);
    dlg.SetParam("p1", "x");
    EXPECT_EQ(dlg.Params(), (QStringList{"p1=x", "P2=1.5"}));
}

// Three buttons with glyphs, centred below a two-line message with an icon.
// With QEL_SCREENSHOT_DIR set, the dialog is also saved as a picture.
TEST_F(MessageDlgTest, ThreeButtonDialogLayout)
{
    QList<QRect> rects;
    int width = 0;
    onDialog([&](QDialog& d) {
        width = d.width();
        for (int i = 0; i < 3; ++i)
            rects << button(d, i)->geometry();
        qeltest::saveScreenshot(d, QStringLiteral("message_dlg_three_buttons.png"));
        sendKey(d.focusWidget(), Qt::Key_Escape);
    });
    const QStringList msg{"Die Liste \"@P1\" wurde ge\u00e4ndert.", "Sollen die \u00c4nderungen gespeichert werden?"};
    EXPECT_EQ(UserMessageDlg(&msg, &kYesNoCancel, "Arbeitsliste", icConfirmation, "Antrieb 1", "", "", 0, 2), 2);
    ASSERT_EQ(rects.size(), 3);
    EXPECT_EQ(rects[0].width(), rects[1].width());
    EXPECT_EQ(rects[1].width(), rects[2].width());
    EXPECT_EQ(rects[1].left(), rects[0].right() + 1 + 5);
    EXPECT_EQ(rects[0].top(), rects[2].top());
    // Centred: left and right margins differ by the row's extra 5 + 8 at most.
    const int leftMargin = rects[0].left();
    const int rightMargin = width - rects[2].right() - 1;
    EXPECT_LE(std::abs(leftMargin - rightMargin), 6);
}

} // namespace
