#pragma once

#include <QMargins>
#include <QRect>

#include <optional>
#include <vector>

// Geometry of the main window's bar and of the windows it arranges, as
// plain functions so that they run without a display.

// The tool bar panel's components, in panel coordinates.
struct TToolBarLayout {
    static constexpr int PanelHeight = 42;    // Panel1
    static constexpr int DividerHeight = 46;  // Panel3..Panel5
    static constexpr int DividerWidth = 2;
    static constexpr int ButtonSize = 32;
    static constexpr int ButtonTop = 8;
    static constexpr int Gap = 4;

    QRect OpenBtn, SaveBtn, Panel3, CutBtn, CopyBtn, PasteBtn, DelBtn, Panel4, PrjEditBtn, ExplBtn,
        ScopeButton, NewWorkBtn, NewDwnLoadBtn, Panel5;

    // Context speed button i (1 for the first command): right of Panel5,
    // the size and top of NewDwnLoadBtn.
    QRect ContextButton(int i) const;
};

TToolBarLayout ToolBarLayout();

// Where the bar goes after a resize or at start: in the work area's top
// left corner with its width when `toWorkArea` (start-up, a maximise
// request), else at its own left, top and width; in every case as high as
// `clientHeight` (menu and tool bar). `client` is the current client
// rectangle, `frame` the window frame's margins; the result is the client
// rectangle.
QRect PlaceBar(const QRect& client, const QMargins& frame, const QRect& workArea, int clientHeight,
               bool toWorkArea);

// The work area the bar places itself in. The strut the bar reserves takes
// the strip above its bottom edge out of the screen's work area, yet the
// bar belongs at that strip's top: a work area that starts where the bar's
// strut ends (now or before its last change, which the window system may
// not have answered yet) gets back its top as last seen without it.
class TBarWorkArea {
public:
    // The work area for the bar, given the screen's; remembers the top of
    // one the strut has not shaped.
    QRect Of(const QRect& Available);
    // The strut now reserves the rows above `bottom` (0: none).
    void StrutSet(int bottom);

private:
    int bottom_ = 0;
    int previous_ = 0;
    std::optional<int> freeTop_;
};

// Arrangements of the Windows menu, by their position in it.
enum TArrangeKind : int { akSideBySide = 0, akAboveEachOther = 1, akOverlapped = 2 };

// Outer bounds of `count` windows: the work area below the bar's frame
// (`barFrame`, its outer rectangle), side by side, one above the other, or
// overlapped at 600 x 400 moving by 20 pixels.
std::vector<QRect> ArrangeBounds(TArrangeKind kind, const QRect& workArea, const QRect& barFrame,
                                 int count);

// The slot after `curSlot` (wrapping from 63 to 0) that `isOpen` accepts;
// -1 when none does.
template <class Pred>
int NextOpenSlot(int curSlot, int slotCount, Pred isOpen)
{
    for (int k = 1; k <= slotCount; ++k) {
        const int s = ((curSlot + k) % slotCount + slotCount) % slotCount;
        if (isOpen(s))
            return s;
    }
    return -1;
}
