#include "scope/scope_window.h"

#include "config/cfg_records.h"
#include "config/lang_texts.h"
#include "dialogs/max_placement.h"
#include "dialogs/print_scrollbar.h"
#include "scope/scope_glyphs.h"
#include "scope/scope_plot.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

// Drawing, the mouse and keys on the plot and strip, and the screen effects
// of the recording engine.

// ---- status blink

void TScope::Timer1Timer()
{
    if (blink_) {
        writeStatus(QString(12, u' '));
        blink_ = false;
        return;
    }
    QString t = QStringLiteral("Running");
    if (eng_.RecState == TScopeEngine::recOfflineTrigger)
        t = QStringLiteral("Triggering");
    else if (eng_.RecState == TScopeEngine::recOfflineStoring)
        t = QStringLiteral("Storing");
    else if (eng_.RecState == TScopeEngine::recOfflineReadOut)
        t = QStringLiteral("Reading");
    writeStatus(t);
    blink_ = true;
}

void TScope::writeStatus(const QString& Text)
{
    status_ = Text;
    QImage& img = TimeBox->Image();
    QPainter p(&img);
    p.setFont(TimeBox->font());
    const QFontMetrics fm(TimeBox->font());
    const QString wide(12, u'W');
    const int x = img.width() / 2 - fm.horizontalAdvance(Text.trimmed().isEmpty() ? wide : Text) / 2;
    // The blanks cover the previous word.
    p.fillRect(QRect(img.width() / 2 - fm.horizontalAdvance(wide) / 2, 0, fm.horizontalAdvance(wide), img.height()),
               colour(uint32_t(eng_.Setup.GridColour())));
    p.setPen(Qt::black);
    p.drawText(x, 5 + fm.ascent(), Text);
    TimeBox->update();
}

// ---- drawing

void TScope::Relayout()
{
    layout_ = ScopeLayout(width(), height(), disp_.ShowReadouts, readoutFirst_);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 5; ++r) {
            Readout[c][r]->setGeometry(layout_.Cells[c][r]);
            Readout[c][r]->setVisible(disp_.ShowReadouts);
        }
    const QSize old = PaintBox->size();
    PaintBox->setGeometry(layout_.Plot);
    TimeBox->setGeometry(layout_.Strip);
    ScrollBar1->setGeometry(layout_.ScrollBar);
    if (old == PaintBox->size()) {
        DrawGrid();
        DrawTraces();
    }
}

void TScope::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    Relayout();
}

void TScope::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange)
        return;
    TScheduler* s = eng_.Scheduler();
    if (isMinimized()) {
        minimised_ = true;
        if (s && eng_.SchedSlot >= 0)
            s->SetState(eng_.SchedSlot, csPaused);
        return;
    }
    if (minimised_ && s && eng_.SchedSlot >= 0)
        s->SetState(eng_.SchedSlot, eng_.SchedState);
    minimised_ = false;
}

void TScope::DrawGrid()
{
    disp_.SetPlotSize(PaintBox->width(), PaintBox->height());
    QImage& img = PaintBox->Image();
    QPainter p(&img);
    p.fillRect(img.rect(), colour(uint32_t(eng_.Setup.BackColour())));
    disp_.GridCleared();
    p.setPen(colour(uint32_t(eng_.Setup.GridColour())));
    for (const QLine& l : disp_.GridLines())
        p.drawLine(l);
    p.end();
    if (eng_.RecState == TScopeEngine::recIdle)
        clearStrip();
    updateOverlay();
}

void TScope::DrawTraces()
{
    if (eng_.RecState != TScopeEngine::recIdle)
        return;
    if (eng_.RecTime > 0) {
        QImage& img = PaintBox->Image();
        QPainter p(&img);
        for (const TScopeTrace& t : disp_.Traces()) {
            p.setPen(colour(t.Colour));
            for (size_t i = 1; i < t.Points.size(); ++i)
                p.drawLine(t.Points[i - 1], t.Points[i]);
            if (t.Points.size() == 1)
                p.drawPoint(t.Points[0]);
            if (t.HasTrigger) {
                const QPoint c = t.Trigger;
                p.drawLine(c + QPoint(-10, -10), c + QPoint(10, 10));
                p.drawLine(c + QPoint(10, -10), c + QPoint(-10, 10));
            }
        }
    }
    PaintBox->update();
    DrawCursors(0);
}

