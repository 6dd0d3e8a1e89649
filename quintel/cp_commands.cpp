// The Quintel program's commands: save, open, download, print, copy and
// quit, and the texts that print and copy build from the table.

#include "quintel/cp_program.h"

#include "dialogs/message_dlg.h"
#include "project/prj_discovery.h"

#include <QFileInfo>

void TQuintelProgram::Save()
{
    if (Rows.Count() == 0) {
        ShowError(QString(), 103);
        return;
    }
    QString dir = FSaveDir.isEmpty() ? Settings.DataPath : FSaveDir;
    QString proposed;
    if (!FileName.isEmpty()) {
        const QFileInfo fi(FileName);
        dir = fi.absolutePath();
        proposed = fi.fileName();
        // Any other extension is dropped so that the dialog adds "cp5".
        if (proposed.right(3).toUpper() != QStringLiteral("CP5"))
            proposed = fi.completeBaseName();
    }
    const QString chosen = FUi.ChooseSaveFile(dir, proposed);
    if (chosen.isEmpty())
        return;
    FSaveDir = QFileInfo(chosen).absolutePath();
    if (QFileInfo::exists(chosen) && message(16, yesNo(), icWarning, chosen, {}, 0, 0) != 0)
        return;
    FileName = chosen;
    LastResult = Engine.SaveToFile(FileName);
    if (LastResult != 0)
        message(19, oneButton(), icError, FileName, QString::number(LastResult), 0, 0);
    UpdateCaption();
}

void TQuintelProgram::Open()
{
    LastResult = -1;
    const QString chosen = FUi.ChooseOpenFile(FOpenDir.isEmpty() ? Settings.DataPath : FOpenDir);
    if (chosen.isEmpty())
        return;
    Offline = true;
    Engine.Stop();
    InvBtnCaption = text(0, 22);
    clearTable();
    FileName = chosen;
    UpdateCaption();
    if (!QFileInfo::exists(FileName))
        return;
    FOpenDir = QFileInfo(FileName).absolutePath();
    int id = 0;
    if (!tQuintel::ScanCfgId(FileName, id)) {
        LastResult = 1000;
        ShowError(QString(), -5);
        return;
    }
    CurCfgId = id;
    if (!loadCfg(id)) {
        ShowError(QString(), -2);
        return;
    }
    StaticText1 = QStringLiteral("%1:%2").arg(CurCfgId).arg(Cfg->GetTypeName());
    changed();
    Engine.Start(CurAdr, Cfg, {});
    LastResult = Engine.LoadFromFile(FileName);
    if (LastResult != 0) {
        ShowError(QString(), -5);
        return;
    }
    for (int i = 0; i < Cfg->QuintelCount; ++i) {
        const tCpEntry* e = Engine.GetEntry(i);
        if (!e)
            continue;
        TCpRowModel::TRow row;
        row.Name = e->Name;
        row.SetText = tQuintel::SetSelText(e->Def);
        row.ParaName = e->Para->GetName(ParaLang);
        if (Engine.ShowIdText)
            row.ParaName = QStringLiteral("(") + e->Para->GetIdText() + QStringLiteral(") ") + row.ParaName;
        row.ValueText = ValueText(*e);
        Rows.Append(row);
    }
    updateSetColumn();
}

void TQuintelProgram::downloadFailed(const QString& Name, int Code)
{
    FUi.ProgressStop();
    if (Code == 101)
        ShowError(Name, 101);
    else
        ShowResult(Name, Code);  // the driver's or the inverter's code, with its text
}

