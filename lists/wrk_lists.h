#pragma once

// The work-list manager: numbers the work-list windows (32 slots), and
// holds what they share (scheduler, project, clipboard, drag object,
// display settings, the main form and tool windows, and every text). Each setter
// stores the value and pushes it into every open window at once, so that
// windows opened earlier and later look alike.

#include "config/lang_texts.h"
#include "dialogs/context_item.h"
#include "dialogs/operating_funcs.h"
#include "lists/list_interaction.h"
#include "lists/wrk_list_tools.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>

class TDragDrop;
class TFWrkList;
class TScheduler;
class TVortalinClpBrd;
class TVortalinPrj;

// The texts of the manager, in the order of their settings.
enum TWrkListsText : int {
    wltInvCol, wltAdrCol, wltSetCol, wltIdCol, wltNameCol, wltValCol, wltRemCol,
    wltEditValMenu, wltEditSetMenu, wltEditRemMenu, wltEditAdrMenu, wltEditInvMenu, wltInsBlankMenu,
    wltSaveMenu, wltSaveAsMenu, wltAddToPrjMenu, wltRemFromPrjMenu,
    wltCutMenu, wltCopyMenu, wltInsertMenu, wltDeleteMenu, wltMarkAllMenu, wltDefColWidthMenu,
    wltSaveDlgWrk, wltSaveDlgAll,
    wltUnknownInverter, wltUnknownPara, wltNotAct,
    wltAskForSaveMsg, wltAskForSaveHeader, wltAskForOverrideMsg, wltAskForOverrideHeader,
    wltYesBtn, wltNoBtn, wltCancelBtn,
    wltPrintCaption, wltAppName, wltPageFooter, wltVersion, wltFileDate, wltPrintDate,
    wltLoadErrorMsg, wltLoadErrorHeader,
    wltWriteErrorMsg,
    wltCount
};

// Where the window of `slot` opens: 25 pixels lower and further right per
// slot, starting right below the main window's frame.
QPoint WrkListPosition(const QRect& mainFrame, int slot);

// Whether two list paths name the same file: the same file on disk (device
// and inode, so also through a link or "..") when both exist; otherwise the
// cleaned absolute paths, with case.
bool SameListFile(const QString& a, const QString& b);

class TWrkLists : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxLists = 32;

    explicit TWrkLists(QObject* owner = nullptr);
    ~TWrkLists() override;

    // ---- slots and windows
    int FindFreeSlot() const;
    void ReleaseSlot(int Slot);
    // The window showing the file, or a new one (not yet shown); null when
    // all 32 slots are in use. A file that fails to load is reported.
    TFWrkList* OpenList(const QString& FileName);
    TFWrkList* Window(int Slot) const;

    // ---- shared objects and settings
    TScheduler* Scheduler() const { return scheduler_; }
    void SetScheduler(TScheduler* Sch);
    TVortalinPrj* Project() const { return project_; }
    void SetProject(TVortalinPrj* Prj);
    TVortalinClpBrd* VortalinClipBoard() const { return clpBrd_; }
    void SetVortalinClipBoard(TVortalinClpBrd* Clp);
    TDragDrop* DragDropObj() const { return dragDrop_; }
    void SetDragDropObj(TDragDrop* Dd);
    // The main form (it takes the windows' operation slots, and new windows
    // cascade below its bar) and the tool windows every work-list window
    // opens.
    const TWrkListTools& Tools() const { return *tools_; }
    void SetTools(std::shared_ptr<const TWrkListTools> Tools) { tools_ = std::move(Tools); }
    int Language() const { return language_; }
    void SetLanguage(int Lang);
    QChar Separator() const { return separator_; }
    void SetSeparator(QChar Sep);
    bool ShowDecValue() const { return showDecValue_; }
    void SetShowDecValue(bool On);
    QString DataPath() const { return dataPath_; }
    void SetDataPath(const QString& Path);
    QString DefHeader() const { return defHeader_; }
    void SetDefHeader(const QString& Header);
    TOnGetErrorText OnGetErrorText() const { return onGetErrorText_; }
    void SetOnGetErrorText(TOnGetErrorText Ev);
    // The windows' questions and messages (and the manager's own).
    void SetInteraction(std::shared_ptr<IListInteraction> Ui);

    // ---- texts
    QString Text(TWrkListsText Id) const { return texts_[size_t(Id)]; }
    void SetText(TWrkListsText Id, const QString& Value);
    // The start-up texts: each from its language key; the print header's
    // application name and version from the program settings.
    void SetTexts(const TVortalinText& Texts, const QString& AppName, const QString& Version);

