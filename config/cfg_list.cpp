#include "config/cfg_list.h"

#include "config/cfg_codes.h"
#include "config/cfg_file.h"
#include "config/value_conversion.h"

#include <QFile>
#include <QFileInfo>

TVortalinCfgList::TVortalinCfgList(QObject* owner)
    : QObject(owner), progress_(std::make_unique<NoProgress>())
{
    HexDisplay = 0;
}

TVortalinCfgList::~TVortalinCfgList() = default;

void TVortalinCfgList::SetProgress(std::unique_ptr<IProgress> progress)
{
    progress_ = progress ? std::move(progress) : std::make_unique<NoProgress>();
}

int TVortalinCfgList::IndexOfCfg(int cfgId) const
{
    for (int i = 0; i < cfgs_.Count(); ++i)
        if (cfgs_.GetItem(i)->CfgId == cfgId)
            return i;
    return -1;
}

TCfgRec* TVortalinCfgList::FindCfg(int cfgId) const
{
    return cfgs_.GetItem(IndexOfCfg(cfgId));
}

void TVortalinCfgList::Delete(int index)
{
    cfgs_.Delete(index);
}

void TVortalinCfgList::DeleteCfgId(int cfgId)
{
    Delete(IndexOfCfg(cfgId));
}

int TVortalinCfgList::Append(std::shared_ptr<TCfgRec> cfg)
{
    cfgs_.Add(std::move(cfg));
    return cfgs_.Count() - 1;
}

QString TVortalinCfgList::BinFileName(int cfgId)
{
    return QStringLiteral("Para") + (QStringLiteral("0000") + QString::number(cfgId)).right(4) + QStringLiteral(".bin");
}

QString TVortalinCfgList::AddFileName(int cfgId, int lang)
{
    static const char letters[] = "difsra";
    if (lang < 1 || lang > 6)
        return QString();
    return QStringLiteral("LNG") + (QStringLiteral("0000") + QString::number(cfgId)).right(4)
        + QLatin1Char(letters[lang - 1]) + QStringLiteral(".add");
}

int TVortalinCfgList::LoadFromFile(const QString& fileName, bool showProgress)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        LastError = IoOpenErrorCode(fileName, false);
        return -1;
    }
    const QByteArray data = file.readAll();
    const bool readFailed = file.error() != QFileDevice::NoError;
    file.close();
    if (readFailed) {
        LastError = kIoReadError;
        return -1;
    }

    CfgFileHeader header;
    const int headerResult = ParseCfgHeader(data, header);
    if (headerResult != 0) {
        LastError = headerResult;
        return -1;
    }
    const int loaded = IndexOfCfg(header.cfgId);
    if (loaded >= 0) {
        LastError = 0;
        return loaded;
    }

    // Built aside and appended only when complete, so no failure leaves a
    // half-read configuration in the list.
    auto cfg = std::make_shared<TCfgRec>();
    cfg->CfgId = header.cfgId;
    cfg->NewStyle = header.newStyle ? 1 : 0;
    IProgress* progress = showProgress ? progress_.get() : nullptr;
    if (progress) {
        progress->Start(LoadTitle, CancelText);
        progress->SetText(QString());
    }
    const int result = ParseCfgBody(data, header, *cfg, progress);
    if (progress)
        progress->Finish();
    if (result == kErrCancelled) {
        LastError = kErrCancelled;
        return kErrCancelled;
    }
    if (result != 0) {
        LastError = result;
        return -1;
    }
    cfg->FileName = fileName;
    cfg->FileDate = QFileInfo(fileName).lastModified();
    LastError = 0;
    return Append(std::move(cfg));
}
