#pragma once

#include "project/prj_interaction.h"

#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;
class TVortalinPrj;

// Everything the main window shows to or asks of the user and hands to the
// desktop: the platform's error box, the message dialog, the open and save
// dialogs, opening an address (help pages, the manual) and ending the
// program. The program uses the real dialogs; tests install a recording one.
class IMainInteraction {
public:
    virtual ~IMainInteraction() = default;

    // The platform's error box with one OK button (built-in English texts).
    virtual void ErrorBox(const QString& Text) = 0;
    // UserMessageDlg.
    virtual int Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                        const QString& P1, const QString& P2, const QString& P3, int Default, int Cancel) = 0;
    // The open dialog: the chosen file, empty when cancelled. `Filter` in
    // "Description|pattern|..." form, FilterIndex 1-based.
    virtual QString ChooseOpenFile(const QString& Filter, int FilterIndex, const QString& InitialDir) = 0;
    // The main window's save dialog; empty when cancelled.
    virtual QString ChooseSaveFile(const TSaveDlgOptions& Options) = 0;
    // Shows an address in the desktop's viewer; false when that failed.
    virtual bool OpenUrl(const QUrl& Url) = 0;
    // Ends the application with the status once the current event is done.
    virtual void Terminate(int Status) = 0;
    // Installs the project's dialogs (its questions and progress window).
    virtual void InstallPrjDialogs(TVortalinPrj& Prj, QWidget* Parent) = 0;
};

// The real dialogs.
class TMainInteractionDlg : public IMainInteraction {
public:
    explicit TMainInteractionDlg(QWidget* parent = nullptr) : parent_(parent) {}
    void ErrorBox(const QString& Text) override;
    int Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                const QString& P1, const QString& P2, const QString& P3, int Default, int Cancel) override;
    QString ChooseOpenFile(const QString& Filter, int FilterIndex, const QString& InitialDir) override;
    QString ChooseSaveFile(const TSaveDlgOptions& Options) override;
    bool OpenUrl(const QUrl& Url) override;
    void Terminate(int Status) override;
    void InstallPrjDialogs(TVortalinPrj& Prj, QWidget* Parent) override;

private:
    QWidget* parent_;
};
