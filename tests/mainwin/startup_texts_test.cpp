// The start-up text table with the English language file: every control,
// window and object that start-up gives a language text shows exactly that
// text (a whole entry where the table takes all its lines).
#include "program_fixture.h"
#include "screenshot.h"

#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "dialogs/add_file_dlg.h"
#include "dialogs/glyph_button.h"
#include "dialogs/install_prj_dialogs.h"
#include "dialogs/inv_edit_dlg.h"
#include "dialogs/inv_sel_dlg.h"
#include "dialogs/opt_dlg.h"
#include "dialogs/sel_cfg_dlg.h"
#include "dialogs/print_form.h"
#include "lists/adr_edit.h"
#include "lists/mode_edit.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "lists/wrk_lists.h"
#include "mainwin/editor_windows.h"
#include "mainwin/prj_expl.h"
#include "project/prj_edit_rows.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

using namespace mwtest;

namespace {

// The text a control shows: a menu's title, an entry's or button's caption,
// a label's text, a group's title, a tab page's tab, a window's caption.
QString shown(const QObject* o)
{
    if (!o)
        return QStringLiteral("<no such control>");
    if (auto* m = qobject_cast<const QMenu*>(o))
        return m->title();
    if (auto* a = qobject_cast<const QAction*>(o))
        return a->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(o))
        return b->text();
    if (auto* l = qobject_cast<const QLabel*>(o))
        return l->text();
    if (auto* g = qobject_cast<const QGroupBox*>(o))
        return g->title();
    if (auto* w = qobject_cast<const QWidget*>(o)) {
        for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
            if (auto* tabs = qobject_cast<const QTabWidget*>(p))
                if (const int i = tabs->indexOf(const_cast<QWidget*>(w)); i >= 0)
                    return tabs->tabText(i);
        return w->windowTitle();
    }
    return QStringLiteral("<no text>");
}

struct Row {
    QString control;
    int section, index;
    bool lines;  // the whole entry, lines joined
    std::function<QString()> shows;
};

class StartupTexts : public ProgramTest {
protected:
    void SetUp() override
    {
        MainWinTest::SetUp();
        setDword(QStringLiteral("Software\\QEL\\Vortalin5\\Appl"), QStringLiteral("ProgLng"), 0);  // English
        makeMain(demoProject());
        main->FormShow();
        ASSERT_TRUE(main->Shown);
        ASSERT_EQ(LangTexts->GetText(5, 21), QStringLiteral("&File"));
    }
    QString expected(const Row& r) const
    {
        if (r.lines)
            if (const QStringList* l = LangTexts->GetStrings(r.section, r.index))
                return l->join(u'\n');
        return LangTexts->GetText(r.section, r.index);
    }
    void check(const char* target, const std::vector<Row>& rows)
    {
        for (const Row& r : rows)
            EXPECT_EQ(r.shows(), expected(r))
                << target << " " << r.control.toStdString() << " (" << r.section << "," << r.index << ")";
    }
    // A row whose control is found by name under `owner`.
    static Row named(const QObject* owner, const char* name, int s, int i)
    {
        return {QLatin1String(name), s, i, false,
                [owner, name] { return shown(owner->findChild<QObject*>(QLatin1String(name))); }};
    }
};

