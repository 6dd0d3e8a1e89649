// Opening files by their kind (the Open command and the explorer's
// requests), the work lists' refresh on project changes, and the clipboard
// viewer.

#include "fake_kinds.h"
#include "mainwin_fixture.h"

#include "comm/scheduler.h"
#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "config/vortalin_clpbrd.h"
#include "dialogs/clpbrd_qt_sink.h"
#include "dialogs/inv_sel_dlg.h"
#include "dialogs/shared_objects.h"
#include "dialogs/glyph_button.h"
#include "lists/rem_edit.h"
#include "mainwin/editor_windows.h"
#include "lists/fwrk_list.h"
#include "lists/fwrk_list_view.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "lists/wrk_list_tools.h"
#include "lists/wrk_lists.h"
#include "mainwin/file_kind.h"
#include "wait_until.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QToolButton>
#include <gtest/gtest.h>

#include <set>

using namespace mwtest;

namespace {

TEST(FileKind, TheLowerCasedExtensionOfTheNameAlone)
{
    const struct {
        const char* name;
        TFileKind kind;
    } cases[] = {
        {"/data/Plant.PR5", TFileKind::Project},
        {"/data/pumps.Wr5", TFileKind::WorkList},
        {"trace.TRC", TFileKind::WorkList},
        {"C:\\Lists\\set.DwN", TFileKind::DownloadList},
        {"a.dw5", TFileKind::DownloadList},
        {"ops.op5", TFileKind::DownloadList},
        {"rec.Sc5", TFileKind::Scope},
        {"/data/notes.txt", TFileKind::Other},
        {"/Data.WR5/Notes", TFileKind::Other},      // a dot in a folder is no extension
        {"/Projects.pr5/readme.txt", TFileKind::Other},
        {"noext", TFileKind::Other},
        {"list.wr5.bak", TFileKind::Other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileKindOf(QString::fromLatin1(c.name)), c.kind) << c.name;
}

// Opens addresses only when told to.
class RefusingUi : public RecordingUi {
public:
    bool OpenUrl(const QUrl& Url) override
    {
        urls.append(Url);
        return accept;
    }
    bool accept = false;
};

class OpenFiles : public MainWinTest {
protected:
    QString copyDemoTo(const QString& rel)
    {
        const QString target = path(rel);
        QDir().mkpath(QFileInfo(target).absolutePath());
        EXPECT_TRUE(QFile::copy(QDir(qeltest::sourceDir()).filePath(QStringLiteral("data/demo/demo.pr5")), target));
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        return target;
    }
    QString writeFile(const QString& rel, const QByteArray& bytes)
    {
        const QString p = path(rel);
        QDir().mkpath(QFileInfo(p).absolutePath());
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return p;
    }
    static bool bothAnswer()
    {
        return Project->GetInv(1) && Project->GetInv(2) && Project->GetInv(1)->State == -2
               && Project->GetInv(2)->State == -2;
    }
};

TEST_F(OpenFiles, AProjectFromTheDialogRunsAgainstTheSimulatorAndKeepsTheFolderCase)
{
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    const QString other = copyDemoTo(QStringLiteral("prefix/data/Plant Folder/Line.PR5"));
    ui->openAnswers = {other};
    main->OpenBtn->click();
    EXPECT_EQ(Project->FileName, other);
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Halvorn - Line.PR5"));
    // The next start folder names the same folder, with its capitals.
    EXPECT_EQ(main->OpenDlgDir, path(QStringLiteral("prefix/data/Plant Folder")));
    EXPECT_TRUE(QDir(main->OpenDlgDir).exists());
    EXPECT_TRUE(Scheduler->Active());
    EXPECT_EQ(Scheduler->Selector(), main->ProtSel);
    EXPECT_TRUE(qeltest::waitUntil(bothAnswer, 20000));
    EXPECT_TRUE(ui->messages.empty());
}

TEST_F(OpenFiles, ABrokenProjectFallsBackToANewOneAndWhenThatFailsTooTheProgramCloses)
{
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    const QString broken = writeFile(QStringLiteral("broken.pr5"), QByteArray("\x01\x02 no project", 14));
    ui->openAnswers = {broken};
    main->MenuOpen1->trigger();
    // The search of the default settings found both inverters again.
    EXPECT_EQ(Project->FileName, QString());
    EXPECT_TRUE(Scheduler->Active());
    EXPECT_TRUE(qeltest::waitUntil(bothAnswer, 20000));
    EXPECT_TRUE(ui->terminated.empty());

    // No protocol to search: the new project fails too.
    ProgCfg->DefProts = 0;
    ui->prj->messageAnswers = {1, 1, 1};
    ui->messages.clear();
    ui->openAnswers = {broken};
    main->MenuOpen1->trigger();
    ASSERT_EQ(ui->messages.size(), 2u);  // why the file did not load, then this
    EXPECT_EQ(ui->messages[1].Msg, *LangTexts->GetStrings(0, 42));
    EXPECT_EQ(ui->messages[1].Buttons, ButtonList(1));
    EXPECT_EQ(ui->terminated, std::vector<int>{0});  // the main window closed
}

TEST_F(OpenFiles, ADamagedProjectIsNamedWithTheReasonBeforeTheNewProjectAndStaysUntouched)
{
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    QFile demo(QDir(qeltest::sourceDir()).filePath(QStringLiteral("data/demo/demo.pr5")));
    ASSERT_TRUE(demo.open(QIODevice::ReadOnly));
    QByteArray bigInterval = demo.readAll();
    const QByteArray truncated = bigInterval.left(bigInterval.indexOf("WATCHINTERVAL") + 8);
    bigInterval.replace("WATCHINTERVAL=5", "WATCHINTERVAL=99999999999");
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("Folder.pr5"))));
    const struct {
        const char* file;
        QByteArray body;  // null: the folder
        int text;         // of section 0
        QString p2, p3;
    } cases[] = {
        {"Folder.pr5", {}, 29, QStringLiteral("5"), {}},
        {"Empty.pr5", "", 49, {}, {}},
        {"Random.pr5", QByteArray("\xd7\x1f\x00\x9c=[\xfe\r\n\x02\x80", 11), 49, {}, {}},
        {"Truncated.pr5", truncated, 51, QStringLiteral("PROJECT"), QStringLiteral("WATCHINTERVAL")},
        {"Interval.pr5", bigInterval, 50, QStringLiteral("3"), QStringLiteral("WATCHINTERVAL=99999999999")},
    };
    QStringList captions;
    QObject::connect(main.get(), &QWidget::windowTitleChanged, [&captions](const QString& t) { captions << t; });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString file = c.body.isNull() ? path(QString::fromLatin1(c.file)) : writeFile(QString::fromLatin1(c.file), c.body);
        QString nameAtMessage;
        ui->onMessage = [&nameAtMessage] { nameAtMessage = Project->PrjName; };
        ui->messages.clear();
        captions.clear();
        ui->openAnswers = {file};
        main->MenuOpen1->trigger();
        ASSERT_EQ(ui->messages.size(), 1u);
        const ShownMessage& m = ui->messages[0];
        EXPECT_EQ(m.Msg, *LangTexts->GetStrings(0, c.text));
        EXPECT_EQ(m.P1, file);
        EXPECT_EQ(m.P2, c.p2);
        EXPECT_EQ(m.P3, c.p3);
        EXPECT_EQ(m.Buttons, ButtonList(1));
        // Told before the new project was built; the search then found both.
        EXPECT_NE(nameAtMessage, Project->DefPrjName);
        EXPECT_EQ(Project->PrjName, Project->DefPrjName);
        EXPECT_NE(Project->GetInv(1), nullptr);
        EXPECT_NE(Project->GetInv(2), nullptr);
        EXPECT_EQ(Project->FileName, QString());
        for (const QString& t : captions)
            EXPECT_FALSE(t.contains(QString::fromLatin1(c.file))) << t.toStdString();
        EXPECT_EQ(main->windowTitle(), main->PrjCaption());
        EXPECT_TRUE(Scheduler->Active());
        // Nothing was written to the damaged file; a save of the new
        // project asks for a name.
        const int dialogs = ui->prj->saveDialogs;
        ui->prj->saveAnswers = {QString()};
        main->MenuSavePrj->trigger();
        EXPECT_EQ(ui->prj->saveDialogs, dialogs + 1);
        if (!c.body.isNull()) {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), c.body);
        } else {
            EXPECT_TRUE(QFileInfo(file).isDir());
        }
    }
}

