#pragma once
// The codec of object lines: one line of text per frame element, the kind name followed by ",Key=Value"
// fields. Readers never split a line; they search it for the first occurrence of "Key=" anywhere, so a key
// inside a longer key or inside an earlier value counts. Writers keep each kind's key order so that this
// lookup finds the right field (W before BorderW, FSize before AutoSize).

#include <QString>

namespace morlo {

// Marker that stands for a comma inside the escaped text of a Text line's Txt field.
inline constexpr char16_t kEscapedComma[] = u"=&#130;";

// Integer value of `key` (given without "="): at most the 8 characters after the first "key=", cut at a
// comma, read as a signed decimal number. 0 when the key is absent or the value is empty or not a number.
int DecodeInt(const QString& line, const QString& key);

// Text value of `key` (given without "=") up to the next comma or the end of the line; empty when absent.
// An empty key returns the kind: the text before the first comma, or empty when the line has no comma.
QString DecodeStr(const QString& line, const QString& key);

// The line with the value of the first occurrence of `keyWithEquals` (such as "X=") replaced by `value`,
// which is inserted unchanged. The fields after it are kept; a last field is replaced to the line's end.
// A line that does not hold the key is returned unchanged, so that a missing key never corrupts a line.
QString ReplaceValue(const QString& line, const QString& keyWithEquals, const QString& value);
QString ReplaceValue(const QString& line, const QString& keyWithEquals, int value);

// The stored form of a Text object's text: every comma becomes "=&#130;". Line breaks, which a line cannot
// hold, become spaces.
QString EscapeText(const QString& text);
// Reverse of EscapeText: every "=&#130;" becomes a comma.
QString UnescapeText(const QString& stored);

// The user's text of a Text line (its Txt field, unescaped).
QString DecodeText(const QString& line);
// A Text line whose text is `text`: everything before the first "Txt=" stays, "Txt=" and the escaped text
// replace the rest. A line without "Txt=" gets the field appended.
QString ReplaceText(const QString& line, const QString& text);

// `text` made fit for a raw text field (FName, FileName): commas and line breaks become spaces.
QString FieldSafeText(const QString& text);

} // namespace morlo
