// A work list's editing that needs no display: the editors' callbacks,
// blank rows, copy, paste, delete, drops, the list menu's state and the
// content of a print.
#include "lists/wrk_list_core.h"

#include "config/vortalin_help.h"
#include "dialogs/print_tab_widths.h"
#include "lists/dwn_entry.h"

#include <QFileInfo>
#include <QLocale>

#include <algorithm>

int WrkClickedColumn(int x, int firstColumnLeft, const std::array<int, 7>& widths)
{
    int left = firstColumnLeft;
    for (int i = 0; i < 7; ++i) {
        const int right = left + widths[size_t(i)];
        if (x > left && x < right)
            return i;
        left = right;
    }
    return 5;
}

namespace {

std::vector<int> sortedUnique(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

std::shared_ptr<TWrkListItem> blankRow(const QString& remark)
{
    auto row = std::make_shared<TWrkListItem>();
    row->SetSel = -1;
    row->Address = -1;
    row->Inverter = -1;
    row->Remark = remark;
    return row;
}

}  // namespace

bool TWrkListCore::OldStyleInv(int InvAdr) const
{
    const TPrjInvRec* inv = InvEntry(InvAdr);
    return inv && !inv->Cfg->NewStyle;
}

QString TWrkListCore::RowLine(int Row) const
{
    QStringList cols;
    for (int c = 0; c < TWrkListModel::ColCount; ++c)
        cols.append(model_.Text(Row, c));
    return cols.join(QStringLiteral(" ; "));
}

std::unique_ptr<TIntClpBrd> TWrkListCore::CopyRows(std::vector<int> Rows) const
{
    auto content = std::make_unique<TIntClpBrd>();
    content->Flags = cbfRows;
    for (int r : sortedUnique(std::move(Rows))) {
        const std::shared_ptr<TWrkListItem>& row = model_.Item(r);
        if (!row)
            continue;  // the trailing row
        TClpBrdItem it;
        it.InvAdr = row->Inverter;
        it.Address = row->Address;
        it.SetSel = row->SetSel;
        it.Value = row->Value;
        it.ValueValid = row->ValueValid;
        it.Remark = row->Remark;
        it.Kind = row->IsBlank() ? cbkBlank : cbkParameter;
        content->Items.push_back(std::move(it));
        content->Lines.append(RowLine(r));
    }
    return content;
}

void TWrkListCore::DeleteRows(std::vector<int> Rows)
{
    std::vector<int> rows = sortedUnique(std::move(Rows));
    const int trailing = model_.TrailingRow();
    rows.erase(std::remove_if(rows.begin(), rows.end(), [trailing](int r) { return r < 0 || r >= trailing; }),
               rows.end());
    if (rows.empty())
        return;
    // One pass, one notification for each contiguous block of rows.
    polled_.reset();
    model_.RemoveRows(rows);
    Modified = true;
    rowsChanged();
}

int TWrkListCore::PasteContent(const TIntClpBrd& Content, int BeforeRow)
{
    if (!Content.PastesRows())
        return 0;
    const int at = std::clamp(BeforeRow, 0, model_.TrailingRow());
    std::vector<std::shared_ptr<TWrkListItem>> rows;
    for (const TClpBrdItem& item : Content.Items) {
        const QString remark = Content.HasRemarks() ? item.Remark : QString();
        std::shared_ptr<TWrkListItem> row;
        if (item.Kind == cbkBlank) {
            row = blankRow(remark);
        } else if (item.Kind == cbkParameter) {
            row = std::make_shared<TWrkListItem>();
            row->Inverter = item.InvAdr;
            row->Address = uint16_t(item.Address);
            row->SetSel = int16_t(item.SetSel);
            row->Para = lookupPara(row->Inverter, row->Address);
            row->Remark = remark;
            if (Content.HasValues()) {
                row->Value = item.Value;
                // A row copied before it was read stays unread, so that
                // its editor offers the default rather than a valid 0.
                row->ValueValid = item.ValueValid;
            }
        } else {
            continue;  // user steps and operator entries
        }
        rows.push_back(std::move(row));
    }
    const int n = int(rows.size());
    InsertItems(std::move(rows), at);
    return n;
}

int TWrkListCore::DropItems(const TDragDrop& Dd, int BeforeRow)
{
    const int at = std::clamp(BeforeRow, 0, model_.TrailingRow());
    std::vector<std::shared_ptr<TWrkListItem>> rows;
    for (int i = 0; i < int(Dd.Items.size()); ++i) {
        std::shared_ptr<TWrkListItem> row;
        switch (Dd.Kind) {
        case ddkExplParams:
            if (auto para = Dd.Item<TParaRec>(i)) {
                row = std::make_shared<TWrkListItem>();
                row->Para = para;
                row->Address = uint16_t(para->Addr);
                row->SetSel = Dd.SetSel;
                row->Inverter = Dd.InvAdr;
            }
            break;
        case ddkDwnLines:
            if (auto line = Dd.Item<TDwnEntry>(i)) {
                if (line->IsUserStep())
                    break;
                if (line->IsBlank()) {
                    row = blankRow(line->Note);
                } else {
                    row = std::make_shared<TWrkListItem>();
                    row->Para = line->Para;
                    row->SetSel = line->SetMask;
                    row->Address = uint16_t(line->Address);
                    row->Value = line->Value;
                    row->Inverter = Dd.InvAdr;
                    row->Remark = line->Note;
                }
            }
            break;
        case ddkWrkRows:
            if (auto src = Dd.Item<TWrkListItem>(i)) {
                row = std::make_shared<TWrkListItem>(*src);
                row->ValueValid = false;
            }
            break;
        default:
            break;
        }
        if (row)
            rows.push_back(std::move(row));
    }
    const int n = int(rows.size());
    InsertItems(std::move(rows), at);
    return n;
}

void TWrkListCore::InsertBlank(int BeforeRow)
{
    InsertItem(blankRow(QString()), std::clamp(BeforeRow, 0, model_.TrailingRow()));
}

void TWrkListCore::ChangeAddress(int Row, int Address)
{
    const std::shared_ptr<TWrkListItem>& row = model_.Item(Row);
    if (!row)
        return;
    const int addr = uint16_t(Address);
    // Also for an inverter not in the project: the address is stored and
    // shown, with no description, as a changed inverter is.
    if (!row->IsBlank() && row->Address != addr) {
        polled_.reset();
        row->Address = addr;
        row->Para = lookupPara(row->Inverter, addr);
        const TWrkListModel::Texts t = rowTexts(*row);
        model_.SetText(Row, TWrkListModel::colAdr, t[TWrkListModel::colAdr]);
        model_.SetText(Row, TWrkListModel::colId, t[TWrkListModel::colId]);
        model_.SetText(Row, TWrkListModel::colName, t[TWrkListModel::colName]);
        model_.SetText(Row, TWrkListModel::colValue, NotActText);
    }
    Modified = true;
}

void TWrkListCore::ChangeSet(const std::vector<int>& Rows, int Sel)
{
    const int sel = int16_t(Sel);
    for (int r : Rows) {
        const std::shared_ptr<TWrkListItem>& row = model_.Item(r);
        if (!row || row->IsBlank())
            continue;
        // A type without parameter sets takes no set mask.
        if (!(sel > 0 && OldStyleInv(row->Inverter)))
            row->SetSel = sel;
        model_.SetText(r, TWrkListModel::colSet, SetMaskToStr(int16_t(row->SetSel)));
        Modified = true;
    }
}

void TWrkListCore::ChangeInverter(const std::vector<int>& Rows, int Inv)
{
    for (int r : Rows) {
        const std::shared_ptr<TWrkListItem>& row = model_.Item(r);
        if (!row || row->IsBlank())
            continue;
        row->Inverter = Inv;
        // The outstanding read belongs to the old inverter, whether or not
        // the new one is in the project.
        polled_.reset();
        row->Para = lookupPara(Inv, row->Address);
        const TWrkListModel::Texts t = rowTexts(*row);
        model_.SetText(r, TWrkListModel::colInv, t[TWrkListModel::colInv]);
        model_.SetText(r, TWrkListModel::colId, t[TWrkListModel::colId]);
        model_.SetText(r, TWrkListModel::colName, t[TWrkListModel::colName]);
        model_.SetText(r, TWrkListModel::colValue, NotActText);
        Modified = true;
    }
}

void TWrkListCore::ChangeRemark(int Row, const QString& Text)
{
    const std::shared_ptr<TWrkListItem>& row = model_.Item(Row);
    if (!row)
        return;
    row->Remark = Text;
    model_.SetText(Row, TWrkListModel::colRemark, Text);
    Modified = true;
}

void TWrkListCore::ResetColWidths()
{
    const std::array<int, 6> defaults{40, 50, 70, 40, 170, 100};
    std::copy(defaults.begin(), defaults.end(), ColWidth.begin());
}

QString TWrkListCore::DescriptionText(int Row) const
{
    const QString file = Caption.mid(std::max(Caption.lastIndexOf(u'/'), Caption.lastIndexOf(u'\\')) + 1);
    return model_.Text(Row, TWrkListModel::colId) + u' ' + model_.Text(Row, TWrkListModel::colName)
           + QStringLiteral(" , ") + file;
}

QString TWrkListCore::ValueLabel(int Row) const
{
    const std::shared_ptr<TWrkListItem>& row = model_.Item(Row);
    if (!row)
        return UnknownParaText;
    return model_.Text(Row, TWrkListModel::colId) + u' ' + model_.Text(Row, TWrkListModel::colName)
           + QStringLiteral(" ; ") + model_.Caption(TWrkListModel::colInv) + u' ' + QString::number(row->Inverter)
           + QStringLiteral(" ; ") + model_.Caption(TWrkListModel::colSet) + u' '
           + SetMaskToStr(int16_t(row->SetSel));
}

int32_t TWrkListCore::ValueStart(int Row) const
{
    const std::shared_ptr<TWrkListItem>& row = model_.Item(Row);
    if (!row)
        return 0;
    if (row->ValueValid)
        return row->Value;
    return row->Para ? row->Para->DefVal : 0;
}

TWrkListMenuState TWrkListCore::ListMenuState(int FocusedRow, bool CopyAssigned) const
{
    TWrkListMenuState m;
    m.AddToPrjEnabled = !FileName.isEmpty();
    m.AddToPrjIsAdd = FileName.isEmpty() || !Project || Project->FindFile(FileName) == -2;
    m.HasFocusedRow = FocusedRow >= 0 && FocusedRow <= model_.TrailingRow();
    if (!m.HasFocusedRow)
        return m;
    const std::shared_ptr<TWrkListItem>& row = model_.Item(FocusedRow);
    if (row && !row->IsBlank()) {
        m.EditInv = m.EditAdr = m.EditRem = true;
        m.EditSet = !(row->Para && OldStyleInv(row->Inverter));
        m.EditVal = row->Para != nullptr;
    }
    m.CutCopyDelete = CopyAssigned;
    return m;
}

TWrkPrintJob TWrkListCore::PrintJob(const QDateTime& Now) const
{
    TWrkPrintJob j;
    j.DialogCaption = PrintCaptionText + u' ' + Caption;
    j.Title = AppNameText + QStringLiteral(": ") + Caption;
    j.Footer = PageFooterText;
    const QLocale loc;
    j.HeadLines.append(AppNameText + u' ' + VersionText);
    j.HeadLines.append(PrintDateText + QStringLiteral(": ") + loc.toString(Now, QLocale::ShortFormat));
    QString fileDate;
    if (!FileName.isEmpty() && QFileInfo::exists(FileName))
        fileDate = loc.toString(QFileInfo(FileName).lastModified(), QLocale::ShortFormat);
    j.HeadLines.append(FileDateText + QStringLiteral(": ") + fileDate);
    j.HeadLines.append(QStringLiteral(" "));
    const bool memoText = !Comments.join(QString()).isEmpty();
    if (memoText) {
        j.HeadLines.append(Comments);
        j.HeadLines.append(QStringLiteral(" "));
    }
    j.TabPercents = TabWidthsToPercent(QList<int>(ColWidth.begin(), ColWidth.end()));
    QStringList caps;
    for (int c = 0; c < TWrkListModel::ColCount; ++c)
        caps.append(model_.Caption(c));
    j.Header = caps.join(u'\t');
    for (int r = 0; r < model_.TrailingRow(); ++r) {
        QStringList cols;
        for (int c = 0; c < TWrkListModel::ColCount; ++c)
            cols.append(model_.Text(r, c));
        j.Rows.append(cols.join(u'\t'));
    }
    return j;
}