TEST_F(StartupTexts, TheMainWindowAndItsToolButtons)
{
    TFMain* m = main.get();
    std::vector<Row> rows;
    for (auto [name, s, i] : std::initializer_list<std::tuple<const char*, int, int>>{
             {"MenuFile1", 5, 21},          {"MenuNewProject1", 3, 0},       {"MenuNewDownloadList1", 2, 12},
             {"MenuNewWorkList1", 4, 7},    {"MenusaveParas", 5, 46},        {"MenuSaveAs1", 5, 12},
             {"MenuPrint1", 5, 13},         {"MenuQuit1", 5, 25},            {"MenuEdit1", 5, 22},
             {"MenuMarkAll1", 5, 9},        {"MenuSearch1", 5, 28},          {"MenuDefaultSettings1", 5, 26},
             {"MenuChangeProject1", 5, 27}, {"MenuView1", 5, 23},            {"MenuHelp1", 5, 24},
             {"MenuSavePrj", 5, 33},        {"MenuSavePrjAs", 5, 34},        {"MenuCopyPrj", 5, 35},
             {"MenuPrjExpl", 3, 73},        {"MenuInverterScope", 1, 44},    {"MenuOperatorParameter", 5, 44},
             {"MenuQuintel", 5, 47},        {"MenuHexdisplay", 5, 42},       {"miWindows", 5, 29},
             {"miArrangeVertical", 5, 30},  {"miArrangeHorizontal", 5, 31},  {"miArrangeOverlapped", 5, 32},
             {"MiNext", 5, 45},             {"miInhalt", 5, 36},             {"miHowTo", 5, 37},
             {"miInvManuals", 5, 39},       {"HelpAboutItem", 5, 40},
             // The entries named after their tool button's hint.
             {"MenuOpen1", 5, 10},          {"MenuSave1", 5, 11},            {"MenuCut1", 5, 5},
             {"MenuCopy1", 5, 6},           {"MenuPaste1", 5, 7},            {"MenuDelete1", 5, 8}})
        rows.push_back(named(m, name, s, i));
    for (auto [button, s, i] : std::initializer_list<std::tuple<QToolButton*, int, int>>{
             {m->OpenBtn, 5, 10},       {m->SaveBtn, 5, 11},       {m->CutBtn, 5, 5},
             {m->CopyBtn, 5, 6},        {m->PasteBtn, 5, 7},       {m->DelBtn, 5, 8},
             {m->NewDwnLoadBtn, 2, 12}, {m->NewWorkBtn, 4, 7},     {m->PrjEditBtn, 5, 27},
             {m->ExplBtn, 3, 73},       {m->ScopeButton, 1, 44}})
        rows.push_back({button->objectName() + QStringLiteral(" hint"), s, i, false,
                        [button] { return button->toolTip(); }});
    check("main window", rows);
    EXPECT_EQ(m->MenuFBS->text(), QStringLiteral("Feldbus"));
}

