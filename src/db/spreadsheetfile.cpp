#include "spreadsheetfile.h"

#include "common/error.h"
#include "csvsource.h"
#include "dberrors.h"
#include "excelsource.h"
#include "orcussource.h"

#include <QFile>
#include <QFileInfo>

namespace {

enum class Kind { Compound, Zip, Text, Unknown };

// An OpenDocument package starts with its uncompressed "mimetype" entry (name at byte
// 30, its text right after), which names the document type.
bool isOpenDocumentSpreadsheet(const QByteArray &head)
{
    return head.mid(30, 8) == "mimetype"
        && head.indexOf("application/vnd.oasis.opendocument.spreadsheet") >= 38;
}

QByteArray headOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(128) : QByteArray();
}

bool hasTextSuffix(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("csv") || suffix == QLatin1String("txt");
}

bool hasZipSuffix(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("xlsx") || suffix == QLatin1String("xlsm") || suffix == QLatin1String("ods");
}

Kind kindOf(const QString &path, const QByteArray &head)
{
    if (head.startsWith("\xD0\xCF\x11\xE0"))
        return Kind::Compound;
    if (head.startsWith("PK\x03\x04"))
        return Kind::Zip;
    if (hasTextSuffix(path))
        return Kind::Text;
    return Kind::Unknown;
}

} // namespace

bool SpreadsheetFile::needsProbe(const QString &path)
{
    return kindOf(path, headOf(path)) != Kind::Text;
}

SpreadsheetFile::Opened SpreadsheetFile::open(const QString &path)
{
    const QByteArray head = headOf(path);
    const std::string native = QFile::encodeName(path).toStdString();
    try {
        switch (kindOf(path, head)) {
        case Kind::Zip: {
            const auto format = isOpenDocumentSpreadsheet(head) ? OrcusSource::Format::Ods : OrcusSource::Format::Xlsx;
            return {std::make_unique<OrcusSource>(native, format), DbErrors::kSourceWorkbook};
        }
        case Kind::Text:
            return {std::make_unique<CsvSource>(path), DbErrors::kSourceText};
        case Kind::Unknown:
            if (hasZipSuffix(path))
                throw QuilloError(DbErrors::kOpenFailed,
                                  QStringLiteral("The file '%1' is not a valid %2 workbook: it is not a zip archive.")
                                      .arg(path, u'.' + QFileInfo(path).suffix().toLower()),
                                  DbErrors::kSourceWorkbook);
            [[fallthrough]];
        case Kind::Compound:
            return {std::make_unique<ExcelSource>(path), DbErrors::kSourceExcel};
        }
    } catch (const DbSourceError &e) {
        throw QuilloError(e.number(), QString::fromStdString(e.what()),
                          kindOf(path, head) == Kind::Text ? DbErrors::kSourceText : DbErrors::kSourceWorkbook);
    }
    return {};
}
