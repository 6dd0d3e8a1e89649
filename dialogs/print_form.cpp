#include "dialogs/print_form.h"

#include "dialogs/glyph_button.h"
#include "dialogs/print_painter_canvas.h"
#include "dialogs/window_place.h"

#include <QClipboard>
#include <QDir>
#include <QFontDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>

#include <cmath>

namespace {

int pointSizeOf(const QFont& font)
{
    if (font.pointSize() > 0)
        return font.pointSize();
    return font.pixelSize() > 0 ? int(std::lround(font.pixelSize() * 72.0 / 96.0)) : 8;
}

// A job title as a file name: no folder separators or characters other
// systems refuse.
QString fileNameOf(const QString& title)
{
    QString name;
    for (QChar c : title.trimmed())
        name += c.unicode() < 32 || QStringLiteral("/\\:*?\"<>|").contains(c) ? u'_' : c;
    return name.isEmpty() ? QStringLiteral("print") : name;
}

}  // namespace

TFrmvortalinprint::TFrmvortalinprint(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      dataPath_(QDir::homePath())
{
    setObjectName(QStringLiteral("Frmvortalinprint"));
    setWindowTitle(QStringLiteral("Frmvortalinprint"));
    setModal(true);

    font_ = QFont(QStringLiteral("Arial"));
    font_.setPointSize(8);

    GroupBox1 = new QGroupBox(QStringLiteral("Drucker"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 8, 280, 52);
    PrtLabel = new QLabel(GroupBox1);
    PrtLabel->setObjectName(QStringLiteral("PrtLabel"));
    PrtLabel->setTextFormat(Qt::PlainText);
    PrtLabel->setGeometry(8, 22, 184, 20);
    Setprtbtn = new QPushButton(QStringLiteral("Setprtr"), GroupBox1);
    Setprtbtn->setObjectName(QStringLiteral("Setprtbtn"));
    Setprtbtn->setGeometry(198, 20, 74, 24);

    GroupBox2 = new QGroupBox(QStringLiteral("Schrift"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(8, 66, 280, 52);
    Label1 = new QLabel(GroupBox2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setGeometry(8, 22, 184, 20);
    SetFontBtn = new QPushButton(QStringLiteral("Setfont"), GroupBox2);
    SetFontBtn->setObjectName(QStringLiteral("SetFontBtn"));
    SetFontBtn->setGeometry(198, 20, 74, 24);

    GroupBox3 = new QGroupBox(QStringLiteral("Rand (mm)"), this);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    GroupBox3->setGeometry(8, 124, 280, 52);
    Label2 = new QLabel(QStringLiteral("Links"), GroupBox3);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(8, 22, 50, 20);
    Edit1 = new QLineEdit(QStringLiteral("15"), GroupBox3);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(60, 20, 60, 24);
    Label3 = new QLabel(QStringLiteral("Oben"), GroupBox3);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(144, 22, 50, 20);
    Edit2 = new QLineEdit(QStringLiteral("10"), GroupBox3);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(196, 20, 60, 24);

    printbtn = new TVarneGlyphButton(this);
    printbtn->setObjectName(QStringLiteral("printbtn"));
    printbtn->SetGlyphKind(glOK);
    printbtn->setText(QStringLiteral("PRT"));
    printbtn->setDefault(true);
    printbtn->setGeometry(130, 186, 75, 25);
    cancelbtn = new TVarneGlyphButton(this);
    cancelbtn->setObjectName(QStringLiteral("cancelbtn"));
    cancelbtn->SetGlyphKind(glCancel);
    cancelbtn->setText(QStringLiteral("CCL"));
    cancelbtn->setGeometry(213, 186, 75, 25);

    connect(printbtn, &QPushButton::clicked, this, &TFrmvortalinprint::PrintBtnClick);
    connect(cancelbtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(Setprtbtn, &QPushButton::clicked, this, &TFrmvortalinprint::SetPrtBtnClick);
    connect(SetFontBtn, &QPushButton::clicked, this, &TFrmvortalinprint::SetFontBtnClick);

    if (QPrinterInfo::availablePrinterNames().isEmpty())
        UsePdfInDataFolder();
    resize(GroupBox1->width() + 2 * GroupBox1->x(), printbtn->geometry().bottom() + 1 + 10);
}

TFrmvortalinprint::~TFrmvortalinprint()
{
    release();
}

void TFrmvortalinprint::release()
{
    if (painter_ && painter_->isActive())
        painter_->end();
    canvas_.reset();
    painter_.reset();
}

void TFrmvortalinprint::UsePdfInDataFolder()
{
    pdfInDataFolder_ = true;
    printer_->setOutputFormat(QPrinter::PdfFormat);
}

void TFrmvortalinprint::nameFileAfterJob(const QString& title)
{
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(QDir(dataPath_).filePath(fileNameOf(title) + QStringLiteral(".pdf")));
}

void TFrmvortalinprint::SetFont(const QFont& font)
{
    font_ = font;
    showFont();
}

TPrintLayout TFrmvortalinprint::CurrentLayout(bool withFooter) const
{
    return MakePrintLayout(PrinterMetrics(*printer_), Edit1->text(), Edit2->text(), pointSizeOf(font_),
                           withFooter);
}

void TFrmvortalinprint::showEvent(QShowEvent* event)
{
    resize(GroupBox1->width() + 2 * GroupBox1->x(), printbtn->geometry().bottom() + 1 + 10);
    CentreOnWorkArea(this);
    showPrinter();
    showFont();
    QDialog::showEvent(event);
}

void TFrmvortalinprint::showPrinter()
{
    QString name = printer_->outputFormat() == QPrinter::PdfFormat
                       ? QDir::toNativeSeparators(printer_->outputFileName())
                       : printer_->printerName();
    PrtLabel->setToolTip(name);
    PrtLabel->setText(PrtLabel->fontMetrics().elidedText(name, Qt::ElideMiddle, PrtLabel->width()));
}

void TFrmvortalinprint::showFont()
{
    Label1->setText(font_.family() + u' ' + QString::number(pointSizeOf(font_)));
}

void TFrmvortalinprint::PrintBtnClick()
{
    // Margins that leave no page would print every line on a page of its
    // own below the footer line: the field is to be corrected first.
    switch (PrintMarginFault(CurrentLayout(!footer_.isEmpty()))) {
    case 1:
        Edit1->setFocus();
        Edit1->selectAll();
        return;
    case 2:
        Edit2->setFocus();
        Edit2->selectAll();
        return;
    default:
        accept();
    }
}

void TFrmvortalinprint::SetPrtBtnClick()
{
    QPrintDialog dialog(printer_.get(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    pdfInDataFolder_ = false;
    showPrinter();
}

void TFrmvortalinprint::SetFontBtnClick()
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, font_, this);
    if (ok)
        SetFont(font);
}

bool TFrmvortalinprint::BeginPrint(const QString& Caption, const QString& Title, const QString& Footer)
{
    release();
    writer_.MetafileMode = false;
    setWindowTitle(Caption);
    footer_ = Footer;
    if (pdfInDataFolder_)
        nameFileAfterJob(Title);
    if (exec() != QDialog::Accepted)
        return false;

    const TPrintLayout layout = CurrentLayout(!Footer.isEmpty());
    printer_->setDocName(Title);
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(printer_.get())) {
        release();
        return false;
    }
    // 0.1 mm units from the printable area's top left corner.
    const qreal scale = printer_->resolution() / 254.0;
    painter_->scale(scale, scale);
    canvas_ = std::make_unique<TPainterPrintCanvas>(*painter_, [this] { return printer_->newPage(); });
    writer_.BeginDocument(*canvas_, layout, font_, Title, Footer);
    return true;
}

bool TFrmvortalinprint::BeginMetafile(const QString& Title)
{
    release();
    picture_ = QImage(640, 480, QImage::Format_RGB32);
    if (picture_.isNull())
        return false;
    picture_.fill(Qt::white);
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(&picture_)) {
        release();
        return false;
    }
    canvas_ = std::make_unique<TPainterPrintCanvas>(*painter_, [] { return false; });
    // The picture counts in screen pixels: the font's height at 96 dpi.
    QFont font = font_;
    if (font.pointSize() > 0)
        font.setPixelSize(int(std::lround(font.pointSizeF() * 96.0 / 72.0)));
    writer_.BeginPicture(*canvas_, font, QFontMetrics(font).height(), Title);
    return true;
}

bool TFrmvortalinprint::EndPrint()
{
    if (!painter_ || !canvas_)
        return false;
    const bool metafile = writer_.MetafileMode;
    bool ok = writer_.Finish();
    ok = painter_->end() && ok;
    release();
    writer_.MetafileMode = false;
    if (metafile && ok) {
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            clipboard->setImage(picture_);
        else
            ok = false;
    }
    return ok;
}
