// The project file reader (".pr5") on a project whose selector has every
// address offline and whose interaction declines every question; the
// sample configurations are its configuration folder.

#include "comm/prot_sel.h"
#include "project/vortalin_prj.h"

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qelfuzz::app();
    static TProtSel* sel = new TProtSel;
    const QString path = qelfuzz::writeScratch(QStringLiteral("project.pr5"), data, size);
    TVortalinPrj prj;
    prj.ProtSel = sel;
    prj.BinPath = QStringLiteral(QEL_FUZZ_DATA_DIR "/configs/");
    prj.LoadFromFile(path);
    return 0;
}
