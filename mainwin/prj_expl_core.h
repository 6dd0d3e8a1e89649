#pragma once

// Everything of the project explorer that needs no display: the tree, what
// the pages show for the selected node, the rows of the parameter list with
// their set rows, the scheduler client that reads the shown values, and the
// contents of copy and drag. TFPrjExpl draws it and forwards user input.

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "config/clpbrd_content.h"
#include "mainwin/prj_expl_tree.h"
#include "project/vortalin_prj.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <vector>

// The texts the main window replaces from the language file.
struct TPrjExplTexts {
    QString NotActText = QStringLiteral("nicht aktuell");
    QString NotProgText = QStringLiteral("nicht programmierbar");
    QString IndOnlyText = QStringLiteral("nur indirekt adressierbar");
    QString SbInvText = QStringLiteral("Umrichter:");
    QString SbSetAdrModeText = QStringLiteral("Satzadressierung:");
    QString SbSetPtrText = QStringLiteral("Satzzeiger");
    QString SbActSetText = QStringLiteral("Akt. Satz");
    QString SbPasswordText = QStringLiteral("Passwort:");
    QString tsGrpListCaption = QStringLiteral("Gruppen");
    QString tsParaListCaption = QStringLiteral("Parameter");
    QString tsPlaintextCaption = QStringLiteral("Klartextindizes");
    QString tsScopeCaption = QStringLiteral("Scope Dateien");
    QString tsWorkCaption = QStringLiteral("Arbeitslisten");
    QString tsProgCaption = QStringLiteral("Parameterlisten");
    QString tsRemCaption = QStringLiteral("Andere Dateien");
    QString tsLinkedFilesCaption = QStringLiteral("Alle Dateiverknüpfungen");
    QString IdText = QStringLiteral("ID:");
    QString NameText = QStringLiteral("Name:");
    QString ValText = QStringLiteral("Wert:");
    QString UnknownInvText = QStringLiteral("(unbekannter Umrichter)");
    QString InvText = QStringLiteral("Umr.");
    QString SetText = QStringLiteral("Satz");
    QString IndirectText = QStringLiteral("Indirekt");
    QString HeaderText = QStringLiteral("Projekt-Explorer");
    QString PathText = QStringLiteral("Pfad:");
    QString NotConnectedText = QStringLiteral("keine Verbindung");
    QString ConnectedText = QStringLiteral("Verbindung aktiv");
    QString IncorrectIdText = QStringLiteral("Verbindung mit falscher ID");
    QString ExpandSetDisplText = QStringLiteral("Alle Sätze anzeigen");
    QString CollapseSetDisplText = QStringLiteral("Satzanzeige schließen");
    QString VariableValueText = QStringLiteral("Variabler Wert");
    QString NoText = QStringLiteral("Nein");
    QString YesText = QStringLiteral("Ja");
    QStringList RWText{QStringLiteral("kein Schreibschutz"), QStringLiteral("Tastatur"), QStringLiteral("Ext. Bus"),
                       QStringLiteral("immer Schreibgeschützt")};
    QString EditSetText = QStringLiteral("Satzadressierung");
    QString EditSetPtrText = QStringLiteral("Satzzeiger");
    QString EditPasswordText = QStringLiteral("Password eingeben");
};

// One row of lvParaList. Each row keeps the value read for it: set rows
// share their parameter's node but not its value.
struct TExplRow {
    int StateImage = 0;  // 0 none, 1 sets hidden, 2 sets shown
    bool IsSetRow = false;
    QString Caption, Name, Value;
    std::shared_ptr<TParaNode> Node;  // parameter and set rows
    TExplNode* Group = nullptr;       // rows of the group list
    QString FullName;                 // rows of a file list
    bool Valid = false;
    int32_t RawValue = 0;
};

// One row of lvParaVal.
struct TParaValRow {
    QString Caption, Value;
    bool Valid = false;
    int32_t RawValue = 0;
};

// What the value editor is opened with.
struct TExplEditArgs {
    int SetSel = 0;
    int InvAdr = 0;
    std::shared_ptr<const TParaRec> Para;  // none: the editor offers nothing
    QString Label;
    int32_t Value = 0;
};

