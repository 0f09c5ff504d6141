#include "phonelistcsv.h"

#include "common/ansitext.h"
#include "common/csvline.h"
#include "common/error.h"
#include "common/errornumbers.h"
#include "common/text.h"

#include <QDir>

namespace {

[[noreturn]] void fail(const QString &path, int line, const QString &what)
{
    throw QuilloError(ErrorNumber::kFileIo,
                      QStringLiteral("%1, line %2: %3").arg(QDir::toNativeSeparators(path), QString::number(line), what),
                      QStringLiteral("Quillo"));
}

// The separator the heading uses most outside quotes, as the .csv import decides it.
QChar separatorOf(const QString &text)
{
    int commas = 0, semicolons = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (!quoted && (c == u'\r' || c == u'\n'))
            break;
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u',')
            ++commas;
        else if (!quoted && c == u';')
            ++semicolons;
    }
    return semicolons > commas ? u';' : u',';
}

} // namespace

QByteArray formatPhoneListCsv(const QStringList &numbers, const QList<RecipientFields> &fields)
{
    const QStringList names = fieldNames(fields);
    QStringList heading{kNumberHeading};
    for (const QString &name : names)
        heading << csvField(name, false);
    QString text = heading.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        QStringList record{csvField(numbers.at(i), true)};
        for (const QString &name : names)
            record << csvField(fieldValue(fields.value(i), name), true);
        text += record.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

CsvRecords parseListCsv(const QByteArray &bytes, const QString &path)
{
    QString text = decodeAnsiText(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QChar separator = separatorOf(text);
    QList<QStringList> records;
    int headingLine = 1;
    int line = 1;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text.at(i) == u'\r' || text.at(i) == u'\n') { // a blank line is no record
            i += text.mid(i, 2) == QLatin1String("\r\n") ? 2 : 1;
            ++line;
            continue;
        }
        QStringList record;
        const int recordLine = line;
        for (;;) {
            QString field;
            if (i < text.size() && text.at(i) == u'"') {
                const int opened = line;
                for (++i;; ++i) {
                    if (i >= text.size())
                        fail(path, opened, QStringLiteral("a quoted field is not closed"));
                    if (text.at(i) == u'"') {
                        if (i + 1 < text.size() && text.at(i + 1) == u'"') {
                            field += u'"';
                            ++i;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    line += text.at(i) == u'\n';
                    field += text.at(i);
                }
                if (i < text.size() && text.at(i) != separator && text.at(i) != u'\r' && text.at(i) != u'\n')
                    fail(path, line, QStringLiteral("text after the closing quote of a field"));
            } else {
                while (i < text.size() && text.at(i) != separator && text.at(i) != u'\r' && text.at(i) != u'\n') {
                    if (text.at(i) == u'"')
                        fail(path, line, QStringLiteral("a quote inside a field that is not quoted"));
                    field += text.at(i++);
                }
            }
            record << field;
            if (i < text.size() && text.at(i) == separator) {
                ++i;
                continue;
            }
            break;
        }
        if (i < text.size()) {
            i += text.mid(i, 2) == QLatin1String("\r\n") ? 2 : 1;
            ++line;
        }
        if (records.isEmpty())
            headingLine = recordLine;
        records << record;
    }
    CsvRecords out;
    if (records.isEmpty())
        return out;
    out.headingLine = headingLine;
    out.headings = records.takeFirst();
    for (qsizetype a = 0; a < out.headings.size(); ++a) {
        for (qsizetype b = 0; b < a; ++b) {
            if (trimSpaces(out.headings.at(a)).compare(trimSpaces(out.headings.at(b)), Qt::CaseInsensitive) == 0
                && !trimSpaces(out.headings.at(a)).isEmpty())
                fail(path, headingLine, QStringLiteral("columns %1 and %2 are both named \"%3\"")
                                  .arg(QString::number(b + 1), QString::number(a + 1), out.headings.at(a)));
        }
    }
    out.rows = records;
    return out;
}

void checkListCsv(const QString &path, const QString &numberColumn)
{
    const CsvRecords records = parseListCsv(readFileBytes(path), path);
    const QString wanted = trimSpaces(numberColumn);
    const bool found = std::any_of(records.headings.begin(), records.headings.end(), [&](const QString &heading) {
        return trimSpaces(heading).compare(wanted, Qt::CaseInsensitive) == 0;
    });
    if (!found)
        fail(path, records.headingLine, QStringLiteral("no column named \"%1\" for the phone numbers").arg(wanted));
}
