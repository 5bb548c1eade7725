#include "model/object_line.h"

namespace morlo {
namespace {

const QString kTxtKey = QStringLiteral("Txt=");
const QString kCommaMarker = QString::fromUtf16(kEscapedComma);

// Position just after the first "key=" in the line, or -1.
qsizetype ValueStart(const QString& line, const QString& keyWithEquals) {
    const qsizetype at = line.indexOf(keyWithEquals);
    return at < 0 ? -1 : at + keyWithEquals.size();
}

// Strict signed decimal: an optional sign and at least one ASCII digit, nothing else. The caller passes at
// most 8 characters, so the value always fits in 32 bits.
int ParseDecimal(QStringView text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size()) {
        return 0;
    }
    int value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') {
            return 0;
        }
        value = value * 10 + (c - u'0');
    }
    return negative ? -value : value;
}

QString WithoutLineBreaks(QString text) {
    for (QChar& c : text) {
        if (c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            c = u' ';
        }
    }
    return text;
}

} // namespace

int DecodeInt(const QString& line, const QString& key) {
    const qsizetype start = ValueStart(line, key + u'=');
    if (start < 0) {
        return 0;
    }
    QStringView value = QStringView(line).mid(start, 8);
    const qsizetype comma = value.indexOf(u',');
    if (comma >= 0) {
        value = value.left(comma);
    }
    return ParseDecimal(value);
}

QString DecodeStr(const QString& line, const QString& key) {
    if (key.isEmpty()) {
        const qsizetype comma = line.indexOf(u',');
        return comma < 0 ? QString() : line.left(comma);
    }
    const qsizetype start = ValueStart(line, key + u'=');
    if (start < 0) {
        return QString();
    }
    const qsizetype comma = line.indexOf(u',', start);
    return comma < 0 ? line.mid(start) : line.mid(start, comma - start);
}

QString ReplaceValue(const QString& line, const QString& keyWithEquals, const QString& value) {
    const qsizetype at = line.indexOf(keyWithEquals);
    if (at < 0) {
        return line;
    }
    const qsizetype comma = line.indexOf(u',', at);
    QString result = line.left(at);
    result += keyWithEquals;
    result += value;
    if (comma >= 0) {
        result += QStringView(line).mid(comma);
    }
    return result;
}

QString ReplaceValue(const QString& line, const QString& keyWithEquals, int value) {
    return ReplaceValue(line, keyWithEquals, QString::number(value));
}

QString EscapeText(const QString& text) {
    QString escaped = WithoutLineBreaks(text);
    escaped.replace(QChar(u','), kCommaMarker);
    return escaped;
}

QString UnescapeText(const QString& stored) {
    QString text = stored;
    text.replace(kCommaMarker, QStringLiteral(","));
    return text;
}

QString DecodeText(const QString& line) {
    return UnescapeText(DecodeStr(line, QStringLiteral("Txt")));
}

QString ReplaceText(const QString& line, const QString& text) {
    const qsizetype at = line.indexOf(kTxtKey);
    const QString head = at < 0 ? line + u',' : line.left(at);
    return head + kTxtKey + EscapeText(text);
}

QString FieldSafeText(const QString& text) {
    QString safe = WithoutLineBreaks(text);
    safe.replace(u',', u' ');
    return safe;
}

} // namespace morlo