TEST_F(OpenFiles, AModifiedProjectIsKeptWhenTheSaveTheUserAskedForFails)
{
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    // The project's file name now names a folder: it cannot be written.
    const QString before = path(QStringLiteral("a folder"));
    ASSERT_TRUE(QDir().mkpath(before));
    Project->FileName = before;
    Project->Modified = true;
    const QString other = copyDemoTo(QStringLiteral("elsewhere/Other.pr5"));
    ui->messageAnswers = {0};  // save: yes
    ui->prj->messageAnswers = {0, 0, 0};
    ui->openAnswers = {other};
    main->MenuOpen1->trigger();
    EXPECT_EQ(Project->FileName, before);
    EXPECT_TRUE(Project->Modified);
    EXPECT_TRUE(Scheduler->Active());

    // Answered No: the other project is loaded.
    ui->messageAnswers = {1};
    ui->openAnswers = {other};
    main->MenuOpen1->trigger();
    EXPECT_EQ(Project->FileName, other);
}

TEST_F(OpenFiles, ExplorerRequestsOpenLinkedFilesByKindForTheirInverter)
{
    auto refusing = std::make_shared<RefusingUi>();
    ui = refusing;
    makeMain(demoProject());
    std::vector<std::pair<int, QString>> scopes;
    FakeKind scope;
    scope.show = [&scopes](int Inv, int, const QString& F) -> QWidget* {
        scopes.emplace_back(Inv, F);
        return nullptr;
    };
    main->Kinds.Scope = &scope;
    main->FormShow();
    ASSERT_TRUE(main->Shown);

    const QString list = path(QStringLiteral("prefix/data/Pumps.wr5"));
    {
        TFWrkList writer(0);
        ASSERT_EQ(writer.SaveToFile(list), 0);
    }
    const QString globalScope = writeFile(QStringLiteral("g.sc5"), "x");
    const QString invScope = writeFile(QStringLiteral("i2.SC5"), "x");
    const QString notes = writeFile(QStringLiteral("notes.txt"), "x");
    const QString gone = path(QStringLiteral("gone.pdf"));
    const QString unlinked = writeFile(QStringLiteral("unlinked.wr5"), "x");
    ASSERT_GE(Project->AddFile(list, -1), 0);
    ASSERT_GE(Project->AddFile(globalScope, -1), 0);
    ASSERT_GE(Project->AddFile(invScope, 2), 0);
    ASSERT_GE(Project->AddFile(notes, 2), 0);
    ASSERT_GE(Project->AddFile(gone, -1), 0);

    main->PrjChgReq(nullptr, 0, list);
    TFWrkList* w = WrkLists->Window(0);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Core().FileName, list);
    main->PrjChgReq(nullptr, 0, unlinked);  // not in the project: ignored
    EXPECT_EQ(WrkLists->Window(1), nullptr);
    main->PrjChgReq(nullptr, 1, list);      // other requests: ignored
    EXPECT_EQ(WrkLists->Window(1), nullptr);

    main->PrjChgReq(nullptr, 0, globalScope);
    main->PrjChgReq(nullptr, 0, invScope);
    EXPECT_EQ(scopes, (std::vector<std::pair<int, QString>>{{1, globalScope}, {2, invScope}}));

    // Other files go to the desktop; a refusal is reported with the shell's
    // number.
    main->PrjChgReq(nullptr, 0, notes);
    main->PrjChgReq(nullptr, 0, gone);
    EXPECT_EQ(refusing->urls, (QList<QUrl>{QUrl::fromLocalFile(notes), QUrl::fromLocalFile(gone)}));
    EXPECT_EQ(refusing->errorBoxes,
              (QStringList{QStringLiteral("Error ShellExecute: 31"), QStringLiteral("Error ShellExecute: 2")}));
    refusing->accept = true;
    main->PrjChgReq(nullptr, 0, notes);
    EXPECT_EQ(refusing->errorBoxes.size(), 2);
    delete w;
}