bool TQuintelProgram::verifyDefinitions()
{
    const TCfgRec& c = *Engine.Cfg;
    const int n = c.QuintelCount;
    const int base = c.QuintelBase;
    const bool selector = base < 0;
    const int s = -base;
    int p = base;
    for (int k = 1; k < n; ++k) {
        FUi.ProgressStep(k);
        TRecTel rsp;
        if (selector) {
            TTelData d;
            d.ParAdr = uint16_t(s);
            d.ParSet = uint16_t(k);
            if (const int r = sync(false, QelService::Plain, d, rsp)) {
                downloadFailed(QString(), r);
                return false;
            }
            p = s + 1;
        }
        if (const int r = readPlain(p, rsp)) {
            downloadFailed(QString(), r);
            return false;
        }
        const int16_t target = rsp.Data.GetI16(2);
        const tCpEntry* e = size_t(k) < Engine.Entries.size() ? Engine.Entries[size_t(k)].get() : nullptr;
        if (!e) {
            downloadFailed(QString(), 101);
            return false;
        }
        if (e->Address == -1) {
            if (target != -1) {
                downloadFailed(QString(), 101);
                return false;
            }
        } else {
            if (target != e->Para->Addr) {
                downloadFailed(QString(), 101);
                return false;
            }
            if (const int r = readPlain(p + 1, rsp)) {
                downloadFailed(QString(), r);
                return false;
            }
            const int def = rsp.Data.GetI16(2);
            const int expected = c.NewStyle ? e->Def : tQuintel::MaskToSetNo(uint32_t(e->Def));
            if (def != expected) {
                downloadFailed(QString(), 101);
                return false;
            }
        }
        p += 2;
    }
    return true;
}

bool TQuintelProgram::verifyNorm()
{
    const TCfgRec& c = *Engine.Cfg;
    const int first = c.QuintelBase < 0 ? -c.QuintelBase + 3 : c.QuintelBase + 72;
    for (int k = 1; k <= 7; ++k) {
        const tQuintel::TNormRec& norm = Engine.Norm[size_t(k)];
        for (int j = 0; j < 4; ++j) {
            TTelData d;
            d.ParAdr = uint16_t(first + j);
            d.ParSet = uint16_t(1 << k);
            TRecTel rsp;
            if (const int r = sync(true, QelService::ParaSet, d, rsp)) {
                downloadFailed(QString(), r);
                return false;
            }
            // Compared as the engine stores it: the low 16 bits, a divisor
            // of 0 counting as 1.
            int16_t v = int16_t(rsp.Data.Value & 0xFFFF);
            int16_t want = 0;
            switch (j) {
            case 0:
                v = v == 0 ? 1 : v;
                want = norm.Div;
                break;
            case 1: want = norm.Mul; break;
            case 2: want = norm.Offset; break;
            default: want = norm.Format; break;
            }
            if (v != want) {
                downloadFailed(QString(), 101);
                return false;
            }
        }
    }
    return true;
}

bool TQuintelProgram::writeValues()
{
    const TCfgRec& c = *Engine.Cfg;
    for (int id = 1; id < Engine.NextId; ++id) {
        FUi.ProgressStep(c.QuintelCount + id);
        const tCpEntry* e = Engine.GetEntry(id);
        if (!e || (e->Para->Flags & ParaFlag::DownloadRO))
            continue;
        TTelData d;
        d.ParAdr = uint16_t(e->Address);
        int service = QelService::Plain;
        if (c.NewStyle) {
            const int addressing = (e->Def >> 8) & 3;
            if (addressing == 0) {
                service = QelService::ParaSet;
                d.ParSet = uint16_t(e->Def & 0xFF);
            } else {
                service = QelService::ParaSetAdr;
                d.ParSet = addressing == 2 ? 0 : 1;
            }
            d.Value = e->Value;
        } else {
            d.ParSet = uint16_t(e->Value & 0xFFFF);
        }
        TRecTel rsp;
        if (const int r = sync(false, service, d, rsp)) {
            downloadFailed(e->Name, r);
            return false;
        }
    }
    return true;
}

