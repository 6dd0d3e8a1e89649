#include "lists/wrk_list_core.h"

#include "config/file_save.h"
#include "config/vortalin_help.h"
#include "lists/wrk_list_file.h"

#include <QFile>
#include <QFileInfo>

TWrkListCore::TWrkListCore(int WindowNo, QObject* parent)
    : QObject(parent)
    , WindowNo(WindowNo)
    , interaction_(std::make_shared<NoListInteraction>())
{
    rebuildButtons();
}

TWrkListCore::~TWrkListCore()
{
    leaveScheduler();
}

void TWrkListCore::SetInteraction(std::shared_ptr<IListInteraction> ui)
{
    interaction_ = ui ? std::move(ui) : std::make_shared<NoListInteraction>();
}

// ---- texts

void TWrkListCore::SetAskForSaveMsgText(const QString& Text)
{
    AskForSaveMsgText = TVortalinPrj::splitLines(Text);
}

void TWrkListCore::SetAskForOverrideMsgText(const QString& Text)
{
    AskForOverrideMsgText = TVortalinPrj::splitLines(Text);
}

void TWrkListCore::SetYesBtnText(const QString& Text)
{
    YesBtnText = Text;
    rebuildButtons();
}

void TWrkListCore::SetNoBtnText(const QString& Text)
{
    NoBtnText = Text;
    rebuildButtons();
}

void TWrkListCore::SetCancelBtnText(const QString& Text)
{
    CancelBtnText = Text;
    rebuildButtons();
}

void TWrkListCore::rebuildButtons()
{
    OverrideButtons = {u'3' + YesBtnText, u'4' + NoBtnText};
    SaveButtons = {u'3' + YesBtnText, u'4' + NoBtnText, u'1' + CancelBtnText};
}

// ---- rows

TPrjInvRec* TWrkListCore::InvEntry(int InvAdr) const
{
    if (!Project)
        return nullptr;
    TPrjInvRec* inv = Project->GetInv(InvAdr);
    return inv && inv->Cfg ? inv : nullptr;
}

std::shared_ptr<const TParaRec> TWrkListCore::lookupPara(int InvAdr, int Address) const
{
    const TPrjInvRec* inv = InvEntry(InvAdr);
    return inv ? FindParaShared(inv->Cfg, Address) : nullptr;
}

QString TWrkListCore::GetNameText(const TWrkListItem& Item) const
{
    if (!InvEntry(Item.Inverter))
        return UnknownInverterText;
    return Item.Para ? Item.Para->GetName(Language) : UnknownParaText;
}

QString TWrkListCore::GetIdText(const TWrkListItem& Item) const
{
    return InvEntry(Item.Inverter) && Item.Para ? Item.Para->GetIdText() : QString();
}

TWrkListModel::Texts TWrkListCore::rowTexts(const TWrkListItem& Item) const
{
    TWrkListModel::Texts t;
    if (!Item.IsBlank()) {
        t[0] = QString::number(Item.Inverter);
        t[1] = QStringLiteral("%1").arg(uint32_t(Item.Address), 4, 16, QLatin1Char('0')).toUpper() + u'h';
        t[2] = SetMaskToStr(int16_t(Item.SetSel));
        t[3] = GetIdText(Item);
        t[4] = GetNameText(Item);
        t[5] = NotActText;
    }
    t[6] = Item.Remark;
    return t;
}

void TWrkListCore::rowsChanged()
{
    LastRow = model_.RowCount() - 2;
    PollIndex = 0;
}

int TWrkListCore::InsertItem(std::shared_ptr<TWrkListItem> Item, int Index)
{
    if (!Item)
        return Index;
    Modified = true;
    int row = Index;
    if (row == -1)
        row = GetFocusedRow ? GetFocusedRow() : model_.TrailingRow();
    row = std::clamp(row, 0, model_.TrailingRow());
    const TWrkListModel::Texts texts = rowTexts(*Item);
    model_.InsertRow(row, std::move(Item), texts);
    rowsChanged();
    if (row == LastRow && OnScrollTo)
        OnScrollTo(row);
    return Index;
}