// Page modes.
enum : int {
    pmProject = 0,
    pmInverter = 1,
    pmGroups = 2,
    pmParaList = 3,
    pmGroupPage = 4,
    pmParameter = 5,
    pmPlainText = 6,
    pmDefinition = 7,
    pmValue = 8,
    pmScopeFiles = 10,
    pmWorkLists = 11,
    pmParaLists = 12,
    pmOtherFiles = 13,
    pmAllFiles = 14,
};

// Targets of a polled value.
enum : int { tgNone = 0, tgLabel = 1, tgListRow = 2, tgParaValRow = 3, tgPanel = 4 };

class TPrjExplCore : public QObject {
    Q_OBJECT
public:
    static constexpr int PollCycle = 20;
    static constexpr int CfgNoParAdr = 0x160F;
    // The polled label of the inverter page.
    static constexpr const char* CfgIdLabel = "lbInvCfgId";

    explicit TPrjExplCore(QObject* parent = nullptr);
    ~TPrjExplCore() override;

    // ---- settings
    QPointer<TVortalinPrj> Project;
    TPrjExplTexts Texts;
    QString Separator = QStringLiteral("+");
    bool ShowDecValue = false;
    bool ShowParaInfo = false;
    bool ShowInvisible = false;
    bool ShowSupervisor = false;
    int Language() const { return language_; }
    void SetLanguage(int Lang);  // renames in place
    void SetShowPTInfo(bool On);
    // Asks the main window to open a linked file (sender, change code, name).
    std::function<void(QObject* Sender, int Code, const QString& FileName)> OnPrjChgReq;
    std::function<QString(int Code)> OnGetErrorText;
    // The window the requests to the main window come from (none: the core).
    QObject* Window = nullptr;

    // ---- events for the window
    std::function<void()> OnTreeRebuilt;
    std::function<void(TExplNode*)> OnNodeChanged;  // text or image
    std::function<void(TExplNode*)> OnSelectNode;   // the core selected a node
    std::function<void()> OnPageChanged;            // everything on the pages
    std::function<void()> OnRowsChanged;            // rows of lvParaList added or removed
    std::function<void(int Row)> OnRowText;
    std::function<void(int Row)> OnParaValText;
    std::function<void(int Panel)> OnPanelText;
    std::function<void(const QString& Name)> OnFieldText;
    std::function<void()> OnCaptionChanged;
    std::function<void()> OnOpFuncsChanged;  // copy and mark all on or off
    // The scheduler's list-changed notice (unset: RebuildTree).
    std::function<void()> OnListChanged;

    // ---- tree
    TExplNode* Root() const { return root_.get(); }
    TExplNode* Selected() const { return selected_; }
    void RebuildTree() { BuildTree(); }
    void BuildTree();
    // Node change: fills the pages for the node.
    void Select(TExplNode* Node);
    void UpdateInvNames();
    void UpdatePrjProps();
    void UpdateFileLists();
    void SetInvState(int Address, int State);
    bool CanExpand(const TExplNode* Node) const;
    // A typed character: the first group of the current inverter with that
    // shortcut letter. False when none.
    bool SelectShortcut(QChar Key);
    const QStringList& FileList(int Kind) const { return files_[size_t(Kind)]; }
    TExplNode* InvNodeOf(TExplNode* Node) const;
    QString Caption;

    // ---- pages
    int PageMode = -1;
    int PageMask = 0;
    int ActivePage = 0;
    int CurAdr = -1;
    int CurSetSel = -10;
    bool SetAddrAllowed = false;
    int LastRow = -1;
    std::shared_ptr<TInvNode> CurInv;
    std::shared_ptr<TParaNode> SetPtrNode, ActSetNode, PasswordNode;
    QString SetPtrPrefix, ActSetPrefix;
    bool EditSetEnabled = false, EditSetPtrEnabled = false, EditPasswordEnabled = false;
    QMap<QString, QString> Fields;           // labels of the property pages by object name
    std::vector<QStringList> Table;          // InvListView, lvPlainText or lvSubInd
    QString ListCaption;
    QStringList ListHeader;                  // visible columns of lvParaList
    std::array<int, 3> ListWidths{};         // widths of those columns
    std::array<int, 3> ParaColWidths{56, 160, 160};
    bool PopupOn = false;
    std::vector<TExplRow> Rows;
    std::shared_ptr<TParaNode> PagePara;     // the parameter page's node
    std::array<TParaValRow, 8> ParaVal;
    std::array<QString, 5> Panels;
    std::array<int, 240> SetSel;             // remembered set selector per address
    // Copy and mark all are offered (page mode 3).
    bool CopyOn() const { return PageMode == pmParaList; }
    // The user switched the page tab: the list and the group page swap.
    void TabSwitched(int Page);
    // The list's columns were resized by the user (page modes 3, 4).
    void SetParaColWidth(int Col, int Width);

