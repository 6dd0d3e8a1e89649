#pragma once

// The download-list window's virtual view without widgets: a fixed number
// of visible rows over the list's lines, the scroll position (the line in
// the first row), the focused row, the anchor of range selections and what
// keys, mouse presses and the wheel do to them. The lines' Selected flags
// are the selection; the rows only show it. The window mirrors this class
// in its list view and scroll bar.

#include "lists/dwn_entry.h"

#include <QAbstractTableModel>
#include <QString>

#include <array>
#include <functional>

class TVortalinText;

// Value texts of the rows.
struct TDwnTextOptions {
    int Language = 0;
    QChar Separator = u'+';
    bool ShowDecValue = false;
};

// "RO", "WA", "WO"; "RW" for every other mode.
QString DwnModeText(int Mode);

// Columns 1..7 of a line (mode, set, address, ident, name, value, note) as
// the rows, the print and the clipboard show them.
std::array<QString, 7> DwnLineColumns(const TDwnEntry& Line, const TVortalinText* Texts,
                                      const TDwnTextOptions& Opt);

class TDwnLoadView {
public:
    explicit TDwnLoadView(const TDwnList& Lines) : lines_(Lines) {}

    int Rows = 1;       // visible rows, at least 1
    int Position = 0;   // the scroll bar: line shown in row 0
    int ScrollMax = 0;
    int LargeStep = 1;
    int FocusRow = -1;  // row with the focus, -1 none
    int Anchor = 0;     // line where a range selection starts

    int Count() const { return int(lines_.size()); }
    // The current line: focused row + position; -1 without a focused row.
    // An empty row's line is past the end (count for the row after the
    // last line): inserts there append.
    int CurrentLine() const { return FocusRow < 0 ? -1 : Position + FocusRow; }
    TDwnEntry* Line(int Index) const
    {
        return Index >= 0 && Index < Count() ? lines_[size_t(Index)].get() : nullptr;
    }
    TDwnEntry* CurrentEntry() const { return Line(CurrentLine()); }

    // Rows (at least 1); then the scroll range and the position kept in it.
    void SetRows(int N);
    // Maximum count - Rows + 1 (so one empty row shows at the end), 0
    // when that is below 1; large step Rows. The position stays inside.
    void SetScrollMax();
    void SetPosition(int P);

    void ClearMarks();
    // Marks exactly the lines from A to B (either order).
    void SelectRange(int A, int B);
    // Marks Index (clamped to the last line) and centres it; its row, or
    // row 0 when above the view, gets the focus. -1: no mark, position 0,
    // row 0 focused.
    void SelectLine(int Index);

    // Keys of the list view. Result: the key was consumed; EditorsChanged
    // is set when the selection may have changed (the editors follow).
    enum class Key { Enter, End, Home, Up, Down, PageDown, PageUp, Space, Other };
    struct KeyResult {
        bool Consumed = false;
        bool EditorsChanged = false;
        bool OpenValueEditor = false;
    };
    KeyResult KeyDown(Key K, bool Shift, bool Ctrl);

    // Mouse on Row (the row under the pointer gets the focus first).
    // Press: true when the editors follow.
    bool MousePress(int Row, bool Left, bool Right, bool Shift, bool Ctrl);
    // Release of the left button without a drag.
    void MouseRelease(int Row, bool Shift, bool Ctrl);
    // Wheel: Steps lines down (negative: up).
    void Wheel(int Steps) { SetPosition(Position + Steps); }

private:
    void focusRow(int Row);
    const TDwnList& lines_;
};

// ListView1's rows: exactly Rows rows of 8 columns showing the lines from
// the view's position; column 0's header is the line count.
class TDwnRowModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TDwnRowModel(const TDwnLoadView& View, QObject* Parent = nullptr)
        : QAbstractTableModel(Parent), view_(View)
    {
    }

    const TVortalinText* Texts = nullptr;
    TDwnTextOptions Options;
    std::array<QString, 8> Captions;  // 1..7; 0 is the line count

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    // Texts of row R: the line index and columns 1..7; all empty past the
    // last line.
    std::array<QString, 8> RowTexts(int R) const;
    // The row count follows the view's Rows; every row is redrawn.
    void Refill();

private:
    const TDwnLoadView& view_;
    int rows_ = 0;
};
