#include "dialogs/file_dlg.h"

#include "dialogs/max_placement.h"
#include "dialogs/window_place.h"
#include "project/prj_interaction.h"

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

QStringList QtNameFilters(const QString& filter)
{
    QStringList out;
    const QStringList parts = filter.split(u'|');
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i].trimmed();
        const qsizetype paren = desc.indexOf(u'(');
        if (paren >= 0)
            desc = desc.left(paren).trimmed();
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == u"*.*")
                p = QStringLiteral("*");
        }
        out.append(desc + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return out;
}

QString ChooseFileDlg(TFileDlgKind Kind, const TSaveDlgOptions& Options, QWidget* Parent,
                      const QString& ObjectName, QWidget* Served)
{
    QFileDialog dlg(Parent);
    dlg.setObjectName(ObjectName);
    PrepareFileDlg(dlg, Kind, Served);
    if (Kind == fdSave) {
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
        dlg.setDefaultSuffix(Options.DefaultExt);
    } else {
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(QFileDialog::ExistingFile);
    }
    const QStringList filters = QtNameFilters(Options.Filter);
    dlg.setNameFilters(filters);
    if (Options.FilterIndex >= 1 && Options.FilterIndex <= filters.size())
        dlg.selectNameFilter(filters[Options.FilterIndex - 1]);
    if (!Options.InitialDir.isEmpty())
        dlg.setDirectory(Options.InitialDir);
    if (Kind == fdSave && !Options.FileName.isEmpty())
        dlg.selectFile(Options.FileName);
    return ExecFileDlg(dlg);
}

QString ExecFileDlg(QFileDialog& Dlg)
{
    if (Dlg.exec() != QDialog::Accepted || Dlg.selectedFiles().isEmpty())
        return QString();
    return Dlg.selectedFiles().constFirst();
}
