#include "calc/logic/calc_text.h"

#include <QString>
#include <QStringEncoder>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace zorvan {

namespace {

QStringEncoder shiftJisEncoder()
{
    return QStringEncoder("Shift_JIS", QStringEncoder::Flag::Stateless);
}

// Accepts: [+-] digits [. digits] | [+-] [digits] . digits, then optionally [eE] [+-] digits.
bool isNumberSyntax(std::string_view t)
{
    std::size_t i = 0;
    auto isDigit = [&](std::size_t k) { return k < t.size() && t[k] >= '0' && t[k] <= '9'; };
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (isDigit(i)) {
        ++i;
        ++digits;
    }
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (isDigit(i)) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            ++i;
        if (!isDigit(i))
            return false;
        while (isDigit(i))
            ++i;
    }
    return i == t.size();
}

// Whole number written in decimal, with a minus sign when negative and never "-0".
std::string wholeText(long double w)
{
    if (w == 0)
        return "0";
    if (std::fabs(w) < 9.2e18L)
        return std::to_string(static_cast<long long>(w));
    char buf[5000];
    auto r = std::to_chars(buf, buf + sizeof buf, w, std::chars_format::fixed, 0);
    return std::string(buf, r.ptr);
}

}  // namespace

std::string calcValueText(double v)
{
    if (v == 0 || !std::isfinite(v))
        return v == 0 ? "0" : (std::isnan(v) ? "NAN" : (v > 0 ? "INF" : "-INF"));
    // "d.dddddddddddddde±xx": the value rounded to 15 significant digits.
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
    std::string_view s(buf, r.ptr - buf);
    const bool negative = s.front() == '-';
    if (negative)
        s.remove_prefix(1);
    const std::size_t ePos = s.find('e');
    int exp10 = 0;
    std::string_view expText = s.substr(ePos + 1);
    if (!expText.empty() && expText.front() == '+')
        expText.remove_prefix(1);
    std::from_chars(expText.data(), expText.data() + expText.size(), exp10);
    std::string digits;
    digits += s[0];
    digits += s.substr(2, ePos - 2);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    const int e = exp10 + 1;  // v = 0.d1d2... x 10^e
    const int n = static_cast<int>(digits.size());
    if (e >= -3 && e <= 15) {
        if (e <= 0)
            out += "0." + std::string(-e, '0') + digits;
        else if (e >= n)
            out += digits + std::string(e - n, '0');
        else
            out += digits.substr(0, e) + "." + digits.substr(e);
    } else {
        out += digits[0];
        if (n > 1)
            out += "." + digits.substr(1);
        out += "E" + std::to_string(exp10);
    }
    return out;
}

std::optional<double> calcTextValue(std::string_view text)
{
    if (!isNumberSyntax(text))
        return std::nullopt;
    if (text.front() == '+')
        text.remove_prefix(1);
    const char* end = text.data() + text.size();
    double v = 0;
    auto r = std::from_chars(text.data(), end, v);
    if (r.ec == std::errc() && r.ptr == end)
        return v;
    if (r.ec != std::errc::result_out_of_range)
        return std::nullopt;
    // Out of the double range: read it wider to tell an overflow from an underflow.
    long double wide = 0;
    auto w = std::from_chars(text.data(), end, wide);
    if (w.ec != std::errc() || w.ptr != end)
        return std::nullopt;
    if (std::fabs(wide) > std::numeric_limits<double>::max())
        return std::nullopt;
    return static_cast<double>(wide);
}

std::string cutToShiftJisBytes(std::string_view utf8, std::size_t maxBytes)
{
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    QStringEncoder encoder = shiftJisEncoder();
    std::size_t bytes = 0;
    qsizetype kept = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray encoded = encoder.encode(text.mid(i, len));
        const std::size_t charBytes = encoded.isEmpty() ? 1 : static_cast<std::size_t>(encoded.size());
        if (bytes + charBytes > maxBytes)
            break;
        bytes += charBytes;
        i += len;
        kept = i;
    }
    return text.left(kept).toStdString();
}

std::string calcAngleText(double v)
{
    // The parts are computed wide, as the degrees-minutes-seconds split would lose digits of
    // the seconds otherwise.
    const long double value = v;
    const long double d = std::trunc(value);
    const long double x = (value - d) * 60;
    const long double m = std::trunc(x);
    const long double y = (x - m) * 60;
    const long double s = std::trunc(y);
    const double t = static_cast<double>((y - s) * 60);
    const std::string text = wholeText(d) + "\u00B0" + wholeText(m) + "\u2032" + wholeText(s)
        + "\u2033" + calcValueText(t);
    return cutToShiftJisBytes(text, 18);
}

std::string calcKeyBytes(std::string_view utf8Char)
{
    if (utf8Char.size() == 1)
        return std::string(utf8Char);
    QStringEncoder encoder = shiftJisEncoder();
    const QByteArray encoded = encoder.encode(
        QString::fromUtf8(utf8Char.data(), static_cast<qsizetype>(utf8Char.size())));
    if (encoder.hasError())
        return {};
    return encoded.toStdString();
}

}  // namespace zorvan
