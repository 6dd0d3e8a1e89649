// The Quintel program's windows offscreen, driven by object name: the main
// window over a simulated type-21 inverter, the settings dialog, the
// inverter choice and a print into a PDF file.

#include "q2_fixture.h"

#include "modal.h"

#include "dialogs/glyph_button.h"
#include "dialogs/print_form.h"
#include "lists/val_edit.h"
#include "quintel/cp_dialogs_ui.h"
#include "quintel/cp_form.h"
#include "quintel/cp_settings_dlg.h"
#include "quintel/sel_mode.h"
#include "pdf_text.h"
#include "screenshot.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

using q2::ProgramTest;

namespace {

class ProgramWindowTest : public ProgramTest {
protected:
    // The English texts pushed into the dialogs.
    void applyTexts(TCpDialogsUi& real)
    {
        TVortalinText t;
        t.SetVersion(5);
        ASSERT_TRUE(t.LoadFromFile(QDir(qeltest::binaryDir()).filePath(QStringLiteral("data/lang/cpe.srb"))));
        real.ApplyTexts(t);
    }
};

TEST_F(ProgramWindowTest, MainWindowShowsTheTableAndForwardsItsButtons)
{
    addInverter(1, 21);
    TForm1 form(*store, ui);
    form.Program().LockDir = dir();
    form.show();
    ASSERT_TRUE(form.Program().Shown);
    TQuintelProgram& p = form.Program();
    prog.reset();
    ASSERT_TRUE(qeltest::waitUntil([&] { return p.Rows.Count() == 9 && p.Engine.State == 3; }, 30000));
    ASSERT_TRUE(qeltest::waitUntil([&] { return p.Rows.Row(8).ValueText != QStringLiteral(" "); }, 10000));
    auto* list = form.findChild<QTableView*>(QStringLiteral("ListView1"));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->model()->rowCount(), 9);
    EXPECT_EQ(list->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Parameter"));
    EXPECT_EQ(list->columnWidth(3), 240);
    EXPECT_FALSE(list->isColumnHidden(1));
    EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("invBtn"))->text(), QStringLiteral("Inverter:1"));
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("StaticText1"))->text(), QStringLiteral("21:VX-210"));
    EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("ComBtn"))->text(), QStringLiteral("COM6 9600"));
    EXPECT_EQ(form.findChild<QToolButton*>(QStringLiteral("SaveBtn"))->toolTip(), QStringLiteral("Save"));
    // Print and Copy show the program's own pictures, each its own.
    const QImage printGlyph =
        form.findChild<QToolButton*>(QStringLiteral("PrintBtn"))->icon().pixmap(24, 24).toImage();
    const QImage copyGlyph = form.findChild<QToolButton*>(QStringLiteral("CopyBtn"))->icon().pixmap(24, 24).toImage();
    EXPECT_FALSE(printGlyph.isNull());
    EXPECT_FALSE(copyGlyph.isNull());
    EXPECT_NE(printGlyph, copyGlyph);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quintel V5.4 "));
    form.resize(640, 260);
    qeltest::saveScreenshot(form, "quintel_main.png");

    form.findChild<QToolButton*>(QStringLiteral("CopyBtn"))->click();
    ASSERT_TRUE(qeltest::waitUntil([&] { return !ui.clipboard.isEmpty(); }));

    // Enter in the list edits the selected row.
    int edited = -1;
    ui.onEdit = [&](const std::shared_ptr<TParaRec>&, const QString& label, int32_t&) {
        edited = label.startsWith(QStringLiteral("CP03")) ? 3 : 0;
        return false;
    };
    list->setCurrentIndex(list->model()->index(3, 0));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(list, &enter);
    EXPECT_TRUE(enter.isAccepted());
    ASSERT_TRUE(qeltest::waitUntil([&] { return edited >= 0; }));
    EXPECT_EQ(edited, 3);

    // The close box asks; No keeps the program running, Yes ends it.
    ui.answers = {1};
    form.close();
    ASSERT_TRUE(qeltest::waitUntil([&] { return ui.count(QStringLiteral("quit the program")) == 1; }));
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(ui.ended);
    ui.answers = {0};
    form.findChild<QToolButton*>(QStringLiteral("Quitbtn"))->click();
    ASSERT_TRUE(qeltest::waitUntil([&] { return ui.ended; }));
    EXPECT_TRUE(form.close());
}

