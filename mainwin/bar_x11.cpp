#include "mainwin/bar_x11.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// The Motif hints' layout and bits, as window managers read them.
constexpr uint32_t MwmHintsFunctions = 1u << 0;
constexpr uint32_t MwmHintsDecorations = 1u << 1;
constexpr uint32_t MwmAll = 1u << 0;  // in either field: everything but the bits listed
constexpr uint32_t MwmFuncResize = 1u << 1;
constexpr uint32_t MwmDecorResizeHandle = 1u << 2;
constexpr uint32_t MwmHintsLength = 5;

xcb_connection_t* x11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

// Takes `bit` out of a Motif field: with MwmAll set the field lists what
// is left out.
uint32_t without(uint32_t field, uint32_t bit)
{
    return (field & MwmAll) ? (field | bit) : (field & ~bit);
}

} // namespace

TBarStrut BarStrut(const QRect& BarFrame, qreal Scale)
{
    TBarStrut s;
    const int rows = int(std::lround((BarFrame.bottom() + 1) * Scale));
    if (BarFrame.isEmpty() || rows <= 0)
        return s;
    s.Rows = rows;
    s.StartX = std::max(0, int(std::lround(BarFrame.left() * Scale)));
    s.EndX = std::max(s.StartX, int(std::lround((BarFrame.right() + 1) * Scale)) - 1);
    return s;
}

bool SetX11Strut(QWidget* Window, const TBarStrut& Strut)
{
    xcb_connection_t* c = x11Connection();
    if (!c || !Window)
        return false;
    const auto w = xcb_window_t(Window->winId());
    const xcb_atom_t partial = atom(c, "_NET_WM_STRUT_PARTIAL");
    const xcb_atom_t plain = atom(c, "_NET_WM_STRUT");
    // No atoms (a broken connection): a property call would only earn an X
    // error.
    if (partial == XCB_ATOM_NONE || plain == XCB_ATOM_NONE)
        return false;
    if (Strut.Rows <= 0) {
        xcb_delete_property(c, w, partial);
        xcb_delete_property(c, w, plain);
    } else {
        // left, right, top, bottom, then the start and end of each edge.
        const uint32_t p[12] = {0, 0, uint32_t(Strut.Rows), 0, 0, 0, 0, 0, uint32_t(Strut.StartX),
                                uint32_t(Strut.EndX), 0, 0};
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, partial, XCB_ATOM_CARDINAL, 32, 12, p);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, plain, XCB_ATOM_CARDINAL, 32, 4, p);
    }
    xcb_flush(c);
    return true;
}

bool SetX11NoResize(QWidget* Window)
{
    xcb_connection_t* c = x11Connection();
    if (!c || !Window)
        return false;
    const auto w = xcb_window_t(Window->winId());
    const xcb_atom_t hints = atom(c, "_MOTIF_WM_HINTS");
    if (hints == XCB_ATOM_NONE)
        return false;
    uint32_t h[MwmHintsLength] = {0, MwmAll, MwmAll, 0, 0};
    xcb_get_property_reply_t* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, hints, hints, 0, MwmHintsLength), nullptr);
    if (r && r->format == 32 && xcb_get_property_value_length(r) >= int(sizeof h))
        std::memcpy(h, xcb_get_property_value(r), sizeof h);
    std::free(r);
    // A field the hints leave out means everything.
    if (!(h[0] & MwmHintsFunctions))
        h[1] = MwmAll;
    if (!(h[0] & MwmHintsDecorations))
        h[2] = MwmAll;
    h[0] |= MwmHintsFunctions | MwmHintsDecorations;
    h[1] = without(h[1], MwmFuncResize);
    h[2] = without(h[2], MwmDecorResizeHandle);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, hints, hints, 32, MwmHintsLength, h);
    xcb_flush(c);
    return true;
}
