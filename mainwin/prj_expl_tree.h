#pragma once

// The project explorer's tree, without widgets: the nodes of the project,
// its inverters with their configurations and the linked files. The nodes
// hold their configuration records by shared_ptr, so a configuration the
// project frees before the tree is rebuilt leaves nothing dangling.

#include "config/cfg_records.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

// Node kinds.
enum : uint8_t {
    nkProject = 0,
    nkInverter = 1,
    nkGroups = 2,
    nkGroup = 3,
    nkParameter = 4,
    nkPlainText = 6,
    nkDefinition = 7,
    nkValue = 8,
    nkScopeFiles = 9,
    nkWorkLists = 10,
    nkParaLists = 11,
    nkOtherFiles = 12,
    nkAllFiles = 13,
};

// Image indexes of ILPrjExpl.
enum : int {
    imgFolderClosed = 0,
    imgFolderOpen = 1,
    imgScope = 2,
    imgWorkList = 3,
    imgParaList = 4,
    imgOtherFiles = 5,
    imgConnected = 6,
    imgNotConnected = 7,
    imgIncorrectId = 8,
    imgShortcutA = 9,
    imgShortcutNone = 35,
    imgPlainText = 36,
    imgDotGreen = 37,
    imgDotBlue = 38,
    imgCount = 39,
};

// A parameter of the tree with the last value read for it.
struct TParaNode {
    std::shared_ptr<TParaRec> Para;
    bool Valid = false;
    int32_t Value = 0;
    bool Expanded = false;  // the eight set rows are shown
};

struct TInvNode {
    std::shared_ptr<TCfgRec> Cfg;
    std::shared_ptr<TParaNode> SetPtrNode, ActSetNode, PasswordNode;
    int Address = 0;
    int CfgIdInUse = 0;
};

// Which file list a file node shows: the explorer's own (Owner -1) or an
// inverter entry's.
enum : int { flScope = 0, flWork = 1, flPara = 2, flOther = 3, flAll = 4 };

struct TExplNode {
    uint8_t Kind = nkProject;
    QString Text;
    int Image = 0;
    int SelImage = 0;
    TExplNode* Parent = nullptr;
    std::vector<std::unique_ptr<TExplNode>> Children;

    // Data by kind.
    std::shared_ptr<TInvNode> Inv;          // 1
    std::shared_ptr<TCfgRec> Cfg;           // 2..8: keeps the records alive
    std::shared_ptr<TGrpRec> Grp;           // 3
    std::shared_ptr<TParaNode> Para;        // 4
    std::shared_ptr<TPlainTextRec> PT;      // 6
    std::shared_ptr<TDefRec> Def;           // 7
    std::shared_ptr<TSubRec> Sub;           // 8
    int FileOwner = -1;                     // 9..13: -1 explorer, else inverter address
    int FileKind = flAll;

    int IndexInParent() const;
    TExplNode* AddChild(std::unique_ptr<TExplNode> n);
    TExplNode* InsertChild(int index, std::unique_ptr<TExplNode> n);
};

// Image of a group by its shortcut letter: a..z (any case) 9..34, else 35.
int ShortcutImage(char shortcut);
// Lower-case letter of a shortcut as the key that selects it.
char ShortcutKey(char shortcut);
// Node texts.
QString GroupNodeText(const TGrpRec& g, int lang);
QString ParaNodeText(const TParaRec& p, int lang);
// The next node in tree order (children first), or none.
TExplNode* NextNodeInOrder(TExplNode* n);