TEST_F(StartupTexts, TheProjectExplorer)
{
    auto* w = main->findChild<TFPrjExpl*>();
    ASSERT_NE(w, nullptr);
    const TPrjExplTexts& t = w->Core().Texts;
    std::vector<Row> rows;
    auto text = [&rows](const char* name, int s, int i, std::function<QString()> f, bool lines = false) {
        rows.push_back({QLatin1String(name), s, i, lines, std::move(f)});
    };
    // Page tabs.
    const std::pair<int, int> tabs[] = {{1, 1}, {2, 2}, {3, 5}, {4, 6}, {8, 7}, {5, 8}, {6, 9}, {7, 10}};
    for (auto [page, i] : tabs)
        text(w->Pages[size_t(page)]->objectName().toLatin1().constData(), 3, i,
             [w, page = page] { return w->PC->tabText(page); });
    // Texts kept for the tree, lists and status bar.
    const std::tuple<const char*, int, int, const QString*> kept[] = {
        {"tsGrpListCaption", 3, 3, &t.tsGrpListCaption},     {"tsParaListCaption", 3, 4, &t.tsParaListCaption},
        {"tsPlaintextCaption", 3, 53, &t.tsPlaintextCaption}, {"tsScopeCaption", 3, 54, &t.tsScopeCaption},
        {"tsWorkCaption", 3, 55, &t.tsWorkCaption},           {"tsProgCaption", 3, 56, &t.tsProgCaption},
        {"tsRemCaption", 3, 57, &t.tsRemCaption},             {"tsLinkedFilesCaption", 3, 72, &t.tsLinkedFilesCaption},
        {"SbInvText", 3, 58, &t.SbInvText},                   {"SbSetAdrModeText", 3, 59, &t.SbSetAdrModeText},
        {"SbSetPtrText", 3, 60, &t.SbSetPtrText},             {"SbActSetText", 3, 61, &t.SbActSetText},
        {"SbPasswordText", 3, 62, &t.SbPasswordText},         {"IdText", 3, 23, &t.IdText},
        {"NameText", 3, 15, &t.NameText},                     {"ValText", 3, 24, &t.ValText},
        {"PathText", 7, 23, &t.PathText},                     {"NotActText", 3, 52, &t.NotActText},
        {"NotProgText", 3, 63, &t.NotProgText},               {"IndOnlyText", 3, 64, &t.IndOnlyText},
        {"NoText", 3, 65, &t.NoText},                         {"YesText", 3, 66, &t.YesText},
        {"UnknownInvText", 0, 4, &t.UnknownInvText},          {"InvText", 4, 0, &t.InvText},
        {"SetText", 4, 2, &t.SetText},                        {"IndirectText", 3, 71, &t.IndirectText},
        {"ExpandSetDisplText", 3, 77, &t.ExpandSetDisplText}, {"CollapseSetDisplText", 3, 78, &t.CollapseSetDisplText},
        {"VariableValueText", 3, 79, &t.VariableValueText},   {"EditSetText", 3, 69, &t.EditSetText},
        {"EditSetPtrText", 3, 68, &t.EditSetPtrText},         {"EditPasswordText", 3, 70, &t.EditPasswordText},
        {"HeaderText", 3, 73, &t.HeaderText},                 {"NotConnectedText", 3, 74, &t.NotConnectedText},
        {"ConnectedText", 3, 75, &t.ConnectedText},           {"IncorrectIdText", 3, 76, &t.IncorrectIdText},
    };
    for (auto [name, s, i, p] : kept)
        text(name, s, i, [p = p] { return *p; });
    text("RWText", 3, 67, [&t] { return t.RWText.join(u'\n'); }, true);
    // Labels of the property pages.
    const std::tuple<const char*, const char*, int, int> labels[] = {
        {"labPrjName", "lbPrjName", 3, 11},       {"labPrjInterval", "lbWatchInterval", 3, 12},
        {"labPrjRem", "lbRemarks", 3, 13},        {"labPrjInvList", "labPrjInvList", 3, 58},
        {"labInvName", "lbInvName", 3, 17},       {"labInvAdr", "lbInvAdr", 3, 18},
        {"labInvProt", "lbInvProt", 7, 20},       {"labCfgIDPrj", "lbInvPrjCfgId", 3, 19},
        {"labCfgIDAct", "lbInvCfgIdInUse", 3, 20}, {"labCfgIdInv", "lbInvCfgId", 3, 21},
        {"labInvState", "lbInvState", 3, 22},     {"labGrpIndex", "lbGrpIndex", 3, 25},
        {"labGrpChar", "lbGrpId", 3, 26},         {"labShortcut", "lbGrpShortcut", 3, 27},
        {"labGrpProp", "lbGrpProp", 3, 28},       {"labMaxGrpPara", "lbGrpMaxPara", 3, 29},
        {"labGrpParaCount", "lbGrpLastPara", 3, 30}, {"labBaseGrpAdr", "lbGrpBaseAddr", 3, 31},
        {"labGrpName", "lbGrpName", 3, 32},       {"labParaAdr", "lbAddr", 3, 14},
        {"labParaIdText", "lbIdText", 3, 23},     {"labParaName", "lbName", 3, 15},
        {"labParaUpperLim", "lbUpperLim", 3, 34}, {"labParaLowerLim", "lbLowerLim", 3, 35},
        {"labParaDefVal", "lbDefVal", 3, 36},     {"labParaRes", "lbResolution", 3, 37},
        {"labParaProg", "lbProgrammable", 3, 38}, {"labParaRW", "lbWriteProt", 3, 39},
        {"labParaEnter", "lbEnter", 3, 40},       {"labParaProp1", "lbAttr", 3, 41},
        {"labParaProp2", "lbFlags", 3, 42},       {"labParaMult", "lbMul", 3, 43},
        {"labParaDiv", "lbDiv", 3, 44},           {"labParaOffset", "lbOffset", 3, 45},
        {"labParaNorm", "lbFormat", 3, 46},       {"labParaPTIndex", "lbTextId", 3, 47},
        {"labPTIndex", "lbPtTextId", 3, 47},      {"labParaDefCnt", "lbDefCount", 3, 48},
        {"labDefIndList", "labDefIndList", 3, 49}, {"labDefBitMask", "lbDefMask", 3, 50},
        {"labDefName", "lbDefName", 3, 15},       {"labSubVal", "lbSubValue", 3, 24},
        {"labSubType", "lbSubAttr", 3, 51},       {"labSubName", "lbSubName", 3, 15},
    };
    for (auto [part, field, s, i] : labels)
        text(part, s, i, [w, field = field] { return w->FieldCaption(QLatin1String(field)); });
    // List columns.
    const std::tuple<const char*, QTreeWidget*, int, int, int> columns[] = {
        {"InvListView 0", w->InvListView, 0, 3, 14}, {"InvListView 1", w->InvListView, 1, 3, 15},
        {"InvListView 2", w->InvListView, 2, 3, 16}, {"lvPlainText 0", w->lvPlainText, 0, 3, 50},
        {"lvPlainText 1", w->lvPlainText, 1, 3, 15}, {"lvSubInd 0", w->lvSubInd, 0, 3, 24},
        {"lvSubInd 1", w->lvSubInd, 1, 3, 51},       {"lvSubInd 2", w->lvSubInd, 2, 3, 15},
    };
    for (auto [name, list, c, s, i] : columns)
        text(name, s, i, [list = list, c = c] { return list->headerItem()->text(c); });
    // Pop-up entries; the expand entry shows its language text until a row's
    // sets are shown.
    text("MiEditVal", 5, 3, [w] { return w->MiEditVal->text(); });
    text("MiCopy", 5, 6, [w] { return w->MiCopy->text(); });
    text("MiMarkAll", 5, 9, [w] { return w->MiMarkAll->text(); });
    text("MiEditSet", 3, 69, [w] { return w->MiEditSet->text(); });
    text("MiEditSetPtr", 3, 68, [w] { return w->MiEditSetPtr->text(); });
    text("MiEditPassword", 3, 70, [w] { return w->MiEditPassword->text(); });
    text("miExpandCollapse", 3, 77, [w] { return w->miExpandCollapse->text(); });
    check("explorer", rows);

    // For looking at: the inverter page and the list's pop-up menu.
    main->MenuPrjExpl->trigger();
    QTreeWidgetItem* inv = w->TV->topLevelItem(0) ? w->TV->topLevelItem(0)->child(0) : nullptr;
    ASSERT_NE(inv, nullptr);
    w->TV->setCurrentItem(inv);
    EXPECT_EQ(w->PC->tabText(w->PC->currentIndex()), LangTexts->GetText(3, 2));
    qeltest::saveScreenshot(*w, QStringLiteral("explorer_inverter_en.png"));
    w->PM->popup(w->mapToGlobal(QPoint(40, 40)));
    qeltest::saveScreenshot(*w->PM, QStringLiteral("explorer_popup_en.png"));
    w->PM->close();
}

