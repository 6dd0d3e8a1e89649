#include "mainwin/prj_expl_core.h"

#include "config/vortalin_help.h"

#include <QFileInfo>

namespace {

QString hex(uint32_t v, int digits)
{
    return QString::number(v, 16).rightJustified(digits, u'0').toUpper() + QStringLiteral(" hex");
}

const char* const kProtText[] = {"Offline", "DIN 66019", "Zelk", "Interbus", "IP", "CAN", "Profibus"};

// The converted text of a limit, cut to 21 characters and "..." when it is
// longer than 24.
QString cutConv(const QString& s)
{
    return s.size() > 24 ? s.left(21) + QStringLiteral("...") : s;
}

} // namespace

TPrjExplCore::TPrjExplCore(QObject* parent) : QObject(parent)
{
    SetSel.fill(-1);
    Caption = Texts.HeaderText;
    for (int i = 0; i < 8; ++i)
        ParaVal[size_t(i)] = {QString::number(i), Texts.NotActText, false, 0};
}

TPrjExplCore::~TPrjExplCore()
{
    if (sch_ && SchedSlot >= 0)
        sch_->Unregister(SchedSlot);
}

// ------------------------------------------------------------------ settings

void TPrjExplCore::SetLanguage(int Lang)
{
    if (Lang != 1)
        Lang = 0;
    if (Lang == language_)
        return;
    language_ = Lang;
    if (root_)
        renameNodes(root_.get());
    // The pages that show names; set rows keep their set text.
    for (TExplRow& r : Rows) {
        if (r.IsSetRow)
            continue;
        if (r.Node && r.Node->Para)
            r.Name = r.Node->Para->GetName(language_).trimmed();
        else if (r.Group && r.Group->Grp)
            r.Name = r.Group->Grp->GetName(language_).trimmed();
    }
    if (selected_) {
        fillFields(selected_);
        if (OnPageChanged)
            OnPageChanged();
    }
}

void TPrjExplCore::renameNodes(TExplNode* n)
{
    QString text = n->Text;
    switch (n->Kind) {
    case nkGroup: text = GroupNodeText(*n->Grp, language_); break;
    case nkParameter: text = ParaNodeText(*n->Para->Para, language_); break;
    case nkDefinition: text = n->Def->GetName(language_).trimmed(); break;
    case nkValue: text = n->Sub->GetName(language_).trimmed(); break;
    default: break;
    }
    if (text != n->Text) {
        n->Text = text;
        if (OnNodeChanged)
            OnNodeChanged(n);
    }
    for (auto& c : n->Children)
        renameNodes(c.get());
}

void TPrjExplCore::SetShowPTInfo(bool On)
{
    if (On == showPTInfo_)
        return;
    showPTInfo_ = On;
    std::function<void(TExplNode*)> walk = [&](TExplNode* n) {
        if (n->Kind == nkParameter && !n->Children.empty()) {
            n->Image = n->SelImage = On ? imgDotBlue : imgDotGreen;
            if (OnNodeChanged)
                OnNodeChanged(n);
        }
        for (auto& c : n->Children)
            walk(c.get());
    };
    if (root_)
        walk(root_.get());
}

// ------------------------------------------------------------------ tree

void TPrjExplCore::stopPolling()
{
    NewGeneration();
    LastRow = -1;
}

void TPrjExplCore::NewGeneration()
{
    ++gen_;
    PollRow = -1;
}

void TPrjExplCore::BuildTree()
{
    if (!Project)
        return;
    building_ = true;
    stopPolling();
    if (!root_) {
        root_ = std::make_unique<TExplNode>();
        root_->Kind = nkProject;
        root_->Text = Project->PrjName;
        root_->Image = imgFolderClosed;
        root_->SelImage = imgFolderOpen;
        auto all = std::make_unique<TExplNode>();
        all->Kind = nkAllFiles;
        all->Image = imgFolderClosed;
        all->SelImage = imgFolderOpen;
        all->FileKind = flAll;
        allFilesNode_ = root_->AddChild(std::move(all));
        addFileNodes(allFilesNode_, -1);
    }
    selected_ = nullptr;
    deleteInvNodes();
    for (int a = 0; a < kPrjInvCount; ++a)
        if (Project->GetInv(a))
            addInvNode(a);
    UpdateFileLists();
    allFilesNode_->Text = Texts.tsLinkedFilesCaption;
    for (auto& c : allFilesNode_->Children) {
        switch (c->Kind) {
        case nkWorkLists: c->Text = Texts.tsWorkCaption; break;
        case nkParaLists: c->Text = Texts.tsProgCaption; break;
        case nkScopeFiles: c->Text = Texts.tsScopeCaption; break;
        default: c->Text = Texts.tsRemCaption; break;
        }
    }
    // The first group of the first inverter; its groups node when it shows
    // no group; the root without inverters.
    TExplNode* sel = root_.get();
    TExplNode* first = root_->Children.front().get();
    if (first->Kind == nkInverter) {
        sel = first->Children.front().get();
        if (!sel->Children.empty())
            sel = sel->Children.front().get();
    }
    building_ = false;
    if (OnTreeRebuilt)
        OnTreeRebuilt();
    Select(sel);
    if (OnSelectNode)
        OnSelectNode(sel);
}

void TPrjExplCore::deleteInvNodes()
{
    for (auto it = root_->Children.begin(); it != root_->Children.end();) {
        if ((*it)->Kind == nkInverter)
            it = root_->Children.erase(it);
        else
            ++it;
    }
}

