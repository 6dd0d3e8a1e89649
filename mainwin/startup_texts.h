#pragma once

class TfrmOptDlg;
class TVortalinText;

// The options dialog's texts from the language texts, and its language
// lists (start-up).
void PushOptDlgTexts(TfrmOptDlg& Dlg, const TVortalinText& Texts);
