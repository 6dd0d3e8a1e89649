#pragma once

class TfrmOptDlg;
class TPrjEditRows;
class TVortalinText;

// The options dialog's texts from the language texts, and its language
// lists (start-up).
void PushOptDlgTexts(TfrmOptDlg& Dlg, const TVortalinText& Texts);
// The project dialog's texts (start-up).
void PushPrjEditTexts(TPrjEditRows& Dlg, const TVortalinText& Texts);
