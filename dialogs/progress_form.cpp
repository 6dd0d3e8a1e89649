#include "dialogs/progress_form.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

#include "dialogs/glyph_button.h"
#include "dialogs/window_place.h"

TfrmProgress::TfrmProgress(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("Progress"));
    setFixedSize(385, 102);

    labProgress_ = new QLabel(this);
    labProgress_->setObjectName(QStringLiteral("LabProgress"));
    labProgress_->setAlignment(Qt::AlignCenter);
    labProgress_->setTextFormat(Qt::PlainText);
    labProgress_->setGeometry(8, 8, 369, 17);

    prbProgress_ = new QProgressBar(this);
    prbProgress_->setObjectName(QStringLiteral("prbProgress"));
    prbProgress_->setTextVisible(false);
    prbProgress_->setGeometry(8, 32, 369, 20);

    button_ = new TVarneGlyphButton(this);
    button_->setObjectName(QStringLiteral("VarneGlyphButton1"));
    button_->setText(QStringLiteral("CC"));
    button_->setGeometry(155, 66, 75, 25);
    // Only raises the flag; the caller's loop decides what to do.
    connect(button_, &QPushButton::clicked, this, [this] { cancel_ = true; });

    syncBar();
}

TfrmProgress::~TfrmProgress() = default;

void TfrmProgress::syncBar()
{
    prbProgress_->setRange(range_.Min(), range_.Max());
    prbProgress_->setValue(range_.ActVal());
}

void TfrmProgress::SetMax(int value)
{
    if (range_.SetMax(value))
        syncBar();
}

void TfrmProgress::SetActVal(int value)
{
    if (!range_.SetActVal(value))
        return;
    syncBar();
    QCoreApplication::processEvents();
}

void TfrmProgress::SetTitle(const QString& title)
{
    setWindowTitle(title);
}

void TfrmProgress::SetText(const QString& text)
{
    labProgress_->setText(text);
}

void TfrmProgress::SetCancelText(const QString& text)
{
    button_->setText(text);
    button_->setVisible(!text.trimmed().isEmpty());
}

void TfrmProgress::Start(const QString& title, const QString& cancelText)
{
    SetTitle(title);
    SetCancelText(cancelText);
    SetText(QString());
    range_.SetMin(0);
    range_.SetActVal(0);
    syncBar();
    cancel_ = false;
    show();
    QCoreApplication::processEvents();
}

void TfrmProgress::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        CentreOnWorkArea(this);
    syncBar();
    prbProgress_->repaint();
    cancel_ = false;
}

void TfrmProgress::closeEvent(QCloseEvent* event)
{
    // No close box: the window goes away when its user hides or frees it.
    if (event->spontaneous())
        event->ignore();
    else
        QWidget::closeEvent(event);
}