void TPrjExplCore::addFileNodes(TExplNode* parent, int owner)
{
    struct F {
        uint8_t kind;
        int image;
        int list;
    };
    for (const F& f : {F{nkWorkLists, imgWorkList, flWork}, F{nkParaLists, imgParaList, flPara},
                       F{nkScopeFiles, imgScope, flScope}, F{nkOtherFiles, imgOtherFiles, flOther}}) {
        auto n = std::make_unique<TExplNode>();
        n->Kind = f.kind;
        n->Image = n->SelImage = f.image;
        n->FileOwner = owner;
        n->FileKind = f.list;
        switch (f.kind) {
        case nkWorkLists: n->Text = Texts.tsWorkCaption; break;
        case nkParaLists: n->Text = Texts.tsProgCaption; break;
        case nkScopeFiles: n->Text = Texts.tsScopeCaption; break;
        default: n->Text = Texts.tsRemCaption; break;
        }
        parent->AddChild(std::move(n));
    }
}

static int invImage(int state)
{
    return state == -2 ? imgConnected : state == -1 ? imgNotConnected : imgIncorrectId;
}

void TPrjExplCore::addInvNode(int Address)
{
    const TPrjInvRec* e = Project->GetInv(Address);
    auto node = std::make_unique<TExplNode>();
    node->Kind = nkInverter;
    node->Text = e->GetName();
    node->Image = node->SelImage = invImage(e->State);
    auto inv = std::make_shared<TInvNode>();
    inv->Cfg = e->Cfg;
    inv->Address = Address;
    inv->CfgIdInUse = e->CfgId;
    node->Inv = inv;
    SetSel[size_t(Address)] = -1;

    int pos = 0;
    while (pos < int(root_->Children.size()) && root_->Children[size_t(pos)]->Kind == nkInverter &&
           root_->Children[size_t(pos)]->Inv->Address < Address)
        ++pos;
    TExplNode* invNode = root_->InsertChild(pos, std::move(node));

    auto groups = std::make_unique<TExplNode>();
    groups->Kind = nkGroups;
    groups->Text = Texts.tsGrpListCaption;
    groups->Image = imgFolderClosed;
    groups->SelImage = imgFolderOpen;
    groups->Cfg = inv->Cfg;
    TExplNode* grpsNode = invNode->AddChild(std::move(groups));

    const std::shared_ptr<TCfgRec>& cfg = inv->Cfg;
    if (cfg) {
        const bool filter = cfg->NewStyle != 0;
        auto shown = [&](bool visible, int level) {
            return !filter || ((visible || ShowInvisible) && (level != 7 || ShowSupervisor));
        };
        for (int g = 0; g < cfg->GrpList.Count(); ++g) {
            std::shared_ptr<TGrpRec> grp = cfg->GrpList.GetShared(g);
            if (!shown(grp->Prop & 0x10, grp->Prop & 7))
                continue;
            auto gn = std::make_unique<TExplNode>();
            gn->Kind = nkGroup;
            gn->Text = GroupNodeText(*grp, language_);
            gn->Image = gn->SelImage = ShortcutImage(grp->Shortcut);
            gn->Cfg = cfg;
            gn->Grp = grp;
            TExplNode* grpNode = grpsNode->AddChild(std::move(gn));
            for (int p = 0; p < grp->ParaList.Count(); ++p) {
                std::shared_ptr<TParaRec> para = grp->ParaList.GetShared(p);
                if (!shown(para->Flags & 0x4, para->Attr & 7))
                    continue;
                auto pn = std::make_unique<TExplNode>();
                pn->Kind = nkParameter;
                pn->Text = ParaNodeText(*para, language_);
                pn->Image = pn->SelImage = imgDotGreen;
                pn->Cfg = cfg;
                pn->Para = std::make_shared<TParaNode>();
                pn->Para->Para = para;
                if (para->Addr == cfg->AccessParAdr)
                    inv->PasswordNode = pn->Para;
                if (para->Addr == cfg->SetPtrParAdr)
                    inv->SetPtrNode = pn->Para;
                if (para->Addr == cfg->ActSetParAdr)
                    inv->ActSetNode = pn->Para;
                TExplNode* paraNode = grpNode->AddChild(std::move(pn));
                if (para->TextId == 0 || !showPTInfo_)
                    continue;
                paraNode->Image = paraNode->SelImage = imgDotBlue;
                const std::shared_ptr<TPlainTextRec>& pt = para->PlainText;
                if (!pt)
                    continue;
                auto tn = std::make_unique<TExplNode>();
                tn->Kind = nkPlainText;
                tn->Text = QStringLiteral("PT-Index: ") + QString::number(para->TextId);
                tn->Image = tn->SelImage = imgPlainText;
                tn->Cfg = cfg;
                tn->PT = pt;
                TExplNode* ptNode = paraNode->AddChild(std::move(tn));
                const int defs = std::min<int>(para->DefCount, pt->DefList.Count());
                for (int d = 0; d < defs; ++d) {
                    auto dn = std::make_unique<TExplNode>();
                    dn->Kind = nkDefinition;
                    dn->Def = pt->DefList.GetShared(d);
                    dn->Text = dn->Def->GetName(language_).trimmed();
                    dn->Image = dn->SelImage = imgPlainText;
                    dn->Cfg = cfg;
                    TExplNode* defNode = ptNode->AddChild(std::move(dn));
                    for (int s = 0; s < defNode->Def->SubList.Count(); ++s) {
                        auto sn = std::make_unique<TExplNode>();
                        sn->Kind = nkValue;
                        sn->Sub = defNode->Def->SubList.GetShared(s);
                        sn->Text = sn->Sub->GetName(language_).trimmed();
                        sn->Image = sn->SelImage = imgPlainText;
                        sn->Cfg = cfg;
                        defNode->AddChild(std::move(sn));
                    }
                }
            }
        }
    }
    addFileNodes(invNode, Address);
}

TExplNode* TPrjExplCore::InvNodeOf(TExplNode* n) const
{
    while (n && n->Kind != nkInverter)
        n = n->Parent;
    return n;
}

