#include "dialogs/message_dlg.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <algorithm>

#include "dialogs/glyph_button.h"
#include "dialogs/msg_icons.h"
#include "dialogs/user_msg_layout.h"
#include "dialogs/user_msg_text.h"
#include "dialogs/window_place.h"

int UserMsgHelpContext = 0;

namespace {

std::function<void(int)>& helpHandler()
{
    static std::function<void(int)> handler;
    return handler;
}

bool StayOnTopWindowShown()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](const QWidget* w) {
        return w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    });
}

// Measures on the dialog's font; wrapped heights come from the label that
// shows the text, so the measured and the drawn wrapping agree.
class LabelMeasure : public TUserMsgMeasure {
public:
    LabelMeasure(const QFont& font, QLabel* label) : fm_(font), label_(label) {}
    // As the label measures itself (its glyphs' extent, which may pass the
    // advance by a pixel), so that it never cuts what the layout made room for.
    int TextWidth(const QString& text) const override
    {
        return fm_.boundingRect(0, 0, 1 << 16, 1 << 16, Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs, text)
            .width();
    }
    int LineHeight() const override { return fm_.lineSpacing(); }
    int WrappedHeight(const QString& text, int width) const override
    {
        label_->setWordWrap(true);
        label_->setText(text);
        return label_->heightForWidth(width);
    }

private:
    QFontMetrics fm_;
    QLabel* label_;
};

QPixmap iconPicture(int iconCode, const QPixmap& custom)
{
    if (iconCode == icCustom)
        return custom;
    return MsgIconPicture(iconCode);
}

bool placesPicture(int iconCode)
{
    return iconCode >= icCustom && iconCode < icNone;
}

// The window of one showing. Escape and the close box both go through
// reject(), which answers with the cancel button or, without one, refuses.
class TUserDlgWindow : public QDialog {
public:
    TUserDlgWindow(int cancelIndex, int helpContext, TWAV wav, const QString& customWav)
        : cancel_(cancelIndex), helpContext_(helpContext), wav_(wav), customWav_(customWav)
    {
    }

    void setButtons(QList<TVarneGlyphButton*> buttons, int defaultIndex)
    {
        buttons_ = std::move(buttons);
        default_ = defaultIndex;
        for (int i = 0; i < buttons_.size(); ++i)
            connect(buttons_[i], &QPushButton::clicked, this, [this, i] { done(i); });
    }

    bool hasCancel() const { return cancel_ >= 0 && cancel_ < buttons_.size(); }

    void reject() override
    {
        if (hasCancel())
            done(cancel_);
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QDialog::showEvent(event);
        if (default_ >= 0 && default_ < buttons_.size())
            buttons_[default_]->setFocus();
        update();
        PlayWav(wav_, customWav_, MsgSound());
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_F1 && helpContext_ != 0 && helpHandler()) {
            helpHandler()(helpContext_);
            return;
        }
        QDialog::keyPressEvent(event);
    }

private:
    QList<TVarneGlyphButton*> buttons_;
    int default_ = -1;
    int cancel_;
    int helpContext_;
    TWAV wav_;
    QString customWav_;
};

} // namespace

void SetUserMsgHelpHandler(std::function<void(int)> handler)
{
    helpHandler() = std::move(handler);
}

TUserDlg::TUserDlg()
    : buttons_{QStringLiteral("&OK"), QStringLiteral("&Cancel")},
      font_(QApplication::font()),
      backColor_(QApplication::palette().color(QPalette::Button))
{
}

void TUserDlg::SetButtons(const QStringList* buttons)
{
    if (buttons)
        buttons_ = *buttons;
    PresetDefaultCancel(buttons_, default_, cancel_);
}

void TUserDlg::SetMessage(const QStringList* lines)
{
    if (lines)
        message_ = *lines;
}

void TUserDlg::SetParams(const QStringList* params)
{
    if (params)
        params_ = *params;
}

void TUserDlg::SetParam(const QString& name, const QString& value)
{
    SetParamEntry(params_, name, value);
}

void TUserDlg::SetParam(const QString& name, long long value)
{
    SetParamEntry(params_, name, QString::number(value));
}

void TUserDlg::SetParam(const QString& name, double value)
{
    SetParamEntry(params_, name, QString::number(value, 'g', 15));
}

void TUserDlg::SetCustomIcon(const QPixmap& picture)
{
    customIcon_ = picture;
    icon_ = icCustom;
}

