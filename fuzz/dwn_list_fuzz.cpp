// The download-list reader and the header probe on arbitrary file bytes:
// the line parser, the operator description of a note, the whole reader of
// the list logic (without a project, so every line goes through it) and
// GetDwnFileCfgId on a file holding the bytes.

#include "lists/dwn_file.h"
#include "lists/dwn_load_engine.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>

namespace {

class SilentUi : public IDwnInteraction {
public:
    // Every question is answered No, so reading goes on.
    int Message(const TDwnMessage& m) override { return m.Buttons == dblYesNoCancel ? 1 : 0; }
    QString ChooseSaveFile(const TDwnSaveDlg&) override { return {}; }
    int ChooseInverter(const QString&, int) override { return -1; }
    IProgress& Progress() override { return progress_; }
    void ShowWait(const QString&, const QString&, int) override {}
    void UpdateWait(int) override {}
    void HideWait() override {}

private:
    NoProgress progress_;
};

QString scratchFile()
{
    static const QString name =
        QDir::temp().filePath(QStringLiteral("dwn_list_fuzz_%1.dw5").arg(QCoreApplication::applicationPid()));
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    for (const QString& line : SplitDwnFileLines(bytes)) {
        const TDwnFileLine l = ParseDwnLine(line);
        if (l.kind == TDwnFileLine::Fields) {
            TParaRec para;
            QString note;
            ParseOpParaNote(l.Text, para, note);
        }
    }
    const int fromBytes = DwnCfgIdOfBytes(bytes);

    const QString file = scratchFile();
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(bytes);
    }
    if (GetDwnFileCfgId(file) != fromBytes)
        __builtin_trap();

    SilentUi ui;
    TDwnLoadEngine engine(nullptr, nullptr, nullptr, ui);
    engine.LoadData(file);
    // Whatever was read can be written.
    TDwnFileHeader h;
    h.Remark = engine.Remark;
    h.CfgId = engine.CfgId;
    h.OpList = engine.OpList;
    h.ColWidths = engine.ColWidths;
    DwnListBytes(h, engine.Lines);
    return 0;
}
