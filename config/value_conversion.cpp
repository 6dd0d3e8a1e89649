#include "config/value_conversion.h"

#include "config/cfg_records.h"

#include <QLocale>

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

unsigned char HexDisplay = 0;

namespace {

QChar& separatorRef()
{
    static QChar sep = [] {
        const QString dp = QLocale::system().decimalPoint();
        return dp == QStringLiteral(",") ? QChar(u',') : QChar(u'.');
    }();
    return sep;
}

const char16_t* const kUnits[64] = {
    u"", u"mm", u"cm", u"m", u"km", u"g", u"kg", u"us",
    u"ms", u"s", u"h", u"Nm", u"kNm", u"m/s", u"m/s2", u"m/s3",
    u"km/h", u"1/min", u"Hz", u"kHz", u"mV", u"V", u"kV", u"mW",
    u"W", u"kW", u"VA", u"kVA", u"mA", u"A", u"kA", u"\u00B0C",
    u"K", u"mOhm", u"Ohm", u"kOhm", u"Inc", u"%", u"KWh", u"mH",
    u"", u"", u"in", u"ft", u"yd", u"oz", u"lb", u"lbft",
    u"lbin", u"in/s", u"ft/s", u"ft/min", u"ft/s2", u"ft/s3", u"mph", u"hp",
    u"psi", u"\u00B0F", u"", u"", u"", u"", u"", u"",
};

// The 15 significant digits of x (x finite, not 0) and the decimal exponent
// of the first: x = d0.d1d2... * 10^exp.
void significantDigits(double x, QByteArray& digits, int& exp)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(x));
    // buf: d.dddddddddddddde[+-]xx
    digits.clear();
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits.append(*p);
    exp = *p == 'e' ? std::atoi(p + 1) : 0;
}

// General notation with 15 significant digits, no trailing zeros;
// scientific when the exponent is 15 or more or below -5.
QString generalText(double x)
{
    if (x == 0)
        return QStringLiteral("0");
    QByteArray d;
    int exp = 0;
    significantDigits(x, d, exp);
    while (d.size() > 1 && d.endsWith('0'))
        d.chop(1);
    const QChar sep = DecimalSeparator();
    QString s = x < 0 ? QStringLiteral("-") : QString();
    if (exp >= 15 || exp < -5) {
        s += QLatin1Char(d[0]);
        if (d.size() > 1)
            s += sep + QString::fromLatin1(d.mid(1));
        s += QLatin1Char('E') + QString::number(exp);
        return s;
    }
    if (exp < 0) {
        s += QLatin1Char('0') + sep + QString(-exp - 1, QLatin1Char('0')) + QString::fromLatin1(d);
        return s;
    }
    const int intDigits = exp + 1;
    QByteArray intPart = d.left(intDigits);
    while (intPart.size() < intDigits)
        intPart.append('0');
    s += QString::fromLatin1(intPart);
    if (d.size() > intDigits)
        s += sep + QString::fromLatin1(d.mid(intDigits));
    return s;
}

// Fixed notation: rounded to 15 significant digits, then to `decimals`
// decimals (halves away from zero).
QString fixedText(double x, int decimals)
{
    if (std::fabs(x) >= 1e15)
        return generalText(x);
    const QChar sep = DecimalSeparator();
    QByteArray intPart("0"), frac(decimals, '0');
    bool negative = x < 0;
    if (x != 0) {
        QByteArray d;
        int exp = 0;
        significantDigits(x, d, exp);
        // All digits as one number scaled to `decimals` decimals.
        const int keep = exp + 1 + decimals;  // digits left of the cut
        QByteArray kept;
        if (keep >= d.size()) {
            kept = d + QByteArray(keep - d.size(), '0');
        } else if (keep >= 0) {
            kept = d.left(keep);
            if (d[keep] >= '5') {
                int i = kept.size() - 1;
                for (; i >= 0; --i) {
                    if (kept[i] == '9') {
                        kept[i] = '0';
                    } else {
                        kept[i] = char(kept[i] + 1);
                        break;
                    }
                }
                if (i < 0)
                    kept.prepend('1');
            }
        }
        // kept holds the value * 10^decimals
        if (kept.size() < decimals + 1)
            kept.prepend(QByteArray(decimals + 1 - kept.size(), '0'));
        intPart = kept.left(kept.size() - decimals);
        frac = kept.right(decimals);
        int lead = 0;
        while (lead < intPart.size() - 1 && intPart[lead] == '0')
            ++lead;
        intPart = intPart.mid(lead);
        if (intPart == "0" && frac.count('0') == frac.size())
            negative = false;
    }
    QString s = negative ? QStringLiteral("-") : QString();
    s += QString::fromLatin1(intPart);
    if (decimals > 0)
        s += sep + QString::fromLatin1(frac);
    return s;
}

