#include "lists/dwn_load_windows.h"

#include "lists/dwn_load.h"

#include <QDir>
#include <QFileInfo>

TDwnLoadWindows::~TDwnLoadWindows()
{
    for (const QPointer<TDwnLoad>& w : numbers_)
        delete w.data();
}

int TDwnLoadWindows::FreeNumber() const
{
    for (int i = 0; i < kDwnMaxWindows; ++i)
        if (!numbers_[size_t(i)])
            return i + 1;
    return 0;
}

void TDwnLoadWindows::Add(TDwnLoad* Window, int Nr)
{
    if (Nr >= 1 && Nr <= kDwnMaxWindows)
        numbers_[size_t(Nr - 1)] = Window;
    open_.append(Window);
}

void TDwnLoadWindows::Closed(TDwnLoad* Window)
{
    open_.removeAll(Window);
}

QList<TDwnLoad*> TDwnLoadWindows::Open() const
{
    QList<TDwnLoad*> l;
    for (const QPointer<TDwnLoad>& w : open_)
        if (w)
            l.append(w.data());
    return l;
}

static QString samePathKey(const QString& name)
{
    const QFileInfo f(name);
    const QString c = f.canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(f.absoluteFilePath()) : c;
}

TDwnLoad* TDwnLoadWindows::Find(const QString& FileName) const
{
    if (FileName.isEmpty())
        return nullptr;
    const QString key = samePathKey(FileName);
    for (TDwnLoad* w : Open())
        if (!w->Engine().FileName.isEmpty() && samePathKey(w->Engine().FileName) == key)
            return w;
    return nullptr;
}
