#include "dialogs/progress_window.h"
#include "dialogs/window_place.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <chrono>

namespace {

constexpr int kImageLeft = 24;
constexpr QSize kImageSize(329, 25);

// Shows the progress picture as it is.
class ImageView : public QWidget {
public:
    ImageView(const TProgressImage& picture, QWidget* parent) : QWidget(parent), picture_(picture)
    {
        setObjectName(QStringLiteral("Image1"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawImage(0, 0, picture_.Image());
    }

private:
    const TProgressImage& picture_;
};

std::int64_t steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

TProgress::TProgress(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      picture_(kImageSize, font()),
      clock_(steadyMs)
{
    setObjectName(QStringLiteral("Progress"));
    setWindowTitle(QStringLiteral("Progress Indicator"));

    label_ = new QLabel(QStringLiteral("..."), this);
    label_->setObjectName(QStringLiteral("Label1"));
    label_->setAlignment(Qt::AlignCenter);
    label_->setTextFormat(Qt::PlainText);
    QFont bold = label_->font();
    bold.setBold(true);
    label_->setFont(bold);
    label_->setGeometry(8, 8, 361, 33);

    image_ = new ImageView(picture_, this);
    image_->setGeometry(kImageLeft, 45, kImageSize.width(), kImageSize.height());

    button_ = new QPushButton(QStringLiteral("Cancel"), this);
    button_->setObjectName(QStringLiteral("Button1"));
    button_->setGeometry(151, 78, 75, 25);
    connect(button_, &QPushButton::clicked, this, [this] { cancelled_ = true; });

    // Client area: down to the button, image centred between equal margins.
    setFixedSize(2 * kImageLeft + kImageSize.width(), button_->y() + button_->height());
}

TProgress::~TProgress() = default;

void TProgress::pumpEvents()
{
    QCoreApplication::processEvents();
    lastPump_ = clock_();
}

void TProgress::Start(int max)
{
    if (!isVisible()) {
        CentreOnWorkArea(this);
    }
    show();
    cancelled_ = false;
    picture_.Start(max);
    image_->update();
    pumpEvents();
}

void TProgress::Step(int position)
{
    if (picture_.Step(position))
        image_->update();
    if (clock_() - lastPump_ > 100)
        pumpEvents();
}

void TProgress::Stop()
{
    hide();
}

void TProgress::SetTexts(const QString& caption, const QString& label, const QString& cancelText)
{
    if (!caption.isEmpty())
        setWindowTitle(caption);
    if (!label.isEmpty())
        label_->setText(label);
    if (!cancelText.isEmpty())
        button_->setText(cancelText);
    button_->setVisible(!cancelText.isEmpty());
}

void TProgress::closeEvent(QCloseEvent* event)
{
    // No close box: Stop hides the window.
    if (event->spontaneous())
        event->ignore();
    else
        QWidget::closeEvent(event);
}
