#include "lists/val_edit.h"

#include "dialogs/glyph_button.h"
#include "dialogs/max_placement.h"
#include "dialogs/window_activate.h"
#include "dialogs/window_place.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHideEvent>
#include <QShowEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>

namespace {
constexpr int kMargin = 4;
constexpr int kEditTop = 24;
constexpr int kEditHeight = 21;
constexpr int kScrollHeight = 16;
constexpr int kBtnPanelHeight = 40;
constexpr int kCheckRow = 16;
constexpr int kComboRow = 32;
} // namespace

TfrmValEdit::TfrmValEdit(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmValEdit"));
    setWindowTitle(QStringLiteral("Value Editor"));
    setProperty("HelpContext", HelpContext);
    setMinimumWidth(MinWidth);
    resize(DefaultWidth, DefaultHeight);
    InstallMaxPlacement(this);
    setSizeGripEnabled(true);

    Descript = new QLabel(this);
    Descript->setObjectName(QStringLiteral("Descript"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    ScrollBar1 = new QScrollBar(Qt::Horizontal, this);
    ScrollBar1->setObjectName(QStringLiteral("ScrollBar1"));
    pnCC = new QWidget(this);
    pnCC->setObjectName(QStringLiteral("pnCC"));
    pnBtn = new QWidget(this);
    pnBtn->setObjectName(QStringLiteral("pnBtn"));
    OkButton = new TVarneGlyphButton(pnBtn);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->SetGlyphKind(glOK);
    OkButton->setText(QStringLiteral("OK"));
    OkButton->setDefault(true);
    Cancelbutton = new TVarneGlyphButton(pnBtn);
    Cancelbutton->setObjectName(QStringLiteral("Cancelbutton"));
    Cancelbutton->SetGlyphKind(glCancel);
    Cancelbutton->setText(QStringLiteral("Cancel"));

    connect(OkButton, &QPushButton::clicked, this, &TfrmValEdit::okClick);
    connect(Cancelbutton, &QPushButton::clicked, this, &TfrmValEdit::cancelClick);
    // textEdited comes only from the user's typing, never from setText.
    connect(Edit1, &QLineEdit::textEdited, this, [this](const QString& text) {
        core_.Typed = true;
        core_.Updating = true;
        core_.SetFromText(text);
        updateControls();
        updateScrollBar();
        core_.Updating = false;
    });
    connect(ScrollBar1, &QScrollBar::valueChanged, this, [this](int pos) {
        if (core_.Updating || building_)
            return;
        core_.Updating = true;
        core_.SetFromScroll(pos);
        showValue();
        updateControls();
        core_.Updating = false;
    });

    core_.OnRefresh = [this] {
        if (isVisible())
            BuildControls();
    };
    core_.OnClose = [this] { hide(); };
    BuildControls();
}

TfrmValEdit::~TfrmValEdit()
{
    core_.OnRefresh = nullptr;
    core_.OnClose = nullptr;
}

void TfrmValEdit::SetOkText(const QString& Text)
{
    OkButton->setText(Text);
}

void TfrmValEdit::SetCancelText(const QString& Text)
{
    Cancelbutton->setText(Text);
}

void TfrmValEdit::EditValue(int SetSel, int Inverter, std::shared_ptr<const TParaRec> Para, const QString& Label,
                            int32_t Value, TOnValue OnValue)
{
    core_.TakeEdit(SetSel, Inverter, std::move(Para), Label, Value, std::move(OnValue));
    Descript->setText(Label);
    if (isVisible()) {
        core_.Typed = false;
        BuildControls();
    } else {
        show();
    }
    if (Edit1->isEnabled()) {
        Edit1->selectAll();
        Edit1->setFocus();
    }
}

int TfrmValEdit::EditModal(std::shared_ptr<const TParaRec> Para, const QString& Label, int32_t& Value)
{
    if (isVisible())
        hide();
    core_.TakeModalEdit(std::move(Para), Label, Value);
    Descript->setText(Label);
    const int result = exec() == QDialog::Accepted ? 1 : 2;
    core_.Modal = false;
    Value = core_.Value;
    return result;
}

void TfrmValEdit::okClick()
{
    if (core_.Modal) {
        accept();
        return;
    }
    core_.OkClicked();
}

void TfrmValEdit::cancelClick()
{
    if (core_.Modal) {
        reject();
        return;
    }
    core_.CancelClicked();
}

void TfrmValEdit::showValue()
{
    const bool on = bool(core_.Para);
    Edit1->setEnabled(on && core_.EditEnabled());
    Edit1->setText(on ? core_.ValueText() : QString());
}

void TfrmValEdit::updateControls()
{
    for (Control& c : controls_) {
        if (c.Check)
            c.Check->setChecked(core_.CheckState(c.Item));
        if (c.Combo)
            c.Combo->setCurrentIndex(core_.ComboIndex(c.Item));
    }
}

void TfrmValEdit::updateScrollBar()
{
    const TValEditCore::ScrollRange r = core_.ScrollBarRange();
    const bool was = building_;
    building_ = true;
    ScrollBar1->setRange(r.Min, r.Max);
    ScrollBar1->setPageStep(r.PageStep);
    ScrollBar1->setSingleStep(1);
    ScrollBar1->setValue(r.Position);
    building_ = was;
}

void TfrmValEdit::BuildControls()
{
    building_ = true;
    core_.Updating = true;
    for (Control& c : controls_) {
        delete c.Check;
        delete c.CaptionLabel;
        delete c.Combo;
    }
    controls_.clear();
    const std::vector<TCCItem> items = core_.BuildControls(&scrollOn_);
    const bool enabled = core_.EditEnabled();
    OkButton->setEnabled(enabled);
    const int panelWidth = width();
    int row = 0;
    for (const TCCItem& item : items) {
        Control c;
        c.Item = item;
        if (item.IsCheck) {
            c.Check = new QCheckBox(item.Caption, pnCC);
            c.Check->setLayoutDirection(Qt::RightToLeft);  // caption left of the box
            const int w = c.Check->fontMetrics().horizontalAdvance(item.Caption) + 17;
            c.Check->setGeometry(panelWidth / 2 - w + 13, row, w, 13 + 4);
            const int index = item.Index;
            connect(c.Check, &QCheckBox::clicked, this, [this, index](bool on) {
                if (core_.Updating)
                    return;
                core_.Updating = true;
                core_.Typed = false;
                core_.SetFromCheck(controls_[size_t(index)].Item, on);
                Edit1->setText(core_.ValueText());
                updateScrollBar();
                core_.Updating = false;
            });
            row += kCheckRow;
        } else {
            c.CaptionLabel = new QLabel(item.Caption, pnCC);
            c.CaptionLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            c.CaptionLabel->setGeometry(kMargin, row + 9 - 3, panelWidth / 2 - kMargin, 18);
            c.Combo = new QComboBox(pnCC);
            for (const auto& e : item.Entries)
                c.Combo->addItem(e.second);
            c.Combo->setGeometry(panelWidth / 2 + 4, row + 6, panelWidth - (panelWidth / 2 + 4) - 4, 21);
            const int index = item.Index;
            connect(c.Combo, &QComboBox::activated, this, [this, index](int entry) {
                if (core_.Updating)
                    return;
                core_.Updating = true;
                core_.Typed = false;
                core_.SetFromCombo(controls_[size_t(index)].Item, entry);
                Edit1->setText(core_.ValueText());
                updateScrollBar();
                core_.Updating = false;
            });
            row += kComboRow;
        }
        controls_.push_back(c);
    }
    pnCC->setFixedHeight(row);
    showValue();
    updateControls();
    updateScrollBar();
    for (Control& c : controls_) {
        if (c.Check)
            c.Check->show();
        if (c.CaptionLabel)
            c.CaptionLabel->show();
        if (c.Combo)
            c.Combo->show();
    }
    ScrollBar1->setVisible(scrollOn_);
    layOut();
    core_.Updating = false;
    building_ = false;
}

void TfrmValEdit::layOut()
{
    const int w = width();
    Descript->setGeometry(kMargin, kMargin, w - 8, 16);
    Edit1->setGeometry(kMargin, kEditTop, w - 8, kEditHeight);
    ScrollBar1->setGeometry(kMargin, kEditTop + kEditHeight + 4, w - 8, kScrollHeight);
    const int ccTop = kEditTop + kEditHeight + 4 + (scrollOn_ ? kScrollHeight + 4 : 0);
    pnCC->setGeometry(0, ccTop, w, pnCC->height());
    const int btnTop = ccTop + pnCC->height();
    pnBtn->setGeometry(0, btnTop, w, kBtnPanelHeight);
    // 75 wide, or as wide as the longer caption needs.
    const QSize bs(std::max({75, OkButton->sizeHint().width(), Cancelbutton->sizeHint().width()}), 25);
    Cancelbutton->setGeometry(w - 10 - bs.width(), (kBtnPanelHeight - bs.height()) / 2, bs.width(), bs.height());
    OkButton->setGeometry(Cancelbutton->x() - 10 - bs.width(), Cancelbutton->y(), bs.width(), bs.height());
    const int wantHeight = btnTop + kBtnPanelHeight;
    if (height() != wantHeight && !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)) && !IsMaxPlaced(this))
        resize(w, wantHeight);
}

void TfrmValEdit::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    core_.Shown();
    BuildControls();
    if (!placed_) {
        CentreOnWorkArea(this);
        placed_ = true;
    }
    if (Edit1->isEnabled())
        Edit1->setFocus();
    ActivateWhenShown(this);
}

void TfrmValEdit::hideEvent(QHideEvent* e)
{
    QDialog::hideEvent(e);
    if (!e->spontaneous())
        core_.Closed();
}

void TfrmValEdit::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    if (building_ || (windowState() & Qt::WindowMinimized))
        return;
    // Rebuilt at the new width; the selection length of the edit field stays.
    const int selLen = Edit1->selectedText().size();
    BuildControls();
    if (selLen > 0)
        Edit1->setSelection(0, selLen);
}

void TfrmValEdit::changeEvent(QEvent* e)
{
    QDialog::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange)
        return;
    if (windowState() & Qt::WindowMinimized)
        core_.Minimised();
    else
        core_.Restored();
}
