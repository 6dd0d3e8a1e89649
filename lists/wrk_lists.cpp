#include "lists/wrk_lists.h"

#include "config/drag_drop.h"
#include "config/vortalin_clpbrd.h"
#include "lists/fwrk_list.h"
#include "project/vortalin_prj.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include <filesystem>

namespace {

// Defaults, in the order of TWrkListsText.
const std::array<const char*, wltCount> kDefaults{
    "Umr.", "Adr.", "Satz", "Id", "Name", "Wert", "Bemerkungen",
    "Wert bearbeiten", "Satzadressierung", "Bemerkung berbeiten", "Parameter einfügen",
    "Umrichter bearbeiten", "blabla", "Speichern", "Speichern unter", "Zum Projekt hinzufügen",
    "Aus Projekt entfernen", "Ausschneiden", "Kopieren", "Einfügen", "Entfernen", "Alles markieren",
    "Spaltenbreite zurücksetzen", "Arbeitslisten", "Alle Dateien",
    "Unbekannter Umrichter", "Unbekannter Parameter", "Nicht aktuell",
    "Geändert: speichern ?", "Arbeitsliste speichern", "", "",
    "Ja", "Nein", "Abbrechen",
    "Drucken", "Unbekannte Applikation", "Seite:", "Unbekannte Version", "Dateidatum", "Druckdatum",
    "Die Arbeitsliste konnte nicht geöffnet werden.", "Öffnen",
    "Datei @P1\nkonnte nicht geschrieben werden",
};

// Language keys; section -1: not a language text. Multi-line texts take
// all lines of their entry.
struct Key {
    int section, index;
    bool lines;
};
const std::array<Key, wltCount> kKeys{{
    {4, 0, false}, {4, 1, false}, {4, 2, false}, {4, 3, false}, {4, 4, false}, {4, 5, false}, {4, 6, false},
    {5, 3, false}, {5, 2, false}, {5, 4, false}, {4, 22, false}, {5, 0, false}, {2, 8, false},
    {4, 8, false}, {4, 9, false}, {4, 19, false}, {4, 20, false},
    {5, 5, false}, {5, 6, false}, {5, 7, false}, {5, 8, false}, {5, 9, false}, {4, 23, false},
    {5, 17, false}, {5, 15, false},
    {4, 10, false}, {4, 11, false}, {4, 12, false},
    {4, 16, true}, {4, 15, false}, {4, 18, true}, {4, 17, false},
    {0, 8, false}, {0, 9, false}, {0, 7, false},
    {0, 18, false}, {-1, 0, false}, {0, 17, false}, {-1, 0, false}, {0, 41, false}, {0, 40, false},
    {4, 21, true}, {5, 10, false},
    {7, 58, true},
}};

QString cleanAbsolute(const QString& p)
{
    return QDir::cleanPath(QFileInfo(p).absoluteFilePath());
}

}  // namespace

QPoint WrkListPosition(const QRect& mainFrame, int slot)
{
    return {25 * slot, mainFrame.top() + mainFrame.height() + 25 * slot};
}

bool SameListFile(const QString& a, const QString& b)
{
    namespace fs = std::filesystem;
    std::error_code ea, eb;
    const fs::path pa(QFile::encodeName(a).toStdString());
    const fs::path pb(QFile::encodeName(b).toStdString());
    const bool onDiskA = fs::exists(pa, ea);
    const bool onDiskB = fs::exists(pb, eb);
    if (onDiskA && onDiskB) {
        std::error_code e;
        return fs::equivalent(pa, pb, e);
    }
    if (onDiskA != onDiskB)
        return false;
    return cleanAbsolute(a) == cleanAbsolute(b);
}

TWrkLists::TWrkLists(QObject* owner) : QObject(owner)
{
    for (int i = 0; i < wltCount; ++i)
        texts_[size_t(i)] = QString::fromUtf8(kDefaults[size_t(i)]);
}

TWrkLists::~TWrkLists() = default;

