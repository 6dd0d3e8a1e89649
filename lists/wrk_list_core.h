#pragma once

// Everything of a work-list window that needs no display: its rows, its
// files, its turn as a scheduler client and its save and close questions.
// TFWrkList draws it and forwards user input.

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "config/lang_texts.h"
#include "lists/list_interaction.h"
#include "lists/wrk_list_edit_types.h"
#include "lists/wrk_list_model.h"
#include "project/vortalin_prj.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class TWrkListCore : public QObject {
    Q_OBJECT
public:
    // Largest column width taken from a file (the list header's limit).
    static constexpr int MaxColWidth = 1048575;
    static constexpr int MinRemarkWidth = 100;

    explicit TWrkListCore(int WindowNo = 0, QObject* parent = nullptr);
    ~TWrkListCore() override;

    TWrkListModel& Model() { return model_; }
    const TWrkListModel& Model() const { return model_; }

    // ---- state
    const int WindowNo;
    QString FileName;
    bool Modified = false;
    int SchSlot = -1;
    int WantedState = csPaused;
    int LastRow = -1;
    int PollIndex = 0;
    int Language = 0;
    QChar Separator = u'+';
    bool ShowDecValue = false;
    int ClickedColumn = 5;
    QString Caption = QStringLiteral("Arbeitsliste");
    // Widths of columns 0..6 as the list shows them.
    std::array<int, 7> ColWidth{40, 50, 70, 40, 170, 100, 100};
    // The comment memo's lines.
    QStringList Comments;

    // ---- shared objects, not owned
    QPointer<TVortalinPrj> Project;
    TScheduler* Scheduler() const { return scheduler_.data(); }
    // The widget the scheduler knows the client by (the window).
    QObject* OwnerForm = nullptr;
    IListInteraction& Interaction() const { return *interaction_; }
    void SetInteraction(std::shared_ptr<IListInteraction> ui);

    // ---- events
    TOnGetErrorText OnGetErrorText;
    // SaveAs reports the chosen folder here (the manager's DataPath).
    std::function<void(const QString& Dir)> OnDataPath;
    // For the window: caption, comment lines and widths changed by a load
    // or save; a row to scroll to; the focused row (none: the trailing row).
    std::function<void()> OnCaptionChanged;
    std::function<void()> OnCommentsLoaded;
    std::function<void()> OnWidthsLoaded;
    std::function<void(int Row)> OnScrollTo;
    std::function<int()> GetFocusedRow;

    // ---- texts
    QString UnknownInverterText = QStringLiteral("Unbekannter Umrichter");
    QString UnknownParaText = QStringLiteral("Unbekannter Parameter");
    QString NotActText = QStringLiteral("Nicht aktuell");
    QStringList AskForSaveMsgText{QStringLiteral("Geändert: speichern ?")};
    QString AskForSaveHeaderText = QStringLiteral("Arbeitsliste speichern");
    QStringList AskForOverrideMsgText;
    QString AskForOverrideHeaderText;
    QString YesBtnText = QStringLiteral("Ja");
    QString NoBtnText = QStringLiteral("Nein");
    QString CancelBtnText = QStringLiteral("Abbrechen");
    QStringList OverrideButtons;
    QStringList SaveButtons;
    // A file that could not be written ("@P1" the path).
    QStringList WriteErrorText{QStringLiteral("Datei @P1"), QStringLiteral("konnte nicht geschrieben werden")};
    // The save dialog's filter and initial directory.
    QString SaveDlgFilter = QStringLiteral("Arbeitslisten (*.wr5)|*.wr5|Alle Dateien (*.*)|*.*");
    QString SaveDlgInitialDir;

    void SetAskForSaveMsgText(const QString& Text);
    void SetAskForOverrideMsgText(const QString& Text);
    void SetYesBtnText(const QString& Text);
    void SetNoBtnText(const QString& Text);
    void SetCancelBtnText(const QString& Text);

    // ---- rows
    int InsertItem(std::shared_ptr<TWrkListItem> Item, int Index);
    // Inserts the records, in their order, before Index (-1: the focused
    // row) as one block: one notification, and one scroll to the end when
    // the block ends at the last real row. Null records are left out.
    void InsertItems(std::vector<std::shared_ptr<TWrkListItem>> Items, int Index);
    void ClearRows();
    void DeleteRow(int Index);
    QString GetNameText(const TWrkListItem& Item) const;
    QString GetIdText(const TWrkListItem& Item) const;
    // One row line; null when rejected. Para is looked up.
    std::shared_ptr<TWrkListItem> ParseLine(const QString& Line) const;
    // The records of the real rows, in list order.
    std::vector<std::shared_ptr<TWrkListItem>> Rows() const;
    // The row whose read is outstanding; null when none.
    const TWrkListItem* PolledRow() const { return polled_.get(); }

    // ---- files
    int LoadFromFile(const QString& Path);
    // 0 written; otherwise the I/O code, reported to the user, and
    // FileName, caption and Modified stay.
    int SaveToFile(const QString& Path);
    // True when the list was written.
    bool Save();
    bool SaveAs();
    // The close question; true when the window may close.
    bool CanClose();

    // ---- scheduler client
    void SetScheduler(TScheduler* Sch);
    void GiveNextReq(TReqRec& Req);
    void ReceiveAnswer(const TRecTel& Rsp, int Tag);
    void ResetCfgList();
    void SetLanguage(int Lang);

    // ---- editing, clipboard and drag (wrk_list_edit.cpp)
    // The texts of the print header.
    QString PrintCaptionText = QStringLiteral("Drucken");
    QString AppNameText = QStringLiteral("Unbekannte Applikation");
    QString PageFooterText = QStringLiteral("Seite:");
    QString VersionText = QStringLiteral("Unbekannte Version");
    QString FileDateText = QStringLiteral("Dateidatum");
    QString PrintDateText = QStringLiteral("Druckdatum");

    // A row's text line: its seven column texts joined by " ; ".
    QString RowLine(int Row) const;
    // The rows' content (flags 63): one item and one line per real row of
    // Rows, in list order.
    std::unique_ptr<TIntClpBrd> CopyRows(std::vector<int> Rows) const;
    // Deletes the real rows of Rows.
    void DeleteRows(std::vector<int> Rows);
    // Inserts the content's rows before BeforeRow, keeping their order; the
    // number inserted. Nothing without inverter, address and set data.
    int PasteContent(const TIntClpBrd& Content, int BeforeRow);
    // Inserts the drag object's records before BeforeRow; the number inserted.
    int DropItems(const TDragDrop& Dd, int BeforeRow);
    void InsertBlank(int BeforeRow);
    // The editors' callbacks.
    void ChangeAddress(int Row, int Address);
    void ChangeSet(const std::vector<int>& Rows, int Sel);
    void ChangeInverter(const std::vector<int>& Rows, int Inv);
    void ChangeRemark(int Row, const QString& Text);
    // Columns 0..5 at their default widths (the window fits column 6).
    void ResetColWidths();
    // The editors' description of a row: ident, name and the caption's
    // file name.
    QString DescriptionText(int Row) const;
    // The value editor's label of a row with a description.
    QString ValueLabel(int Row) const;
    // The value editor's start value: the value read, else the default.
    int32_t ValueStart(int Row) const;
    // The list menu before it opens.
    TWrkListMenuState ListMenuState(int FocusedRow, bool CopyAssigned) const;
    // What a print of the list holds; Now is the print date.
    TWrkPrintJob PrintJob(const QDateTime& Now) const;
    // The configuration of a row's inverter lacks parameter sets.
    bool OldStyleInv(int InvAdr) const;

    // ---- window state changes
    void Shown();
    void Minimised();
    void Restored();

    // The project's entry at InvAdr when it has a configuration; an entry
    // still being added counts as missing.
    TPrjInvRec* InvEntry(int InvAdr) const;

private:
    void rebuildButtons();
    std::shared_ptr<const TParaRec> lookupPara(int InvAdr, int Address) const;
    TWrkListModel::Texts rowTexts(const TWrkListItem& Item) const;
    void setCaption(const QString& Text);
    void rowsChanged();
    void leaveScheduler();

    TWrkListModel model_;
    QPointer<TScheduler> scheduler_;
    std::shared_ptr<IListInteraction> interaction_;
    std::shared_ptr<TWrkListItem> polled_;
};
