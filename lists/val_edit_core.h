#pragma once

// The value editor without its widgets: the edit (parameter, inverter, set,
// value), the controls a parameter's plain-text table asks for, the scroll
// bar's range, and the write to the inverter as a scheduler client.
// TfrmValEdit draws it and forwards user input.

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "config/cfg_records.h"
#include "config/lang_texts.h"
#include "lists/list_interaction.h"
#include "project/vortalin_prj.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

using TOnValue = std::function<void(int32_t Value)>;

// One control for one bit field of the parameter's plain-text table.
struct TCCItem {
    int Index = 0;
    bool IsCheck = false;
    const TDefRec* Def = nullptr;  // held alive by the editor's Para
    QString Caption;
    // Listed entries of a drop-down list: value and shown text.
    std::vector<std::pair<int32_t, QString>> Entries;
};

class TValEditCore : public QObject {
    Q_OBJECT
public:
    explicit TValEditCore(QObject* parent = nullptr);
    ~TValEditCore() override;

    // ---- the edit
    std::shared_ptr<const TParaRec> Para;
    int Inverter = 0;
    int SetSel = 1;
    int32_t Value = 0;
    int32_t OrgValue = 0;
    TOnValue OnValue;
    QString Label;
    bool Modal = false;
    bool Typed = false;
    bool Updating = false;
    bool Visible = false;  // the window is shown (kept by the window)

    // ---- write machine
    int WriteState = 0;  // 0 idle, 2 pending, 4 sent
    int WriteTag = 0;
    bool Connected = false;
    int SchSlot = -1;
    int WantedState = csPaused;

    // ---- settings
    int Language = 0;
    bool ShowHidden = false;
    QChar Separator = u'+';
    bool ShowDecValue = false;
    bool CloseOnOK = true;
    bool CloseOnCancel = true;
    const TVortalinText* Texts = nullptr;
    // The program's one-button list of messages.
    QStringList OkButtons{QStringLiteral("0OK")};

    IListInteraction& Interaction() const { return *interaction_; }
    void SetInteraction(std::shared_ptr<IListInteraction> ui);
    TScheduler* Scheduler() const { return scheduler_.data(); }
    TVortalinPrj* Project() const { return project_.data(); }

    // For the window: rebuild value text and controls; close the window.
    std::function<void()> OnRefresh;
    std::function<void()> OnClose;

    // Takes a new modeless edit (the window then shows or refreshes).
    void TakeEdit(int SetSel, int Inverter, std::shared_ptr<const TParaRec> Para, const QString& Label,
                  int32_t Value, TOnValue OnValue);
    // Takes a modal edit: inverter and set stay those of the last edit.
    void TakeModalEdit(std::shared_ptr<const TParaRec> Para, const QString& Label, int32_t Value);

    // False while visible (refused).
    bool Connect(TScheduler* Sch, TVortalinPrj* Prj);
    void SetLanguage(int Lang);

    // Buttons of a modeless edit (a modal one is ended by the window).
    void OkClicked();
    void CancelClicked();

    // Window state.
    void Shown();
    void Closed();
    void Minimised();
    void Restored();

    // Scheduler client.
    void GiveNextReq(TReqRec& Req);
    void ReceiveAnswer(const TRecTel& Rsp, int Tag);
    void ResetCfgList();

    // ---- what the controls show
    QString ValueText() const;
    bool EditEnabled() const;
    // The controls of the current parameter, and whether the scroll bar is on.
    std::vector<TCCItem> BuildControls(bool* scrollOn) const;
    // Check box ticked; index of the listed entry selected (-1 none).
    bool CheckState(const TCCItem& Item) const;
    int ComboIndex(const TCCItem& Item) const;
    struct ScrollRange {
        int32_t Min, Max, PageStep, Position;
    };
    ScrollRange ScrollBarRange() const;
    // The value follows a control.
    void SetFromCheck(const TCCItem& Item, bool Checked);
    void SetFromCombo(const TCCItem& Item, int Index);
    void SetFromScroll(int32_t Position);
    void SetFromText(const QString& Text);

    TPrjInvRec* InvEntry(int InvAdr) const;

private:
    void leaveScheduler();
    void refresh();
    void close();
    void showError(int Status, bool RangeForm);

    QPointer<TScheduler> scheduler_;
    QPointer<TVortalinPrj> project_;
    std::shared_ptr<IListInteraction> interaction_;
    // Counts the edits taken, so that an answer knows whether the edit it
    // belongs to is still shown.
    uint64_t editSerial_ = 0;
    struct SentWrite {
        int Tag;
        uint64_t Serial;
        int32_t Value;
    };
    std::optional<SentWrite> sent_;
};
