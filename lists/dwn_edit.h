#pragma once

// A download list's editing without widgets: the editors' callbacks,
// inserts, search, which editor a column opens and the label it shows,
// delete and mark all, copy, paste, the drag of the marked lines, drops of
// every drag kind and the content of a print. It changes the list
// (TDwnLoadEngine) and its view (TDwnLoadView), asks the user through the
// list's interaction and tells the window through the list's notification
// (RowsChanged, SelectLine, caption and context items); the window opens
// the editors and dialogs it names and forwards its events.
//
// While a transfer runs nothing here changes the lines: the transfer's
// answers go to the lines by index, and a compare keeps its results in
// the marks.

#include "config/clpbrd_content.h"
#include "lists/dwn_load_engine.h"
#include "lists/dwn_load_view.h"
#include "lists/list_print_job.h"

#include <QDateTime>
#include <QObject>

#include <memory>
#include <vector>

class QMimeData;
class TDragDrop;
struct TWrkListItem;

// The text line of a copied line: set, address, ident, name, value, note.
QString DwnCopyLine(const TDwnEntry& Line, const TVortalinText* Texts, const TDwnTextOptions& Opt);
// A value for an inverter type without parameter sets: 0..0xFFFF, or
// -0x8000..0x7FFF for a signed parameter.
bool DwnFits16Bit(const TParaRec& Para, int32_t Value);

// What opening an editor on a column of the current line comes to.
enum class TDwnEditor {
    None,      // nothing opens (a blank line's value, sets of a type without them)
    Address,   // an empty row: the address editor inserts there
    Mode,
    Set,
    Remark,
    Value,
    InputBox,  // a user step's value, or a raw value while properties may change
};

// The marked lines as the editors see them.
struct TDwnEditTarget {
    int Marked = 0;             // 0, 1 or 2 (two or more)
    TDwnEntry* Line = nullptr;  // the only marked line, the second of several, else line 0
    int Index = 0;              // of Line
    QString Label;              // the editors' label; empty without a marked line
};

// What a print takes from the program and the window besides the list.
struct TDwnPrintHead {
    QString AppName, VersionText;
    QString Caption;            // the list's caption (not applied)
    QDateTime Now;
    QList<int> ColWidths;       // the eight columns as the view shows them
    QStringList ColCaptions;
    TDwnTextOptions TextOptions;
};

class TDwnEdit {
public:
    TDwnEdit(TDwnLoadEngine& Engine, TDwnLoadView& View) : engine_(Engine), view_(View) {}

    // The address last searched; -1 while the address editor inserts.
    int16_t SearchAdr = -1;

    // ---- editors
    TDwnEditTarget Target() const;
    // The address editor's labels: inserting and searching.
    QString InsertLabel() const;
    QString SearchLabel() const;
    // The editor that Column of the current line opens; ChangeProperties is
    // the program setting that lets mode and raw values change. Without a
    // current line the address editor inserts (SearchAdr := -1); sets of a
    // type without them are refused with the message.
    TDwnEditor EditorFor(int Column, bool ChangeProperties);
    // The editors' callbacks.
    void ChangePara(int32_t Value);
    void ChangeSet(int16_t Sel);
    void ChangeNote(const QString& Text);
    void ChangeMode(int Mode);
    void EnterPara(int16_t Address);
    void SearchPara(int16_t Address);
    // The input box's entry for Line: an integer becomes its value.
    bool EnterValue(TDwnEntry& Line, const QString& Entry);
    // The address a search starts at: the current line's, else the last
    // one searched (0x7FFF before the first search).
    int16_t StartSearch();
    // A blank line or user step at the current line.
    void InsertSpecial(int Mode);
    void DeleteMarked();
    void MarkAll();
    // The project's inverter at InvAdr has configuration CfgId; an empty
    // list moves to an inverter of another configuration.
    bool CheckInvCfgId(int InvAdr, int CfgId);

    // ---- clipboard (insert positions clamp into 0..count)
    // The marked lines' content (flags 63); none without a marked line.
    std::unique_ptr<TIntClpBrd> CopyMarked(const TDwnTextOptions& Opt) const;
    // Pastes the content at the current line; the number refused.
    int PasteContent(const TIntClpBrd& Content);
    // Pastes Items at At by the content's Flags; the number refused
    // (message (0,19) shown for any).
    int PasteItems(int At, const std::vector<TClpBrdItem>& Items, int Flags);

    // ---- drag and drop
    // Fills the drag object with the marked lines themselves (kind 3, or 5
    // from an operator list); false, with its kind 0, without a marked line.
    bool StartDrag(TDragDrop& Dd, QObject* SourceView) const;
    // Whether a drop of Kind fits the list: explorer parameters, download
    // lines and work rows into an empty or normal list, operator lines into
    // an empty or operator list; nothing during a transfer.
    bool AcceptsKind(uint8_t Kind) const;
    // The running drag, from another view than OwnView, of a kind that fits.
    bool AcceptsDrop(const TDragDrop& Dd, const QMimeData* Data, const QObject* OwnView) const;
    // The insert position of a drop at Row of the view (-1: none).
    int DropPosition(int Row) const;
    // Drops the running drag at Row; false when it is not taken.
    bool Drop(const TDragDrop& Dd, const QMimeData* Data, const QObject* OwnView, int Row);
    // Drops of parameter descriptions of inverter InvAdr with set selector
    // SetSel, download-list or operator-list lines and work-list rows.
    // False: refused (kinds that do not mix, another configuration), with
    // the message.
    bool DropDescriptions(int At, int InvAdr, int SetSel, const std::vector<std::shared_ptr<const TParaRec>>& Paras);
    bool DropDwnLines(int At, int InvAdr, const std::vector<TDwnEntryPtr>& Lines, bool OpLines);
    bool DropWrkRows(int At, const std::vector<std::shared_ptr<TWrkListItem>>& Rows);

    // ---- print
    TListPrintJob PrintJob(const TDwnPrintHead& Head) const;

private:
    void refuseMessage();
    // Lines of InvAdr fit the list's configuration; else the message.
    bool fitsType(int InvAdr);
    // At clamped into 0..count.
    int insertAt(int At) const;
    // A drop makes the list a normal or an operator list; where it inserts.
    int startDrop(int At, bool OpLines);
    void afterInsert(int Count, int FocusLine);
    void rowsChanged() { engine_.Notify().RowsChanged(); }

    TDwnLoadEngine& engine_;
    TDwnLoadView& view_;
};