TEST_F(ProgramWindowTest, SettingsDialogKeepsAnUnlistedTimeOut)
{
    TCPsettings dlg;
    TCpDialogsUi real;
    real.SettingsDlg = &dlg;
    applyTexts(real);
    EXPECT_EQ(dlg.Label1->text(), QStringLiteral("Port"));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Settings"));
    TCpSettings s;
    s.Comport = 1;
    s.Baudrate = 5;
    s.TimeOut = 300;  // none of the items
    s.Proglng = 1;
    s.Paralng = 0;
    s.Protocol = 2;
    qeltest::onModal<TCPsettings>([&](TCPsettings& d) {
        EXPECT_EQ(d.PortBox->currentText(), QStringLiteral("Com 2"));
        EXPECT_EQ(d.BaudBox->currentText(), QStringLiteral("38400"));
        EXPECT_EQ(d.TimeOutBox->currentIndex(), -1);
        EXPECT_TRUE(d.rbZelk->isChecked());
        qeltest::saveScreenshot(d, "quintel_settings.png");
        d.findChild<QComboBox*>(QStringLiteral("BaudBox"))->setCurrentIndex(3);
        d.findChild<QPushButton*>(QStringLiteral("OkBtn"))->click();
    });
    EXPECT_EQ(dlg.Execute(s), 1);
    EXPECT_EQ(s.TimeOut, 300);
    EXPECT_EQ(s.Baudrate, 3);
    EXPECT_EQ(s.Protocol, 2);
    EXPECT_EQ(dlg.width(), dlg.CancelBtn->x() + dlg.CancelBtn->width() + dlg.OkBtn->x());

    s.TimeOut = 100;
    qeltest::onModal<TCPsettings>([&](TCPsettings& d) {
        EXPECT_EQ(d.TimeOutBox->currentText(), QStringLiteral("100 ms"));
        d.TimeOutBox->setCurrentIndex(0);
        d.rbAnsi->setChecked(true);
        d.OkBtn->click();
    });
    EXPECT_EQ(dlg.Execute(s), 1);
    EXPECT_EQ(s.TimeOut, 20);
    EXPECT_EQ(s.Protocol, 1);
    EXPECT_EQ(TCpSettings::ParseTimeOut(QStringLiteral("500 ms")), 500);
}