void TPrjExplCore::UpdateInvNames()
{
    if (!root_ || !Project)
        return;
    for (auto& c : root_->Children)
        if (c->Kind == nkInverter)
            if (const TPrjInvRec* e = Project->GetInv(c->Inv->Address); e && c->Text != e->GetName()) {
                c->Text = e->GetName();
                if (OnNodeChanged)
                    OnNodeChanged(c.get());
            }
}

void TPrjExplCore::UpdatePrjProps()
{
    if (!Project)
        return;
    setField(QStringLiteral("lbPrjName"), Project->PrjName);
    setField(QStringLiteral("lbWatchInterval"), QString::number(Project->WatchInterval()));
    setField(QStringLiteral("lbRemarks"), Project->PrjRemarks());
    if (root_ && root_->Text != Project->PrjName) {
        root_->Text = Project->PrjName;
        if (OnNodeChanged)
            OnNodeChanged(root_.get());
    }
    Caption = Texts.HeaderText + QStringLiteral(" - ") +
              (Project->FileName.isEmpty() ? Project->DefPrjName : Project->FileName);
    if (OnCaptionChanged)
        OnCaptionChanged();
}

void TPrjExplCore::UpdateFileLists()
{
    if (!Project)
        return;
    files_[flScope] = Project->ScopeFiles;
    files_[flWork] = Project->WorkFiles;
    files_[flPara] = Project->DownFiles;
    files_[flOther] = Project->RemFiles;
    files_[flAll] = Project->ScopeFiles + Project->WorkFiles + Project->DownFiles + Project->RemFiles;
    for (int a = 0; a < kPrjInvCount; ++a)
        if (const TPrjInvRec* e = Project->GetInv(a)) {
            files_[flScope] += e->ScopeFiles;
            files_[flWork] += e->WorkFiles;
            files_[flPara] += e->DownFiles;
            files_[flOther] += e->RemFiles;
            files_[flAll] += e->ScopeFiles + e->WorkFiles + e->DownFiles + e->RemFiles;
        }
    // A shown file list follows.
    if (selected_ && selected_->Kind >= nkScopeFiles && selected_->Kind <= nkAllFiles) {
        Select(selected_);
    }
}

void TPrjExplCore::SetInvState(int Address, int State)
{
    if (!root_)
        return;
    for (auto& c : root_->Children)
        if (c->Kind == nkInverter && c->Inv->Address == Address) {
            c->Image = c->SelImage = invImage(State);
            if (OnNodeChanged)
                OnNodeChanged(c.get());
        }
    if (Address == CurAdr && PageMode == pmInverter)
        setField(QStringLiteral("lbInvState"), State == -3   ? Texts.IncorrectIdText
                                               : State == -2 ? Texts.ConnectedText
                                               : State == -1 ? Texts.NotConnectedText
                                                             : QString());
}

bool TPrjExplCore::CanExpand(const TExplNode* n) const
{
    if (n->Kind == nkGroup)
        return ShowParaInfo;
    if (n->Kind == nkParameter)
        return showPTInfo_;
    return true;
}

bool TPrjExplCore::SelectShortcut(QChar Key)
{
    TExplNode* inv = InvNodeOf(selected_);
    if (!inv)
        return false;
    for (auto& g : inv->Children.front()->Children)
        if (g->Grp && QChar::fromLatin1(ShortcutKey(g->Grp->Shortcut)) == Key) {
            Select(g.get());
            if (OnSelectNode)
                OnSelectNode(g.get());
            return true;
        }
    return false;
}

// ------------------------------------------------------------------ pages

QString TPrjExplCore::setSelText(int sel) const
{
    return sel == -1 ? Texts.IndirectText : SetMaskToStr(int16_t(sel));
}

void TPrjExplCore::setField(const QString& name, const QString& text)
{
    if (Fields.value(name) == text && Fields.contains(name))
        return;
    Fields[name] = text;
    if (OnFieldText)
        OnFieldText(name);
}

void TPrjExplCore::setPanel(int i, const QString& text)
{
    if (Panels[size_t(i)] == text)
        return;
    Panels[size_t(i)] = text;
    if (OnPanelText)
        OnPanelText(i);
}

void TPrjExplCore::Select(TExplNode* n)
{
    if (building_ || !n)
        return;
    stopPolling();
    if (PageMode == pmParaList || PageMode == pmGroupPage) {
        // The widths are set by the user through SetParaColWidth.
    }
    selected_ = n;
    TExplNode* invNode = InvNodeOf(n);
    if (invNode) {
        CurInv = invNode->Inv;
        CurAdr = CurInv->Address;
        CurSetSel = SetSel[size_t(CurAdr)];
        SetPtrNode = CurInv->SetPtrNode;
        ActSetNode = CurInv->ActSetNode;
        PasswordNode = CurInv->PasswordNode;
        SetAddrAllowed = newStyle();
        EditSetEnabled = SetAddrAllowed;
        EditSetPtrEnabled = bool(SetPtrNode);
        EditPasswordEnabled = bool(PasswordNode);
        SetPtrPrefix = SetPtrNode ? Texts.SbSetPtrText + QStringLiteral(" (") + SetPtrNode->Para->GetIdText() +
                                        QStringLiteral("): ")
                                  : QString();
        ActSetPrefix = ActSetNode ? Texts.SbActSetText + QStringLiteral(" (") + ActSetNode->Para->GetIdText() +
                                        QStringLiteral("): ")
                                  : QString();
    } else {
        CurInv.reset();
        CurAdr = -1;
        CurSetSel = -10;
        SetPtrNode.reset();
        ActSetNode.reset();
        PasswordNode.reset();
        SetAddrAllowed = false;
        EditSetEnabled = EditSetPtrEnabled = EditPasswordEnabled = false;
    }
    fillPage(n);
    for (int i = 0; i < 5; ++i)
        setPanel(i, QString());
    if (CurAdr >= 0) {
        setPanel(0, Texts.SbInvText + u' ' + QString::number(CurAdr));
        setPanel(1, Texts.SbSetAdrModeText + u' ' + setSelText(CurSetSel));
    }
    if (OnPageChanged)
        OnPageChanged();
    if (OnOpFuncsChanged)
        OnOpFuncsChanged();
}

