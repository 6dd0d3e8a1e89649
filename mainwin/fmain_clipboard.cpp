// The main window as clipboard viewer: text that another program puts on
// the system clipboard becomes the internal clipboard's content.
#include "mainwin/fmain.h"

#include "config/vortalin_clpbrd.h"
#include "dialogs/clpbrd_qt_sink.h"
#include "dialogs/shared_objects.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

void TFMain::joinClipboardViewer()
{
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb || clipboardConn_)
        return;
    // Only the clipboard proper: the X11 selection changes with every
    // marked text.
    clipboardConn_ = connect(cb, &QClipboard::changed, this, [this](QClipboard::Mode m) {
        if (m == QClipboard::Clipboard)
            ClipboardChanged();
    });
    // Joining the chain delivers one notice: text there at start is taken.
    ClipboardChanged();
}

void TFMain::leaveClipboardViewer()
{
    if (clipboardConn_)
        disconnect(clipboardConn_);
    clipboardConn_ = {};
}

void TFMain::ClipboardChanged()
{
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb || !ClpBrd)
        return;
    const QMimeData* data = cb->mimeData(QClipboard::Clipboard);
    // This program's own content is already the internal one.
    if (IsOwnClpBrdData(data))
        return;
    ClpBrd->SetIntClpBrd(nullptr);
    if (!data || !data->hasText())
        return;
    // Stored while its flags are still 0, so nothing is written back to the
    // system clipboard; then it takes the text's lines.
    auto content = std::make_unique<TIntClpBrd>();
    TIntClpBrd* stored = content.get();
    ClpBrd->SetIntClpBrd(std::move(content));
    stored->Lines = SplitClipboardText(data->text());
    stored->Flags = cbfTextOnly;
}
