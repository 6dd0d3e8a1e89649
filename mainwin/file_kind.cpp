#include "mainwin/file_kind.h"

#include <QFileInfo>

TFileKind FileKindOf(const QString& FileName)
{
    // Only the name's last part: a dot in a folder name is no extension.
    const QString name = FileName.mid(std::max(FileName.lastIndexOf(u'/'), FileName.lastIndexOf(u'\\')) + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString ext = dot < 0 ? QString() : name.mid(dot).toLower();
    if (ext == u".pr5")
        return TFileKind::Project;
    if (ext == u".wr5" || ext == u".trc")
        return TFileKind::WorkList;
    if (ext == u".dw5" || ext == u".dwn" || ext == u".op5")
        return TFileKind::DownloadList;
    if (ext == u".sc5")
        return TFileKind::Scope;
    return TFileKind::Other;
}

int ShellOpenErrorCode(const QString& FileName)
{
    return QFileInfo::exists(FileName) ? 31 : 2;
}
