#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/codepage.h"

// Turns a result code into its language text; windows that show result codes
// receive it as their OnGetErrorText event (bound to TVortalinText::GetErrorText).
using TOnGetErrorText = std::function<QString(int code)>;

// The store of every user-visible text of a program, addressed by
// (section, index) and loaded once from a language file (".srb").
//
// File layout, little-endian: version (int16), the 14 characters
// "VORTALIN50_SRB", section count N (int32, clipped to 20), N absolute
// section offsets (int32). A section is an entry count (int32) followed by its
// entries; an entry is a line count (int16) followed by its lines; a line is
// one length byte and that many bytes of single-byte text.
//
// A lookup of a section the file does not define, or of an index outside its
// own section, gives nothing ("???" as text) rather than a neighbour's entry.
class TVortalinText {
public:
    static constexpr int MaxSections = 21;      // sections 0 to 20 are addressable
    static constexpr int MaxFileSections = 20;  // a file defines at most sections 0 to 19
    static constexpr char Magic[] = "VORTALIN50_SRB";
    static constexpr int MagicSize = 14;
    static constexpr int ErrorSection = 9;

    TVortalinText();
    ~TVortalinText();
    TVortalinText(const TVortalinText&) = delete;
    TVortalinText& operator=(const TVortalinText&) = delete;

    // The file format version this store accepts; the owner sets it to 5.
    int16_t Version() const { return version_; }
    void SetVersion(int16_t v) { version_ = v; }

    // Clears the store and loads the file; the lines are decoded with `cp`.
    // True when the file was read completely. After a failure the entries read
    // before it stay in the store.
    bool LoadFromFile(const QString& fileName, CodePage cp = CodePage::Cp1252);

    // The same from bytes already in memory.
    bool LoadFromBytes(const QByteArray& bytes, CodePage cp = CodePage::Cp1252);

    // The entry itself (owned by the store), or nullptr.
    const QStringList* GetStrings(int section, int index) const;

    // Line 0 of the entry, or "???".
    QString GetText(int section, int index) const;

    // The text of a result code from the first entry of section 9 ("n=text"
    // lines); "Error Code n" when there is none or it is empty.
    QString GetErrorText(int code) const;

    // Frees every entry; the section starts stay as they are.
    void Clear();

    // Number of entries the loaded file gave a section (0 when not defined).
    int SectionSize(int section) const;
    // Whether the loaded file defined the section (it may still be empty).
    bool HasSection(int section) const;
    // Entries of all sections.
    int Count() const { return static_cast<int>(entries_.size()); }

private:
    int16_t version_ = 0;
    std::vector<QStringList> entries_;
    std::array<int32_t, MaxSections> sectionStart_{};
    std::array<int32_t, MaxSections> sectionSize_{};
    std::array<bool, MaxSections> sectionDefined_{};
};

// Language codes of the program setting (0 English, 1 Deutsch, 2 Italiano,
// 3 Français, 4 Castellano, 5 Russian, 6 American); any other code is English.
namespace Language {

constexpr int Count = 7;

// The letter of the language and help files: e, d, i, f, s, r, a.
QChar Letter(int code);
// The name as listed in the options dialogs.
QString Name(int code);
// The code page of that language's texts (Windows-1251 for Russian).
CodePage CodePageOf(int code);
// "lngprog" + letter + ".srb" (main program) and "cp" + letter + ".srb"
// (Quintel program).
QString HalvornFileName(int code);
QString QuintelFileName(int code);

} // namespace Language