TEST_F(StartupTexts, TheWorkListManagerAndTheProject)
{
    TWrkLists& l = *WrkLists;
    using G = QString (TWrkLists::*)() const;
    const std::tuple<const char*, G, int, int, bool> manager[] = {
        {"EditInvMenuText", &TWrkLists::EditInvMenuText, 5, 0, false},
        {"EditAdrMenuText", &TWrkLists::EditAdrMenuText, 4, 22, false},
        {"EditSetMenuText", &TWrkLists::EditSetMenuText, 5, 2, false},
        {"EditValMenuText", &TWrkLists::EditValMenuText, 5, 3, false},
        {"EditRemMenuText", &TWrkLists::EditRemMenuText, 5, 4, false},
        {"InsBlankMenuText", &TWrkLists::InsBlankMenuText, 2, 8, false},
        {"SaveMenuText", &TWrkLists::SaveMenuText, 4, 8, false},
        {"SaveAsMenuText", &TWrkLists::SaveAsMenuText, 4, 9, false},
        {"AddToPrjMenuText", &TWrkLists::AddToPrjMenuText, 4, 19, false},
        {"RemFromPrjMenuText", &TWrkLists::RemFromPrjMenuText, 4, 20, false},
        {"CutMenuText", &TWrkLists::CutMenuText, 5, 5, false},
        {"CopyMenuText", &TWrkLists::CopyMenuText, 5, 6, false},
        {"InsertMenuText", &TWrkLists::InsertMenuText, 5, 7, false},
        {"DeleteMenuText", &TWrkLists::DeleteMenuText, 5, 8, false},
        {"MarkAllMenuText", &TWrkLists::MarkAllMenuText, 5, 9, false},
        {"DefColWidthMenuText", &TWrkLists::DefColWidthMenuText, 4, 23, false},
        {"InvColText", &TWrkLists::InvColText, 4, 0, false},
        {"AdrColText", &TWrkLists::AdrColText, 4, 1, false},
        {"SetColText", &TWrkLists::SetColText, 4, 2, false},
        {"IdColText", &TWrkLists::IdColText, 4, 3, false},
        {"NameColText", &TWrkLists::NameColText, 4, 4, false},
        {"ValColText", &TWrkLists::ValColText, 4, 5, false},
        {"RemColText", &TWrkLists::RemColText, 4, 6, false},
        {"SaveDlgWrkText", &TWrkLists::SaveDlgWrkText, 5, 17, false},
        {"SaveDlgAllText", &TWrkLists::SaveDlgAllText, 5, 15, false},
        {"UnknownInverterText", &TWrkLists::UnknownInverterText, 4, 10, false},
        {"UnknownParaText", &TWrkLists::UnknownParaText, 4, 11, false},
        {"NotActText", &TWrkLists::NotActText, 4, 12, false},
        {"AskForSaveMsgText", &TWrkLists::AskForSaveMsgText, 4, 16, true},
        {"AskForSaveHeaderText", &TWrkLists::AskForSaveHeaderText, 4, 15, false},
        {"AskForOverrideMsgText", &TWrkLists::AskForOverrideMsgText, 4, 18, true},
        {"AskForOverrideHeaderText", &TWrkLists::AskForOverrideHeaderText, 4, 17, false},
        {"YesBtnText", &TWrkLists::YesBtnText, 0, 8, false},
        {"NoBtnText", &TWrkLists::NoBtnText, 0, 9, false},
        {"CancelBtnText", &TWrkLists::CancelBtnText, 0, 7, false},
        {"PrintCaptionText", &TWrkLists::PrintCaptionText, 0, 18, false},
        {"PageFooterText", &TWrkLists::PageFooterText, 0, 17, false},
        {"FileDateText", &TWrkLists::FileDateText, 0, 41, false},
        {"PrintDateText", &TWrkLists::PrintDateText, 0, 40, false},
        {"DefHeader", &TWrkLists::DefHeader, 4, 7, false},
        // A failed write is reported with the project's write-error text.
        {"write error", &TWrkLists::WriteErrorMsgText, 7, 58, true},
    };
    std::vector<Row> rows;
    for (auto [name, get, s, i, lines] : manager)
        rows.push_back({QLatin1String(name), s, i, lines, [&l, get = get] { return (l.*get)(); }});
    check("work-list manager", rows);

    TVortalinPrj& p = *Project;
    auto joined = [](const QStringList& l) { return l.join(u'\n'); };
    check("project", {
        {"DefPrjName", 3, 0, false, [&] { return p.DefPrjName; }},
        {"DefInvName", 7, 43, false, [&] { return p.DefInvName; }},
        {"MsgCancelText", 0, 7, false, [&] { return p.MsgCancelText; }},
        {"MsgInvSearchTitle", 7, 53, false, [&] { return p.MsgInvSearchTitle; }},
        {"MsgOverrideText", 0, 13, true, [&] { return joined(p.MsgOverride); }},
        {"MsgSaveText", 7, 40, true, [&] { return joined(p.MsgSave); }},
        {"MsgYesText", 7, 41, false, [&] { return p.MsgYesText(); }},
        {"MsgNoText", 7, 42, false, [&] { return p.MsgNoText(); }},
        {"MsgNoCfgText", 7, 49, true, [&] { return joined(p.MsgNoCfg); }},
        {"MsgNotOnDiscText", 7, 50, true, [&] { return joined(p.MsgNotOnDisc); }},
        {"MsgNotOnDiscSelText", 7, 57, false, [&] { return p.MsgNotOnDiscSelText(); }},
        {"MsgNotOnDiscCancelText", 7, 10, false, [&] { return p.MsgNotOnDiscCancelText(); }},
        {"MsgCopyErrText", 7, 51, true, [&] { return p.MsgCopyErrText; }},
        {"MsgExtSearchText", 7, 52, true, [&] { return joined(p.MsgExtSearch); }},
        {"MsgErrWrToFileText", 7, 58, true, [&] { return joined(p.MsgErrWrToFile); }},
        {"MsgWrongIdText", 7, 54, true, [&] { return joined(p.MsgWrongId); }},
        {"MsgNewIdText", 7, 55, false, [&] { return p.MsgNewIdText(); }},
        {"MsgOldIdText", 7, 56, false, [&] { return p.MsgOldIdText(); }},
        {"read title", 7, 38, false, [&] { return p.ReadTitle; }},
        {"load title", 7, 38, false, [&] { return p.LoadTitle; }},
        {"group text", 7, 37, false, [&] { return p.GroupText; }},
        {"cancel text", 7, 10, false, [&] { return p.CancelText; }},
    });
}