void TQuintelProgram::Download()
{
    LastResult = 0;
    if (!Offline) {
        Open();
        if (LastResult != 0)
            return;
    }
    if (Rows.Count() == 0 || !Engine.Cfg) {
        ShowError(QString(), 103);
        return;
    }
    const QStringList* q = Texts.GetStrings(0, 23);
    if (messageLines({q && !q->isEmpty() ? q->first() : QStringLiteral("???")}, yesNo(), icConfirmation,
                     QString::number(CurAdr), {}, 0, 1) != 0)
        return;
    FUi.ProgressStart(Settings.AppName, text(0, 26), Engine.Cfg->QuintelCount + Engine.NextId);
    // The number refined as Identify does, so that a type with sets is
    // compared by its real configuration number.
    const int number = readCfgNumber();
    if (number < 0) {
        FUi.ProgressStop();
        ShowError(QString(), -1);
        return;
    }
    if (number != CurCfgId
        && message(24, yesNo(), icError, QString::number(CurAdr), {}, 0, 0) != 0) {
        FUi.ProgressStop();
        return;
    }
    if (!verifyDefinitions())
        return;
    if (Engine.Cfg->NewStyle && !verifyNorm())
        return;
    if (!writeValues())
        return;
    FUi.ProgressStop();
    const QStringList* done = Texts.GetStrings(0, 27);
    messageLines({done && !done->isEmpty() ? done->first() : QStringLiteral("???")}, oneButton(),
                 icInformation, {}, {}, 0, 1);
}

QString TQuintelProgram::secondLine() const
{
    const QString type = Cfg ? Cfg->GetTypeName() : QString();
    if (Offline)
        return text(0, 22) + QLatin1Char(' ') + FileName + QLatin1Char(' ') + type;
    return invCaption() + QLatin1Char(' ') + type + QLatin1Char(' ')
           + Now().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
}

TCpPrintJob TQuintelProgram::PrintJob() const
{
    TCpPrintJob job;
    job.Title = Settings.AppName;
    // Offline the button blinks; the title takes the steady text.
    job.Header = Settings.AppName + QLatin1Char(' ') + (Offline ? text(0, 22) : InvBtnCaption);
    job.PageText = text(1, 6);
    job.Lines << Settings.AppName + QLatin1Char(' ') + QLatin1String(Version) << secondLine()
              << QStringLiteral(" ");
    job.ColWidths = Rows.Widths();
    QStringList caps;
    for (int c = 0; c < 4; ++c)
        caps << Rows.Caption(c);
    job.HeaderLine = caps.join(QLatin1Char('\t'));
    for (int i = 0; i < Rows.Count(); ++i) {
        const TCpRowModel::TRow& r = Rows.Row(i);
        job.Rows << QStringList{r.Name, r.SetText, r.ParaName, r.ValueText}.join(QLatin1Char('\t'));
    }
    return job;
}

void TQuintelProgram::Print()
{
    if (Rows.Count() == 0) {
        ShowError(QString(), 103);
        return;
    }
    if (!Cfg)
        return;
    FUi.Print(PrintJob());
}

QStringList TQuintelProgram::CopyLines() const
{
    if (Rows.Count() == 0)
        return {};
    const bool hideSet = Rows.Width(TCpRowModel::ColSet) < 2;
    const QLatin1Char tab('\t');
    QStringList lines;
    lines << Settings.AppName + QLatin1Char(' ') + QLatin1String(Version) << secondLine()
          << QStringLiteral(" ");
    lines << QStringLiteral("    ") + tab + (hideSet ? QString() : Rows.Caption(TCpRowModel::ColSet) + tab)
                 + Rows.Caption(TCpRowModel::ColPara) + tab + Rows.Caption(TCpRowModel::ColValue);
    for (int i = 0; i < Rows.Count(); ++i) {
        const TCpRowModel::TRow& r = Rows.Row(i);
        lines << r.Name + tab + (hideSet ? QString() : r.SetText + tab) + r.ParaName + tab + r.ValueText;
    }
    return lines;
}

void TQuintelProgram::Copy()
{
    const QStringList lines = CopyLines();
    if (lines.isEmpty())
        return;
    QString text;
    for (const QString& l : lines)
        text += l + QStringLiteral("\r\n");
    FUi.SetClipboardText(text);
}

void TQuintelProgram::Quit()
{
    if (message(28, yesNo(), icConfirmation, {}, {}, -1, 1) != 0)
        return;
    Ending = true;
    Timer1.stop();
    FUi.EndProgram();
}
