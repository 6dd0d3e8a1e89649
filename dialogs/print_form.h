#pragma once

#include "dialogs/print_writer.h"

#include <QDialog>
#include <QFont>
#include <QImage>
#include <QString>

#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPrinter;
class QPushButton;
class TPainterPrintCanvas;
class TVarneGlyphButton;

// The one print path of a program: a small modal dialog for the printer,
// the font and the margins, and behind it the page writer (TPrintWriter)
// drawing on the printer in 0.1 mm, or on a 640 x 480 picture that EndPrint
// puts on the clipboard. With no printer installed the printer is a PDF
// file named after the print job in the data folder.
//
// A caller's order: BeginPrint (or BeginMetafile), lines, tab widths and
// header, lists, frames and drawing, then EndPrint.
class TFrmvortalinprint : public QDialog {
    Q_OBJECT
public:
    explicit TFrmvortalinprint(QWidget* parent = nullptr);
    ~TFrmvortalinprint() override;

    // Runs the dialog with Caption; true when the job has begun.
    bool BeginPrint(const QString& Caption, const QString& Title, const QString& Footer);
    // True when the picture is ready.
    bool BeginMetafile(const QString& Title);
    // Finishes the job or puts the picture on the clipboard.
    bool EndPrint();

    void PrintLine(const QString& Text) { writer_.PrintLine(Text); }
    void SetTabWidth(int Index, int Percent) { writer_.SetTabWidth(Index, Percent); }
    void SetHeader(const QString& Text) { writer_.SetHeader(Text); }
    void PrintList(const QStringList* Lines) { writer_.PrintList(Lines); }
    void PrintTabbedLine(const QString& Text) { writer_.PrintTabbedLine(Text); }
    void BeginFrame(int LogicalWidth, int LogicalHeight) { writer_.BeginFrame(LogicalWidth, LogicalHeight); }
    void MoveTo(int X, int Y) { writer_.MoveTo(X, Y); }
    void LineTo(int X, int Y, const QColor& Colour, Qt::PenStyle PenStyle)
    {
        writer_.LineTo(X, Y, Colour, PenStyle);
    }
    void TextOut(int X, int Y, const QColor& Colour, const QString& Text)
    {
        writer_.TextOut(X, Y, Colour, Text);
    }
    void StartPage() { writer_.StartPage(); }
    void EndPage(bool Last) { writer_.EndPage(Last); }

    const TPrintWriter& Writer() const { return writer_; }
    bool MetafileMode() const { return writer_.MetafileMode; }

    // The font of the font dialog (Arial 8 pt at start).
    void SetFont(const QFont& font);
    // Folder of the PDF file printed without a printer.
    QString DataPath() const { return dataPath_; }
    void SetDataPath(const QString& path) { dataPath_ = path; }
    // Prints into a PDF file named after each job in the data folder (the
    // choice without a printer; a printer or file chosen in the printer
    // dialog replaces it).
    void UsePdfInDataFolder();
    QPrinter& Printer() { return *printer_; }
    // The page arithmetic the current printer, font and margins give.
    TPrintLayout CurrentLayout(bool withFooter) const;
    // The last picture drawn by BeginMetafile..EndPrint.
    const QImage& Picture() const { return picture_; }

    TVarneGlyphButton* printbtn;
    TVarneGlyphButton* cancelbtn;
    QGroupBox* GroupBox1;
    QLabel* PrtLabel;
    QPushButton* Setprtbtn;
    QGroupBox* GroupBox2;
    QLabel* Label1;
    QPushButton* SetFontBtn;
    QGroupBox* GroupBox3;
    QLabel* Label2;
    QLineEdit* Edit1;
    QLabel* Label3;
    QLineEdit* Edit2;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void PrintBtnClick();
    void SetPrtBtnClick();
    void SetFontBtnClick();
    void showPrinter();
    void showFont();
    void nameFileAfterJob(const QString& title);
    void release();

    TPrintWriter writer_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<TPainterPrintCanvas> canvas_;
    QImage picture_;
    QFont font_;
    QString dataPath_;
    QString footer_;
    bool pdfInDataFolder_ = false;
};