TEST_F(OpenFiles, InverterListChangesRefreshOpenWorkListsWhileTheSchedulerIsStopped)
{
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    main->NewWorkBtn->click();
    TFWrkList* w = WrkLists->Window(0);
    ASSERT_NE(w, nullptr);
    auto row = std::make_shared<TWrkListItem>();
    row->Inverter = 2;
    row->Address = 0x0002;
    row->Para = FindParaShared(Project->GetInv(2)->Cfg, 0x0002);
    w->InsertItem(row, 0);
    ASSERT_NE(row->Para, nullptr);
    std::vector<bool> activeAtRefresh;
    QObject::connect(&w->Core().Model(), &QAbstractItemModel::dataChanged, w,
                     [&activeAtRefresh] { activeAtRefresh.push_back(Scheduler->Active()); });

    main->PrjDataInvListChanged(Project, pcGeneral | pcFiles);
    EXPECT_TRUE(activeAtRefresh.empty());

    Project->RemoveInv(2);
    Project->FirePendingChanges();
    EXPECT_EQ(row->Para, nullptr);
    EXPECT_EQ(w->Core().Model().Text(0, TWrkListModel::colName), w->Core().UnknownInverterText);
    ASSERT_FALSE(activeAtRefresh.empty());
    for (bool active : activeAtRefresh)
        EXPECT_FALSE(active);
    EXPECT_TRUE(Scheduler->Active());
    w->Core().Modified = false;
    delete w;
}

