#include "lists/dwn_load_view.h"

#include "config/lang_texts.h"
#include "config/vortalin_help.h"

#include <algorithm>

QString DwnModeText(int Mode)
{
    switch (Mode) {
    case DwnMode::RO: return QStringLiteral("RO");
    case DwnMode::WA: return QStringLiteral("WA");
    case DwnMode::WO: return QStringLiteral("WO");
    default: return QStringLiteral("RW");
    }
}

static QString langText(const TVortalinText* t, int s, int i)
{
    return t ? t->GetText(s, i) : QStringLiteral("???");
}

std::array<QString, 7> DwnLineColumns(const TDwnEntry& Line, const TVortalinText* Texts,
                                      const TDwnTextOptions& Opt)
{
    std::array<QString, 7> c;
    if (Line.IsBlank()) {
        c[6] = Line.Note;
        return c;
    }
    if (Line.IsUserStep()) {
        c[4] = langText(Texts, 2, 18);
        c[5] = QString::number(Line.Value);
        c[6] = Line.Note;
        return c;
    }
    c[0] = DwnModeText(Line.Mode);
    c[1] = SetMaskToStr(Line.SetMask);
    c[2] = QStringLiteral("%1").arg(uint16_t(Line.Address), 4, 16, QChar(u'0')).toUpper() + u'h';
    if (Line.Para) {
        c[3] = Line.Para->GetIdText();
        c[4] = Line.Para->GetName(Opt.Language);
        c[5] = Line.Para->ValueToText(Line.Value, Opt.Language, Opt.Separator, Opt.ShowDecValue);
    } else {
        c[3] = QStringLiteral(" ");
        c[4] = langText(Texts, 0, 4);
        c[5] = QString::number(Line.Value);
    }
    c[6] = Line.Note;
    return c;
}

// ---------------------------------------------------------------- view

void TDwnLoadView::SetRows(int N)
{
    Rows = std::max(1, N);
    if (FocusRow >= Rows)
        FocusRow = Rows - 1;
    SetScrollMax();
}

void TDwnLoadView::SetScrollMax()
{
    const int m = Count() - Rows + 1;
    ScrollMax = m >= 1 ? m : 0;
    LargeStep = std::max(1, Rows);
    SetPosition(Position);
}

void TDwnLoadView::SetPosition(int P)
{
    Position = std::clamp(P, 0, ScrollMax);
}

void TDwnLoadView::ClearMarks()
{
    for (const TDwnEntryPtr& e : lines_)
        e->Selected = 0;
}

void TDwnLoadView::SelectRange(int A, int B)
{
    ClearMarks();
    const int lo = std::max(0, std::min(A, B));
    const int hi = std::min(Count() - 1, std::max(A, B));
    for (int i = lo; i <= hi; ++i)
        lines_[size_t(i)]->Selected = 1;
}

void TDwnLoadView::SelectLine(int Index)
{
    Index = std::min(Index, Count() - 1);
    if (Index < 0) {
        SetPosition(0);
        FocusRow = 0;
        return;
    }
    lines_[size_t(Index)]->Selected = 1;
    SetPosition(std::max(0, Index - Rows / 2));
    const int r = Index - Position;
    FocusRow = r < 0 ? 0 : std::min(r, Rows - 1);
}

void TDwnLoadView::focusRow(int Row)
{
    FocusRow = std::clamp(Row, 0, Rows - 1);
}

TDwnLoadView::KeyResult TDwnLoadView::KeyDown(Key K, bool Shift, bool Ctrl)
{
    KeyResult r;
    if (K == Key::Enter) {
        r.Consumed = true;
        r.OpenValueEditor = true;
        return r;
    }
    if (FocusRow < 0)
        focusRow(0);
    switch (K) {
    case Key::End:
        SetPosition(ScrollMax);
        focusRow(Rows - 1);
        break;
    case Key::Home:
        SetPosition(0);
        focusRow(0);
        break;
    case Key::Up:
        if (FocusRow == 0)
            SetPosition(Position - 1);
        else
            focusRow(FocusRow - 1);
        break;
    case Key::Down:
        if (FocusRow == Rows - 1)
            SetPosition(Position + 1);
        else
            focusRow(FocusRow + 1);
        break;
    case Key::PageDown: SetPosition(Position + Rows); break;
    case Key::PageUp: SetPosition(Position - Rows); break;
    case Key::Space:
        r.Consumed = true;
        if (Ctrl)
            if (TDwnEntry* e = CurrentEntry())
                e->Selected = e->Selected ? 0 : 1;
        r.EditorsChanged = true;
        return r;
    default: return r;
    }
    r.Consumed = true;
    r.EditorsChanged = true;
    if (Count() == 0)
        return r;
    const int idx = std::clamp(CurrentLine(), 0, Count() - 1);
    if (!Ctrl) {
        if (!Shift)
            Anchor = idx;
        SelectRange(Anchor, idx);
    }
    return r;
}

bool TDwnLoadView::MousePress(int Row, bool Left, bool Right, bool Shift, bool Ctrl)
{
    if (Row >= 0)
        focusRow(Row);
    const int cur = CurrentLine();
    if (Left != Right && !Shift && !Ctrl) {
        TDwnEntry* e = CurrentEntry();
        if (!e || !e->Selected) {
            ClearMarks();
            if (e)
                e->Selected = 1;
        }
        Anchor = cur;
        return false;
    }
    if (Left && Shift && !Ctrl) {
        SelectRange(cur, Anchor);
        return true;
    }
    if (Left && Ctrl && !Shift) {
        if (TDwnEntry* e = CurrentEntry())
            e->Selected = e->Selected ? 0 : 1;
        return true;
    }
    return false;
}

void TDwnLoadView::MouseRelease(int Row, bool Shift, bool Ctrl)
{
    if (Row >= 0)
        focusRow(Row);
    if (Shift || Ctrl)
        return;
    ClearMarks();
    if (TDwnEntry* e = CurrentEntry())
        e->Selected = 1;
    Anchor = CurrentLine();
}

// ---------------------------------------------------------------- model

int TDwnRowModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int TDwnRowModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 8;
}

std::array<QString, 8> TDwnRowModel::RowTexts(int R) const
{
    std::array<QString, 8> t;
    const int index = view_.Position + R;
    const TDwnEntry* e = view_.Line(index);
    if (!e)
        return t;
    t[0] = QString::number(index);
    const auto c = DwnLineColumns(*e, Texts, Options);
    std::copy(c.begin(), c.end(), t.begin() + 1);
    return t;
}

QVariant TDwnRowModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    return RowTexts(index.row())[size_t(index.column())];
}

QVariant TDwnRowModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 7)
        return {};
    return section == 0 ? QString::number(view_.Count()) : Captions[size_t(section)];
}

void TDwnRowModel::Refill()
{
    if (rows_ != view_.Rows) {
        if (view_.Rows > rows_) {
            beginInsertRows({}, rows_, view_.Rows - 1);
            rows_ = view_.Rows;
            endInsertRows();
        } else {
            beginRemoveRows({}, view_.Rows, rows_ - 1);
            rows_ = view_.Rows;
            endRemoveRows();
        }
    }
    if (rows_ > 0)
        emit dataChanged(index(0, 0), index(rows_ - 1, 7));
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}