void TScope::DrawSample(int Index)
{
    const TScopeSampleDraw d = disp_.DrawSample(Index, PaintBox->width());
    if (d.ClearPlot)
        DrawGrid();
    QImage& img = PaintBox->Image();
    QPainter p(&img);
    if (d.Erase && d.EraseTo > d.EraseFrom) {
        const QRect band(d.EraseFrom, 0, d.EraseTo - d.EraseFrom, img.height());
        p.fillRect(band, colour(uint32_t(eng_.Setup.BackColour())));
        p.setClipRect(band);
        p.setPen(colour(uint32_t(eng_.Setup.GridColour())));
        for (const QLine& l : disp_.GridLines())
            p.drawLine(l);
        p.setClipping(false);
        p.fillRect(QRect(d.BarFrom, 0, d.BarTo - d.BarFrom, img.height()),
                   colour(uint32_t(eng_.Setup.GridColour())));
    }
    for (const TScopeSampleDraw::Segment& s : d.Segments)
        if (s.Line) {
            p.setPen(colour(s.Colour));
            p.drawLine(s.From, s.To);
        }
    PaintBox->update();
}

void TScope::DrawCursors(int Flag)
{
    disp_.DrawCursors(Flag);
    writeReadouts();
    updateOverlay();
}

void TScope::updateOverlay()
{
    PaintBox->Overlay.clear();
    const QColor c = colour(uint32_t(eng_.Setup.GridColour()));
    const Qt::PenStyle styles[3] = {Qt::DotLine, Qt::DashLine, Qt::DashDotLine};
    for (int i = 0; i < 3; ++i) {
        const TScopeCursor& cur = disp_.Cursor[i];
        if (cur.HDrawn)
            PaintBox->Overlay.push_back({QLine(0, cur.Y, 10 * disp_.DivW, cur.Y), styles[i], c});
        if (cur.VDrawn)
            PaintBox->Overlay.push_back({QLine(cur.X, 0, cur.X, 10 * disp_.DivH), styles[i], c});
    }
    PaintBox->update();
}

void TScope::writeReadouts()
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 5; ++r) {
            QLabel* l = Readout[c][r];
            l->setText(disp_.Cells[c][r]);
            l->setToolTip(disp_.Cells[c][r]);
            if (c == 0) {
                QPalette pal = l->palette();
                const int64_t col = disp_.CellColour[r];
                pal.setColor(QPalette::Window, col < 0 ? QApplication::palette().color(QPalette::Button)
                                                       : colour(uint32_t(col)));
                l->setPalette(pal);
            }
        }
    fitReadouts();
}

void TScope::fitReadouts()
{
    // The channel column grows to its widest name; the value columns share
    // the rest, and the window widens (within the work area) until the
    // widest read-out fits. Cells only grow while the window is open.
    int first = TScopeLayout::FirstWidth;
    int values = 0;
    for (int r = 0; r < 5; ++r) {
        first = std::max(first, Readout[0][r]->sizeHint().width());
        for (int c = 1; c < 4; ++c)
            values = std::max(values, Readout[c][r]->sizeHint().width());
    }
    const bool firstGrew = first > readoutFirst_;
    readoutFirst_ = std::max(readoutFirst_, first);
    int want = ScopeReadoutClientWidth(readoutFirst_, values);
    if (const QScreen* s = screen()) {
        const QRect f = frameGeometry(), g = geometry();
        want = std::min(want, s->availableGeometry().width() - (f.width() - g.width()));
    }
    if (want > width() && !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)) && !IsMaxPlaced(this))
        resize(want, height());  // lays out again
    else if (firstGrew)
        Relayout();
}

void TScope::UpDateScrollBar()
{
    const TScopeScrollInfo s = disp_.ScrollInfo();
    const QSignalBlocker block(ScrollBar1);
    ScrollBar1->SetRange(0, s.Max);
    ScrollBar1->SetPageSize(s.PageSize);
    ScrollBar1->SetPosition(s.Position);
    ScrollBar1->setPageStep(s.LargeStep);
    if (s.SetSmallStep)
        ScrollBar1->setSingleStep(s.SmallStep);
    ScrollBar1->setVisible(s.Visible);
}

void TScope::clearStrip()
{
    TimeBox->Image().fill(colour(uint32_t(eng_.Setup.GridColour())));
    TimeBox->update();
}

void TScope::paintZoomStrip()
{
    QImage& img = TimeBox->Image();
    QPainter p(&img);
    p.fillRect(QRect(QPoint(0, 1), QPoint(10 * disp_.DivW, 6)), colour(uint32_t(eng_.Setup.GridColour())));
    p.fillRect(QRect(QPoint(std::min(disp_.DragStart, disp_.DragEnd), 1),
                     QPoint(std::max(disp_.DragStart, disp_.DragEnd), 6)),
               colour(uint32_t(eng_.Setup.BackColour())));
    TimeBox->update();
}

