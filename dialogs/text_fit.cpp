#include "dialogs/text_fit.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>

#include "dialogs/elided_label.h"
#include "dialogs/glyph_button.h"
#include "dialogs/window_place.h"

namespace {

// Room the window manager's frame takes from a caption: the window icon,
// the three buttons and the margins around the title.
constexpr int kCaptionDecoration = 96;

QString withoutMnemonics(const QString& t)
{
    QString r;
    r.reserve(t.size());
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i] == u'&' && i + 1 < t.size())
            ++i;
        r += t[i];
    }
    return r;
}

int textWidth(const QFontMetrics& fm, const QString& t)
{
    int w = 0;
    for (const QString& line : withoutMnemonics(t).split(u'\n'))
        w = std::max(w, fm.horizontalAdvance(line));
    return w;
}

// Shown, or shown with its window: a page of a tab widget that is not the
// current one counts, a control the program hid does not.
bool showsWith(const QWidget* w, const QWidget* window)
{
    for (const QWidget* c = w; c && c != window; c = c->parentWidget()) {
        if (c->isHidden() && !qobject_cast<const QStackedWidget*>(c->parentWidget()))
            return false;
    }
    return true;
}

bool layoutHolds(const QLayout* l, const QWidget* w)
{
    for (int i = 0; i < l->count(); ++i) {
        QLayoutItem* item = l->itemAt(i);
        if (item->widget() == w || (item->layout() && layoutHolds(item->layout(), w)))
            return true;
    }
    return false;
}

bool inLayout(const QWidget* w)
{
    const QWidget* p = w->parentWidget();
    return p && p->layout() && layoutHolds(p->layout(), w);
}

// The width a control has for its text. One that a layout places and that
// is not laid out yet (its window or its page not shown) gets what it asks
// for, up to its maximum.
int roomOf(const QWidget* w, int needed)
{
    if (inLayout(w) && !w->isVisible())
        return std::min(std::max(needed, w->width()), w->maximumWidth());
    return w->width();
}

// The width a horizontal tab bar needs to show its visible tabs whole,
// without scroll arrows; -1 for one without tabs or a vertical one.
int tabBarNeeded(QTabBar* bar, QString& text)
{
    const QTabBar::Shape shape = bar->shape();
    if (shape != QTabBar::RoundedNorth && shape != QTabBar::RoundedSouth && shape != QTabBar::TriangularNorth
        && shape != QTabBar::TriangularSouth)
        return -1;
    for (int i = 0; i < bar->count(); ++i)
        if (bar->isTabVisible(i))
            text += (text.isEmpty() ? QString() : QStringLiteral(" | ")) + bar->tabText(i);
    if (text.isEmpty())
        return -1;
    bar->ensurePolished();
    return bar->sizeHint().width();
}