template <class F>
void TWrkLists::forEachWindow(F f) const
{
    for (const QPointer<TFWrkList>& w : slots_)
        if (w)
            f(*w);
}

int TWrkLists::FindFreeSlot() const
{
    for (int i = 0; i < MaxLists; ++i)
        if (!slots_[size_t(i)])
            return i;
    return -1;
}

void TWrkLists::ReleaseSlot(int Slot)
{
    if (Slot >= 0 && Slot < MaxLists)
        slots_[size_t(Slot)] = nullptr;
}

TFWrkList* TWrkLists::Window(int Slot) const
{
    return Slot >= 0 && Slot < MaxLists ? slots_[size_t(Slot)].data() : nullptr;
}

QString TWrkLists::saveDlgFilter() const
{
    return Text(wltSaveDlgWrk) + QStringLiteral(" (*.wr5)|*.wr5|") + Text(wltSaveDlgAll)
           + QStringLiteral(" (*.*)|*.*");
}

void TWrkLists::setCaptionFor(TFWrkList& W) const
{
    const QString caption = defHeader_ + QString::number(W.WindowNo() + 1);
    W.Core().Caption = caption;
    W.setWindowTitle(caption);
}

void TWrkLists::pushText(TFWrkList& W, TWrkListsText Id) const
{
    TWrkListCore& c = W.Core();
    const QString& t = texts_[size_t(Id)];
    switch (Id) {
    case wltInvCol: case wltAdrCol: case wltSetCol: case wltIdCol:
    case wltNameCol: case wltValCol: case wltRemCol:
        c.Model().SetCaption(int(Id - wltInvCol), t);
        break;
    case wltUnknownInverter: c.UnknownInverterText = t; break;
    case wltUnknownPara: c.UnknownParaText = t; break;
    case wltNotAct: c.NotActText = t; break;
    case wltAskForSaveMsg: c.SetAskForSaveMsgText(t); break;
    case wltAskForSaveHeader: c.AskForSaveHeaderText = t; break;
    case wltAskForOverrideMsg: c.SetAskForOverrideMsgText(t); break;
    case wltAskForOverrideHeader: c.AskForOverrideHeaderText = t; break;
    case wltYesBtn: c.SetYesBtnText(t); break;
    case wltNoBtn: c.SetNoBtnText(t); break;
    case wltCancelBtn: c.SetCancelBtnText(t); break;
    case wltWriteErrorMsg: c.WriteErrorText = TVortalinPrj::splitLines(t); break;
    default:
        // Menu, print and project-link texts; the save-dialog names reach
        // only new windows; the load-error message is the manager's own.
        W.ApplyText(Id, t);
        break;
    }
}

void TWrkLists::SetText(TWrkListsText Id, const QString& Value)
{
    if (Id < 0 || Id >= wltCount)
        return;
    texts_[size_t(Id)] = Value;
    forEachWindow([&](TFWrkList& w) { pushText(w, Id); });
}

void TWrkLists::SetTexts(const TVortalinText& Texts, const QString& AppName, const QString& Version)
{
    for (int i = 0; i < wltCount; ++i) {
        const Key& k = kKeys[size_t(i)];
        if (k.section < 0)
            continue;
        QString t;
        if (k.lines) {
            const QStringList* l = Texts.GetStrings(k.section, k.index);
            t = l ? l->join(u'\n') : Texts.GetText(k.section, k.index);
        } else {
            t = Texts.GetText(k.section, k.index);
        }
        SetText(TWrkListsText(i), t);
    }
    SetText(wltAppName, AppName);
    SetText(wltVersion, Version);
    SetDefHeader(Texts.GetText(4, 7));
}

void TWrkLists::SetScheduler(TScheduler* Sch)
{
    scheduler_ = Sch;
    forEachWindow([&](TFWrkList& w) { w.SetScheduler(Sch); });
}

void TWrkLists::SetProject(TVortalinPrj* Prj)
{
    project_ = Prj;
    forEachWindow([&](TFWrkList& w) { w.Core().Project = Prj; });
}

