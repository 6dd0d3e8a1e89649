#pragma once

#include "dialogs/main_form.h"
#include "mainwin/prj_expl_core.h"

#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QTreeWidget>
#include <QWidget>

#include <functional>

class QLabel;
class QMenu;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QVBoxLayout;
class QAction;
class TfrmValEdit;
class TfrmSetEdit;

// The parameter list: reports presses on a row's state image and starts
// drags through the window.
class TExplListView : public QTreeWidget {
    Q_OBJECT
public:
    using QTreeWidget::QTreeWidget;
    std::function<void(Qt::DropActions)> OnStartDrag;
    // True when Pos lies on the state image of its row.
    bool OnStateImage(const QPoint& Pos) const;

protected:
    void startDrag(Qt::DropActions supported) override;
};

// The project explorer window: the tree of the project on the left, the
// pages of the selected node on the right, live values read through the
// scheduler. Created hidden at start-up and kept for the run.
class TFPrjExpl : public QWidget {
    Q_OBJECT
public:
    static constexpr int HelpContext = 41;

    explicit TFPrjExpl(QWidget* parent = nullptr);
    ~TFPrjExpl() override;

    TPrjExplCore& Core() { return core_; }

    // ---- shared objects (not owned)
    // The main window: it takes the explorer's slots and context commands.
    TMainFormRef MainForm;
    QPointer<TfrmValEdit> ValEdit;
    QPointer<TfrmSetEdit> SetEdit;
    // Detaches an open remark editor (gives it " ", no label, no callback).
    std::function<void()> DetachRemarkEditor;
    // The window closed: the main window releases its menu entry and button.
    std::function<void()> OnClosed;

    void RebuildTree();
    void SetTexts(const TPrjExplTexts& Texts);
    // Captions of a property label (by the label's object name) and of a page tab.
    void SetFieldCaption(const QString& Name, const QString& Text);
    QString FieldCaption(const QString& Name) const;
    void SetPageText(int Page, const QString& Text);
    // Opens the value editor (Node none: as when closing).
    void EditValue(const std::shared_ptr<TParaNode>& Node, int SetSelector);
    void EditValueArgs(const TExplEditArgs& Args);
    void CopyToClipboard();
    void MarkAll();
    void EditSetAddr();
    // The selected rows of lvParaList in row order.
    std::vector<int> SelectedRows() const;
    // Hands the operation slots and context commands to the main window.
    void HandOver();

    // ---- components
    QTreeWidget* TV;
    QSplitter* Splitter1;
    QTabWidget* PC;
    std::array<QWidget*, 9> Pages{};
    QLabel* ListCaption;
    TExplListView* lvParaList;
    QTreeWidget* InvListView;
    QTreeWidget* lvParaVal;
    QTreeWidget* lvPlainText;
    QTreeWidget* lvSubInd;
    QStatusBar* sbPrjExpl;
    std::array<QLabel*, 5> Panels{};
    QMenu* PM;
    QAction *MiEditSet, *MiEditSetPtr, *MiEditPassword, *MiEditVal, *MiCopy, *MiMarkAll, *miExpandCollapse;
    bool RowClick = false;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Building the window, in this order: the panes, the nine pages, the
    // status bar, the list's popup menu and the context commands; then the
    // logic's reports and the user's input are wired.
    void createTreeAndTabs(QVBoxLayout* top);
    void createParaListPage();
    void createPrjPropPage();
    void createInvPropPage();
    void createGrpPropPage();
    void createParaPropPage();
    void createPTPropPage();
    void createDefPropPage();
    void createSubPropPage();
    void createParaDetailsPage();
    void createStatusBar(QVBoxLayout* top);
    void createPopupMenu();
    void createContextCommands();
    void connectCoreEvents();
    void connectUserInput();
    void buildTreeItems();
    QTreeWidgetItem* makeItem(TExplNode* n);
    // The pictures of nodes and list rows, painted once for the window and
    // shared by every item that shows them.
    QIcon nodeIcon(const TExplNode* n);
    QIcon stateIcon(int StateImage);
    QHash<int, QIcon> nodeIcons_;
    QHash<int, QIcon> stateIcons_;
    void nodeChanged(TExplNode* n);
    void selectItemOf(TExplNode* n);
    void showPage();
    void showRows();
    void showRow(int row);
    void showParaVal(int row);
    void showField(const QString& name);
    void fitLastColumn();
    void popup(const QPoint& pos);
    void listDoubleClick();
    void focusedRowChanged();
    void updateContextTexts();
    QLabel* field(QWidget* page, class QFormLayout* form, const QString& caption, const char* name);

    TPrjExplCore core_;
    TOperatingFuncs opFuncs_;
    TContextList context_;
    QHash<TExplNode*, QTreeWidgetItem*> items_;
    QHash<QString, QLabel*> fields_;
    QHash<QString, QLabel*> captions_;
    bool syncing_ = false;
};

// The images of the tree (index as in TExplNode::Image) and of the list's
// state column (0 blank, 1 sets hidden, 2 sets shown), drawn by the program.
QPixmap ExplImage(int Index);
QPixmap ExplStateImage(int Index);
// Pictures of the context commands 1 (set addressing), 2 (set pointer) and
// 3 (password).
QPixmap ExplCommandGlyph(int Item);
