#include "scope/scope_numbers.h"

#include <algorithm>
#include <limits>

bool ParseScopeInteger(const QString& Text, int32_t& Value)
{
    const QString t = Text.trimmed();
    int i = 0;
    const bool negative = t.startsWith(u'-');
    if (negative)
        i = 1;
    if (i >= t.size())
        return false;
    int64_t v = 0;
    constexpr int64_t cap = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c < u'0' || c > u'9')
            return false;
        v = std::min<int64_t>(v * 10 + (c.unicode() - u'0'), cap);
    }
    if (negative)
        v = -v;
    Value = int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                        std::numeric_limits<int32_t>::max()));
    return true;
}

QString CutToNumber(const QString& Text, bool AllowMinus)
{
    const QString t = Text.trimmed();
    int n = 0;
    while (n < t.size() && ((t[n] >= u'0' && t[n] <= u'9') || (AllowMinus && t[n] == u'-')))
        ++n;
    return n == 0 ? QStringLiteral("0") : t.left(n);
}

int32_t MakeStringToDecimal(const QString& Text)
{
    int32_t v = 0;
    return ParseScopeInteger(CutToNumber(Text, true), v) ? v : 0;
}
