#include "config/vortalin_clpbrd.h"

#include <QMimeData>

TVortalinClpBrd::TVortalinClpBrd(QObject* owner) : QObject(owner) {}

TVortalinClpBrd::~TVortalinClpBrd() = default;

void TVortalinClpBrd::SetIntClpBrd(std::unique_ptr<TIntClpBrd> NewContent)
{
    content_ = std::move(NewContent);
    if (!content_ || !content_->HasLines() || !sink_)
        return;
    auto data = std::make_unique<QMimeData>();
    data->setText(content_->Text());
    if (OnFillMimeData)
        OnFillMimeData(*data, *content_);
    sink_->SetMimeData(std::move(data));
}

QStringList SplitClipboardText(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}
