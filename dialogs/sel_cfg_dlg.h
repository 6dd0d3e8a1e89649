#pragma once

#include "config/bin_file_index.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QTreeWidget;
class TVarneGlyphButton;
class TVortalinText;

// One row of the configuration choice: number and type name.
struct TSelCfgRow {
    int CfgId = 0;
    QString Name;
    bool operator==(const TSelCfgRow&) const = default;
};

// The group choice: allText, then every group name of the index once, in
// index order (exact comparison).
QStringList SelCfgGroups(const TCfgFileList& list, const QString& allText);

// The rows for group item `groupItem` of SelCfgGroups (0: every record):
// with autoText given first the automatic row 0, then the records in
// ascending order of their numbers, equal numbers in index order.
std::vector<TSelCfgRow> SelCfgRows(const TCfgFileList& list, int groupItem, const QString& groupText,
                                   const QString* autoText);

// Chooses a configuration from the installed configuration files, grouped
// by family. Owned by the project's dialogs and reused; the list is emptied
// after every showing.
class TFrmSelCfg : public QDialog {
    Q_OBJECT
public:
    explicit TFrmSelCfg(QWidget* parent = nullptr);
    ~TFrmSelCfg() override;

    // The index of the program settings, read at every showing; null:
    // nothing can be chosen.
    const TCfgFileList* CfgFileList = nullptr;

    QString AllGroupsText = QStringLiteral("Alle Gruppen");
    QString CfgIdZeroText = QStringLiteral("0: Automatik");

    void SetFrmHeaderText(const QString& t) { setWindowTitle(t); }
    void SetInvInfoText(const QString& t);
    void SetGroupText(const QString& t);
    void SetCfgIdColText(const QString& t);
    void SetNameColText(const QString& t);
    void SetOKBtnText(const QString& t);
    void SetCancelBtnText(const QString& t);

    void SetTexts(const TVortalinText& texts);

    // The chosen number; 0 for the automatic row or OK on an empty list;
    // -1 when cancelled or without an index.
    int Execute(int InvAdr, bool AllowAuto);

    QLabel* labInfo;
    QLabel* labInvAdr;
    QLabel* labGroup;
    QComboBox* cobGroup;
    QTreeWidget* lvCfg;
    TVarneGlyphButton* btnOK;
    TVarneGlyphButton* btnCancel;

private:
    void FillList();
    void UpdateOK();

    bool allowAuto_ = false;
};
