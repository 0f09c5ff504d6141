#include "optoutlist.h"

#include "common/ansitext.h"
#include "common/error.h"
#include "common/errornumbers.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// A list this long is no list of people: refusing it beats reading gigabytes into memory.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
// The warning names at most this many lines; a file of garbage says so in one line.
constexpr int kBadLinesNamed = 10;

// The number a line holds after its comment is cut off, or empty text.
QString numberOf(const QString &line, bool &bad)
{
    static const QRegularExpression kNumber(QStringLiteral("^\\+?[0-9 ().\\-]*[0-9][0-9 ().\\-]*$"));
    const QString content = line.section(QLatin1Char('#'), 0, 0).trimmed();
    bad = !content.isEmpty() && !kNumber.match(content).hasMatch();
    return bad ? QString() : content;
}

QuilloError fileError(const QString &what, const QString &path, const QuilloError &cause)
{
    return QuilloError(cause.number(),
                       QStringLiteral("%1 %2: %3").arg(what, QDir::toNativeSeparators(path), cause.description()),
                       QStringLiteral("Quillo"));
}

} // namespace

OptOutList::OptOutList(QString path, NumberNormaliser normaliser)
    : m_path(std::move(path)), m_normaliser(std::move(normaliser))
{
}

void OptOutList::load()
{
    m_lines.clear();
    m_keys.clear();
    m_badLines.clear();
    const QFileInfo file(m_path);
    if (!file.exists())
        return;
    if (file.size() > kMaxFileBytes)
        throw QuilloError(ErrorNumber::kOverflow,
                          QStringLiteral("The opt-out list %1 is larger than %2 MB")
                              .arg(QDir::toNativeSeparators(m_path)).arg(kMaxFileBytes / (1024 * 1024)),
                          QStringLiteral("Quillo"));
    QString text;
    try {
        text = decodeAnsiText(readFileBytes(m_path, kMaxFileBytes));
    } catch (const QuilloError &error) {
        throw fileError(QStringLiteral("Cannot read the opt-out list"), m_path, error);
    }
    if (text.startsWith(QChar(0xFEFF))) // the byte order mark some editors put first
        text.remove(0, 1);
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty()) // the end of the last line
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        bool bad = false;
        const QString number = numberOf(line, bad);
        if (bad)
            m_badLines.append(int(m_lines.size()) + 1);
        m_lines.append({line, number});
        addKey(number);
    }
}

void OptOutList::save() const
{
    QString text;
    for (const Line &line : m_lines)
        text += line.text + QStringLiteral("\r\n");
    try {
        writeFileBytes(m_path, text.toUtf8());
    } catch (const QuilloError &error) {
        throw fileError(QStringLiteral("Cannot write the opt-out list"), m_path, error);
    }
}

void OptOutList::addKey(const QString &number)
{
    if (const QString key = m_normaliser.key(number); !number.isEmpty() && !key.isEmpty())
        ++m_keys[key];
}

bool OptOutList::contains(const QString &number) const
{
    if (m_keys.isEmpty())
        return false;
    const QString key = m_normaliser.key(number);
    return !key.isEmpty() && m_keys.contains(key);
}

QStringList OptOutList::numbers() const
{
    QStringList numbers;
    for (const Line &line : m_lines)
        if (!line.number.isEmpty())
            numbers.append(line.number);
    return numbers;
}

OptOutList::Added OptOutList::add(const QString &number)
{
    bool bad = false;
    QString written = numberOf(number, bad);
    if (bad || written.isEmpty() || number.contains(QLatin1Char('#')))
        return Added::NotANumber;
    if (m_normaliser.isOn()) {
        written = m_normaliser.international(written);
        if (written.isEmpty())
            return Added::NotANumber;
    }
    if (contains(written))
        return Added::AlreadyListed;
    m_lines.append({written, written});
    addKey(written);
    return Added::Added;
}

int OptOutList::remove(const QString &number)
{
    const QString key = m_normaliser.key(number);
    if (key.isEmpty() || !m_keys.contains(key))
        return 0;
    int removed = 0;
    for (qsizetype i = m_lines.size() - 1; i >= 0; --i) {
        if (!m_lines.at(i).number.isEmpty() && m_normaliser.key(m_lines.at(i).number) == key) {
            m_lines.removeAt(i);
            ++removed;
        }
    }
    m_keys.remove(key);
    return removed;
}

QString OptOutList::badLinesWarning() const
{
    if (m_badLines.isEmpty())
        return {};
    QStringList named;
    for (qsizetype i = 0; i < m_badLines.size() && i < kBadLinesNamed; ++i)
        named.append(QString::number(m_badLines.at(i)));
    QString lines = named.join(QStringLiteral(", "));
    if (m_badLines.size() > kBadLinesNamed)
        lines += QStringLiteral(" and %1 more").arg(m_badLines.size() - kBadLinesNamed);
    return QStringLiteral("The opt-out list %1 has lines that are not phone numbers; they are left out:\r\n"
                          "line%2 %3")
        .arg(QDir::toNativeSeparators(m_path), m_badLines.size() == 1 ? QString() : QStringLiteral("s"), lines);
}