TEST_F(StartupTexts, EditorsOptionsAndPrintWindow)
{
    struct Editor {
        QWidget* w;
        int caption;  // section 5
    };
    std::vector<Row> rows;
    for (auto [w, caption] : std::initializer_list<Editor>{{windows->Editors().ValEdit(), 3}, {windows->Editors().AdrEdit(), 1},
                                                            {windows->Editors().RemEdit(), 4}, {windows->Editors().SetEdit(), 2}}) {
        ASSERT_NE(w, nullptr);
        const QString n = w->objectName();
        rows.push_back({n + QStringLiteral(" caption"), 5, caption, false, [w = w] { return w->windowTitle(); }});
        rows.push_back(named(w, "OkButton", 0, 6));
        rows.back().control.prepend(n + u' ');
        rows.push_back(named(w, w == static_cast<QWidget*>(windows->Editors().ValEdit()) ? "Cancelbutton" : "CancelButton", 0, 7));
        rows.back().control.prepend(n + u' ');
    }
    ASSERT_NE(main->InvSel, nullptr);
    rows.push_back({"inverter selection caption", 5, 0, false, [s = main->InvSel] { return s->windowTitle(); }});
    rows.push_back(named(main->InvSel, "OkButton", 0, 6));
    rows.push_back(named(main->InvSel, "CancelButton", 0, 7));
    ASSERT_NE(windows->Editors().ModeEdit(), nullptr);
    rows.push_back(named(windows->Editors().ModeEdit(), "OkButton", 0, 6));
    rows.push_back(named(windows->Editors().ModeEdit(), "CancelButton", 0, 7));
    rows.push_back(named(windows->Editors().AdrEdit(), "RadioButton1", 0, 32));
    rows.push_back(named(windows->Editors().AdrEdit(), "RadioButton2", 0, 33));
    rows.push_back(named(windows->Editors().SetEdit(), "EnhSetRB", 0, 36));
    rows.push_back(named(windows->Editors().SetEdit(), "ActSetRB", 0, 37));
    rows.push_back(named(windows->Editors().SetEdit(), "IndirectSetRB", 0, 38));
    rows.push_back(named(windows->Editors().SetEdit(), "AllLabel", 0, 31));
    check("editors", rows);

    TfrmOptDlg* d = main->OptDlg;
    ASSERT_NE(d, nullptr);
    std::vector<Row> opt{{"caption", 5, 26, false, [d] { return d->windowTitle(); }}};
    for (auto [name, s, i] : std::initializer_list<std::tuple<const char*, int, int>>{
             {"btnOK", 8, 0}, {"btnCancel", 8, 1}, {"tsDefPrj", 8, 2}, {"GBProt", 8, 3}, {"gbAdrRange", 8, 4},
             {"gbCtrl", 8, 5}, {"labInterval", 8, 6}, {"labMinAdr", 8, 7}, {"labMaxAdr", 8, 8}, {"tsAnsi", 8, 9},
             {"tsZelk", 8, 10}, {"labDinComport", 8, 11}, {"labZelkComport", 8, 11}, {"labDinBaud", 8, 12},
             {"labCanBaud", 8, 12}, {"labPBSbaud", 8, 12}, {"labZelkBaud", 8, 12}, {"labDinTimeOut", 8, 13},
             {"labZelkTimeOut", 8, 13}, {"LabCanTimeout", 8, 13}, {"labPbstimeout", 8, 13},
             {"labIpTimeOut", 8, 13}, {"chbDinSendSingle", 8, 14}, {"chbZelkSendSingle", 8, 14},
             {"chbShowParaInfo", 8, 15}, {"tsCommon", 8, 16}, {"grbDialogs", 8, 17}, {"chbCloseOnCancel", 8, 18},
             {"chbCloseOnOK", 8, 19}, {"grbLng", 8, 20}, {"labProgLng", 8, 21}, {"grbSeperator", 8, 22},
             {"labSeperator", 8, 23}, {"tsPlainText", 8, 24}, {"chbShowPlainText", 8, 25}, {"labPtMode", 8, 26},
             {"labPtLng", 8, 29}, {"LabARProgLng", 8, 35}, {"labARSecLng", 8, 35}, {"chbShowDecValue", 8, 36},
             {"chbShowInvisible", 8, 37}, {"chbShowSupervisor", 8, 38}, {"labDinModemCmd", 8, 39},
             {"labCANCardiD", 8, 40}, {"chbCANWaitTout", 8, 41}, {"bntZelkInfo", 8, 42}, {"bntDinInfo", 8, 42},
             {"btnIpInfo", 8, 42}, {"btnCanInfo", 8, 42}, {"btnPbsInfo", 8, 42}, {"labIPHost", 8, 43},
             {"labIpPort", 8, 44}, {"labPBSMasteraddr", 8, 45}, {"grbPriority", 8, 46}, {"chbDinCloseCom", 8, 47},
             {"chbZelkclosecom", 8, 47}, {"cbHpriorDwnload", 3, 56}})
        opt.push_back(named(d, name, s, i));
    opt.push_back({"cobActLng 0", 8, 27, false, [d] { return d->cobActLng->itemText(0); }});
    opt.push_back({"cobActLng 1", 8, 28, false, [d] { return d->cobActLng->itemText(1); }});
    check("options dialog", opt);

    ASSERT_NE(windows->Editors().Print(), nullptr);
    std::vector<Row> print;
    for (auto [name, s, i] : std::initializer_list<std::tuple<const char*, int, int>>{
             {"Setprtbtn", 6, 0}, {"SetFontBtn", 6, 1}, {"printbtn", 0, 6}, {"cancelbtn", 0, 7},
             {"GroupBox1", 6, 2}, {"GroupBox2", 6, 3}, {"GroupBox3", 6, 4}, {"Label2", 6, 5}, {"Label3", 6, 6}})
        print.push_back(named(windows->Editors().Print(), name, s, i));
    check("print window", print);
}

