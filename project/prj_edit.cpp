// The project dialog's filling and applying (TVortalinPrj::EditPrj).

#include "project/prj_edit_rows.h"
#include "project/vortalin_prj.h"

#include "comm/prot_sel.h"
#include "comm/scheduler.h"

TPrjEditRows& TVortalinPrj::PrjEdit()
{
    if (!prjEdit_)
        prjEdit_ = std::make_shared<TPrjEditRows>();
    return *prjEdit_;
}

void TVortalinPrj::EditPrj(int Page)
{
    TPrjEditRows& rows = PrjEdit();
    rows.SetInteraction(&Interaction());
    rows.Fill(*this, Page);
    if (Interaction().EditPrj(rows))
        ApplyPrjEdit(rows);
    // The copies go whether confirmed or cancelled.
    rows.Clear();
}

void TVortalinPrj::ApplyPrjEdit(const TPrjEditRows& Rows)
{
    auto stopScheduler = [this] {
        if (TScheduler* s = scheduler())
            s->SetActive(false);
    };

    // 1. General data. An interval outside the field's range (a hand-edited
    // file) stays unless the user changed the field.
    if (Rows.PrjName != PrjName) {
        PrjName = Rows.PrjName;
        PendingChanges |= pcGeneral;
    }
    if (Rows.WatchInterval != Rows.ShownInterval && Rows.WatchInterval != WatchInterval()) {
        SetWatchInterval(Rows.WatchInterval);
        PendingChanges |= pcGeneral;
    }
    if (Rows.Remarks != PrjRemarks()) {
        SetPrjRemarks(Rows.Remarks);
        PendingChanges |= pcGeneral;
    }

    // 2. The files of the project as a whole.
    const std::array<QStringList*, kPrjFileKinds> own{&WorkFiles, &DownFiles, &ScopeFiles, &RemFiles};
    for (int k = 0; k < kPrjFileKinds; ++k) {
        QStringList paths;
        for (const TPrjFileRow& r : Rows.Files[size_t(k)])
            if (r.Adr == -1)
                paths << r.Path();
        if (paths != *own[size_t(k)]) {
            *own[size_t(k)] = paths;
            PendingChanges |= pcFiles;
        }
    }

    // 3a. Names and protocols of the entries the rows land on, before any
    // addition or configuration switch: a switch reads from the inverter
    // with the new protocol, and a former Zelk inverter whose row became
    // DIN is no longer taken for a second Zelk one.
    for (const TPrjInvRow& row : Rows.Inverters) {
        const TPrjInvRec& c = *row.Copy;
        TPrjInvRec* e = GetInv(c.InvAdr);
        if (!e)
            continue;
        if (c.Name != e->Name) {
            e->SetName(c.Name);
            PendingChanges |= pcInvName;
        }
        if (c.Prot != e->Prot) {
            e->Prot = c.Prot;
            if (OnInvProtChanged)
                OnInvProtChanged(this, c.InvAdr, c.Prot);
        }
    }

    // 3b. Configurations, additions and files.
    for (const TPrjInvRow& row : Rows.Inverters) {
        const TPrjInvRec& c = *row.Copy;
        const int a = c.InvAdr;
        if (TPrjInvRec* e = GetInv(a)) {
            // An entry's number is only what a switch attached. The row's own
            // entry switches only to a number the user gave in this run; an
            // entry the row lands on (new or moved row) takes the row's.
            const bool ownEntry = row.FromProject && row.OrigAdr == a;
            int target = 0;
            if (ownEntry) {
                if (row.NumberGiven && c.PrjCfgId != 0 && c.PrjCfgId != e->CfgId)
                    target = c.PrjCfgId;
            } else {
                const int t = c.PrjCfgId != 0 ? c.PrjCfgId : c.CfgId;
                if (t != 0 && t != e->CfgId)
                    target = t;
            }
            if (target != 0) {
                stopScheduler();
                const int r = ChangeCfgId(a, target);
                if (r >= 0 && (e = GetInv(a)) != nullptr) {
                    e->CfgId = r;
                    e->PrjCfgId = c.PrjCfgId != 0 ? r : 0;
                    PendingChanges |= pcInvAdded;
                }
            } else {
                e->PrjCfgId = c.PrjCfgId;
            }
        } else {
            stopScheduler();
            if (c.Prot == prZelk) {
                // Only an entry no row holds any more; its row would keep it.
                for (int b = 0; b < kPrjInvCount; ++b) {
                    const TPrjInvRec* z = GetInv(b);
                    if (z && b != a && z->Prot == prZelk && Rows.FindInv(b) < 0)
                        RemoveInv(b);
                }
            }
            AddInv(a, c.PrjCfgId, c.Name, c.Prot, false);
            PendingChanges |= pcInvAdded;
        }
        if (TPrjInvRec* e = GetInv(a)) {
            e->WorkFiles = c.WorkFiles;
            e->DownFiles = c.DownFiles;
            e->ScopeFiles = c.ScopeFiles;
            e->RemFiles = c.RemFiles;
            PendingChanges |= pcFiles;
        }
    }

    // 4. Entries without a row (removed, or moved to another address).
    for (int a = 0; a < kPrjInvCount; ++a)
        if (GetInv(a) && Rows.FindInv(a) < 0)
            RemoveInv(a);

    // 5. What changed is reported once.
    if (PendingChanges) {
        Modified = true;
        FirePendingChanges();
    }
}
