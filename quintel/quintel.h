#pragma once

// The Quintel-mode engine: learns an inverter's Quintel table (entries
// CP00, CP01, ... that stand for real parameters) and keeps its values
// current. It never talks to a driver: its owner asks it for the next
// request (GetRequest), sends it, and hands the answer back
// (ResponseAvail). The value files (SaveToFile, LoadFromFile) are in
// quintel_file.cpp.

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "comm/tel_records.h"
#include "config/cfg_records.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QEventLoop;

// One entry of the table.
class tCpEntry {
public:
    tCpEntry();

    // Copy of the target parameter's description; an empty description
    // when the target is unknown. Never null. Shared so that a value
    // editor showing the entry keeps a valid description.
    std::shared_ptr<TParaRec> Para;
    int16_t Address = -1;   // where the value is read and written; -1 undefined
    int16_t NormSet = 0;    // 0 none, 1..7 (bits 10-12 of Def)
    int32_t Def = 0;        // bits 0-7 set mask, 8-9 set addressing, 10-12 normalisation set
    int32_t Value = 0;      // raw value
    int32_t Status = 0;     // result of the last answer; 17 not read yet
    int32_t Id = -1;        // display number, -1 not shown
    QString Name;           // "CP00", "CP01", ... (at most 4 characters)
};

// Callback for refused or failed writes: entry name and result code.
using TQuintelOnError = std::function<void(const QString& Name, int Code)>;

class tQuintel {
public:
    // One normalisation set; Norm[1..7] are used, Norm[0] is not.
    struct TNormRec {
        int16_t Div = 0;
        int16_t Mul = 0;
        int16_t Offset = 0;
        int16_t Format = 0;
    };

    // A wait for the engine to come to rest gives up after this time and
    // takes the engine as at rest.
    static constexpr int WaitLimitMs = 5000;
    // Result of an entry that has not been read yet.
    static constexpr int NotReadYet = 17;
    // Result of LoadFromFile for a file of another configuration.
    static constexpr int OtherCfgFile = -1000;

    tQuintel();
    ~tQuintel();
    tQuintel(const tQuintel&) = delete;
    tQuintel& operator=(const tQuintel&) = delete;

    int Inverter = -1;
    std::shared_ptr<TCfgRec> Cfg;
    TQuintelOnError OnError;
    uint8_t State = 0;
    int Index = 0;
    int CpNo = 0;
    int ErrCount = 0;
    int Status = -1;   // -1 idle/nothing new, -2 reading definitions, -3 reading failed, >= 0 Id just stored
    bool Abort = true;
    bool Busy = false;
    bool AllSet0 = false;
    bool ShowIdText = false;
    std::vector<std::unique_ptr<tCpEntry>> Entries;
    int NextId = 0;
    std::array<TNormRec, 8> Norm{};

    int Start(int Inverter, std::shared_ptr<TCfgRec> Cfg, TQuintelOnError OnError);
    void Stop();
    void Reset();
    void SetValue(int Id, int Value);

    void GetRequest(TReqRec& Req);
    // Takes only the answer to the outstanding request (by its tag); any
    // other answer (late, or after Reset or a given-up wait) is dropped.
    void ResponseAvail(const TRecTel& Tel, int Tag);
    // For an owner that sends the requests itself: the request handed out
    // last could not be sent. The next GetRequest builds it again.
    void RequestNotSent();

    tCpEntry* GetEntry(int Id) const;
    int IndexOfId(int Id) const;
    static QString SetSelText(int Def);

    // Value files (quintel_file.cpp).
    int SaveToFile(const QString& FileName) const;
    int LoadFromFile(const QString& FileName);
    static bool ScanCfgId(const QString& FileName, int& CfgId);
    static int MaskToSetNo(uint32_t Mask);

    // Tag of the outstanding request; 0 none.
    int OutstandingTag() const { return FOutTag; }

private:
    int quintelCount() const;
    int base() const;
    int selectorPar() const;  // S of selector mode, -1 in pair mode
    int valuePar() const;     // QuintelSel
    bool newStyle() const;
    static QString entryName(int n);
    static std::shared_ptr<TParaRec> paraCopy(const TParaRec* src);
    void clearEntries();
    void finishDefinitions();
    bool definitionFailed(int Result);
    void afterEntry();
    void fillRequest(TReqRec& Req, bool isRead, int service, int parAdr);
    void fillEntryAccess(TReqRec& Req, const tCpEntry& e, bool isRead);
    bool normRequest(TReqRec& Req);
    bool waitForRest();
    void notifyRest();

    int FTagCounter = 0;
    int FOutTag = 0;
    int FOutService = 0;
    std::vector<QEventLoop*> FWaits;
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);

    friend class tQuintelFile;
};
