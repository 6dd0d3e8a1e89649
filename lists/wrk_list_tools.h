#pragma once

// The single tool windows a work-list window opens: the editors, the
// inverter choice and the print window. The main program hands its set to
// the work-list manager, which hands it to every window it opens; one that
// is not set is not opened.

#include <QPointer>
#include <QString>

#include <functional>

class QWidget;
class TfrmAdrEdit;
class TfrmInvSel;
class TfrmSetEdit;
class TfrmValEdit;
class TFrmvortalinprint;

using TOnRemarkText = std::function<void(const QString& Remark)>;

struct TWrkListTools {
    QPointer<TfrmValEdit> ValEdit;
    QPointer<TfrmSetEdit> SetEdit;
    QPointer<TfrmAdrEdit> AdrEdit;
    QPointer<TfrmInvSel> InvSel;
    QPointer<TFrmvortalinprint> Print;
    // The remark editor: its window (to tell whether it is visible) and
    // its EditRemark.
    QPointer<QWidget> RemEdit;
    std::function<void(const QString& Text, const QString& Description, TOnRemarkText OnRemark)> EditRemark;
};