int hexDigitsForSize(uint32_t attr)
{
    switch (attr & ParaAttr::SizeMask) {
    case ParaAttr::Size8: return 2;
    case ParaAttr::Size16: return 4;
    default: return 8;
    }
}

QString dottedText(int32_t raw, uint32_t attr)
{
    const uint32_t u = static_cast<uint32_t>(raw);
    auto b = [u](int i) { return QString::number((u >> (8 * i)) & 0xFF); };
    switch (attr & ParaAttr::SizeMask) {
    case ParaAttr::Size32: return b(3) + '.' + b(2) + '.' + b(1) + '.' + b(0);
    case ParaAttr::Size16:
    case ParaAttr::Size32Short: return b(1) + '.' + b(0);
    default: return b(0);
    }
}

}  // namespace

QChar DecimalSeparator()
{
    return separatorRef();
}

void SetDecimalSeparator(QChar sep)
{
    separatorRef() = sep;
}

QString UnitText(int index)
{
    if (index < 0 || index > 63)
        return QString();
    return QString::fromUtf16(kUnits[index]);
}

QString TParaRec::ValueToNumText(int32_t raw, bool rawMode) const
{
    const QString error = QString::fromLatin1(kCalcErrorText);
    QString unit;
    if (!rawMode) {
        unit = UnitText(Format & 0x3F);
        if (!unit.isEmpty())
            unit.prepend(QLatin1Char(' '));
    }
    const int kind = rawMode ? 2 : (Format >> 6) & 3;
    const int display = rawMode ? 6 : (Format >> 8) & 0xF;

    // Raw + Offset wraps like the inverter's 32-bit arithmetic.
    const int32_t sum = static_cast<int32_t>(static_cast<uint32_t>(raw) + static_cast<uint32_t>(static_cast<int32_t>(Offset)));
    double x = 0;
    switch (kind) {
    case 0:
        if (Div == 0)
            return error;
        x = static_cast<double>(sum) * Mul / Div;
        break;
    case 1: {
        const double denom = static_cast<double>(sum) * Div;
        if (denom == 0)
            return error;
        x = Mul / denom;
        break;
    }
    default:
        x = raw;
        break;
    }
    if (!std::isfinite(x))
        return error;

    QString text;
    if (display <= 4) {
        text = fixedText(x, display);
    } else if (display == 5) {
        text = generalText(x);
    } else if (display == 7) {
        text = dottedText(raw, Attr);
    } else {
        const double t = std::trunc(x);
        if (t >= 9223372036854775808.0 || t < -9223372036854775808.0)
            return error;
        const auto v = static_cast<uint64_t>(static_cast<int64_t>(t));
        const int d = hexDigitsForSize(Attr);
        text = QStringLiteral("%1").arg(v, d, 16, QLatin1Char('0')).toUpper();
        if (text.size() > d && text.size() > 8)
            text = text.right(8);
        text += QLatin1Char('h');
    }
    return text + unit;
}

QString TParaRec::ValueToText(int32_t raw, int lang, QChar separator, bool showDec) const
{
    if (HexDisplay == 1)
        return ValueToNumText(raw, true);
    if (lang > 1)
        lang = 0;
    QString parts;
    if (PlainText) {
        for (const auto& def : PlainText->DefList) {
            const int32_t p = static_cast<int32_t>(static_cast<uint32_t>(raw) & def->Mask);
            bool matched = false;
            for (const auto& sub : def->SubList) {
                if (sub->Value != p)
                    continue;
                if (!parts.isEmpty())
                    parts += separator;
                parts += sub->GetName(lang);
                matched = true;
            }
            if (!matched && !(Flags & ParaFlag::NoNumFallback)) {
                if (!parts.isEmpty())
                    parts += separator;
                uint32_t value = static_cast<uint32_t>(p);
                uint32_t mask = def->Mask;
                for (int i = 0; i < 32 && !(mask & 1); ++i) {
                    value >>= 1;
                    mask >>= 1;
                }
                parts += ValueToNumText(static_cast<int32_t>(value), false);
                showDec = false;
            }
        }
    }
    if (parts.isEmpty())
        return ValueToNumText(raw, false);
    if (showDec && !(Flags & ParaFlag::NoDecPrefix))
        return QString::number(raw) + QStringLiteral(": ") + parts;
    return parts;
}

