#include "model/file_name_rules.h"

namespace morlo {

bool IsBareFileName(const QString& name) {
    if (name.isEmpty() || name == "." || name == "..")
        return false;
    if (name.toUtf8().size() > 255)
        return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0))
            return false;
        switch (u) {
        case '/':
        case '\\':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return false;
        default:
            break;
        }
    }
    return true;
}

QString WithoutCommas(const QString& name) {
    QString result = name;
    result.replace(QLatin1Char(','), QLatin1Char('_'));
    return result;
}

} // namespace morlo
