// The work-list reader (".wr5") and the trace-file reader (".trc") on
// arbitrary file bytes, and the row-line parser the paste of another
// program's clipboard text uses. What the work-list reader took is written
// back and read again: the rows and their numbers, the comments and the
// widths it found must come back, and a second write must give the same
// bytes as the first.

#include "config/vortalin_clpbrd.h"
#include "lists/wrk_list_file.h"

#include "fuzz_support.h"

namespace {

std::array<int, 6> widthsOf(const wrkfile::WrkFileContent& c)
{
    std::array<int, 6> w{};
    for (size_t i = 0; i < w.size(); ++i)
        w[i] = c.Widths[i].value_or(0);
    return w;
}

bool sameRows(const std::vector<std::shared_ptr<TWrkListItem>>& a,
              const std::vector<std::shared_ptr<TWrkListItem>>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i]->Inverter != b[i]->Inverter || a[i]->SetSel != b[i]->SetSel || a[i]->Address != b[i]->Address)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = qelfuzz::bytes(data, size);

    const wrkfile::WrkFileContent first = wrkfile::ReadWrkFile(bytes);
    if (first.Ok) {
        const QByteArray written = wrkfile::WrkFileBytes(widthsOf(first), first.Comments, first.Rows);
        const wrkfile::WrkFileContent again = wrkfile::ReadWrkFile(written);
        if (!again.Ok || !sameRows(first.Rows, again.Rows) || again.Comments.size() != first.Comments.size())
            __builtin_trap();
        for (size_t i = 0; i < first.Widths.size(); ++i) {
            if (first.Widths[i] && again.Widths[i] != first.Widths[i])
                __builtin_trap();
        }
        // Texts the code page cannot hold were replaced once; after that the
        // file is stable.
        if (wrkfile::WrkFileBytes(widthsOf(again), again.Comments, again.Rows) != written)
            __builtin_trap();
    }

    const wrkfile::TraceFileContent trace = wrkfile::ReadTraceFile(bytes);
    for (const auto& row : trace.Rows) {
        if (row->SetSel != -1)
            __builtin_trap();
    }

    for (const QString& line : SplitClipboardText(QString::fromUtf8(bytes))) {
        TWrkListItem row;
        if (wrkfile::ParseLine(line, row) && row.IsBlank() && (row.Inverter != -1 || row.SetSel != -1))
            __builtin_trap();
    }
    return 0;
}
