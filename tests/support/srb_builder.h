#pragma once

// A language file (.srb) built byte by byte, independent of the product's
// tools, for tests that need texts of a known shape.

#include <QByteArray>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace qeltest {

// Sections are written in the order given, which need not be their number
// order; the offset table is filled in afterwards.
class SrbBuilder {
public:
    using Entry = std::vector<QByteArray>;  // lines; an empty vector is an entry without lines
    using Section = std::vector<Entry>;

    int16_t version = 5;
    QByteArray magic = "VORTALIN50_SRB";
    std::optional<int32_t> declaredCount;  // unset: the number of offsets written

    // Sections by number; `order` gives the order in the file.
    std::map<int, Section> sections;
    std::vector<int> order;

    // End offsets of each entry in file order (for the truncation test).
    std::vector<int> entryEnds;

    QByteArray build()
    {
        entryEnds.clear();
        const int tableCount = sections.empty() ? 0 : sections.rbegin()->first + 1;
        QByteArray out;
        put16(out, version);
        out += magic;
        put32(out, declaredCount.value_or(tableCount));
        const int tablePos = out.size();
        out += QByteArray(4 * tableCount, '\0');
        std::vector<int> fileOrder = order;
        if (fileOrder.empty())
            for (const auto& [num, s] : sections)
                fileOrder.push_back(num);
        for (int num : fileOrder) {
            set32(out, tablePos + 4 * num, out.size());
            const Section& s = sections.at(num);
            put32(out, int32_t(s.size()));
            for (const Entry& e : s) {
                put16(out, int16_t(e.size()));
                for (const QByteArray& line : e) {
                    out += char(line.size());
                    out += line;
                }
                entryEnds.push_back(out.size());
            }
        }
        return out;
    }

    static void put16(QByteArray& b, int16_t v)
    {
        b += char(v & 0xFF);
        b += char((v >> 8) & 0xFF);
    }
    static void put32(QByteArray& b, int32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b += char((uint32_t(v) >> (8 * i)) & 0xFF);
    }
    static void set32(QByteArray& b, int pos, int32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b[pos + i] = char((uint32_t(v) >> (8 * i)) & 0xFF);
    }
};

}  // namespace qeltest