int TUserDlg::Execute()
{
    const QStringList captions = TrimButtonCaptions(buttons_);
    const bool closeBox = cancel_ >= 0 && cancel_ < captions.size();

    TUserDlgWindow window(cancel_, helpContext_, wav_, customWav_);
    window.setObjectName(QStringLiteral("UserDlg"));
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (closeBox)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    // A window manager keeps stay-on-top windows above every other one, so
    // a message asked while a progress window still shows (the end of a
    // transfer) would open beneath it: it stays on top as well then.
    if (StayOnTopWindowShown())
        flags |= Qt::WindowStaysOnTopHint;
    window.setWindowFlags(flags);
    window.setFont(font_);
    window.setWindowTitle(title_);
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, backColor_);
    window.setPalette(pal);
    window.setAutoFillBackground(true);

    auto* label = new QLabel(&window);
    label->setObjectName(QStringLiteral("lblMessage"));
    // Plain text: messages carry file names and values, never markup.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    TUserMsgLayoutIn in;
    const QPixmap picture = iconPicture(icon_, customIcon_);
    in.hasPicture = placesPicture(icon_);
    in.picture = picture.isNull() ? QSize(0, 0) : picture.deviceIndependentSize().toSize();
    in.lines = FillPlaceholders(message_, params_);
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    in.screenWidth = screenRect.width();
    // A new plain window: 320 x 240 outside, less the dialog frame and caption.
    in.initialClient = QSize(312, 213);
    in.buttonsMinWidth = buttonsMinWidth_;
    in.buttonsSameWidth = buttonsSameWidth_;

    QList<TVarneGlyphButton*> buttons;
    for (int i = 0; i < captions.size(); ++i) {
        auto* b = new TVarneGlyphButton(&window);
        b->setObjectName(QStringLiteral("btn") + QString::number(i));
        b->setCursor(buttonsCursor_);
        const TButtonCaption c = SplitButtonCaption(captions[i]);
        if (c.glyphCode >= 0)
            b->SetGlyphKind(static_cast<TGlyphKind>(c.glyphCode));
        b->setText(c.text);
        b->setAutoDefault(true);
        b->setDefault(i == default_);
        buttons << b;
        in.buttons << TUserMsgButtonIn{c.text, b->GlyphWidth()};
    }

    const LabelMeasure measure(font_, label);
    const TUserMsgLayout layout = LayoutUserMsg(in, measure);

    if (in.hasPicture) {
        auto* image = new QLabel(&window);
        image->setObjectName(QStringLiteral("imgIcon"));
        image->setPixmap(picture);
        image->setGeometry(layout.picture);
    }
    label->setWordWrap(layout.wordWrap);
    label->setText(layout.labelText);
    label->setGeometry(layout.label);
    for (int i = 0; i < buttons.size(); ++i)
        buttons[i]->setGeometry(layout.buttons[i]);
    window.setButtons(buttons, default_);

    window.setFixedSize(layout.client);
    CentreOnWorkArea(&window);

    // Closing the window answers with the cancel button when there is one.
    window.setResult(closeBox ? cancel_ : 0);
    result_ = window.exec();
    return result_;
}

int UserMessageDlg(const QStringList* Msg, const QStringList* Buttons, const QString& Title,
                   int Icon, const QString& P1, const QString& P2, const QString& P3,
                   int Default, int Cancel)
{
    TUserDlg dlg;
    dlg.SetHelpContext(UserMsgHelpContext);
    dlg.SetTitle(Title);
    dlg.SetMessage(Msg);
    dlg.SetButtons(Buttons);
    dlg.SetIcon(Icon);
    dlg.SetDefault(Default);
    dlg.SetCancel(Cancel);
    dlg.SetParam(QStringLiteral("P1"), P1);
    dlg.SetParam(QStringLiteral("P2"), P2);
    dlg.SetParam(QStringLiteral("P3"), P3);
    dlg.SetButtonsShowGlyph(false);
    dlg.SetWAV(WavForIcon(Icon));
    return dlg.Execute();
}

int UserMessageDlg(const QStringList& Msg, const QStringList& Buttons, const QString& Title,
                   int Icon, const QString& P1, const QString& P2, const QString& P3,
                   int Default, int Cancel)
{
    return UserMessageDlg(&Msg, &Buttons, Title, Icon, P1, P2, P3, Default, Cancel);
}