    // ---- set rows
    void ExpandSets(int Row);
    void CollapseSets(int Row);
    int SetMaskOfRow(int Row) const;
    int ParaRowOf(int Row) const;  // the parameter row of a set row, -1 none

    // ---- scheduler client
    void SetScheduler(TScheduler* Sch, QObject* Owner);
    TScheduler* Scheduler() const { return sch_.data(); }
    int SchedSlot = -1;
    int WantedState = csRegistered;
    int SchedState() const;
    void Shown();
    void Minimised();
    void Resized();
    void Closing();
    void GetRequest(TReqRec& Req);
    void HandleResponse(const TRecTel& Rsp, int Tag);
    int PollStep = 0;
    int PollRow = -1;
    // Every change of rows, node, tree or selector: an answer to an older
    // request is dropped.
    void NewGeneration();

    // ---- editing
    TExplEditArgs EditArgs(const std::shared_ptr<TParaNode>& Node, int SetSelector, bool HasValue = false,
                           int32_t Value = 0) const;
    TExplEditArgs NoEditArgs() const;
    // The value editor's arguments for a list row or lvParaVal row; false
    // when the row does not exist.
    bool RowEditArgs(int Row, TExplEditArgs& Args) const;
    bool ParaValEditArgs(int Row, TExplEditArgs& Args) const;
    void SetAddrModeChanged(int Selector);
    // Double click in modes 2 and 10..13 (the group is selected, the file
    // opened). True when it did something.
    bool ActivateRow(int Row);

    // ---- copy and drag
    std::unique_ptr<TIntClpBrd> CopyContent(const std::vector<int>& SelRows) const;
    // The parameters the rows drag; empty: none (also in page mode 2).
    std::vector<std::shared_ptr<void>> DragItems(const std::vector<int>& SelRows) const;

private:
    void addInvNode(int Address);
    void deleteInvNodes();
    void addFileNodes(TExplNode* parent, int owner);
    void fillPage(TExplNode* n);
    // One page each; the parameter list keeps the group page when it was
    // showing (oldMode).
    void fillProjectPage();
    void fillInverterPage(TExplNode* n);
    void fillGroupListPage(TExplNode* n);
    void fillParaListPage(TExplNode* n, int oldMode);
    void fillParameterPage(TExplNode* n);
    void fillFileListPage(TExplNode* n);
    void fillFields(TExplNode* n);
    void fillParaFields(const TParaRec& p);
    void fillFileRows(const QStringList& list);
    void renameNodes(TExplNode* n);
    void setPanel(int i, const QString& text);
    void setRowText(int row, const QString& text);
    void setParaValText(int row, const QString& text);
    void setField(const QString& name, const QString& text);
    void stopPolling();
    QString setSelText(int sel) const;
    QString groupPageText(const TGrpRec& g) const;
    QString limitText(int32_t raw, bool variable, bool limit, const TParaRec& p, QString* conv) const;
    bool newStyle() const { return CurInv && CurInv->Cfg && CurInv->Cfg->NewStyle; }

    std::unique_ptr<TExplNode> root_;
    TExplNode* selected_ = nullptr;
    TExplNode* allFilesNode_ = nullptr;
    std::array<QStringList, 5> files_;
    bool building_ = false;
    int language_ = 0;
    bool showPTInfo_ = false;
    QPointer<TScheduler> sch_;
    int gen_ = 0;
    // The request in flight.
    struct InFlight {
        bool Asked = false;
        int Tag = 0;
        int Gen = 0;
        int Target = tgNone;
        int Index = 0;  // row or panel
        int Service = 0;
        std::shared_ptr<TParaNode> Node;
    } inFlight_;
    int reqNo_ = 0;
};