TEST_F(OpenFiles, TheClipboardViewerTakesOtherProgramsTextOnly)
{
    QClipboard* cb = QGuiApplication::clipboard();
    // Text there before the program starts is taken once.
    cb->setText(QStringLiteral("before start"));
    makeMain(demoProject());
    ASSERT_NE(ClpBrd->Content(), nullptr);
    EXPECT_EQ(ClpBrd->Content()->Lines, QStringList{QStringLiteral("before start")});

    // Three lines from another program, with mixed breaks.
    cb->setText(QStringLiteral("one\r\ntwo\nthree\r"));
    ASSERT_TRUE(qeltest::waitUntil([] {
        return ClpBrd->Content() && ClpBrd->Content()->Lines.size() == 3;
    }));
    const TIntClpBrd* c = ClpBrd->Content();
    EXPECT_EQ(c->Flags, cbfTextOnly);
    EXPECT_EQ(c->Lines, (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}));
    EXPECT_EQ(c->Count(), 0);
    // Nothing written back: the system clipboard holds the other text as it was.
    EXPECT_EQ(cb->text(), QStringLiteral("one\r\ntwo\nthree\r"));
    EXPECT_FALSE(IsOwnClpBrdData(cb->mimeData()));

    // The program's own content stays what it is.
    auto own = std::make_unique<TIntClpBrd>();
    own->Flags = cbfRows;
    own->Items.resize(1);
    own->Lines = {QStringLiteral("1 ; 0101h")};
    const TIntClpBrd* ownPtr = own.get();
    ClpBrd->SetIntClpBrd(std::move(own));
    QCoreApplication::processEvents();
    EXPECT_EQ(ClpBrd->Content(), ownPtr);
    EXPECT_TRUE(IsOwnClpBrdData(cb->mimeData()));
    EXPECT_EQ(cb->text(), QStringLiteral("1 ; 0101h"));

    // Other data only empties the internal clipboard.
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(Qt::red);
    cb->setImage(img);
    EXPECT_TRUE(qeltest::waitUntil([] { return ClpBrd->Content() == nullptr; }));

    // Another instance's content counts as another program's.
    auto* foreign = new QMimeData;
    foreign->setText(QStringLiteral("x"));
    foreign->setData(ClpBrdMarkerType, "1");
    cb->setMimeData(foreign);
    EXPECT_TRUE(qeltest::waitUntil([] { return ClpBrd->Content() && ClpBrd->Content()->Lines.size() == 1; }));

    // After the close query the window no longer follows the clipboard.
    main->close();
    cb->setText(QStringLiteral("after"));
    QCoreApplication::processEvents();
    ASSERT_NE(ClpBrd->Content(), nullptr);
    EXPECT_EQ(ClpBrd->Content()->Lines, QStringList{QStringLiteral("x")});
}

