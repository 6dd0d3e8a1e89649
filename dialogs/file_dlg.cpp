#include "dialogs/file_dlg.h"

#include "dialogs/max_placement.h"
#include "dialogs/window_place.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QPointer>
#include <QTreeView>

namespace {

QString g_titles[2];

// Places the dialog when it is first shown, at its final size; moved
// then, it is not put over its parent (the bar) by QDialog.
class FileDlgPlacement : public QObject {
public:
    FileDlgPlacement(QFileDialog& dlg, QWidget* served) : QObject(&dlg), dlg_(&dlg), served_(served)
    {
        dlg.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (o == dlg_ && e->type() == QEvent::Show && !e->spontaneous()) {
            dlg_->removeEventFilter(this);
            fitDetailColumns();
            PlaceCentredOver(dlg_, served_.data());
        }
        return false;
    }

private:
    // Size, type and date take the width their texts need (Qt's fixed
    // widths cut them, longer in German); the name takes the rest.
    void fitDetailColumns()
    {
        auto* view = dlg_->findChild<QTreeView*>(QStringLiteral("treeView"));
        if (!view)
            return;
        QHeaderView* h = view->header();
        h->setStretchLastSection(false);
        h->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int c = 1; c < h->count(); ++c)
            h->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }

    QFileDialog* dlg_;
    QPointer<QWidget> served_;
};

} // namespace

void SetFileDlgTitles(const QString& Open, const QString& Save)
{
    g_titles[fdOpen] = Open;
    g_titles[fdSave] = Save;
}

QString FileDlgTitle(TFileDlgKind Kind)
{
    return g_titles[Kind == fdSave ? fdSave : fdOpen];
}

void PrepareFileDlg(QFileDialog& Dlg, TFileDlgKind Kind, QWidget* Served)
{
    Dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    const QString title = FileDlgTitle(Kind);
    if (!title.isEmpty())
        Dlg.setWindowTitle(title);
    QWidget* served = Served ? Served->window() : nullptr;
    if (!served || served == MaxPlacementBar())
        served = QApplication::activeWindow();
    new FileDlgPlacement(Dlg, served);
}
