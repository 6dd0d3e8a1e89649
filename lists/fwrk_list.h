#pragma once

// The work-list window: a comment memo over the list of rows, each read
// again and again through the scheduler while the window is open. The
// rows, files and the scheduler client are TWrkListCore; this class draws
// them and forwards what the user does.

#include "lists/wrk_list_core.h"

#include <QWidget>

#include <functional>

class QPlainTextEdit;
class QSplitter;
class QTableView;

class TFWrkList : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultWidth = 582;
    static constexpr int DefaultHeight = 324;

    // CreateNumbered: the window of slot WindowNo (0..31).
    explicit TFWrkList(int WindowNo, QWidget* parent = nullptr);
    ~TFWrkList() override;

    TWrkListCore& Core() { return core_; }
    int WindowNo() const { return core_.WindowNo; }

    void SetScheduler(TScheduler* Sch) { core_.SetScheduler(Sch); }
    void SetLanguage(int Lang) { core_.SetLanguage(Lang); }
    void SetAskForSaveMsgText(const QString& Text) { core_.SetAskForSaveMsgText(Text); }
    void SetAskForOverrideMsgText(const QString& Text) { core_.SetAskForOverrideMsgText(Text); }
    void SetYesBtnText(const QString& Text) { core_.SetYesBtnText(Text); }
    void SetNoBtnText(const QString& Text) { core_.SetNoBtnText(Text); }
    void SetCancelBtnText(const QString& Text) { core_.SetCancelBtnText(Text); }
    int InsertItem(std::shared_ptr<TWrkListItem> Item, int Index) { return core_.InsertItem(std::move(Item), Index); }
    void ClearRows() { core_.ClearRows(); }
    void DeleteRow(int Index) { core_.DeleteRow(Index); }
    int LoadFromFile(const QString& Path) { return core_.LoadFromFile(Path); }
    int SaveToFile(const QString& Path) { return core_.SaveToFile(Path); }
    bool Save() { return core_.Save(); }
    bool SaveAs() { return core_.SaveAs(); }

    // Column 6 takes the list's width less columns 0..5, at least 100.
    void FitRemarkColumn();
    // Sets the column widths 0..5 on the list and fits column 6.
    void ApplyColumnWidths();

    // Told when the window is destroyed (the manager frees its slot).
    std::function<void(int WindowNo)> OnReleaseSlot;

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    TWrkListCore core_;
    QPlainTextEdit* RemarkMemo = nullptr;
    QSplitter* Splitter = nullptr;
    QTableView* PL = nullptr;
    bool settingMemo_ = false;
    bool applyingWidths_ = false;
    bool sized_ = false;
};

// Width of column 6 for a list of client width `clientWidth`.
int WrkRemarkColumnWidth(int clientWidth, const std::array<int, 7>& widths);
