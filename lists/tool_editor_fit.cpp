#include "lists/tool_editor_fit.h"

#include <QWidget>

#include <algorithm>

TToolEditorFit FitToolEditor(QSize client, QRect ok, QRect cancel)
{
    TToolEditorFit fit{client.height(), ok, cancel};
    fit.clientHeight = std::max(client.height(), ok.y() + ok.height() + 5);
    if (client.width() < cancel.x() + cancel.width() + 10) {
        fit.cancel.moveLeft(client.width() - cancel.width() - 10);
        fit.ok.moveLeft(fit.cancel.x() - 10 - ok.width());
    }
    return fit;
}

void ApplyToolEditorFit(QWidget& form, QWidget& ok, QWidget& cancel)
{
    const TToolEditorFit fit = FitToolEditor(form.size(), ok.geometry(), cancel.geometry());
    form.resize(form.width(), fit.clientHeight);
    ok.setGeometry(fit.ok);
    cancel.setGeometry(fit.cancel);
}
