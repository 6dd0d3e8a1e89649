#pragma once

#include <QTableView>

#include <functional>

// The work-list window's list: a table view that hands the start of a drag,
// drags over it and drops to its window, and tells the column of each
// press.
class TWrkListView : public QTableView {
    Q_OBJECT
public:
    explicit TWrkListView(QWidget* parent = nullptr);

    // A drag starts: the window fills the drag object and runs it.
    std::function<void()> OnStartDrag;
    // Whether the data may be dropped here.
    std::function<bool(const QMimeData* Data)> OnDragOver;
    // A drop on the row (-1: none under the pointer).
    std::function<void(const QMimeData* Data, int Row)> OnDrop;
    // A press at x in viewport coordinates.
    std::function<void(int X)> OnPress;
    // A double click, Enter, Del.
    std::function<void()> OnDoubleClick;
    std::function<void()> OnDeleteKey;

protected:
    bool event(QEvent* e) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};