void TWrkListCore::InsertItems(std::vector<std::shared_ptr<TWrkListItem>> Items, int Index)
{
    std::vector<TWrkListModel::NewRow> rows;
    rows.reserve(Items.size());
    for (auto& item : Items)
        if (item) {
            TWrkListModel::Texts texts = rowTexts(*item);
            rows.push_back({std::move(item), std::move(texts)});
        }
    if (rows.empty())
        return;
    Modified = true;
    int row = Index;
    if (row == -1)
        row = GetFocusedRow ? GetFocusedRow() : model_.TrailingRow();
    row = std::clamp(row, 0, model_.TrailingRow());
    const int last = row + int(rows.size()) - 1;
    model_.InsertRows(row, std::move(rows));
    rowsChanged();
    if (last == LastRow && OnScrollTo)
        OnScrollTo(last);
}

void TWrkListCore::ClearRows()
{
    polled_.reset();
    if (model_.TrailingRow() > 0)
        Modified = true;
    model_.Clear();
    rowsChanged();
}

void TWrkListCore::DeleteRow(int Index)
{
    if (Index < 0 || Index >= model_.TrailingRow())
        return;
    if (polled_ == model_.Item(Index))
        polled_.reset();
    model_.RemoveRow(Index);
    Modified = true;
    rowsChanged();
}

std::vector<std::shared_ptr<TWrkListItem>> TWrkListCore::Rows() const
{
    std::vector<std::shared_ptr<TWrkListItem>> rows;
    for (int r = 0; r < model_.TrailingRow(); ++r)
        rows.push_back(model_.Item(r));
    return rows;
}

std::shared_ptr<TWrkListItem> TWrkListCore::ParseLine(const QString& Line) const
{
    auto row = std::make_shared<TWrkListItem>();
    if (!wrkfile::ParseLine(Line, *row))
        return nullptr;
    if (!row->IsBlank())
        row->Para = lookupPara(row->Inverter, row->Address);
    return row;
}

// ---- files

void TWrkListCore::setCaption(const QString& Text)
{
    if (Caption == Text)
        return;
    Caption = Text;
    if (OnCaptionChanged)
        OnCaptionChanged();
    if (scheduler_ && SchSlot >= 0)
        scheduler_->ItemChanged(SchSlot);
}

int TWrkListCore::LoadFromFile(const QString& Path)
{
    ClearRows();
    Comments.clear();
    QFile f(Path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (OnCommentsLoaded)
            OnCommentsLoaded();
        return -1;
    }
    const QByteArray bytes = f.readAll();
    f.close();

    bool ok = true;
    std::vector<std::shared_ptr<TWrkListItem>> rows;
    if (wrkfile::IsTraceFileName(Path)) {
        wrkfile::TraceFileContent c = wrkfile::ReadTraceFile(bytes);
        ok = c.Ok;
        rows = std::move(c.Rows);
    } else {
        wrkfile::WrkFileContent c = wrkfile::ReadWrkFile(bytes);
        ok = c.Ok;
        rows = std::move(c.Rows);
        Comments = c.Comments;
        bool widths = false;
        for (int i = 0; i < 6; ++i) {
            // A width the list header would not take leaves the column as
            // it was.
            const std::optional<int>& w = c.Widths[size_t(i)];
            if (w && *w >= 0 && *w <= MaxColWidth) {
                ColWidth[size_t(i)] = *w;
                widths = true;
            }
        }
        if (widths && OnWidthsLoaded)
            OnWidthsLoaded();
    }
    if (OnCommentsLoaded)
        OnCommentsLoaded();
    for (auto& row : rows)
        if (!row->IsBlank())
            row->Para = lookupPara(row->Inverter, row->Address);
    // One block: the view scrolls once, at the end, not after every row.
    InsertItems(std::move(rows), model_.TrailingRow());
    if (!ok)
        return -1;
    FileName = Path;
    setCaption(Path);
    Modified = false;
    return 0;
}

