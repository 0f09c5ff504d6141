#pragma once

#include <QString>

// The characters that take two positions in a GSM default alphabet message: they are sent
// as an escape (0x1B) followed by their code in the extension table: form feed, ^ { } \ [ ~ ] |.
// The euro sign is in that table too; GsmCharCount tests it on its own.
QString BuildGsmExtensionChars();

// The length the operator sees for a GSM message: one per UTF-16 code unit, plus one for
// each euro sign or character of extensionChars. Characters the alphabet cannot represent
// still count one: the counter informs, it does not filter.
int GsmCharCount(const QString &text, const QString &extensionChars);

// The status bar texts of the character counter: "Char: 9/160" and "Char: 12/70".
QString gsmCounterText(int count);
QString unicodeCounterText(int count);

// The counter while the message has placeholders and the list carries columns: the longest
// personal text and its SMS parts, "Max: 187/160, 2 SMS".
QString personalCounterText(int count, bool unicode, int parts);
