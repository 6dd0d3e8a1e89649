#pragma once

// The project dialog without its widgets: copies of the project's name,
// remarks, watch interval, inverter entries and linked files, the editing
// of them with its questions, and the texts the dialog shows. Nothing
// reaches the project before TVortalinPrj::EditPrj applies the rows after
// OK. TfrmPrjEdit (dialogs/) draws the rows and forwards user input.

#include "project/vortalin_prj.h"

#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <vector>

// The four kinds of linked files, in the order of the dialog's file pages.
enum TPrjFileKind : int { pfkWork = 0, pfkDown = 1, pfkScope = 2, pfkRem = 3 };
inline constexpr int kPrjFileKinds = 4;

// One inverter row: the dialog's own copy of an entry.
struct TPrjInvRow {
    std::unique_ptr<TPrjInvRec> Copy;
    bool FromProject = false;  // taken from the project's entry at OrigAdr
    int OrigAdr = -1;
    bool Changed = false;      // edited or added in this run
    bool NumberGiven = false;  // the user gave the number in this run
};

// One file row: a file of the project as a whole (Copy null, address -1)
// or of the inverter row whose copy it refers to.
struct TPrjFileRow {
    int Adr = -1;
    QString Name;
    QString Dir;  // with the final separator
    TPrjInvRec* Copy = nullptr;
    QString Path() const { return Dir + Name; }
};

class TPrjEditRows {
public:
    explicit TPrjEditRows(IPrjInteraction* Ui = nullptr) : ui_(Ui) {}
    void SetInteraction(IPrjInteraction* Ui) { ui_ = Ui; }

    // ---- texts (built-in German; the main window sets the language's)
    QString FrmHeaderText = QStringLiteral("Projekt bearbeiten");
    std::array<QString, 6> PageTexts{QStringLiteral("Allgemein"), QStringLiteral("Umrichterliste"),
                                     QStringLiteral("Arbeitslisten"), QStringLiteral("Parameterlisten"),
                                     QStringLiteral("Scope"), QStringLiteral("Notizen")};
    QString PrjNameLabText = QStringLiteral("Projektname:");
    QString IntervalLabText = QStringLiteral("Überwchungsinterval:");
    QString RemarkLabText = QStringLiteral("Bemerkungen:");
    // Button groups: 0 Cancel, 1 OK, 2 add inverter, 3 remove inverter,
    // 4 edit inverter, 5 the add-file buttons, 6 the remove-file buttons,
    // 7 the first answer of the address question.
    std::array<QString, 8> ButtonTexts{QStringLiteral("Abbrechen"), QStringLiteral("OK"),
                                       QStringLiteral("Hinzufügen"), QStringLiteral("Entfernen"),
                                       QStringLiteral("Bearbeiten"), QStringLiteral("Hinzufügen"),
                                       QStringLiteral("Entfernen"), QStringLiteral("Übernehmen")};
    std::array<QString, 4> InvColTexts{QStringLiteral("Adr."), QStringLiteral("Name"), QStringLiteral("Cfg-Id"),
                                       QStringLiteral("Protocol")};
    std::array<QString, 3> FileColTexts{QStringLiteral("Inv:"), QStringLiteral("Name:"), QStringLiteral("Pfad:")};
    QStringList ChgCfgIdInfo{QStringLiteral("Es sind Verknüpfte Dateien vorhanden."), QStringLiteral("Sie können:"),
                             QStringLiteral("a) Die neue Adresse für alle Verknüpfungen übernehmen"),
                             QStringLiteral("b) Die verknüpften Dateien aus dem Projekt entfernen"),
                             QStringLiteral("c) Die Aktion abbrechen")};
    QStringList DelCfgIdInfo{QStringLiteral("Es sind Verknüpfte Dateien vorhanden."), QStringLiteral("Sie können:"),
                             QStringLiteral("a) Die verknüpften Dateien aus dem Projekt entfernen"),
                             QStringLiteral("b) Die Aktion abbrechen")};
    QStringList ToManyZelk{QStringLiteral("Zelk ist ein Punkt zu Punkt Protokoll."),
                           QStringLiteral("Sie können max. einen Umrichter mit diesem"),
                           QStringLiteral("Protokoll in Ihrem Projekt verwalten.")};
    QStringList InvAdrInUse{QStringLiteral("Umrichteradresse bereits belegt.")};
    QString AssFilesInfoHeader = QStringLiteral("Achtung");
    // The pop-up menu's first item (a fixed text).
    QString GlobalItemText = QStringLiteral("-1: Global im Projekt");

    // Setters of the dialog's text interface.
    void SetPageText(int Index, const QString& Text);
    void SetButtonText(int Group, const QString& Text);
    void SetInvColText(int Index, const QString& Text);
    void SetFileColText(int Index, const QString& Text);

    // ---- what the dialog edits
    QString PrjName;
    int WatchInterval = 0;     // the field, 0..5000
    int ShownInterval = 0;     // what the field was filled with
    QString Remarks;           // the memo's text, lines joined by "\n"
    std::vector<TPrjInvRow> Inverters;  // in address order
    std::array<std::vector<TPrjFileRow>, kPrjFileKinds> Files;
    int SelInv = -1;           // the selected inverter row, -1 none
    int Page = 0;              // page shown (0..5); kept from run to run
    QString DataPath, FileName;

    // Fills everything from the project (the dialog's former rows and
    // copies go); Page 1..5 is shown first.
    void Fill(const TVortalinPrj& Prj, int ShowPage);
    // Frees every row and copy.
    void Clear();

    // ---- editing; each returns true when a row changed
    int ProposedAdr() const;
    bool AddInv();
    bool EditInv(int Row);
    bool DelInv(int Row);
    // Adds Path for address Adr (-1 the project as a whole): false when Adr
    // is neither -1 nor an inverter row's. Kind receives the file's kind.
    bool AddFile(int Adr, const QString& Path, int* Kind = nullptr);
    bool DelFile(int Kind, int Row);
    // The choices of the add-file pop-up menu and their addresses.
    QStringList AddFileMenu(std::vector<int>* Adrs) const;

    // ---- columns
    static QString ProtText(int Prot);
    QString NumberText(const TPrjInvRow& Row) const;
    // A file's kind by its extension (any case).
    static int FileKindOf(const QString& Path);
    // The file-open dialog's filter index on a page.
    static int FilterIndexForPage(int Page);
    // The page of a file kind.
    static int PageOfKind(int Kind) { return Kind + 2; }

    int FindInv(int Adr) const;
    bool HasZelk(int ExceptRow) const;
    int FileRowsOf(const TPrjInvRec* Copy) const;

private:
    int message(const QStringList& Lines, const QStringList& Buttons, const QString& Title, int Default,
                int Cancel);
    int insertInv(TPrjInvRow Row);
    void insertFile(int Kind, TPrjFileRow Row);
    void removeFileRowsOf(const TPrjInvRec* Copy);

    IPrjInteraction* ui_ = nullptr;
};

// A path's name and its folder with the final separator ("/" or "\").
void SplitFilePath(const QString& Path, QString& Dir, QString& Name);
