// Fuzz target of the object-line codec: nothing crashes, a replaced value reads back, escaped texts round
// trip. Input: a line, a key, a value and a text drawn from an alphabet of the codec's special characters.

#include "fuzzers/fuzz_input.h"
#include "model/object_line.h"

namespace {

using morlo::fuzz::FuzzInput;

bool hasLineBreak(const QString& text) {
    for (const QChar c : text)
        if (c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return true;
    return false;
}

} // namespace

extern "C" int MORLO_FUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const QString line = input.text(200);
    const QString key = input.text(6);
    const QString value = input.text(20);
    const QString text = input.text(60);
    const int number = input.upTo(19999998) - 9999999; // every value that fits the 8 characters read

    const QString keyWithEquals = key + u'=';
    const int decoded = morlo::DecodeInt(line, key);
    FUZZ_CHECK(decoded >= -9999999 && decoded <= 99999999);
    const QString field = morlo::DecodeStr(line, key);
    FUZZ_CHECK(key.isEmpty() || !field.contains(u','));

    const QString replaced = morlo::ReplaceValue(line, keyWithEquals, value);
    const bool usableKey = !key.isEmpty() && !key.contains(u',');
    if (!line.contains(keyWithEquals)) {
        FUZZ_CHECK(replaced == line);
    } else if (usableKey && !value.contains(u',')) {
        FUZZ_CHECK(morlo::DecodeStr(replaced, key) == value);
        // The fields after the replaced one are kept.
        const qsizetype comma = line.indexOf(u',', line.indexOf(keyWithEquals));
        FUZZ_CHECK(comma < 0 || replaced.endsWith(QStringView(line).mid(comma)));
    }
    if (usableKey && line.contains(keyWithEquals))
        FUZZ_CHECK(morlo::DecodeInt(morlo::ReplaceValue(line, keyWithEquals, number), key) == number);

    const QString escaped = morlo::EscapeText(text);
    FUZZ_CHECK(!escaped.contains(u',') && !hasLineBreak(escaped));
    const QString unescaped = morlo::UnescapeText(escaped);
    const QString marker = QString::fromUtf16(morlo::kEscapedComma);
    if (!text.contains(marker) && !hasLineBreak(text)) {
        FUZZ_CHECK(unescaped == text);
        FUZZ_CHECK(morlo::DecodeText(morlo::ReplaceText(line, text)) == text);
    }
    const QString safe = morlo::FieldSafeText(text);
    FUZZ_CHECK(!safe.contains(u',') && !hasLineBreak(safe) && safe.size() == text.size());
    return 0;
}
