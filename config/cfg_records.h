#pragma once

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// The description of one inverter type: groups, parameters with limits,
// flags and value conversion, and the plain-text tables that name the values
// of bit fields. Every list owns its entries; entries are held by shared_ptr
// so that a description handed out (a copied TParaRec keeps its PlainText,
// an inverter keeps its TCfgRec) stays valid after its list dropped it.

// Longest name, and longest ident text, a record keeps.
constexpr int kMaxNameLen = 47;
constexpr int kMaxIdTextLen = 4;

// Two names per record: 0 = language of the file or inverter, 1 = second
// language (.add file). A new record has both set to 47 blanks.
class TNames {
public:
    TNames();
    // 1 selects name 1, anything else name 0.
    const QString& Get(int lang) const { return name_[lang == 1 ? 1 : 0]; }
    // Cut to 47 characters.
    void Set(int lang, const QString& text);
    bool operator==(const TNames&) const = default;

private:
    std::array<QString, 2> name_;
};

// Ordered list of owned entries. GetItem of an index outside 0..Count-1
// gives none.
template <class T>
class TRecList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    T* GetItem(int index) const
    {
        return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)].get() : nullptr;
    }
    std::shared_ptr<T> GetShared(int index) const
    {
        return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)] : nullptr;
    }
    T* Add(std::shared_ptr<T> item)
    {
        items_.push_back(std::move(item));
        return items_.back().get();
    }
    T* AddNew() { return Add(std::make_shared<T>()); }
    void Delete(int index)
    {
        if (index >= 0 && index < Count())
            items_.erase(items_.begin() + index);
    }
    void Clear() { items_.clear(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

protected:
    std::vector<std::shared_ptr<T>> items_;
};

// One named value of a bit field.
class TSubRec {
public:
    int32_t Value = 0;  // already masked, not shifted
    uint8_t Attr = 0;   // bit 0: hidden in selection lists
    TNames Name;
    const QString& GetName(int lang) const { return Name.Get(lang); }
};

class TSubList : public TRecList<TSubRec> {
public:
    TSubRec* FindValue(int32_t value) const;
};

// One bit field of a plain-text table.
class TDefRec {
public:
    uint32_t Mask = 0;
    TNames Name;
    TSubList SubList;
    const QString& GetName(int lang) const { return Name.Get(lang); }
};

class TDefList : public TRecList<TDefRec> {
public:
    TDefRec* FindMask(uint32_t mask) const;
};

// One plain-text table.
class TPlainTextRec {
public:
    int16_t TextId = 0;  // compared as an unsigned 16-bit number
    TDefList DefList;    // empty when the file gives no definitions
};

class TPlainTextList : public TRecList<TPlainTextRec> {
public:
    TPlainTextRec* FindId(int id) const;
    std::shared_ptr<TPlainTextRec> FindIdShared(int id) const;
};

// Attribute word bits.
namespace ParaAttr {
constexpr uint32_t LevelMask = 0x07;
constexpr uint32_t SizeMask = 0xC0;
constexpr uint32_t Size8 = 0x00;
constexpr uint32_t Size16 = 0x40;
constexpr uint32_t Size32 = 0x80;
constexpr uint32_t Size32Short = 0xC0;  // 8 hex digits, 2 dotted parts
constexpr uint32_t Signed = 0x400;
constexpr uint32_t PerSet = 0x800;
constexpr uint32_t VarLowerLim = 0x3000;
constexpr uint32_t VarUpperLim = 0xC000;
constexpr uint32_t VarDefault = 0x40000;
}  // namespace ParaAttr

// Flag word bits.
namespace ParaFlag {
constexpr uint32_t KeypadWrite = 0x2;
constexpr uint32_t Visible = 0x4;
constexpr uint32_t BusWrite = 0x8;
constexpr uint32_t EnterNeeded = 0x30;
constexpr uint32_t NoNumFallback = 0x400;
constexpr uint32_t SelectorHeader = 0x800;
constexpr uint32_t DownloadWA = 0x1000;
constexpr uint32_t DownloadWO = 0x2000;
constexpr uint32_t NotInCompleteList = 0x4000;
constexpr uint32_t NoDecPrefix = 0x10000;
constexpr uint32_t DownloadRO = 0x20000;
constexpr uint32_t ConfirmWrite = 0x80000;
constexpr uint32_t IndexPara = 0x400000;
}  // namespace ParaFlag

// One parameter description.
class TParaRec {
public:
    TParaRec();

    int16_t Addr = 0;
    uint16_t TextId = 0;
    int32_t LowerLim = 0;
    int32_t UpperLim = 0;
    int32_t DefVal = 0;
    uint32_t Attr = 0;
    uint32_t Flags = 0;
    int16_t Mul = 0;
    int16_t Div = 1;
    int16_t Offset = 0;
    uint16_t Format = 0;
    std::shared_ptr<TPlainTextRec> PlainText;  // table with TextId, or none
    uint8_t DefCount = 0;
    TNames Name;

    const QString& GetName(int lang) const { return Name.Get(lang); }
    void SetName(int lang, const QString& text) { Name.Set(lang, text); }
    const QString& GetIdText() const { return idText_; }
    void SetIdText(const QString& text);  // cut to 4 characters
    // Every field, the PlainText reference and both names.
    void CopyTo(TParaRec& dest) const;

    // Value conversion (value_conversion.cpp).
    QString ValueToNumText(int32_t raw, bool rawMode) const;
    QString ValueToText(int32_t raw, int lang, QChar separator, bool showDec) const;
    bool TextToValue(const QString& text, int32_t& raw) const;

private:
    QString idText_;
};

class TParaList : public TRecList<TParaRec> {
public:
    // Addr compared sign-extended.
    TParaRec* FindAddr(int addr) const;
};

// One parameter group.
class TGrpRec {
public:
    uint8_t Index = 0;
    std::array<char, 2> IdChar{' ', ' '};  // single-byte letters as in the file
    char Shortcut = ' ';
    int16_t Prop = 0;  // bits 0-2 access level, bit 4 visible
    uint8_t MaxPara = 0;
    uint8_t LastPara = 0;
    int16_t BaseAddr = 0;
    TNames Name;
    TParaList ParaList;

    const QString& GetName(int lang) const { return Name.Get(lang); }
    // The two ident letters as text.
    QString IdText() const;
};

class TGrpList : public TRecList<TGrpRec> {
public:
    // First group whose BaseAddr (sign-extended) equals addr AND 0xFF00.
    TGrpRec* FindGroup(int addr) const;
    // Stable sort by Index.
    void SortByIndex();
};

// One configuration (one inverter type).
class TCfgRec {
public:
    TCfgRec();

    int32_t CfgId = 0;
    uint8_t NewStyle = 0;
    TGrpList GrpList;
    TPlainTextList PlainTexts;
    QString GroupName;
    QString TypeName;
    int16_t AccessParAdr = 0;
    int16_t SetPtrParAdr = 0;
    int16_t ActSetParAdr = 0;
    int16_t TypeParAdr = 0;
    int16_t FinishParAdr = 0;
    int32_t AccessValue = 0;
    int32_t TypeValue = 0;
    int32_t FinishValue = 0;
    uint8_t MaxSet = 0;
    int32_t QuintelCount = 0;
    int16_t QuintelSel = 0;
    int16_t QuintelBase = 0;
    int16_t ScopeBase = 0;
    QString FileName;
    QDateTime FileDate;

    // Group of the address first; then every parameter of every group.
    TParaRec* FindPara(int addr) const;
    const QString& GetTypeName() const { return TypeName; }

    // Writes the configuration file (cfg_file.cpp): 0 or the I/O error code.
    int SaveToFile(const QString& fileName);
    // Second-language names from an .add file (cfg_add_file.cpp).
    int LoadAddFile(const QString& fileName);
};
