#pragma once

// The fieldbus test window's logic without widgets: the request modes, the
// scheduler client (request provider, answer handler), number parsing and
// the caption. The window supplies its controls through IFbsView and the
// user dialogs through IFbsInteraction, so tests run it headless.

#include "comm/prot_sel.h"
#include "comm/scheduler.h"

#include <QPointer>
#include <QString>

#include <cstdint>

class TVortalinPrj;
class TVortalinText;

// The controls the logic reads and fills.
class IFbsView {
public:
    virtual ~IFbsView() = default;
    // Page "Kommunikation".
    virtual int Funktion() const = 0;              // item of cbFunktion, 0..4
    virtual void SetFunktion(int Item) = 0;
    virtual QString Field(const char* Name) const = 0;  // Index, Subindex, Laenge, Daten, PdOut1..PdOut4
    virtual void SetField(const char* Name, const QString& Text) = 0;  // also PDin1..PDin4
    // Page "Prozessdaten".
    virtual int PdType() const = 0;                // item of cbPdType, -1 none chosen
    virtual bool UpdateChecked() const = 0;        // cbUpdatePdin
    virtual void SetCaption(const QString& Text) = 0;
};

// What the window shows to or asks of the user.
class IFbsInteraction {
public:
    virtual ~IFbsInteraction() = default;
    // A plain message box (one OK button).
    virtual void Message(const QString& Text) = 0;
    // The inverter selection dialog: 1 OK (InvAdr the chosen address),
    // 2 cancelled.
    virtual int SelectInv(const QString& Prompt, int16_t& InvAdr) = 0;
};

class TFbsCommLogic {
public:
    enum TReqMode {
        rmIdle = 0,
        rmReadWanted = 1,
        rmWriteWanted = 2,
        rmReadSent = 3,
        rmWriteSent = 4,
        rmPdContinuous = 5,
        rmPdWriteSent = 6,
    };
    static constexpr int NoInverter = 240;

    // Shared objects: null takes the program's (Project, LangTexts,
    // Scheduler) at the time of use.
    TFbsCommLogic(IFbsView& View, IFbsInteraction& Ui, TVortalinPrj* Prj = nullptr, TVortalinText* Texts = nullptr,
                  TScheduler* Sch = nullptr);
    ~TFbsCommLogic();
    TFbsCommLogic(const TFbsCommLogic&) = delete;
    TFbsCommLogic& operator=(const TFbsCommLogic&) = delete;

    // Text trimmed and upper-cased; with an "H" the part before it is
    // hexadecimal, else the whole text a number ("$" also hexadecimal); no
    // number gives 0. Width 1 and 2 keep the low 8 and 16 bits.
    static int ParseNumber(const QString& Text, int Width);

    QString GetCaption() const;
    void GetRequest(TReqRec& Req);
    void HandleResponse(const TRecTel& Rsp, int Tag);
    void InvListChanged() {}

    // Showing: the lowest project address, a scheduler slot in state 3,
    // function "VarAcc", the caption. Closing: state 2, then the slot is
    // given up.
    void Shown(QObject* Owner);
    void Closed();
    bool Registered() const { return FSlot >= 0; }
    int Slot() const { return FSlot; }

    // Controls.
    void ReadClicked() { FReqMode = rmReadWanted; }
    void WriteClicked() { FReqMode = rmWriteWanted; }
    void InverterClicked();
    void OkClicked() { FWriteWanted = true; }
    void UpdateClicked(bool Checked) { FReqMode = Checked ? rmPdContinuous : rmIdle; }
    void PageChanged(int Page);

    int ReqMode() const { return FReqMode; }
    bool WriteWanted() const { return FWriteWanted; }
    int InvAdr() const { return FInvAdr; }
    void SetInvAdr(int Adr) { FInvAdr = Adr; }

private:
    TVortalinPrj* Prj() const;
    TVortalinText* Texts() const;
    TScheduler* Sch() const;
    QString ErrorText(int Status) const;
    // The process data service of cbPdType: 16, 17, 48 or 49.
    int PdService() const;

    IFbsView& FView;
    IFbsInteraction& FUi;
    TVortalinPrj* FPrj;
    TVortalinText* FTexts;
    QPointer<TScheduler> FSch;
    bool FOwnSch = false;
    int FReqMode = rmIdle;
    bool FWriteWanted = false;
    int FInvAdr = NoInverter;
    int FSlot = -1;
};
