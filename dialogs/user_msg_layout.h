#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// Geometry of the message dialog, computed without a window so that
// wrapping and button placement are checked headless. All sizes are client
// pixels.

// Text measuring on the dialog's font.
class TUserMsgMeasure {
public:
    virtual ~TUserMsgMeasure() = default;
    virtual int TextWidth(const QString& text) const = 0;
    virtual int LineHeight() const = 0;
    // Height of `text` word-wrapped into `width` pixels.
    virtual int WrappedHeight(const QString& text, int width) const = 0;
};

struct TUserMsgButtonIn {
    QString caption;    // as shown (glyph prefix removed)
    int glyphWidth = 0;
};

struct TUserMsgLayoutIn {
    QStringList lines;           // message lines, placeholders filled
    bool hasPicture = false;     // an icon is placed
    QSize picture;               // its size
    int screenWidth = 0;
    QSize initialClient;         // the new window's client size
    QList<TUserMsgButtonIn> buttons;
    int buttonsMinWidth = 75;
    bool buttonsSameWidth = true;
};

struct TUserMsgLayout {
    QRect picture;          // 1 x 1 at 0,0 when there is none
    QRect label;
    bool wordWrap = false;
    QString labelText;      // the lines joined by line breaks
    QSize client;
    QList<QRect> buttons;
};

// Window origin of the label and picture, and the dialog's margins.
constexpr int kMsgLabelLeft = 8;
constexpr int kMsgLabelTop = 8;
constexpr int kMsgPictureLeft = 10;
constexpr int kMsgPictureTop = 10;
constexpr int kMsgButtonHeight = 25;

// Widest the dialog may become: 60 % of the screen width, truncated.
int UserMsgWidthLimit(int screenWidth);

TUserMsgLayout LayoutUserMsg(const TUserMsgLayoutIn& in, const TUserMsgMeasure& measure);
