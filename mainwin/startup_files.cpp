#include "mainwin/startup_files.h"

#include "config/lang_texts.h"

#include <QFileInfo>

namespace {

bool exists(const QString& path)
{
    return QFileInfo(path).isFile();
}

} // namespace

QString ChooseLanguageFile(const QString& appPath, int progLng)
{
    const QString own = appPath + Language::HalvornFileName(progLng);
    if (exists(own))
        return own;
    for (const char* name : {"lngproge.srb", "lngprogd.srb", "lngprogi.srb", "lngprogf.srb", "lngprogs.srb",
                             "lngprogr.srb", "lngproga.srb"}) {
        const QString path = appPath + QLatin1String(name);
        if (exists(path))
            return path;
    }
    return QString();
}

QString ChooseHelpFile(const QString& appPath, int progLng)
{
    const QString own = appPath + QStringLiteral("Halvorn") + Language::Letter(progLng) + QStringLiteral(".html");
    if (exists(own))
        return own;
    const QString english = appPath + QStringLiteral("Halvorne.html");
    return exists(english) ? english : QString();
}

QString OpenDialogFilter(const TVortalinText& t)
{
    const QStringList entries{
        t.GetText(5, 16) + QStringLiteral(" (*.pr5;*.wr5;*.dw5;*.sc5)|*.pr5;*.wr5;*.dw5;*.sc5"),
        t.GetText(5, 17) + QStringLiteral(" (*.wr5;*.trc)|*.wr5;*.trc"),
        t.GetText(5, 18) + QStringLiteral(" (*.dw5;*.dwn;*.op5)|*.dw5;*.dwn;*.op5"),
        t.GetText(5, 19) + QStringLiteral(" (*.sc5)|*.sc5"),
        t.GetText(5, 41) + QStringLiteral(" (*.op5)|*.op5"),
        t.GetText(5, 20) + QStringLiteral(" (*.pr5)|*.pr5"),
        t.GetText(5, 15) + QStringLiteral(" (*.*)|*.*"),
    };
    return entries.join(u'|');
}

TCmdLineKind ClassifyCommandLine(const QString& param)
{
    if (param.isEmpty())
        return clNone;
    if (param.endsWith(QStringLiteral(".dw5")))
        return clDownList;
    if (param.endsWith(QStringLiteral(".sc5")))
        return clScope;
    return clProject;
}

THelpMenuVisibility HelpMenuVisibility(int v)
{
    THelpMenuVisibility h;
    h.miInhalt = !(v & 1);
    h.miHowTo = !(v & 2);
    h.N8 = (v & 3) != 3;
    h.miInvManuals = !(v & 8);
    h.N9 = !(v & 8);
    return h;
}