void TPrjExplCore::fillFileRows(const QStringList& list)
{
    ListHeader = {Texts.NameText, Texts.PathText};
    ListWidths = {100, 160, 0};
    for (const QString& f : list) {
        TExplRow r;
        QString norm = f;
        norm.replace(u'\\', u'/');
        const int slash = norm.lastIndexOf(u'/');
        r.Caption = f.mid(slash + 1);
        r.Name = f.left(slash + 1);
        r.FullName = f;
        Rows.push_back(r);
    }
}

QString TPrjExplCore::groupPageText(const TGrpRec& g) const
{
    return g.GetName(language_).trimmed();
}

void TPrjExplCore::fillFields(TExplNode* n)
{
    switch (n->Kind) {
    case nkProject:
        UpdatePrjProps();
        break;
    case nkGroup: {
        const TGrpRec& g = *n->Grp;
        setField(QStringLiteral("lbGrpIndex"), QString::number(g.Index));
        setField(QStringLiteral("lbGrpId"), g.IdText().toLower());
        setField(QStringLiteral("lbGrpShortcut"), QString(QChar::fromLatin1(g.Shortcut)));
        setField(QStringLiteral("lbGrpProp"), hex(uint16_t(g.Prop), 4));
        setField(QStringLiteral("lbGrpMaxPara"), QString::number(g.MaxPara));
        setField(QStringLiteral("lbGrpLastPara"), QString::number(g.LastPara + 1));
        setField(QStringLiteral("lbGrpBaseAddr"), hex(uint16_t(g.BaseAddr), 4));
        setField(QStringLiteral("lbGrpName"), groupPageText(g));
        break;
    }
    case nkParameter:
        fillParaFields(*n->Para->Para);
        break;
    case nkPlainText:
        setField(QStringLiteral("lbPtTextId"), QString::number(uint16_t(n->PT->TextId)));
        Table.clear();
        for (const auto& d : n->PT->DefList)
            Table.push_back({hex(d->Mask, 4), d->GetName(language_).trimmed()});
        break;
    case nkDefinition:
        setField(QStringLiteral("lbDefMask"), hex(n->Def->Mask, 4));
        setField(QStringLiteral("lbDefName"), n->Def->GetName(language_).trimmed());
        Table.clear();
        for (const auto& s : n->Def->SubList)
            Table.push_back({QString::number(s->Value), QString::number(s->Attr), s->GetName(language_).trimmed()});
        break;
    case nkValue:
        setField(QStringLiteral("lbSubValue"), QString::number(n->Sub->Value));
        setField(QStringLiteral("lbSubAttr"), QString::number(n->Sub->Attr));
        setField(QStringLiteral("lbSubName"), n->Sub->GetName(language_).trimmed());
        break;
    default:
        break;
    }
}

QString TPrjExplCore::limitText(int32_t raw, bool variable, bool limit, const TParaRec& p, QString* conv) const
{
    conv->clear();
    if (variable)
        return QStringLiteral("( ") + Texts.VariableValueText + QStringLiteral(" )");
    const bool converted = (p.Format & 0x1F) || (p.Format & 0x700);
    if (!converted)
        return QString::number(raw);
    *conv = cutConv(p.ValueToText(raw, language_, Separator.isEmpty() ? u'+' : Separator[0], ShowDecValue));
    // A limit keeps a blank before its converted text; the default has none.
    return u'(' + QString::number(raw) + (limit ? QStringLiteral(") ") : QStringLiteral(")"));
}

void TPrjExplCore::fillParaFields(const TParaRec& p)
{
    QString conv;
    setField(QStringLiteral("lbLowerLim"), limitText(p.LowerLim, p.Attr & ParaAttr::VarLowerLim, true, p, &conv));
    setField(QStringLiteral("lbLowerLimConv"), conv);
    setField(QStringLiteral("lbUpperLim"), limitText(p.UpperLim, p.Attr & ParaAttr::VarUpperLim, true, p, &conv));
    setField(QStringLiteral("lbUpperLimConv"), conv);
    setField(QStringLiteral("lbDefVal"), limitText(p.DefVal, p.Attr & ParaAttr::VarDefault, false, p, &conv));
    setField(QStringLiteral("lbDefValConv"), conv);
    const bool converted = (p.Format & 0x1F) || (p.Format & 0x700);
    setField(QStringLiteral("lbResolution"), converted ? QStringLiteral("(1)") : QStringLiteral("1"));
    setField(QStringLiteral("lbResolutionConv"),
             converted ? cutConv(p.ValueToText(1, language_, Separator.isEmpty() ? u'+' : Separator[0], ShowDecValue))
                       : QString());
    setField(QStringLiteral("lbAddr"), hex(uint16_t(p.Addr), 4));
    setField(QStringLiteral("lbAttr"), hex(p.Attr, 8));
    setField(QStringLiteral("lbFlags"), hex(p.Flags, 8));
    setField(QStringLiteral("lbMul"), QString::number(p.Mul));
    setField(QStringLiteral("lbDiv"), QString::number(p.Div));
    setField(QStringLiteral("lbOffset"), QString::number(p.Offset));
    setField(QStringLiteral("lbFormat"), hex(p.Format, 4));
    setField(QStringLiteral("lbName"), p.GetName(language_).trimmed());
    setField(QStringLiteral("lbTextId"), QString::number(p.TextId));
    setField(QStringLiteral("lbDefCount"), QString::number(p.DefCount));
    setField(QStringLiteral("lbIdText"), p.GetIdText());
    setField(QStringLiteral("lbProgrammable"), (p.Attr & ParaAttr::PerSet) ? Texts.YesText : Texts.NoText);
    int line = 0;
    if (!(p.Flags & ParaFlag::KeypadWrite))
        line += 1;
    if (!(p.Flags & ParaFlag::BusWrite))
        line += 2;
    setField(QStringLiteral("lbWriteProt"),
             line < Texts.RWText.size() ? Texts.RWText[line] : QStringLiteral("ERROR ") + QString::number(line));
    setField(QStringLiteral("lbEnter"), (p.Flags & ParaFlag::EnterNeeded) ? Texts.YesText : Texts.NoText);
}

