#pragma once

#include <QString>

#include <algorithm>

// Splitting the paths a project links: both "/" and "\" end a folder name,
// since project files may come from Windows installations.

// Name after the last separator.
inline QString PrjBaseName(const QString& path)
{
    const qsizetype sep = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(sep + 1);
}

// Folder part including its separator; "" for a bare name.
inline QString PrjDirPart(const QString& path)
{
    const qsizetype sep = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.left(sep + 1);
}
