#pragma once

// What a user reads in a Qt file dialog: its title, labels, buttons and the
// file list's column heads (mnemonic marks removed).

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QStringList>

namespace qeltest {

struct FileDlgTexts {
    QString Title;
    QStringList Labels, Buttons, Heads;
};

inline FileDlgTexts fileDlgTexts(const QFileDialog& d)
{
    auto plain = [](QString s) { return s.remove(u'&'); };
    FileDlgTexts t;
    t.Title = d.windowTitle();
    for (const QLabel* l : d.findChildren<QLabel*>())
        if (!l->text().isEmpty())
            t.Labels.append(plain(l->text()));
    if (const auto* box = d.findChild<QDialogButtonBox*>())
        for (const QAbstractButton* b : box->buttons())
            t.Buttons.append(plain(b->text()));
    if (const auto* view = d.findChild<QAbstractItemView*>(QStringLiteral("treeView")))
        for (int c = 0; c < view->model()->columnCount(); ++c)
            t.Heads.append(view->model()->headerData(c, Qt::Horizontal).toString());
    return t;
}

} // namespace qeltest
