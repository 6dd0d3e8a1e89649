// The language file reader (".srb") and every lookup on what it loaded.

#include "config/lang_texts.h"

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TVortalinText texts;
    texts.SetVersion(5);
    const CodePage cp = (size > 0 && (data[size - 1] & 1)) ? CodePage::Cp1251 : CodePage::Cp1252;
    texts.LoadFromBytes(qelfuzz::bytes(data, size), cp);
    for (int section = -1; section <= TVortalinText::MaxSections; ++section) {
        const int n = texts.SectionSize(section);
        for (int i = -1; i <= n; ++i) {
            texts.GetStrings(section, i);
            texts.GetText(section, i);
        }
    }
    for (int code : {-300, -11, -1, 0, 1, 6, 15, 100})
        texts.GetErrorText(code);
    return 0;
}
