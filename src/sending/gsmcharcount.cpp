#include "gsmcharcount.h"

#include <algorithm>
#include <array>

namespace {

constexpr char16_t kEuroSign = 0x20AC;

} // namespace

QString BuildGsmExtensionChars()
{
    return QStringLiteral("\f^{}\\[~]|");
}

int GsmCharCount(const QString &text, const QString &extensionChars)
{
    // A bitmap of the extension characters below U+0100 keeps the count one pass with a
    // table look-up, however long the text: the counter runs on every key stroke.
    std::array<bool, 256> doubled{};
    for (const QChar c : extensionChars) {
        if (c.unicode() < doubled.size())
            doubled[c.unicode()] = true;
    }
    const bool extensionBeyondLatin1 =
        std::any_of(extensionChars.begin(), extensionChars.end(), [](QChar c) { return c.unicode() >= 256; });

    int count = int(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code < doubled.size()) {
            count += doubled[code] ? 1 : 0;
        } else if (code == kEuroSign || (extensionBeyondLatin1 && extensionChars.contains(c))) {
            ++count;
        }
    }
    return count;
}

QString gsmCounterText(int count)
{
    return QStringLiteral("Char: %1/160").arg(count);
}

QString unicodeCounterText(int count)
{
    return QStringLiteral("Char: %1/70").arg(count);
}

QString personalCounterText(int count, bool unicode, int parts)
{
    // Short enough for the status bar panel, which is as wide as "Reading network info".
    return QStringLiteral("Max: %1/%2, %3 SMS").arg(count).arg(unicode ? 70 : 160).arg(parts);
}
