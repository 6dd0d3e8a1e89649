#pragma once

#include "config/cfg_records.h"
#include "config/progress_iface.h"

#include <QObject>
#include <QString>

#include <memory>

// The loaded configurations, in loading order. Base of the project, which
// thereby holds every configuration in use; inverters with the same CfgId
// share one. Entries are shared so that a holder of a configuration keeps it
// valid after Delete.
class TVortalinCfgList : public QObject {
    Q_OBJECT
public:
    // Creates the empty list and clears the process-wide HexDisplay flag.
    explicit TVortalinCfgList(QObject* owner = nullptr);
    ~TVortalinCfgList() override;

    int Count() const { return cfgs_.Count(); }
    TCfgRec* GetCfg(int index) const { return cfgs_.GetItem(index); }
    std::shared_ptr<TCfgRec> GetCfgShared(int index) const { return cfgs_.GetShared(index); }
    TCfgRec* FindCfg(int cfgId) const;
    // List index of the first configuration with that number, -1 none.
    int IndexOfCfg(int cfgId) const;

    // Frees the configuration at index (out of range: nothing); later
    // entries move up by one.
    void Delete(int index);
    void DeleteCfgId(int cfgId);

    // Appends a configuration built elsewhere (read from an inverter);
    // returns its index.
    int Append(std::shared_ptr<TCfgRec> cfg);

    // Index of the configuration in the file (a new one, or the one already
    // loaded with the same CfgId); -1 with the code in LastError;
    // -1020 when the user cancelled. Nothing is added on failure.
    int LoadFromFile(const QString& fileName, bool showProgress);
    int ReadFromInverter(int Addr, class TProtSel& ProtSel, bool ShowProgress);  // cfg_read_inverter.h

    // "Para" + four digits + ".bin".
    static QString BinFileName(int cfgId);
    // "LNG" + four digits + language letter (1 d, 2 i, 3 f, 4 s, 5 r, 6 a)
    // + ".add"; "" for another lang.
    static QString AddFileName(int cfgId, int lang);

    // Code of the last failed load or read, 0 after success.
    int LastError = 0;

    // Texts of the progress shown while loading or reading.
    QString ReadTitle;
    QString LoadTitle;
    QString GroupText;
    QString CancelText;

    // The progress shown while loading or reading; a do-nothing one until the
    // program installs its progress window.
    IProgress& Progress() const { return *progress_; }
    void SetProgress(std::unique_ptr<IProgress> progress);

private:
    TRecList<TCfgRec> cfgs_;
    std::unique_ptr<IProgress> progress_;
};