void TScope::plotMouseDown(QMouseEvent* e)
{
    if (e->button() == Qt::RightButton) {
        // No automatic pop-up while recording; F9 still stops.
        if (eng_.RecState == TScopeEngine::recIdle)
            PopupMenu1->popup(e->globalPosition().toPoint());
        return;
    }
    if (e->button() != Qt::LeftButton || eng_.RecState != TScopeEngine::recIdle)
        return;
    disp_.MouseDown(int(e->position().x()), int(e->position().y()));
    writeReadouts();
    updateOverlay();
    menuMarks();
    MoveCursor->setFocus();
}

void TScope::plotMouseMove(QMouseEvent* e)
{
    if (!(e->buttons() & Qt::LeftButton))
        return;
    disp_.MouseMove(int(e->position().x()), int(e->position().y()));
    writeReadouts();
    updateOverlay();
}

bool TScope::eventFilter(QObject* o, QEvent* e)
{
    if (e->type() == QEvent::ToolTip && hintsOff_)
        return true;
    if (o == MoveCursor && e->type() == QEvent::KeyPress) {
        if (disp_.KeyDown(static_cast<QKeyEvent*>(e)->key())) {
            writeReadouts();
            updateOverlay();
            return true;
        }
        return false;
    }
    if (o == Edit1) {
        if (e->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                editEntered();
                return true;
            }
        } else if (e->type() == QEvent::FocusOut) {
            editEntered();
        }
        return false;
    }
    for (int k = 0; k < kScopeChannels; ++k) {
        if (o != ButtonCH[size_t(k)])
            continue;
        if (e->type() == QEvent::DragEnter || e->type() == QEvent::DragMove) {
            auto* d = static_cast<QDragMoveEvent*>(e);
            if (ButtonCH_XXDragOver(d->mimeData(), k))
                d->acceptProposedAction();
            else
                d->ignore();
            return true;
        }
        if (e->type() == QEvent::Drop) {
            auto* d = static_cast<QDropEvent*>(e);
            if (ButtonCH_XXDragOver(d->mimeData(), k)) {
                d->acceptProposedAction();
                ButtonCH_XXDragDrop(k);
            } else {
                d->ignore();
            }
            return true;
        }
    }
    if (e->type() == QEvent::MouseButtonPress)
        for (int r = 0; r < 5; ++r)
            if (o == Readout[3][r]) {
                Messart->trigger();
                return true;
            }
    return QWidget::eventFilter(o, e);
}

// ---- engine effects

void TScope::SetRunButton(bool Down)
{
    const QSignalBlocker block(SpeedButton1);
    SpeedButton1->setChecked(Down);
    SpeedButton1->setIcon(ScopeGlyph(Down ? "STOP" : "RUN"));
}

void TScope::SetRecordingLook(bool Recording)
{
    Panel1->setEnabled(!Recording);
    Panel2->setEnabled(!Recording);
    ScrollBar1->setVisible(!Recording && !disp_.XYMode());
    hintsOff_ = Recording;
    if (Recording) {
        blink_ = false;
        Timer1->start();
        disp_.ClearcursorText();
        writeReadouts();
    } else {
        Timer1->stop();
        status_.clear();
        clearStrip();
    }
}

void TScope::ClearPlot()
{
    DrawGrid();
    disp_.Cursor[0].Index = disp_.Cursor[1].Index = -1;
    disp_.ClearcursorText();
    writeReadouts();
}

void TScope::RedrawAll()
{
    disp_.CalcZeroLines();
    UpDateScrollBar();
    DrawGrid();
    DrawTraces();
}

void TScope::ChannelsResolved()
{
    for (int k = 0; k < kScopeChannels; ++k) {
        const TScopeChannel& c = eng_.Setup.Chan[k];
        QPalette pal = ButtonCH[k]->palette();
        pal.setColor(QPalette::ButtonText, c.Para ? colour(c.Colour) : QColor(Qt::gray));
        ButtonCH[k]->setPalette(pal);
        // A channel shows its parameter's ident text, an off one its letter.
        ButtonCH[k]->setText(c.Para ? c.Para->GetIdText() : QString(QChar(u'A' + k)));
    }
    if (ComboBox1->count() > 0)
        ComboBox1->setItemText(0, text(1, eng_.TimeUnit == QLatin1String("us") ? 46 : 2));
    menuMarks();
    ShowEditValue();
}

void TScope::CaptionChanged()
{
    setWindowTitle(BuildCaption());
}

void TScope::FileChanged()
{
    AddProj1->setEnabled(true);
    UpdateToolItems();
    disp_.ResetCursors();
    menuMarks();
    Relayout();
}

void TScope::Busy(bool On)
{
    if (On)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TScope::CloseForEmptyProject()
{
    disp_.ShowReadouts = false;
    disp_.Cursor[2].Mode = TScopeCursor::Off;
    closingForEmpty_ = true;
    close();
    closingForEmpty_ = false;
}