void TPrjExplCore::fillPage(TExplNode* n)
{
    Rows.clear();
    Table.clear();
    PagePara.reset();
    PopupOn = false;
    const int oldMode = PageMode;
    switch (n->Kind) {
    case nkProject:
        fillProjectPage();
        break;
    case nkInverter:
        fillInverterPage(n);
        break;
    case nkGroups:
        fillGroupListPage(n);
        break;
    case nkGroup:
        fillParaListPage(n, oldMode);
        break;
    case nkParameter:
        fillParameterPage(n);
        break;
    case nkPlainText:
        PageMode = pmPlainText;
        PageMask = 32;
        ActivePage = 5;
        fillFields(n);
        break;
    case nkDefinition:
        PageMode = pmDefinition;
        PageMask = 64;
        ActivePage = 6;
        fillFields(n);
        break;
    case nkValue:
        PageMode = pmValue;
        PageMask = 128;
        ActivePage = 7;
        fillFields(n);
        break;
    default:
        fillFileListPage(n);
        break;
    }
    if (OnRowsChanged)
        OnRowsChanged();
}

void TPrjExplCore::fillProjectPage()
{
    PageMask = 2;
    ActivePage = 1;
    PageMode = pmProject;
    UpdatePrjProps();
    for (int a = 0; a < kPrjInvCount; ++a)
        if (const TPrjInvRec* e = Project ? Project->GetInv(a) : nullptr)
            Table.push_back({QString::number(a), e->GetName(), QString::number(e->CfgId)});
}

void TPrjExplCore::fillInverterPage(TExplNode* n)
{
    PageMask = 4;
    ActivePage = 2;
    PageMode = pmInverter;
    const TPrjInvRec* e = Project ? Project->GetInv(CurAdr) : nullptr;
    const TCfgRec* cfg = CurInv->Cfg.get();
    setField(QStringLiteral("lbInvName"), e ? e->GetName() : n->Text);
    setField(QStringLiteral("lbInvAdr"), QString::number(CurAdr));
    const int prot = e ? int(e->Prot) : 0;
    setField(QStringLiteral("lbInvProt"), prot >= 0 && prot < 7 ? QString::fromLatin1(kProtText[prot]) : QString());
    setField(QStringLiteral("lbInvPrjCfgId"), e ? QString::number(e->CfgId) : QString());
    setField(QStringLiteral("lbInvCfgIdInUse"), cfg ? QString::number(cfg->CfgId) : QString());
    setField(QLatin1String(CfgIdLabel), Texts.NotActText);
    setField(QStringLiteral("lbInvCfgFile"), cfg ? QFileInfo(cfg->FileName).fileName().toLower() : QString());
    setField(QStringLiteral("lbInvCfgDate"), cfg ? cfg->FileDate.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"))
                                                 : QString());
    const int st = e ? e->State : -1;
    setField(QStringLiteral("lbInvState"), st == -3   ? Texts.IncorrectIdText
                                           : st == -2 ? Texts.ConnectedText
                                           : st == -1 ? Texts.NotConnectedText
                                                      : QString());
    LastRow = 0;
}

void TPrjExplCore::fillGroupListPage(TExplNode* n)
{
    PageMask = 1;
    ActivePage = 0;
    PageMode = pmGroups;
    ListCaption = Texts.tsGrpListCaption;
    ListHeader = {Texts.IdText, Texts.NameText};
    ListWidths = {40, 160, 0};
    for (auto& g : n->Children) {
        TExplRow r;
        r.Caption = g->Grp->IdText().toLower();
        r.Name = g->Grp->GetName(language_).trimmed();
        r.Group = g.get();
        Rows.push_back(r);
    }
}

void TPrjExplCore::fillParaListPage(TExplNode* n, int oldMode)
{
    PageMode = oldMode == pmGroupPage && ShowParaInfo ? pmGroupPage : pmParaList;
    PageMask = ShowParaInfo ? 9 : 1;
    ActivePage = PageMode == pmGroupPage ? 3 : 0;
    PopupOn = true;
    fillFields(n);
    ListCaption = Texts.tsParaListCaption;
    ListHeader = {Texts.IdText, Texts.NameText, Texts.ValText};
    ListWidths = ParaColWidths;
    for (auto& c : n->Children) {
        const std::shared_ptr<TParaNode>& pn = c->Para;
        TExplRow r;
        r.StateImage = (pn->Para->Attr & ParaAttr::PerSet) && SetAddrAllowed ? 1 : 0;
        r.Caption = pn->Para->GetIdText();
        r.Name = pn->Para->GetName(language_).trimmed();
        r.Value = Texts.NotActText;
        r.Node = pn;
        pn->Valid = false;
        pn->Value = 0;
        if (pn->Expanded && r.StateImage == 1) {
            r.StateImage = 2;
            Rows.push_back(r);
            for (int s = 0; s < 8; ++s) {
                TExplRow sr;
                sr.IsSetRow = true;
                sr.Name = Texts.SetText + u' ' + QString::number(s);
                sr.Value = Texts.NotActText;
                sr.Node = pn;
                Rows.push_back(sr);
            }
        } else {
            pn->Expanded = false;
            Rows.push_back(r);
        }
    }
    LastRow = int(Rows.size()) - 1;
}

