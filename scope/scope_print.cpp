#include "scope/scope_window.h"

#include "config/cfg_records.h"
#include "config/prog_cfg.h"
#include "dialogs/print_form.h"
#include "project/vortalin_prj.h"
#include "scope/scope_span.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

namespace {
QString stamp(const QDateTime& t)
{
    const QLocale l = QLocale::system();
    return l.toString(t.date(), QLocale::ShortFormat) + u' ' + l.toString(t.time(), QLocale::LongFormat);
}
} // namespace

bool TScope::PrintScope(int Flag)
{
    if (eng_.RecState != TScopeEngine::recIdle || !PrintForm)
        return false;
    TFrmvortalinprint& P = *PrintForm;
    const QString app = cfg_ ? cfg_->AppName : QString();
    const QString jobTitle = app + QStringLiteral("  ") + BuildCaption();
    const bool begun = Flag == 1 ? P.BeginMetafile(jobTitle)
                                 : P.BeginPrint(text(0, 18) + QStringLiteral(" SCOPE"), jobTitle, text(0, 17));
    if (!begun)
        return false;
    const TScopeSetup& S = eng_.Setup;

    // Header lines.
    P.PrintLine(app + u' ' + (cfg_ ? cfg_->VersionText : QString()) + QStringLiteral("  "));
    QString dates = text(0, 40) + QStringLiteral(": ") + stamp(QDateTime::currentDateTime());
    if (!eng_.FileName.isEmpty() && QFileInfo::exists(eng_.FileName))
        dates += QStringLiteral("  ") + text(0, 41) + QStringLiteral(": ")
            + stamp(QFileInfo(eng_.FileName).lastModified());
    P.PrintLine(dates);
    P.PrintLine(QStringLiteral(" "));
    if (!eng_.ScopeNotes.isEmpty()) {
        for (const QString& n : eng_.ScopeNotes)
            P.PrintLine(n);
        P.PrintLine(QStringLiteral(" "));
    }
    const TPrjInvRec* inv = project_ ? project_->GetInv(S.Chan[0].Inverter) : nullptr;
    if (inv && inv->Cfg)
        P.PrintLine(QString::number(inv->Cfg->CfgId) + QStringLiteral(": ") + inv->Cfg->GetTypeName());
    if (!disp_.XYMode())
        P.PrintLine(text(1, eng_.TimeUnit == QLatin1String("us") ? 46 : 2) + QStringLiteral(": ")
                    + QString::number(S.TimeBase()));
    else
        P.PrintLine(text(1, 37) + QStringLiteral(" CH ") + QChar(u'A' + disp_.XYChan()));

    // Channel table.
    const int widths[5] = {11, 30, 15, 22, 22};
    for (int i = 0; i < 5; ++i)
        P.SetTabWidth(i, widths[i]);
    P.SetHeader(QStringLiteral("CH\t") + text(0, 1) + u'\t' + text(0, 2) + u'\t' + text(1, 1) + u'\t' + text(1, 0));
    QStringList rows;
    for (int k = 0; k < kScopeChannels; ++k) {
        const TScopeChannel& c = S.Chan[k];
        QString r = QString(QChar(u'A' + k)) + u'\t';
        if (c.Address == -1)
            r += text(0, 5);
        else if (!c.Para)
            r += u'?';
        else
            r += c.Para->GetIdText() + u' ' + c.Para->GetName(eng_.Language) + u'\t' + SetNumberText(c.SetSel) + u'\t'
                + disp_.ValueText(SpanDescription(*c.Para), c.YFactor) + u'\t' + disp_.ValueText(*c.Para, c.YOffset);
        rows << r;
    }
    P.PrintList(&rows);

    // The picture in plot pixels.
    P.BeginFrame(10 * disp_.DivW, 10 * disp_.DivH);
    for (const TScopeTrace& t : disp_.Traces()) {
        if (t.Points.empty())
            continue;
        const QColor col(t.Colour & 0xFF, (t.Colour >> 8) & 0xFF, (t.Colour >> 16) & 0xFF);
        const QPoint first = t.Points.front();
        P.TextOut(first.x() + 5, first.y(), col, QString(QChar(u'A' + t.Channel)));
        P.MoveTo(first.x(), first.y());
        for (size_t i = 1; i < t.Points.size(); ++i)
            P.LineTo(t.Points[i].x(), t.Points[i].y(), col, Qt::SolidLine);
        if (t.HasTrigger) {
            const QPoint c = t.Trigger;
            P.MoveTo(c.x() - 10, c.y() - 10);
            P.LineTo(c.x() + 10, c.y() + 10, col, Qt::SolidLine);
            P.MoveTo(c.x() + 10, c.y() - 10);
            P.LineTo(c.x() - 10, c.y() + 10, col, Qt::SolidLine);
        }
    }
    const Qt::PenStyle styles[2] = {Qt::DotLine, Qt::DashLine};
    for (int i = 0; i < 2; ++i) {
        const TScopeCursor& c = disp_.Cursor[i];
        if (c.HDrawn) {
            P.MoveTo(0, c.Y);
            P.LineTo(10 * disp_.DivW, c.Y, Qt::black, styles[i]);
        }
        if (c.VDrawn && c.Index >= 0 && c.Time >= disp_.ScrollPos()) {
            P.MoveTo(c.X, 0);
            P.LineTo(c.X, 10 * disp_.DivH, Qt::black, styles[i]);
        }
    }
    for (const QLine& l : disp_.GridLines()) {
        P.MoveTo(l.x1(), l.y1());
        P.LineTo(l.x2(), l.y2(), Qt::black, Qt::SolidLine);
    }

    if (disp_.ShowReadouts) {
        const int w[4] = {10, 30, 30, 30};
        for (int i = 0; i < 4; ++i)
            P.SetTabWidth(i, w[i]);
        P.SetHeader(QStringLiteral(" \t") + disp_.Cells[1][0] + u'\t' + disp_.Cells[2][0] + u'\t' + disp_.Cells[3][0]);
        QStringList lines;
        for (int r = 1; r < 5; ++r)
            lines << disp_.Cells[0][r] + u'\t' + disp_.Cells[1][r] + u'\t' + disp_.Cells[2][r] + u'\t'
                    + disp_.Cells[3][r];
        P.PrintList(&lines);
    }
    return P.EndPrint();
}
