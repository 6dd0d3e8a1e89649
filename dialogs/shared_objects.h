#pragma once

#include <QStringList>

#include <array>

// The objects shared by every window of the main program. The main window
// sets them when it is created and clears them when it is destroyed; a
// window reaches them here, without needing the main window's module.
class TFMain;
class TProgCfg;
class TVortalinPrj;
class TVortalinText;
class TScheduler;
class TDragDrop;
class TVortalinClpBrd;
class TWrkLists;

extern TFMain* FMain;
extern TProgCfg* ProgCfg;
extern TVortalinPrj* Project;
extern TVortalinText* LangTexts;
extern TScheduler* Scheduler;
extern TDragDrop* DragDrop;
// The internal clipboard and the work-list manager.
extern TVortalinClpBrd* ClpBrd;
extern TWrkLists* WrkLists;

// The five ready-made button lists of the message dialog, filled at
// start-up: 1 OK; 2 Yes, No; 3 text (0,10), Cancel; 4 Yes, No, Cancel;
// 5 the three download-list build choices. Index 0 is list 1.
inline constexpr int kButtonListCount = 5;
extern std::array<QStringList, kButtonListCount> ButtonLists;
// List n (1..5).
inline const QStringList& ButtonList(int n) { return ButtonLists[size_t(n - 1)]; }