void TPrjExplCore::fillParameterPage(TExplNode* n)
{
    PageMode = pmParameter;
    PageMask = 0x110;
    ActivePage = 4;
    fillFields(n);
    PagePara = n->Para;
    const bool perSet = PagePara->Para->Attr & ParaAttr::PerSet;
    for (int i = 0; i < 8; ++i) {
        TParaValRow& r = ParaVal[size_t(i)];
        r.Valid = false;
        r.RawValue = 0;
        if (SetAddrAllowed) {
            r.Caption = QString::number(i);
            r.Value = perSet || i == 0 ? Texts.NotActText : Texts.NotProgText;
        } else {
            r.Caption = i == 0 ? QStringLiteral("Ind.") : QString();
            r.Value = i == 0 ? Texts.NotActText : Texts.IndOnlyText;
        }
    }
    LastRow = SetAddrAllowed && perSet ? 7 : 0;
}

void TPrjExplCore::fillFileListPage(TExplNode* n)
{
    PageMode = pmScopeFiles + (n->Kind == nkScopeFiles   ? 0
                               : n->Kind == nkWorkLists  ? 1
                               : n->Kind == nkParaLists  ? 2
                               : n->Kind == nkOtherFiles ? 3
                                                         : 4);
    PageMask = 1;
    ActivePage = 0;
    ListCaption = n->Text;
    const TPrjInvRec* e = n->FileOwner >= 0 && Project ? Project->GetInv(n->FileOwner) : nullptr;
    if (n->FileOwner >= 0) {
        static const QStringList none;
        const QStringList& l = !e                         ? none
                               : n->FileKind == flScope ? e->ScopeFiles
                               : n->FileKind == flWork  ? e->WorkFiles
                               : n->FileKind == flPara  ? e->DownFiles
                                                        : e->RemFiles;
        fillFileRows(l);
    } else {
        fillFileRows(files_[size_t(n->FileKind)]);
    }
}

void TPrjExplCore::TabSwitched(int Page)
{
    if (PageMode == pmParaList && Page == 3)
        PageMode = pmGroupPage;
    else if (PageMode == pmGroupPage && Page == 0)
        PageMode = pmParaList;
    else
        return;
    ActivePage = Page;
    if (OnOpFuncsChanged)
        OnOpFuncsChanged();
}

void TPrjExplCore::SetParaColWidth(int Col, int Width)
{
    if ((PageMode == pmParaList || PageMode == pmGroupPage) && Col >= 0 && Col < 3 && Width > 0)
        ParaColWidths[size_t(Col)] = ListWidths[size_t(Col)] = Width;
}

// ------------------------------------------------------------------ set rows

int TPrjExplCore::ParaRowOf(int Row) const
{
    if (Row < 0 || Row >= int(Rows.size()))
        return -1;
    while (Row >= 0 && Rows[size_t(Row)].IsSetRow)
        --Row;
    return Row;
}

int TPrjExplCore::SetMaskOfRow(int Row) const
{
    const int p = ParaRowOf(Row);
    if (p < 0 || p == Row)
        return 0;
    return 1 << (Row - p - 1);
}

void TPrjExplCore::ExpandSets(int Row)
{
    if (PageMode != pmParaList || Row < 0 || Row >= int(Rows.size()) || Rows[size_t(Row)].StateImage != 1)
        return;
    stopPolling();
    TExplRow& r = Rows[size_t(Row)];
    r.Node->Expanded = true;
    r.StateImage = 2;
    std::vector<TExplRow> sets;
    for (int s = 0; s < 8; ++s) {
        TExplRow sr;
        sr.IsSetRow = true;
        sr.Name = Texts.SetText + u' ' + QString::number(s);
        sr.Value = Texts.NotActText;
        sr.Node = r.Node;
        sets.push_back(sr);
    }
    Rows.insert(Rows.begin() + Row + 1, sets.begin(), sets.end());
    LastRow = int(Rows.size()) - 1;
    if (OnRowsChanged)
        OnRowsChanged();
}

void TPrjExplCore::CollapseSets(int Row)
{
    if (PageMode != pmParaList || Row < 0 || Row >= int(Rows.size()))
        return;
    const std::shared_ptr<TParaNode>& n = Rows[size_t(Row)].Node;
    if (!n || !n->Expanded)
        return;
    const int p = ParaRowOf(Row);
    if (p < 0 || Rows[size_t(p)].StateImage != 2)
        return;
    stopPolling();
    Rows[size_t(p)].Node->Expanded = false;
    Rows.erase(Rows.begin() + p + 1, Rows.begin() + std::min<int>(p + 9, int(Rows.size())));
    Rows[size_t(p)].StateImage = 1;
    LastRow = int(Rows.size()) - 1;
    if (OnRowsChanged)
        OnRowsChanged();
}

// ------------------------------------------------------------------ scheduler client

void TPrjExplCore::SetScheduler(TScheduler* Sch, QObject* Owner)
{
    if (sch_ && SchedSlot >= 0)
        sch_->Unregister(SchedSlot);
    SchedSlot = -1;
    sch_ = Sch;
    if (!Sch)
        return;
    SchedSlot = Sch->Register(
        Owner ? Owner : this, [this](TReqRec& Req) { GetRequest(Req); },
        [this](const TRecTel& Rsp, int Tag) { HandleResponse(Rsp, Tag); },
        [this] {
            if (OnListChanged)
                OnListChanged();
            else
                RebuildTree();
        });
}