// The width the control needs for its text; -1 when it shows none that it
// could cut.
int neededWidth(QWidget* w, QString& text)
{
    const QFontMetrics fm = w->fontMetrics();
    if (auto* l = qobject_cast<QLabel*>(w)) {
        // An elided label cuts its text on purpose, with an ellipsis.
        if (qobject_cast<TElidedLabel*>(l) || l->text().isEmpty() || l->wordWrap() || !l->pixmap().isNull())
            return -1;
        text = l->text();
        return l->sizeHint().width();
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        if (b->text().isEmpty())
            return -1;
        if (auto* t = qobject_cast<QToolButton*>(b);
            t && (t->toolButtonStyle() == Qt::ToolButtonIconOnly
                  || (t->toolButtonStyle() == Qt::ToolButtonFollowStyle && !t->icon().isNull())))
            return -1;
        text = b->text();
        if (qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b) || qobject_cast<QToolButton*>(b))
            return b->sizeHint().width();
        if (auto* g = qobject_cast<TVarneGlyphButton*>(b)) {
            // Glyph, a gap of 4 and the caption, centred inside the 2-pixel frame.
            const int glyph = g->GlyphWidth() > 0 ? g->GlyphWidth() + 4 : 0;
            return textWidth(fm, text) + glyph + 4;
        }
        const int icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
        return textWidth(fm, text) + icon + 8;
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
        if (g->title().isEmpty())
            return -1;
        text = g->title();
        const int check = g->isCheckable() ? g->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 4 : 0;
        return textWidth(fm, g->title()) + check + 20;
    }
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        int widest = 0;
        for (int i = 0; i < c->count(); ++i) {
            const int t = fm.horizontalAdvance(c->itemText(i))
                          + (c->itemIcon(i).isNull() ? 0 : c->iconSize().width() + 4);
            if (t > widest) {
                widest = t;
                text = c->itemText(i);
            }
        }
        if (widest == 0)
            return -1;
        QStyleOptionComboBox opt;
        opt.initFrom(c);
        opt.editable = c->isEditable();
        opt.frame = c->hasFrame();
        const QRect field = c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
        return widest + (c->width() - field.width()) + 4;
    }
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (e->text().isEmpty() || e->echoMode() != QLineEdit::Normal
            || qobject_cast<QAbstractSpinBox*>(e->parentWidget()) || qobject_cast<QComboBox*>(e->parentWidget()))
            return -1;
        text = e->text();
        QStyleOptionFrame opt;
        opt.initFrom(e);
        opt.lineWidth = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, e) : 0;
        const QRect r = e->style()->subElementRect(QStyle::SE_LineEditContents, &opt, e);
        const QMargins m = e->textMargins();
        // The line edit keeps 2 pixels on either side of its text.
        return fm.horizontalAdvance(e->text()) + (e->width() - r.width()) + m.left() + m.right() + 4 + 1;
    }
    if (auto* t = qobject_cast<QTabWidget*>(w)) {
        // The tab bar's own measure of its tabs: one that needs more than
        // the room beside the corner widgets shows scroll arrows and hides
        // tabs.
        if (t->tabBar()->isHidden())
            return -1;
        int corners = 0;
        for (Qt::Corner c : {Qt::TopLeftCorner, Qt::TopRightCorner})
            if (const QWidget* cw = t->cornerWidget(c); cw && !cw->isHidden())
                corners += cw->sizeHint().width();
        const int bar = tabBarNeeded(t->tabBar(), text);
        return bar < 0 ? -1 : bar + corners;
    }
    if (auto* b = qobject_cast<QTabBar*>(w)) {
        // A tab widget's bar counts with its tab widget.
        if (qobject_cast<QTabWidget*>(b->parentWidget()))
            return -1;
        return tabBarNeeded(b, text);
    }
    return -1;
}

// The width a splitter pane needs for its labels: a tree without a header
// shows its rows in one column as wide as the pane and cuts the rows that
// do not fit. -1 for any other pane.
int paneNeeded(QWidget* pane, QString& text)
{
    auto* tree = qobject_cast<QTreeView*>(pane);
    if (!tree || !tree->model() || !tree->header()->isHidden())
        return -1;
    // The rows shown (the expanded ones), indented by their depth.
    const QFontMetrics fm = tree->fontMetrics();
    int widest = 0, rows = 0;
    for (QModelIndex i = tree->model()->index(0, 0, tree->rootIndex()); i.isValid() && rows < 1000;
         i = tree->indexBelow(i), ++rows) {
        int depth = tree->rootIsDecorated() ? 1 : 0;
        for (QModelIndex p = i.parent(); p.isValid() && p != tree->rootIndex(); p = p.parent())
            ++depth;
        const QString t = i.data().toString();
        if (const int w = fm.horizontalAdvance(t) + depth * tree->indentation(); w > widest) {
            widest = w;
            text = t;
        }
    }
    if (widest == 0)
        return -1;
    // The view's own measure, icons and margins included.
    const int hint = static_cast<QAbstractItemView*>(tree)->sizeHintForColumn(0);
    QScrollBar* bar = tree->verticalScrollBar();
    const int chrome = tree->isVisible() ? tree->width() - tree->viewport()->width()
                                         : 2 * tree->frameWidth() + (bar->isVisibleTo(tree) ? bar->sizeHint().width() : 0);
    return std::max(hint, widest) + chrome;
}

// The width a splitter gives the pane; -1 when w is no pane of a side by
// side splitter or is collapsed (a closed pane shows no labels).
int paneRoom(const QWidget* w)
{
    auto* s = qobject_cast<const QSplitter*>(w->parentWidget());
    if (!s || s->orientation() != Qt::Horizontal)
        return -1;
    const int i = s->indexOf(const_cast<QWidget*>(w));
    const QList<int> sizes = s->sizes();
    return i >= 0 && i < sizes.size() && sizes[i] > 0 ? sizes[i] : -1;
}