TEST_F(ProgramWindowTest, InverterChoiceDialog)
{
    TCpDialogsUi real;
    TSelMode dlg;
    real.SelMode = &dlg;
    applyTexts(real);
    EXPECT_EQ(dlg.Label1->text(), QStringLiteral("Inverter"));
    struct Case {
        const char* typed;
        bool offline;
        bool ok;
        int address;
    } cases[] = {{"17", false, true, 17}, {"240", false, false, 5}, {"x", false, false, 5},
                 {"-1", false, false, 5}, {"3", true, true, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        qeltest::onModal<TSelMode>([&](TSelMode& d) {
            EXPECT_EQ(d.Edit1->text(), QStringLiteral("5"));
            d.Edit1->setText(QString::fromLatin1(c.typed));
            if (c.offline)
                d.Offlinebtn->setChecked(true);
            EXPECT_EQ(d.Edit1->isEnabled(), !c.offline);
            if (c.typed == std::string("17"))
                qeltest::saveScreenshot(d, "quintel_selmode.png");
            d.OkBtn->click();
        });
        int a = 5;
        EXPECT_EQ(real.RunSelMode(a, false), c.ok);
        EXPECT_EQ(a, c.address);
    }
    // Opened while offline: the current address is proposed, offline chosen.
    qeltest::onModal<TSelMode>([&](TSelMode& d) {
        EXPECT_EQ(d.Edit1->text(), QStringLiteral("5"));
        EXPECT_TRUE(d.Offlinebtn->isChecked());
        d.OnlineBtn->setChecked(true);
        d.OkBtn->click();
    });
    int a = 5;
    EXPECT_TRUE(real.RunSelMode(a, true));
    EXPECT_EQ(a, 5);
    EXPECT_EQ(TSelMode::Step(239, 1), 0);
    EXPECT_EQ(TSelMode::Step(0, -1), 239);
}

TEST_F(ProgramWindowTest, PrintOfTheTableIntoAPdfFile)
{
    auto inv = addInverter(1, 3);
    TCpDialogsUi real;
    TFrmvortalinprint print;
    print.SetDataPath(dir());
    print.UsePdfInDataFolder();
    real.PrintForm = &print;
    real.OnEnd = [] {};
    q2::ScriptUi& script = ui;
    struct Forward : q2::ScriptUi {
        TCpDialogsUi* real = nullptr;
        bool Print(const TCpPrintJob& Job) override { return real->Print(Job); }
    } forward;
    forward.real = &real;
    (void)script;
    prog = std::make_unique<TQuintelProgram>(forward, *store);
    prog->LockDir = dir();
    ASSERT_TRUE(prog->FirstShow());
    ASSERT_TRUE(qeltest::waitUntil([&] { return prog->Rows.Count() == 4 && prog->Engine.State == 3; }, 30000));
    ASSERT_TRUE(qeltest::waitUntil([&] { return prog->Rows.Row(3).ValueText != QStringLiteral(" "); }));
    qeltest::onModal<TFrmvortalinprint>([](TFrmvortalinprint& d) { d.printbtn->click(); });
    prog->PrintReq = true;
    ASSERT_TRUE(qeltest::waitUntil([&] { return !prog->PrintReq; }, 20000));
    const QStringList pdfs = QDir(dir()).entryList({QStringLiteral("*.pdf")});
    ASSERT_EQ(pdfs.size(), 1);
    if (qeltest::pdfToTextTool().isEmpty())
        GTEST_SKIP() << "pdftotext missing";
    const qeltest::PdfText pdf = qeltest::pdfText(QDir(dir()).filePath(pdfs[0]));
    ASSERT_TRUE(pdf.finished);
    const QString text = pdf.text;
    EXPECT_TRUE(text.contains(QStringLiteral("Quintel V5.4"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Control word"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("17: On+Stop+Terminal"))) << text.toStdString();
}

}  // namespace

namespace {

// The edit request through the real value editor reaches the inverter.
TEST_F(ProgramWindowTest, EditThroughTheValueEditor)
{
    auto inv = addInverter(1, 21);
    TCpDialogsUi real;
    TfrmValEdit editor;
    editor.Core().ShowDecValue = true;
    real.ValEdit = &editor;
    struct Forward : q2::ScriptUi {
        TCpDialogsUi* real = nullptr;
        bool EditValue(const std::shared_ptr<TParaRec>& p, const QString& l, int32_t& v) override
        {
            return real->EditValue(p, l, v);
        }
    } forward;
    forward.real = &real;
    prog = std::make_unique<TQuintelProgram>(forward, *store);
    prog->LockDir = dir();
    ASSERT_TRUE(prog->FirstShow());
    ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(9); }, 30000));
    QString shown;
    qeltest::onModal<TfrmValEdit>([&](TfrmValEdit& d) {
        auto* edit = d.findChild<QLineEdit*>(QStringLiteral("Edit1"));
        ASSERT_TRUE(edit);
        shown = edit->text();
        edit->setText(QStringLiteral("45.5"));
        emit edit->textEdited(edit->text());  // as typed by the user
        qeltest::saveScreenshot(d, "quintel_valedit.png");
        d.findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
    });
    prog->SelectedRow = 1;
    prog->EditReq = true;
    ASSERT_TRUE(qeltest::waitUntil([&] { return inv->value(0x101, 0) == 455; }, 10000));
    EXPECT_EQ(shown, QStringLiteral("50.0 Hz"));
    ASSERT_TRUE(qeltest::waitUntil([&] { return prog->Rows.Row(1).ValueText == QStringLiteral("45.5 Hz"); }));
}

}  // namespace