int TPrjExplCore::SchedState() const
{
    return sch_ && SchedSlot >= 0 ? sch_->GetState(SchedSlot) : 0;
}

void TPrjExplCore::Shown()
{
    if (sch_ && SchedSlot >= 0)
        WantedState = sch_->SetState(SchedSlot, csPolled);
}

void TPrjExplCore::Minimised()
{
    if (sch_ && SchedSlot >= 0)
        sch_->SetState(SchedSlot, csPaused);
}

void TPrjExplCore::Resized()
{
    if (sch_ && SchedSlot >= 0 && SchedState() != WantedState)
        WantedState = sch_->SetState(SchedSlot, WantedState);
}

void TPrjExplCore::Closing()
{
    if (sch_ && SchedSlot >= 0)
        sch_->SetState(SchedSlot, csRegistered);
    WantedState = csRegistered;
}

void TPrjExplCore::GetRequest(TReqRec& Req)
{
    if (SchedState() <= csRegistered || CurAdr < 0)
        return;
    // A step without a request moves on to the next one; after a whole cycle
    // without one there is none.
    for (int tries = 0; tries < PollCycle; ++tries) {
        PollStep = PollStep >= PollCycle ? 1 : PollStep + 1;
        InFlight f;
        int parAdr = 0;
        int setByte = 0;
        int service = QelService::Plain;
        if (PollStep <= 3) {
            const std::shared_ptr<TParaNode>& n = PollStep == 1 ? SetPtrNode : PollStep == 2 ? ActSetNode : PasswordNode;
            if (!n)
                continue;
            f.Node = n;
            f.Target = tgPanel;
            f.Index = PollStep + 1;
            parAdr = n->Para->Addr;
        } else {
            if (LastRow < 0)
                continue;
            PollRow = PollRow >= LastRow || PollRow < 0 ? 0 : PollRow + 1;
            if (PageMode == pmInverter) {
                f.Target = tgLabel;
                parAdr = CfgNoParAdr;
            } else if (PageMode == pmParaList) {
                if (PollRow >= int(Rows.size()) || !Rows[size_t(PollRow)].Node)
                    continue;
                const TExplRow& r = Rows[size_t(PollRow)];
                f.Node = r.Node;
                f.Target = tgListRow;
                f.Index = PollRow;
                parAdr = r.Node->Para->Addr;
                if (newStyle()) {
                    service = QelService::ParaSet;
                    const int mask = SetMaskOfRow(PollRow);
                    if (r.IsSetRow)
                        setByte = mask ? mask : (CurSetSel & 0xFF);
                    else if (CurSetSel > 0)
                        setByte = CurSetSel & 0xFF;
                    else {
                        service = QelService::ParaSetAdr;
                        setByte = CurSetSel == 0 ? 1 : 0;
                    }
                }
            } else if (PageMode == pmParameter && PagePara) {
                f.Node = PagePara;
                f.Target = tgParaValRow;
                f.Index = PollRow;
                parAdr = PagePara->Para->Addr;
                if (newStyle()) {
                    service = QelService::ParaSet;
                    setByte = 1 << PollRow;
                }
            } else {
                continue;
            }
        }
        Req.Data.Clear();
        Req.Valid = 1;
        Req.InvAdr = CurAdr;
        Req.IsRead = 1;
        Req.Service = service;
        Req.Data.ParAdr = uint16_t(parAdr);
        Req.Data.SetByte(2, uint8_t(setByte));
        Req.Tag = ++reqNo_;
        f.Asked = true;
        f.Tag = Req.Tag;
        f.Gen = gen_;
        f.Service = service;
        inFlight_ = f;
        return;
    }
}

void TPrjExplCore::HandleResponse(const TRecTel& Rsp, int Tag)
{
    // Only the answer to the request last given, asked for the rows, node
    // and selector shown now.
    if (!inFlight_.Asked || Tag != inFlight_.Tag || inFlight_.Gen != gen_)
        return;
    const InFlight f = inFlight_;
    inFlight_ = InFlight{};
    const bool ok = Rsp.Status == 0;
    QString text;
    int32_t value = 0;
    if (!ok) {
        text = OnGetErrorText ? OnGetErrorText(Rsp.Status) : QStringLiteral("Fehler: ") + QString::number(Rsp.Status);
    } else {
        if (f.Service == QelService::Plain)
            value = Rsp.Data.GetI16(2);
        else if (f.Service == QelService::ParaSet || f.Service == QelService::ParaSetAdr)
            value = Rsp.Data.GetI32(4);
        if (f.Node) {
            const TParaRec& p = *f.Node->Para;
            if (f.Service == QelService::Plain && !(p.Attr & ParaAttr::Signed))
                value &= 0xFFFF;
            text = p.ValueToText(value, language_, Separator.isEmpty() ? u'+' : Separator[0], ShowDecValue);
        } else {
            text = QString::number(value);
        }
    }
    switch (f.Target) {
    case tgLabel:
        setField(QLatin1String(CfgIdLabel), text);
        break;
    case tgListRow:
        if (f.Index < int(Rows.size())) {
            TExplRow& r = Rows[size_t(f.Index)];
            r.Valid = ok;
            r.RawValue = value;
            if (!r.IsSetRow) {
                f.Node->Valid = ok;
                f.Node->Value = value;
            }
            setRowText(f.Index, text);
        }
        break;
    case tgParaValRow: {
        TParaValRow& r = ParaVal[size_t(f.Index & 7)];
        r.Valid = ok;
        r.RawValue = value;
        setParaValText(f.Index & 7, text);
        break;
    }
    case tgPanel:
        if (ok) {
            f.Node->Valid = true;
            f.Node->Value = value;
        }
        if (f.Index == 2)
            setPanel(2, ok ? SetPtrPrefix + u' ' + text : SetPtrPrefix + QStringLiteral(" - "));
        else if (f.Index == 3)
            setPanel(3, ok ? ActSetPrefix + QString::number(value) : ActSetPrefix + QStringLiteral(" - "));
        else
            setPanel(4, Texts.SbPasswordText + u' ' + text);
        break;
    default:
        break;
    }
}