void TWrkLists::SetVortalinClipBoard(TVortalinClpBrd* Clp)
{
    clpBrd_ = Clp;
    forEachWindow([&](TFWrkList& w) { w.ClpBrd = Clp; });
}

void TWrkLists::SetDragDropObj(TDragDrop* Dd)
{
    dragDrop_ = Dd;
    forEachWindow([&](TFWrkList& w) { w.DragDropObj = Dd; });
}

void TWrkLists::SetLanguage(int Lang)
{
    language_ = Lang;
    forEachWindow([&](TFWrkList& w) { w.SetLanguage(Lang); });
}

void TWrkLists::SetSeparator(QChar Sep)
{
    separator_ = Sep;
    forEachWindow([&](TFWrkList& w) { w.Core().Separator = Sep; });
}

void TWrkLists::SetShowDecValue(bool On)
{
    showDecValue_ = On;
    forEachWindow([&](TFWrkList& w) { w.Core().ShowDecValue = On; });
}

void TWrkLists::SetDataPath(const QString& Path)
{
    dataPath_ = Path;
    forEachWindow([&](TFWrkList& w) { w.Core().SaveDlgInitialDir = Path; });
}

void TWrkLists::SetDefHeader(const QString& Header)
{
    defHeader_ = Header;
    forEachWindow([&](TFWrkList& w) {
        if (w.Core().FileName.isEmpty())
            setCaptionFor(w);
    });
}

void TWrkLists::SetOnGetErrorText(TOnGetErrorText Ev)
{
    onGetErrorText_ = std::move(Ev);
    forEachWindow([&](TFWrkList& w) { w.Core().OnGetErrorText = onGetErrorText_; });
}

void TWrkLists::SetInteraction(std::shared_ptr<IListInteraction> Ui)
{
    interaction_ = std::move(Ui);
    forEachWindow([&](TFWrkList& w) { w.Core().SetInteraction(interaction_); });
}

TFWrkList* TWrkLists::OpenList(const QString& FileName)
{
    if (!FileName.isEmpty()) {
        for (const QPointer<TFWrkList>& w : slots_)
            if (w && !w->Core().FileName.isEmpty() && SameListFile(w->Core().FileName, FileName))
                return w;
    }
    const int slot = FindFreeSlot();
    if (slot < 0)
        return nullptr;

    auto* w = new TFWrkList(slot);
    slots_[size_t(slot)] = w;
    setCaptionFor(*w);
    w->move(WrkListPosition(tools_->MainForm.BarFrame(), slot));

    // A window outliving the manager finds no manager to tell.
    QPointer<TWrkLists> self(this);
    w->OnReleaseSlot = [self](int no) {
        if (self)
            self->ReleaseSlot(no);
    };
    TWrkListCore& c = w->Core();
    c.SetInteraction(interaction_);
    w->SetScheduler(scheduler_);
    c.Project = project_;
    w->SetLanguage(language_);
    c.OnGetErrorText = onGetErrorText_;
    w->ClpBrd = clpBrd_;
    w->DragDropObj = dragDrop_;
    w->Tools = tools_;
    c.OnDataPath = [self](const QString& dir) {
        if (self)
            self->SetDataPath(dir);
    };

    c.SaveDlgFilter = saveDlgFilter();
    c.SaveDlgInitialDir = dataPath_;
    for (int i = 0; i < wltCount; ++i)
        pushText(*w, TWrkListsText(i));
    c.ShowDecValue = showDecValue_;
    c.Separator = separator_;

    if (!FileName.isEmpty() && w->LoadFromFile(FileName) != 0) {
        // The window keeps its new-list caption and the rows read so far,
        // so saving asks for a name rather than overwriting the file with
        // part of it.
        QStringList msg = TVortalinPrj::splitLines(Text(wltLoadErrorMsg));
        msg.append(FileName);
        c.Interaction().Message(msg, {QStringLiteral("0OK")}, Text(wltLoadErrorHeader), pmiError, QString(),
                                QString(), QString(), 0, 0);
    }
    return w;
}
