#include "lists/list_print_job.h"

#include "dialogs/print_form.h"

void PrintListJob(TFrmvortalinprint& Print, const TListPrintJob& Job)
{
    if (!Print.BeginPrint(Job.DialogCaption, Job.Title, Job.Footer))
        return;
    for (const QString& l : Job.HeadLines)
        Print.PrintLine(l);
    for (int i = 0; i < int(Job.TabPercents.size()); ++i)
        Print.SetTabWidth(i, Job.TabPercents[i]);
    Print.SetHeader(Job.Header);
    Print.PrintList(&Job.Rows);
    Print.EndPrint();
}
