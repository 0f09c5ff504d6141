// The HTML manual: well-formed pages, no broken links or pictures, every page reachable from
// the index, the troubleshooting page explains every error number the modem driver can show,
// and the build puts a current copy beside the program.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include "kestrel/kestrelerrors.h"

namespace {

const QDir kHelp(QStringLiteral(QUILLO_HELP_SOURCE_DIR));

struct Page
{
    QString name;
    QString title;
    QSet<QString> ids;
    QStringList references; // href and src values, as written
    QString error;          // empty when the page parses
};

// Pages are written as well-formed XHTML, so an XML reader finds unclosed elements.
Page readPage(const QString &name)
{
    Page page{name};
    QFile file(kHelp.filePath(name));
    if (!file.open(QIODevice::ReadOnly)) {
        page.error = QStringLiteral("cannot open");
        return page;
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (attributes.hasAttribute(QStringLiteral("id")))
            page.ids << attributes.value(QStringLiteral("id")).toString();
        for (const char *kind : {"href", "src"})
            if (attributes.hasAttribute(QLatin1String(kind)))
                page.references << attributes.value(QLatin1String(kind)).toString();
        if (xml.name() == QStringLiteral("title"))
            page.title = xml.readElementText();
    }
    if (xml.hasError())
        page.error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    return page;
}

QList<Page> allPages()
{
    QList<Page> pages;
    for (const QString &name : kHelp.entryList({QStringLiteral("*.htm")}, QDir::Files, QDir::Name))
        pages << readPage(name);
    return pages;
}

const Page *findPage(const QList<Page> &pages, const QString &name)
{
    for (const Page &page : pages)
        if (page.name == name)
            return &page;
    return nullptr;
}

bool isExternal(const QString &reference)
{
    return reference.startsWith(QStringLiteral("http:")) || reference.startsWith(QStringLiteral("https:"))
           || reference.startsWith(QStringLiteral("mailto:"));
}

} // namespace

// Every page parses and is titled; every link and picture resolves, anchors included; every
// page is reachable from the index and leads back to it.
TEST(HelpManual, PagesAreWellFormedLinkedAndReachable)
{
    const QList<Page> pages = allPages();
    ASSERT_NE(findPage(pages, QStringLiteral("index.htm")), nullptr);
    ASSERT_GE(pages.size(), 8) << "the manual covers start, settings, message, list, sending, logs, modem "
                                  "check and troubleshooting";
    QSet<QString> reached{QStringLiteral("index.htm")};
    QStringList queue{QStringLiteral("index.htm")};
    while (!queue.isEmpty()) {
        for (const QString &reference : findPage(pages, queue.takeFirst())->references) {
            const QString file = QUrl(reference).path();
            if (file.endsWith(QStringLiteral(".htm")) && findPage(pages, file) && !reached.contains(file)) {
                reached << file;
                queue << file;
            }
        }
    }
    for (const Page &page : pages) {
        SCOPED_TRACE(page.name.toStdString());
        EXPECT_TRUE(page.error.isEmpty()) << page.error.toStdString();
        EXPECT_TRUE(page.title.startsWith(QStringLiteral("Quillo Help")));
        EXPECT_TRUE(reached.contains(page.name)) << "cannot be reached";
        EXPECT_TRUE(page.name == QStringLiteral("index.htm") || page.references.contains(QStringLiteral("index.htm")))
            << "no way back to the contents";
        for (const QString &reference : page.references) {
            if (isExternal(reference))
                continue;
            const QUrl url(reference);
            const QString file = url.path().isEmpty() ? page.name : url.path();
            EXPECT_TRUE(QFileInfo::exists(kHelp.filePath(file))) << "missing file " << reference.toStdString();
            if (url.hasFragment()) {
                const Page *target = findPage(pages, file);
                EXPECT_TRUE(target && target->ids.contains(url.fragment())) << "missing anchor " << reference.toStdString();
            }
        }
    }
}

TEST(HelpManual, TroubleshootingExplainsTheModemErrorNumbers)
{
    const Page page = readPage(QStringLiteral("troubleshooting.htm"));
    ASSERT_TRUE(page.error.isEmpty()) << page.error.toStdString();
    // Every number the driver describes: +CME ERROR, +CMS ERROR and its own.
    QList<int> numbers;
    for (int number = 0; number < 10000; ++number)
        if (kestrel::errorDescription(number) != QStringLiteral("Unknown error %1").arg(number))
            numbers << number;
    ASSERT_GT(numbers.size(), 80);
    for (int number : numbers)
        EXPECT_TRUE(page.ids.contains(QStringLiteral("e%1").arg(number)))
            << "error " << number << " is not explained";
}

TEST(HelpManual, BuildCopiesTheCurrentManualBesideTheProgram)
{
    const QDir copy(QStringLiteral(QUILLO_BUILD_DIR) + QStringLiteral("/bin/help"));
    const QStringList files = kHelp.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString &name : files) {
        QFile source(kHelp.filePath(name));
        QFile copied(copy.filePath(name));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        ASSERT_TRUE(copied.open(QIODevice::ReadOnly)) << name.toStdString() << " not copied";
        EXPECT_EQ(source.readAll(), copied.readAll()) << name.toStdString() << " is out of date";
    }
}