// Gives the pane Needed pixels, taken from the other panes down to their
// minimum widths; the window keeps its size. Whether the pane grew.
bool widenPane(QWidget* pane, int Needed)
{
    auto* s = static_cast<QSplitter*>(pane->parentWidget());
    const int i = s->indexOf(pane);
    QList<int> sizes = s->sizes();
    const int want = Needed - sizes[i];
    int got = 0;
    for (int j = 0; j < sizes.size() && got < want; ++j) {
        if (j == i || sizes[j] == 0)
            continue;
        const QWidget* o = s->widget(j);
        const int least = std::max(o->minimumWidth(), o->minimumSizeHint().width());
        if (const int give = std::min(want - got, sizes[j] - least); give > 0) {
            sizes[j] -= give;
            got += give;
        }
    }
    if (got <= 0)
        return false;
    sizes[i] += got;
    s->setSizes(sizes);
    return true;
}

struct HeaderCut {
    int section;
    int needed;
};

QList<HeaderCut> headerCuts(const QHeaderView* h)
{
    QList<HeaderCut> cuts;
    if (!h->model() || h->isHidden())
        return cuts;
    const QFontMetrics fm(h->font());
    const int margin = h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
    for (int i = 0; i < h->count(); ++i) {
        // Hidden columns and those the program keeps at a pixel or none.
        if (h->isSectionHidden(i) || h->sectionSize(i) <= 1)
            continue;
        const QString t = h->model()->headerData(i, h->orientation(), Qt::DisplayRole).toString();
        if (t.isEmpty())
            continue;
        int needed = textWidth(fm, t) + 2 * margin + 2;
        if (h->isSortIndicatorShown() && h->sortIndicatorSection() == i)
            needed += h->style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, h) + margin;
        if (needed > h->sectionSize(i))
            cuts.append({i, needed});
    }
    return cuts;
}

int captionNeeded(const QWidget* window)
{
    if (window->windowTitle().isEmpty() || (window->windowFlags() & Qt::FramelessWindowHint))
        return -1;
    QFont f = window->font();
    f.setBold(true);
    return QFontMetrics(f).horizontalAdvance(window->windowTitle()) + kCaptionDecoration;
}

int screenWidth(const QWidget* window)
{
    const QScreen* s = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry().width() : 1 << 20;
}

void setWidth(QWidget* w, int width)
{
    if (w->minimumWidth() == w->maximumWidth())
        w->setFixedWidth(width);
    else {
        w->setMinimumWidth(std::min(std::max(w->minimumWidth(), 0), width));
        w->resize(width, w->height());
    }
}

void growWindow(QWidget* window, int width)
{
    const QMargins frame = FrameMargins(window);
    const int limit = screenWidth(window) - frame.left() - frame.right();
    width = std::min(width, limit);
    if (width > window->width())
        setWidth(window, width);
}

void grow(QWidget* w, int d, QWidget* window);

// Makes room of d pixels at x in p (client coordinates): what lies right of
// x moves right, what spans x widens; then p itself grows.
void insertStrip(QWidget* p, int x, int d, const QWidget* except, QWidget* window)
{
    for (QObject* o : p->children()) {
        auto* c = qobject_cast<QWidget*>(o);
        if (!c || c == except || c->isWindow())
            continue;
        const QRect g = c->geometry();
        if (g.left() > x)
            c->move(g.x() + d, g.y());
        else if (g.right() > x && !c->isHidden())
            setWidth(c, g.width() + d);
    }
    grow(p, d, window);
}

void grow(QWidget* w, int d, QWidget* window)
{
    if (d <= 0)
        return;
    if (w == window) {
        growWindow(window, w->width() + d);
        return;
    }
    const int oldRight = w->geometry().right();
    setWidth(w, w->width() + d);
    if (QWidget* p = w->parentWidget())
        insertStrip(p, oldRight, d, w, window);
}

