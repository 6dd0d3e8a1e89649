#include "dialogs/shared_objects.h"

TFMain* FMain = nullptr;
TProgCfg* ProgCfg = nullptr;
TVortalinPrj* Project = nullptr;
TVortalinText* LangTexts = nullptr;
TScheduler* Scheduler = nullptr;
TDragDrop* DragDrop = nullptr;
std::array<QStringList, kButtonListCount> ButtonLists;
TOnSetPrgOpFuncs MainSetPrgOpFuncs;
TOnSetContextFuncs MainSetContextFuncs;