#define QEL_WRK_TEXT(name, id)                                        \
    QString name() const { return Text(id); }                          \
    void Set##name(const QString& v) { SetText(id, v); }
    QEL_WRK_TEXT(InvColText, wltInvCol)
    QEL_WRK_TEXT(AdrColText, wltAdrCol)
    QEL_WRK_TEXT(SetColText, wltSetCol)
    QEL_WRK_TEXT(IdColText, wltIdCol)
    QEL_WRK_TEXT(NameColText, wltNameCol)
    QEL_WRK_TEXT(ValColText, wltValCol)
    QEL_WRK_TEXT(RemColText, wltRemCol)
    QEL_WRK_TEXT(EditValMenuText, wltEditValMenu)
    QEL_WRK_TEXT(EditSetMenuText, wltEditSetMenu)
    QEL_WRK_TEXT(EditRemMenuText, wltEditRemMenu)
    QEL_WRK_TEXT(EditAdrMenuText, wltEditAdrMenu)
    QEL_WRK_TEXT(EditInvMenuText, wltEditInvMenu)
    QEL_WRK_TEXT(InsBlankMenuText, wltInsBlankMenu)
    QEL_WRK_TEXT(SaveMenuText, wltSaveMenu)
    QEL_WRK_TEXT(SaveAsMenuText, wltSaveAsMenu)
    QEL_WRK_TEXT(AddToPrjMenuText, wltAddToPrjMenu)
    QEL_WRK_TEXT(RemFromPrjMenuText, wltRemFromPrjMenu)
    QEL_WRK_TEXT(CutMenuText, wltCutMenu)
    QEL_WRK_TEXT(CopyMenuText, wltCopyMenu)
    QEL_WRK_TEXT(InsertMenuText, wltInsertMenu)
    QEL_WRK_TEXT(DeleteMenuText, wltDeleteMenu)
    QEL_WRK_TEXT(MarkAllMenuText, wltMarkAllMenu)
    QEL_WRK_TEXT(DefColWidthMenuText, wltDefColWidthMenu)
    QEL_WRK_TEXT(SaveDlgWrkText, wltSaveDlgWrk)
    QEL_WRK_TEXT(SaveDlgAllText, wltSaveDlgAll)
    QEL_WRK_TEXT(UnknownInverterText, wltUnknownInverter)
    QEL_WRK_TEXT(UnknownParaText, wltUnknownPara)
    QEL_WRK_TEXT(NotActText, wltNotAct)
    QEL_WRK_TEXT(AskForSaveMsgText, wltAskForSaveMsg)
    QEL_WRK_TEXT(AskForSaveHeaderText, wltAskForSaveHeader)
    QEL_WRK_TEXT(AskForOverrideMsgText, wltAskForOverrideMsg)
    QEL_WRK_TEXT(AskForOverrideHeaderText, wltAskForOverrideHeader)
    QEL_WRK_TEXT(YesBtnText, wltYesBtn)
    QEL_WRK_TEXT(NoBtnText, wltNoBtn)
    QEL_WRK_TEXT(CancelBtnText, wltCancelBtn)
    QEL_WRK_TEXT(PrintCaptionText, wltPrintCaption)
    QEL_WRK_TEXT(AppNameText, wltAppName)
    QEL_WRK_TEXT(PageFooterText, wltPageFooter)
    QEL_WRK_TEXT(VersionText, wltVersion)
    QEL_WRK_TEXT(FileDateText, wltFileDate)
    QEL_WRK_TEXT(PrintDateText, wltPrintDate)
    // The message when a list file fails to load (lines) and its title.
    QEL_WRK_TEXT(LoadErrorMsgText, wltLoadErrorMsg)
    QEL_WRK_TEXT(LoadErrorHeaderText, wltLoadErrorHeader)
    QEL_WRK_TEXT(WriteErrorMsgText, wltWriteErrorMsg)
#undef QEL_WRK_TEXT

private:
    void pushText(TFWrkList& W, TWrkListsText Id) const;
    void setCaptionFor(TFWrkList& W) const;
    QString saveDlgFilter() const;
    template <class F>
    void forEachWindow(F f) const;

    std::array<QPointer<TFWrkList>, MaxLists> slots_{};
    std::array<QString, wltCount> texts_;
    TScheduler* scheduler_ = nullptr;
    QPointer<TVortalinPrj> project_;
    TVortalinClpBrd* clpBrd_ = nullptr;
    TDragDrop* dragDrop_ = nullptr;
    std::shared_ptr<const TWrkListTools> tools_ = std::make_shared<TWrkListTools>();
    int language_ = 0;
    QChar separator_ = QChar(u'\0');
    bool showDecValue_ = false;
    QString dataPath_;
    QString defHeader_ = QStringLiteral("Neue Arbeitsliste");
    TOnGetErrorText onGetErrorText_;
    std::shared_ptr<IListInteraction> interaction_;
};