// Grows the control to Needed pixels.
void growTo(QWidget* w, int Needed, QWidget* window)
{
    if (!inLayout(w)) {
        grow(w, Needed - w->width(), window);
        return;
    }
    // Its layout gives it what it asks for; what holds the layout may have
    // to grow: up to the first container no layout sizes (a tab widget
    // sizes its pages itself).
    if (w->maximumWidth() < Needed)
        w->setMaximumWidth(Needed);
    w->setMinimumWidth(Needed);
    QWidget* c = w->parentWidget();
    while (c && c != window && (inLayout(c) || qobject_cast<QStackedWidget*>(c)))
        c = c->parentWidget();
    if (!c)
        return;
    if (c->layout())
        c->layout()->activate();
    const int want = c->minimumSizeHint().width();
    if (want > c->width())
        grow(c, want - c->width(), window);
}

} // namespace

QList<TCutText> FindCutTexts(QWidget* Window)
{
    QList<TCutText> cuts;
    if (!Window)
        return cuts;
    if (const int n = captionNeeded(Window); n > 0) {
        const int room = Window->frameGeometry().width();
        if (n > room && n <= screenWidth(Window))
            cuts.append({Window, Window->windowTitle(), n, room});
    }
    const QList<QWidget*> all = Window->findChildren<QWidget*>();
    for (QWidget* w : all) {
        if (w->isWindow() || !showsWith(w, Window))
            continue;
        if (auto* h = qobject_cast<QHeaderView*>(w)) {
            for (const HeaderCut& c : headerCuts(h))
                cuts.append({h, h->model()->headerData(c.section, h->orientation()).toString(), c.needed,
                             h->sectionSize(c.section)});
            continue;
        }
        QString text;
        if (const int room = paneRoom(w); room > 0) {
            if (const int n = paneNeeded(w, text); n > room) {
                cuts.append({w, text, n, room});
                continue;
            }
            text.clear();
        }
        const int n = neededWidth(w, text);
        if (const int room = roomOf(w, n); n > room)
            cuts.append({w, text, n, room});
    }
    return cuts;
}

void FitTexts(QWidget* Window)
{
    if (!Window)
        return;
    // Growing one control can move another over an edge; a few rounds settle it.
    for (int round = 0; round < 6; ++round) {
        const QList<TCutText> cuts = FindCutTexts(Window);
        if (cuts.isEmpty())
            return;
        bool changed = false;
        for (const TCutText& c : cuts) {
            if (c.Control == Window) {
                const int before = Window->width();
                growWindow(Window, Window->width() + (c.Needed - c.Room));
                changed |= Window->width() != before;
            } else if (auto* h = qobject_cast<QHeaderView*>(c.Control)) {
                for (const HeaderCut& hc : headerCuts(h)) {
                    h->resizeSection(hc.section, hc.needed);
                    changed = true;
                }
            } else if (QString rows; paneRoom(c.Control) > 0 && paneNeeded(c.Control, rows) > 0) {
                changed |= widenPane(c.Control, c.Needed);
            } else {
                // The latest width: an earlier growth may have widened it.
                QString text;
                const int n = neededWidth(c.Control, text);
                if (n > roomOf(c.Control, n)) {
                    growTo(c.Control, n, Window);
                    changed = true;
                }
            }
        }
        if (!changed)
            return;
    }
}

namespace {

class TextFitFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Show && o->isWidgetType()) {
            auto* w = static_cast<QWidget*>(o);
            const Qt::WindowType type = w->windowType();
            if (w->isWindow() && type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen
                && !e->spontaneous())
                FitTexts(w);
        }
        return false;
    }
};

} // namespace

void InstallTextFit()
{
    static TextFitFilter* filter = nullptr;
    if (filter || !qApp)
        return;
    filter = new TextFitFilter(qApp);
    qApp->installEventFilter(filter);
}

QString DescribeCutTexts(const QList<TCutText>& Cuts)
{
    QString r;
    for (const TCutText& c : Cuts) {
        const QWidget* w = c.Control->window();
        r += QStringLiteral("%1/%2 (%3): \"%4\" needs %5, has %6\n")
                 .arg(w->objectName(), c.Control->objectName(), QString::fromLatin1(c.Control->metaObject()->className()),
                      c.Text)
                 .arg(c.Needed)
                 .arg(c.Room);
    }
    return r;
}
