#include "mainwin/bar_layout.h"

#include <algorithm>

QRect TToolBarLayout::ContextButton(int i) const
{
    return QRect(Panel5.right() + 1 + (i - 1) * NewDwnLoadBtn.width() + Gap, NewDwnLoadBtn.top(),
                 NewDwnLoadBtn.width(), NewDwnLoadBtn.height());
}

TToolBarLayout ToolBarLayout()
{
    using L = TToolBarLayout;
    TToolBarLayout l;
    auto button = [](int left) { return QRect(left, L::ButtonTop, L::ButtonSize, L::ButtonSize); };
    auto divider = [](int left) { return QRect(left, 0, L::DividerWidth, L::DividerHeight); };
    auto after = [](const QRect& r, int gap) { return r.right() + 1 + gap; };
    l.OpenBtn = button(8);
    l.SaveBtn = button(after(l.OpenBtn, 0));
    l.Panel3 = divider(after(l.SaveBtn, L::Gap));
    l.CutBtn = button(after(l.Panel3, L::Gap));
    l.CopyBtn = button(after(l.CutBtn, 0));
    l.PasteBtn = button(after(l.CopyBtn, 0));
    l.DelBtn = button(after(l.PasteBtn, 0));
    l.Panel4 = divider(after(l.DelBtn, L::Gap));
    l.PrjEditBtn = button(after(l.Panel4, L::Gap));
    l.ExplBtn = button(after(l.PrjEditBtn, 0));
    l.ScopeButton = button(after(l.ExplBtn, 0));
    l.NewWorkBtn = button(after(l.ScopeButton, 0));
    l.NewDwnLoadBtn = button(after(l.NewWorkBtn, 0));
    l.Panel5 = divider(after(l.NewDwnLoadBtn, L::Gap));
    return l;
}

QRect PlaceBar(const QRect& client, const QMargins& frame, const QRect& workArea, int clientHeight,
               bool toWorkArea)
{
    if (!toWorkArea)
        return QRect(client.left(), client.top(), client.width(), clientHeight);
    return QRect(workArea.left() + frame.left(), workArea.top() + frame.top(),
                 workArea.width() - frame.left() - frame.right(), clientHeight);
}

QRect TBarWorkArea::Of(const QRect& Available)
{
    const int top = Available.top();
    const bool shapedByStrut = (bottom_ > 0 && top == bottom_) || (previous_ > 0 && top == previous_);
    if (!shapedByStrut || !freeTop_) {
        freeTop_ = top;
        return Available;
    }
    QRect r = Available;
    r.setTop(std::min(*freeTop_, top));
    return r;
}

void TBarWorkArea::StrutSet(int bottom)
{
    if (bottom == bottom_)
        return;
    previous_ = bottom_;
    bottom_ = bottom;
}

std::vector<QRect> ArrangeBounds(TArrangeKind kind, const QRect& workArea, const QRect& barFrame,
                                 int count)
{
    std::vector<QRect> out;
    if (count <= 0)
        return out;
    QRect area = workArea;
    area.setTop(barFrame.top() + barFrame.height());
    for (int k = 0; k < count; ++k) {
        switch (kind) {
        case akSideBySide: {
            const int w = area.width() / count;
            out.emplace_back(area.left() + k * w, area.top(), w, area.height());
            break;
        }
        case akAboveEachOther: {
            const int h = area.height() / count;
            out.emplace_back(area.left(), area.top() + k * h, area.width(), h);
            break;
        }
        case akOverlapped:
            out.emplace_back(area.left() + 20 * k, area.top() + 20 * k, 600, 400);
            break;
        }
    }
    return out;
}
