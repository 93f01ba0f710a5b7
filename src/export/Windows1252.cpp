#include "export/Windows1252.h"

namespace {

// The set's bytes 0x80 to 0x9F; 0 marks the five it leaves undefined. Every other
// byte stands for the Unicode character of the same number.
constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char byteFor(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] != 0 && kHigh[i] == c)
            return char(0x80 + i);
    return '?';
}

} // namespace

void AppendWindows1252(QByteArray& out, QStringView text) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ch = text[i];
        if (ch.unicode() < 0x80) {
            out.append(char(ch.unicode()));
        } else if (ch.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            // One character outside the basic plane: one '?'.
            out.append('?');
            ++i;
        } else {
            out.append(byteFor(ch.unicode()));
        }
    }
}

QString FromWindows1252(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (const char b : bytes) {
        const auto u = uchar(b);
        *d++ = QChar(u >= 0x80 && u < 0xA0 && kHigh[u - 0x80] != 0 ? kHigh[u - 0x80] : char16_t(u));
    }
    return out;
}