TEST_F(OpenFiles, TheDemoWorkListOpensAndReadsBothInverters)
{
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    const QString list = path(QStringLiteral("prefix/data/demo.wr5"));
    ASSERT_TRUE(QFile::copy(QDir(qeltest::sourceDir()).filePath(QStringLiteral("data/demo/demo.wr5")), list));
    ui->openAnswers = {list};
    main->MenuOpen1->trigger();
    TFWrkList* w = WrkLists->Window(0);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_EQ(w->Core().FileName, list);
    EXPECT_FALSE(w->Core().Comments.isEmpty());
    std::set<int> invs;
    for (const auto& row : w->Core().Rows()) {
        if (row->IsBlank())
            continue;
        invs.insert(row->Inverter);
        EXPECT_NE(row->Para, nullptr) << row->Address;
    }
    EXPECT_EQ(invs, (std::set<int>{1, 2}));
    EXPECT_TRUE(qeltest::waitUntil(
        [w] {
            for (const auto& row : w->Core().Rows())
                if (!row->IsBlank() && !row->ValueValid)
                    return false;
            return true;
        },
        20000));
    delete w;
}

TEST_F(OpenFiles, WorkListsOpenTheProgramsEditorsForTheirRows)
{
    makeMain(demoProject());
    main->FormShow();
    ASSERT_TRUE(main->Shown);
    ASSERT_TRUE(windows->Editors().SetEdit() && windows->Editors().RemEdit());
    TfrmSetEdit& setEd = *windows->Editors().SetEdit();
    main->NewWorkBtn->click();
    TFWrkList* w = WrkLists->Window(0);
    ASSERT_NE(w, nullptr);
    const std::shared_ptr<const TWrkListTools> tools = w->Tools;
    EXPECT_EQ(tools->InvSel.data(), main->InvSel);
    auto row = std::make_shared<TWrkListItem>();
    row->Inverter = 1;
    row->Address = 0x0101;
    row->SetSel = 2;
    row->Para = FindParaShared(Project->GetInv(1)->Cfg, 0x0101);
    w->InsertItem(row, 0);
    w->List()->selectRow(0);
    w->EditSet();
    EXPECT_TRUE(setEd.isVisible());
    EXPECT_EQ(setEd.OrgSel(), 2);
    setEd.hide();
    // The remark editor: its OK takes the text into the row.
    w->EditRemark();
    ASSERT_TRUE(windows->Editors().RemEdit()->isVisible());
    windows->Editors().RemEdit()->RemEdit->setText(QStringLiteral("checked"));
    windows->Editors().RemEdit()->OkButton->click();
    EXPECT_EQ(row->Remark, QStringLiteral("checked"));
    EXPECT_EQ(w->Core().Model().Text(0, TWrkListModel::colRemark), QStringLiteral("checked"));
    windows->Editors().RemEdit()->hide();
    // Settings changes reach the value and address editors every time.
    ProgCfg->lng = 1;
    main->ProgCfgChanged(ProgCfg);
    EXPECT_EQ(windows->Editors().ValEdit()->Core().Language, 1);
    w->Core().Modified = false;
    delete w;
    endMain();
    EXPECT_EQ(tools->SetEdit, nullptr);
}

}  // namespace