int TWrkListCore::SaveToFile(const QString& Path)
{
    std::array<int, 6> widths{};
    std::copy_n(ColWidth.begin(), 6, widths.begin());
    const int rc = SaveFileAtomically(Path, wrkfile::WrkFileBytes(widths, Comments, Rows()));
    if (rc != 0) {
        Interaction().Message(WriteErrorText, {QStringLiteral("0OK")}, QString(), pmiError, Path,
                              QString(), QString(), 0, 0);
        return rc;
    }
    FileName = Path;
    setCaption(Path);
    Modified = false;
    return 0;
}

bool TWrkListCore::Save()
{
    if (FileName.isEmpty())
        return SaveAs();
    return SaveToFile(Caption) == 0;
}

bool TWrkListCore::SaveAs()
{
    TSaveDlgOptions o;
    o.DefaultExt = QStringLiteral("wr5");
    o.Filter = SaveDlgFilter;
    const QFileInfo cap(Caption);
    const bool hasDir = Caption.contains(u'/') || Caption.contains(u'\\');
    o.InitialDir = hasDir ? cap.absolutePath() : SaveDlgInitialDir;
    o.FileName = cap.fileName();
    if (wrkfile::Extension(Caption) != QStringLiteral(".wr5"))
        o.FileName += QStringLiteral(".wr5");
    QString path = Interaction().ChooseSaveFile(o);
    if (path.isEmpty())
        return false;
    const QString dir = QFileInfo(path).absolutePath();
    SaveDlgInitialDir = dir;
    if (OnDataPath)
        OnDataPath(dir);
    if (wrkfile::Extension(path) != QStringLiteral(".wr5"))
        path += QStringLiteral(".wr5");
    if (QFileInfo::exists(path)) {
        const int answer = Interaction().Message(AskForOverrideMsgText, OverrideButtons,
                                                 AskForOverrideHeaderText, pmiConfirmation, path,
                                                 QString(), QString(), 0, -1);
        if (answer != 0)
            return false;
    }
    return SaveToFile(path) == 0;
}

bool TWrkListCore::CanClose()
{
    while (Modified) {
        const int answer = Interaction().Message(AskForSaveMsgText, SaveButtons, AskForSaveHeaderText,
                                                 pmiConfirmation, Caption, QString(), QString(), 0, -1);
        if (answer == 0)
            SaveAs();
        else if (answer == 1)
            Modified = false;
        else if (answer == 2)
            return false;
    }
    return true;
}

// ---- scheduler client

void TWrkListCore::leaveScheduler()
{
    if (scheduler_ && SchSlot >= 0)
        scheduler_->Unregister(SchSlot);
    SchSlot = -1;
}

void TWrkListCore::SetScheduler(TScheduler* Sch)
{
    if (Sch == scheduler_.data() && (Sch == nullptr || SchSlot >= 0))
        return;
    leaveScheduler();
    scheduler_ = Sch;
    if (!Sch)
        return;
    SchSlot = Sch->Register(
        OwnerForm, [this](TReqRec& Req) { GiveNextReq(Req); },
        [this](const TRecTel& Rsp, int Tag) { ReceiveAnswer(Rsp, Tag); }, [this] { ResetCfgList(); });
    if (SchSlot >= 0)
        WantedState = Sch->SetState(SchSlot, csPolled);
}