void TPrjExplCore::setRowText(int row, const QString& text)
{
    if (Rows[size_t(row)].Value == text)
        return;
    Rows[size_t(row)].Value = text;
    if (OnRowText)
        OnRowText(row);
}

void TPrjExplCore::setParaValText(int row, const QString& text)
{
    if (ParaVal[size_t(row)].Value == text)
        return;
    ParaVal[size_t(row)].Value = text;
    if (OnParaValText)
        OnParaValText(row);
}

// ------------------------------------------------------------------ editing

TExplEditArgs TPrjExplCore::NoEditArgs() const
{
    TExplEditArgs a;
    a.Label = Texts.UnknownInvText;
    return a;
}

TExplEditArgs TPrjExplCore::EditArgs(const std::shared_ptr<TParaNode>& Node, int SetSelector, bool HasValue,
                                     int32_t Value) const
{
    if (!Node)
        return NoEditArgs();
    TExplEditArgs a;
    a.SetSel = SetSelector;
    a.InvAdr = CurAdr;
    if (!Node->Para) {
        a.Label = Texts.UnknownInvText;
        return a;
    }
    const TParaRec& p = *Node->Para;
    a.Para = Node->Para;
    a.Value = HasValue ? Value : Node->Valid ? Node->Value : p.DefVal;
    a.Label = p.GetIdText() + u' ' + p.GetName(language_).trimmed() + QStringLiteral(" ; ") + Texts.InvText + u' ' +
              QString::number(CurAdr) + QStringLiteral(" ; ") + Texts.SetText + u' ' +
              SetMaskToStr(int16_t(SetSelector));
    return a;
}

bool TPrjExplCore::RowEditArgs(int Row, TExplEditArgs& Args) const
{
    if (PageMode != pmParaList || Row < 0 || Row >= int(Rows.size()) || !Rows[size_t(Row)].Node)
        return false;
    const TExplRow& r = Rows[size_t(Row)];
    const int mask = SetMaskOfRow(Row);
    // The row's own value: a set row's last read, not its parameter's.
    Args = EditArgs(r.Node, r.IsSetRow ? mask : CurSetSel, true, r.Valid ? r.RawValue : r.Node->Para->DefVal);
    return true;
}

bool TPrjExplCore::ParaValEditArgs(int Row, TExplEditArgs& Args) const
{
    if (PageMode != pmParameter || !PagePara || Row < 0 || Row > LastRow || Row > 7)
        return false;
    const TParaValRow& r = ParaVal[size_t(Row)];
    Args = EditArgs(PagePara, SetAddrAllowed ? 1 << Row : -1, true, r.Valid ? r.RawValue : PagePara->Para->DefVal);
    return true;
}

void TPrjExplCore::SetAddrModeChanged(int Selector)
{
    if (!Project || CurAdr < 0)
        return;
    const TPrjInvRec* e = Project->GetInv(CurAdr);
    if (!e)
        return;
    if ((!e->Cfg || !e->Cfg->NewStyle) && Selector > 0)
        return;
    NewGeneration();
    CurSetSel = Selector;
    SetSel[size_t(CurAdr)] = Selector;
    setPanel(1, Texts.SbSetAdrModeText + u' ' + setSelText(CurSetSel));
}

bool TPrjExplCore::ActivateRow(int Row)
{
    if (Row < 0 || Row >= int(Rows.size()))
        return false;
    if (PageMode == pmGroups) {
        TExplNode* g = Rows[size_t(Row)].Group;
        Select(g);
        if (OnSelectNode)
            OnSelectNode(g);
        return true;
    }
    if (PageMode >= pmScopeFiles && PageMode <= pmOtherFiles) {
        if (OnPrjChgReq)
            OnPrjChgReq(Window ? Window : this, 0, Rows[size_t(Row)].FullName);
        return true;
    }
    return false;
}

// ------------------------------------------------------------------ copy and drag

std::unique_ptr<TIntClpBrd> TPrjExplCore::CopyContent(const std::vector<int>& SelRows) const
{
    auto c = std::make_unique<TIntClpBrd>();
    c->Flags = cbfParameters;
    for (int row : SelRows) {
        if (row < 0 || row >= int(Rows.size()))
            continue;
        const TExplRow& r = Rows[size_t(row)];
        if (!r.IsSetRow && r.Node) {
            TClpBrdItem it;
            it.InvAdr = CurAdr;
            it.Address = r.Node->Para->Addr;
            it.SetSel = CurSetSel;
            it.Para = r.Node->Para;
            it.Value = r.RawValue;
            it.ValueValid = r.Valid;
            c->Items.push_back(it);
            c->Lines << r.Caption + u';' + r.Name + u';' + r.Value;
        } else {
            c->Lines << r.Name + u';' + r.Value;
        }
    }
    return c;
}

std::vector<std::shared_ptr<void>> TPrjExplCore::DragItems(const std::vector<int>& SelRows) const
{
    std::vector<std::shared_ptr<void>> items;
    if (PageMode == pmGroups)
        return items;
    for (int row : SelRows)
        if (row >= 0 && row < int(Rows.size()) && !Rows[size_t(row)].IsSetRow && Rows[size_t(row)].Node)
            items.push_back(Rows[size_t(row)].Node->Para);
    return items;
}
