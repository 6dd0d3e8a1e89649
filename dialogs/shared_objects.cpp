#include "dialogs/shared_objects.h"

TFMain* FMain = nullptr;
TProgCfg* ProgCfg = nullptr;
TVortalinPrj* Project = nullptr;
TVortalinText* LangTexts = nullptr;
TScheduler* Scheduler = nullptr;
TDragDrop* DragDrop = nullptr;
TVortalinClpBrd* ClpBrd = nullptr;
TWrkLists* WrkLists = nullptr;
std::array<QStringList, kButtonListCount> ButtonLists;