void TWrkListCore::GiveNextReq(TReqRec& Req)
{
    if (LastRow == -1) {
        polled_.reset();
        return;
    }
    ++PollIndex;
    if (PollIndex > LastRow)
        PollIndex = 0;
    const std::shared_ptr<TWrkListItem>& item = model_.Item(PollIndex);
    // A trace row may carry an address past 0x7FFF; its 16-bit ParAdr would
    // read another parameter, so it is treated like an unknown inverter.
    const TPrjInvRec* inv = item && !item->IsBlank() && item->Address <= 0x7FFF ? InvEntry(item->Inverter) : nullptr;
    if (!inv) {
        polled_.reset();
        return;
    }
    polled_ = item;
    Req.Data.Clear();
    Req.InvAdr = item->Inverter;
    Req.IsRead = 1;
    Req.Data.ParAdr = uint16_t(item->Address);
    if (inv->Cfg->NewStyle) {
        if (item->SetSel >= 1 && item->SetSel <= 255) {
            Req.Service = QelService::ParaSet;
            Req.Data.SetByte(2, uint8_t(item->SetSel));
        } else {
            Req.Service = QelService::ParaSetAdr;
            Req.Data.SetByte(2, item->SetSel == 0 ? 1 : 0);
        }
    } else {
        Req.Service = QelService::Plain;
    }
    Req.Valid = 1;
}

void TWrkListCore::ReceiveAnswer(const TRecTel& Rsp, int)
{
    const std::shared_ptr<TWrkListItem> item = polled_;
    const int row = item ? model_.RowOf(item.get()) : -1;
    QString text;
    if (Rsp.Status != 0) {
        if (row >= 0) {
            item->Value = 0;
            item->ValueValid = false;
        }
        text = OnGetErrorText ? OnGetErrorText(Rsp.Status)
                              : QStringLiteral("Fehler: ") + QString::number(Rsp.Status);
    } else {
        int32_t raw = 0;
        if (Rsp.Service == QelService::Plain)
            raw = int32_t(int16_t(Rsp.Data.ParSet));
        else if (Rsp.Service == QelService::ParaSet || Rsp.Service == QelService::ParaSetAdr)
            raw = Rsp.Data.Value;
        if (row >= 0 && item->Para) {
            if (Rsp.Service == QelService::Plain && !(item->Para->Attr & ParaAttr::Signed))
                raw &= 0xFFFF;
            item->Value = raw;
            item->ValueValid = true;
            text = item->Para->ValueToText(raw, Language, Separator, ShowDecValue);
        } else {
            text = QString::number(raw);
        }
    }
    if (row >= 0)
        model_.SetText(row, TWrkListModel::colValue, text);
}

void TWrkListCore::ResetCfgList()
{
    for (int r = 0; r < model_.TrailingRow(); ++r) {
        const std::shared_ptr<TWrkListItem>& item = model_.Item(r);
        if (item->Inverter == -1)
            continue;
        item->Para = item->IsBlank() ? nullptr : lookupPara(item->Inverter, item->Address);
        model_.SetText(r, TWrkListModel::colId, GetIdText(*item));
        model_.SetText(r, TWrkListModel::colName, GetNameText(*item));
        model_.SetText(r, TWrkListModel::colValue, NotActText);
    }
    rowsChanged();
}

void TWrkListCore::SetLanguage(int Lang)
{
    if (Lang == Language)
        return;
    Language = Lang;
    for (int r = 0; r < model_.TrailingRow(); ++r) {
        const std::shared_ptr<TWrkListItem>& item = model_.Item(r);
        if (!item->IsBlank())
            model_.SetText(r, TWrkListModel::colName, GetNameText(*item));
    }
}

// ---- window state

void TWrkListCore::Shown()
{
    if (scheduler_ && SchSlot >= 0)
        WantedState = scheduler_->SetState(SchSlot, csPolled);
}

void TWrkListCore::Minimised()
{
    if (scheduler_ && SchSlot >= 0)
        scheduler_->SetState(SchSlot, csPaused);
}

void TWrkListCore::Restored()
{
    if (scheduler_ && SchSlot >= 0 && scheduler_->GetState(SchSlot) != WantedState)
        WantedState = scheduler_->SetState(SchSlot, WantedState);
}