TEST_F(StartupTexts, TheProjectsDialogs)
{
    const TPrjEditRows& e = Project->PrjEdit();
    std::vector<Row> edit{
        {"FrmHeaderText", 7, 0, false, [&] { return e.FrmHeaderText; }},
        {"PrjNameLabText", 7, 7, false, [&] { return e.PrjNameLabText; }},
        {"IntervalLabText", 7, 8, false, [&] { return e.IntervalLabText; }},
        {"RemarkLabText", 7, 9, false, [&] { return e.RemarkLabText; }},
        {"button 7", 7, 36, false, [&] { return e.ButtonTexts[7]; }},
        {"ChgCfgIdInfoText", 7, 33, true, [&] { return e.ChgCfgIdInfo.join(u'\n'); }},
        {"DelCfgIdInfoText", 7, 34, true, [&] { return e.DelCfgIdInfo.join(u'\n'); }},
        {"AssFilesInfoHeader", 7, 35, false, [&] { return e.AssFilesInfoHeader; }},
        {"ToManyZelkText", 7, 46, true, [&] { return e.ToManyZelk.join(u'\n'); }},
        {"InvAdrInUseText", 7, 48, true, [&] { return e.InvAdrInUse.join(u'\n'); }},
    };
    for (size_t i = 0; i < 6; ++i)
        edit.push_back({QStringLiteral("page %1").arg(i), 7, int(1 + i), false, [&e, i] { return e.PageTexts[i]; }});
    for (size_t i = 0; i < 7; ++i)
        edit.push_back(
            {QStringLiteral("button %1").arg(i), 7, int(10 + i), false, [&e, i] { return e.ButtonTexts[i]; }});
    for (size_t i = 0; i < 4; ++i)
        edit.push_back(
            {QStringLiteral("inverter column %1").arg(i), 7, int(17 + i), false, [&e, i] { return e.InvColTexts[i]; }});
    for (size_t i = 0; i < 3; ++i)
        edit.push_back(
            {QStringLiteral("file column %1").arg(i), 7, int(21 + i), false, [&e, i] { return e.FileColTexts[i]; }});
    check("project edit dialog", edit);

    // The dialogs the program's interaction installs for a project, with
    // the texts it gives them.
    TVortalinPrj prj;
    const std::shared_ptr<TPrjDialogs> d = InstallPrjDialogs(prj, *ProgCfg);
    d->SetTexts(*LangTexts);
    TFrmSelCfg& c = *d->SelCfg;
    TfrmInvEdit& i = *d->InvEdit;
    TfrmAddFileDlg& a = *d->AddFile;
    check("configuration choice", {
        {"FrmHeaderText", 7, 28, false, [&] { return c.windowTitle(); }},
        {"InvInfoText", 7, 29, false, [&] { return c.labInfo->text(); }},
        {"GroupText", 7, 30, false, [&] { return c.labGroup->text(); }},
        {"CfgIdColText", 7, 19, false, [&] { return c.lvCfg->headerItem()->text(0); }},
        {"NameColText", 7, 18, false, [&] { return c.lvCfg->headerItem()->text(1); }},
        {"CancelBtnText", 7, 10, false, [&] { return c.btnCancel->text(); }},
        {"OKBtnText", 7, 11, false, [&] { return c.btnOK->text(); }},
        {"AllGroupsText", 7, 31, false, [&] { return c.AllGroupsText; }},
        {"CfgIdZeroText", 7, 32, false, [&] { return c.CfgIdZeroText; }},
    });
    check("inverter dialog", {
        {"FrmNewInvText", 7, 15, false, [&] { return i.FrmNewInvText; }},
        {"FrmEditInvText", 7, 14, false, [&] { return i.FrmEditInvText; }},
        {"InvNameLabText", 7, 26, false, [&] { return i.labname->text(); }},
        {"InvAdrLabText", 7, 27, false, [&] { return i.labInvAdr->text(); }},
        {"InvCfgIdLabText", 7, 19, false, [&] { return i.labCfgId->text(); }},
        {"InvProtLabText", 7, 20, false, [&] { return i.labProt->text(); }},
        {"CancelBtnText", 7, 10, false, [&] { return i.btnCancel->text(); }},
        {"OKBtnText", 7, 11, false, [&] { return i.btnOK->text(); }},
    });
    check("add-file dialog", {
        {"AddToPrjText", 7, 44, true, [&] { return a.AddToPrjText.join(u'\n'); }},
        {"AddToPrjHeader", 7, 45, false, [&] { return a.windowTitle(); }},
        {"AddFileBtnText", 7, 12, false, [&] { return a.btnAddFile->text(); }},
        {"CancelBtnText", 7, 10, false, [&] { return a.btnCancel->text(); }},
    });
}

} // namespace
