#include "messagesplitter.h"

#include "gsmalphabet.h"

namespace gsm {
namespace {

// One character as it goes on air: its encoded units (1 or 2 septets; 1 or 2 UTF-16 units).
struct Token
{
    QString text;
    QByteArray encoded;
    int cost = 1;
    bool isSpace = false;
};

QList<Token> tokenize(const QString &text, Coding coding)
{
    QList<Token> tokens;
    tokens.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        Token t;
        t.text = text.mid(i, 1);
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            t.text = text.mid(i++, 2);
        t.isSpace = t.text == QLatin1String(" ");
        if (coding == Coding::Gsm7) {
            t.encoded = toSeptets(t.text);
            t.cost = int(t.encoded.size());
        } else {
            for (const QChar ch : std::as_const(t.text)) {
                t.encoded.append(char(ch.unicode() >> 8));
                t.encoded.append(char(ch.unicode() & 0xFF));
            }
            t.cost = int(t.text.size());
        }
        tokens.append(t);
    }
    return tokens;
}

int totalCost(const QList<Token> &tokens, int from = 0)
{
    int cost = 0;
    for (int i = from; i < tokens.size(); ++i)
        cost += tokens.at(i).cost;
    return cost;
}

MessagePart makePart(const QList<Token> &tokens, int from, int to, const QList<Token> &prefix = {})
{
    MessagePart part;
    for (const Token &t : prefix) {
        part.userData.append(t.encoded);
        part.text.append(t.text);
    }
    for (int i = from; i < to; ++i) {
        part.userData.append(tokens.at(i).encoded);
        part.text.append(tokens.at(i).text);
    }
    return part;
}

// Tokens from `from` that fit in capacity units.
int fitEnd(const QList<Token> &tokens, int from, int capacity)
{
    int used = 0;
    int i = from;
    while (i < tokens.size() && used + tokens.at(i).cost <= capacity)
        used += tokens.at(i++).cost;
    return i;
}

QList<MessagePart> splitPlain(const QList<Token> &tokens, int capacity)
{
    QList<MessagePart> parts;
    int from = 0;
    while (from < tokens.size() && parts.size() < kMaxParts) {
        const int to = fitEnd(tokens, from, capacity);
        parts.append(makePart(tokens, from, to));
        from = to;
    }
    return parts;
}

// Parts broken after whole words, each led by "(i/n) ". n is found by trying: the prefix
// grows with n's digits, which can change how many parts are needed.
QList<MessagePart> splitFormatted(const QList<Token> &tokens, Coding coding, int capacity)
{
    int guess = 1;
    QList<MessagePart> parts;
    for (int attempt = 0; attempt < 6; ++attempt) {
        parts.clear();
        QList<QPair<int, int>> ranges;
        int from = 0;
        while (from < tokens.size() && from < tokens.size()) {
            while (from < tokens.size() && tokens.at(from).isSpace)
                ++from;
            if (from >= tokens.size())
                break;
            const QString prefix = QStringLiteral("(%1/%2) ").arg(ranges.size() + 1).arg(guess);
            const int room = capacity - int(prefix.size());
            int to = fitEnd(tokens, from, room);
            if (to < tokens.size() && !tokens.at(to).isSpace) {
                // Back up to the last space in the part; a single word longer than a part
                // is cut where the part is full.
                int back = to;
                while (back > from && !tokens.at(back - 1).isSpace)
                    --back;
                if (back > from)
                    to = back;
            }
            int end = to;
            while (end > from && tokens.at(end - 1).isSpace)
                --end;
            ranges.append({from, end});
            from = to;
            if (ranges.size() >= kMaxParts)
                break;
        }
        const int count = int(ranges.size());
        if (count == guess || attempt == 5) {
            for (int i = 0; i < count; ++i) {
                const QString prefix = QStringLiteral("(%1/%2) ").arg(i + 1).arg(count);
                parts.append(makePart(tokens, ranges.at(i).first, ranges.at(i).second, tokenize(prefix, coding)));
            }
            return parts;
        }
        guess = count;
    }
    return parts;
}

} // namespace

QList<MessagePart> splitMessage(const QString &text, Coding coding, LongMode mode, int concatReference)
{
    const QList<Token> tokens = tokenize(text, coding);
    const int single = coding == Coding::Gsm7 ? kSeptetsPerSms : kUcs2UnitsPerSms;

    if (totalCost(tokens) <= single || mode == LongMode::Truncate)
        return {makePart(tokens, 0, fitEnd(tokens, 0, single))};

    switch (mode) {
    case LongMode::Split:
        return splitPlain(tokens, single);
    case LongMode::Formatted:
        return splitFormatted(tokens, coding, single);
    case LongMode::Concatenate:
    default: {
        QList<MessagePart> parts = splitPlain(tokens, coding == Coding::Gsm7 ? kConcatSeptets : kConcatUcs2Units);
        const int total = int(parts.size());
        for (int i = 0; i < total; ++i) {
            // IEI 00: concatenated short message, 8-bit reference number.
            parts[i].header = QByteArray::fromRawData("\x00\x03", 2)
                              + QByteArray(1, char(concatReference & 0xFF))
                              + QByteArray(1, char(total)) + QByteArray(1, char(i + 1));
        }
        return parts;
    }
    }
}

} // namespace gsm