namespace {

std::optional<int32_t> roundToInt32(double v)
{
    if (!std::isfinite(v))
        return std::nullopt;
    const double r = std::nearbyint(v);  // default mode: halves to even
    if (r < -2147483648.0 || r > 2147483647.0)
        return std::nullopt;
    return static_cast<int32_t>(r);
}

std::optional<int32_t> parseInt32(const QString& s)
{
    bool ok = false;
    const qlonglong v = s.toLongLong(&ok, 10);
    if (!ok || v < INT32_MIN || v > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(v);
}

}  // namespace

bool TParaRec::TextToValue(const QString& input, int32_t& raw) const
{
    QString text = input;
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    if (blank >= 0)
        text.truncate(blank);
    text = text.toUpper().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("0");

    enum class Mode { Scaled, Dotted, Hex, DecInt };
    Mode mode = ((Format >> 8) & 0xF) == 7 ? Mode::Dotted : Mode::Scaled;
    if (text.endsWith(QLatin1Char('H')))
        mode = Mode::Hex;
    else if (text.endsWith(QLatin1Char('D')))
        mode = Mode::DecInt;

    const QChar sep = DecimalSeparator();
    QString scanned;
    for (QChar c : text) {
        bool allowed = false;
        if (c == QLatin1Char('.') && mode == Mode::Dotted) {
            allowed = true;
        } else {
            if (c == QLatin1Char('.') || c == QLatin1Char(','))
                c = sep;
            if (c == sep || c == QLatin1Char('-'))
                allowed = mode != Mode::Hex;
            else if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                allowed = true;
            else if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
                allowed = mode == Mode::Hex;
        }
        if (!allowed)
            break;
        scanned += c;
    }
    if (scanned.isEmpty())
        scanned = QStringLiteral("0");

    switch (mode) {
    case Mode::Hex: {
        bool ok = false;
        const qulonglong v = scanned.toULongLong(&ok, 16);
        if (!ok || v > 0xFFFFFFFFull)
            return false;
        uint32_t u = static_cast<uint32_t>(v);
        if ((Attr & ParaAttr::SizeMask) == ParaAttr::Size16 && (Attr & ParaAttr::Signed) && u > 0x7FFF)
            u |= 0xFFFF0000u;
        raw = static_cast<int32_t>(u);
        return true;
    }
    case Mode::Dotted: {
        const QStringList parts = scanned.split(QLatin1Char('.'));
        uint32_t sum = 0, weight = 1;
        for (qsizetype i = parts.size() - 1; i >= 0; --i) {
            const auto part = parseInt32(parts[i]);
            if (!part)
                return false;
            sum += static_cast<uint32_t>(*part) * weight;
            weight *= 256;
        }
        raw = static_cast<int32_t>(sum);
        return true;
    }
    case Mode::DecInt: {
        const auto v = parseInt32(scanned);
        if (!v)
            return false;
        raw = *v;
        return true;
    }
    case Mode::Scaled:
        break;
    }

    QString num = scanned;
    num.replace(sep, QLatin1Char('.'));
    // A number is digits with at most one point and an optional leading minus.
    int digits = 0, points = 0;
    for (qsizetype i = 0; i < num.size(); ++i) {
        const QChar c = num[i];
        if (c.isDigit())
            ++digits;
        else if (c == QLatin1Char('.'))
            ++points;
        else if (!(c == QLatin1Char('-') && i == 0))
            return false;
    }
    if (digits == 0 || points > 1)
        return false;
    bool ok = false;
    const double x = num.toDouble(&ok);
    if (!ok || !std::isfinite(x))
        return false;

    double v = 0;
    switch ((Format >> 6) & 3) {
    case 0:
        if (Mul == 0)
            return false;
        v = x * Div / Mul - Offset;
        break;
    case 1: {
        const double d = x * Div;
        if (d == 0)
            return false;
        v = Mul / d - Offset;
        break;
    }
    default:
        v = x;
        break;
    }
    const auto r = roundToInt32(v);
    if (!r)
        return false;
    raw = *r;
    return true;
}
