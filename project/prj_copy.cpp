// Copying a project with all its linked files into another folder.

#include "project/prj_paths.h"
#include "project/vortalin_prj.h"

#include <QFile>

#include <filesystem>
#include <system_error>

namespace {

namespace fs = std::filesystem;

fs::path toPath(const QString& name)
{
    return fs::path(QFile::encodeName(name).toStdString());
}

bool sameFile(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

}  // namespace

int TVortalinPrj::CopyPrj(bool ShowProgress)
{
    const QString target = askProjectFileName();
    if (target.isEmpty())
        return 1;
    const QString targetDir = PrjDirPart(target);

    // Sources in copy order: every entry's files, then the project's own.
    QStringList sources;
    int entryFiles = 0;
    for (int a = 0; a < kPrjInvCount; ++a)
        if (const TPrjInvRec* inv = GetInv(a))
            for (const QStringList* l : {&inv->WorkFiles, &inv->DownFiles, &inv->ScopeFiles, &inv->RemFiles})
                sources += *l;
    entryFiles = int(sources.size());
    for (const QStringList* l : {&WorkFiles, &DownFiles, &ScopeFiles, &RemFiles})
        sources += *l;

    // No target may replace a file the project is made of: neither its own
    // file nor a linked file (copying into the project's folder, or two
    // linked files of one name, would otherwise destroy one).
    std::vector<fs::path> protectedFiles;
    if (!FileName.isEmpty())
        protectedFiles.push_back(toPath(FileName));
    for (const QString& s : sources)
        protectedFiles.push_back(toPath(s));
    auto wouldReplaceSource = [&](const fs::path& t) {
        for (const fs::path& p : protectedFiles)
            if (sameFile(p, t))
                return true;
        return false;
    };

    IProgress* progress = ShowProgress ? &Progress() : nullptr;
    if (progress) {
        progress->Start(CopyPrjTitle, QString());
        progress->SetText(CopyPrjText);
        progress->SetMax(entryFiles);
        progress->SetPosition(0);
    }

    QStringList failures;
    if (wouldReplaceSource(toPath(target)) || SaveToFile(target, true) != 0)
        failures.append(PrjBaseName(target));

    std::vector<fs::path> written;
    int pos = 0;
    for (const QString& source : sources) {
        const fs::path from = toPath(source);
        const fs::path to = toPath(targetDir + PrjBaseName(source));
        bool ok = true;
        if (sameFile(from, to)) {
            // Already where the copy belongs.
        } else {
            bool taken = wouldReplaceSource(to);
            for (const fs::path& w : written)
                taken = taken || sameFile(w, to);
            std::error_code ec;
            ok = !taken && fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec;
            if (ok)
                written.push_back(to);
        }
        if (!ok)
            failures.append(PrjBaseName(source));
        if (progress)
            progress->SetPosition(++pos);
    }
    if (progress)
        progress->Finish();

    if (failures.isEmpty())
        return 0;
    failures.prepend(MsgCopyErrText);
    Interaction().Message(failures, OkButtons, QString(), pmiError, QString(), QString(), QString(),
                          0, 1);
    return 1;
}
