#include "sheetwriter.h"

#include "zipwriter.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QHash>

namespace {

QString escaped(const QString &text) { return text.toHtmlEscaped(); }

QString number(double v) { return QString::number(v, 'g', 17); }

const QString kDeclaration = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n");
const QString kMainNs = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
const QString kPackageRels = QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");

QByteArray zipped(const QList<ZipWriter::Entry> &entries, SheetWriter::Zip zip)
{
    return zip == SheetWriter::Zip::Deflated ? ZipWriter::deflated(entries) : ZipWriter::stored(entries);
}

// Office Open XML's cell reference: column letters then the 1-based row.
QString cellName(int row, int column)
{
    QString letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row + 1);
}

// Days from 1899-12-30, the serial a spreadsheet stores for a date.
double serial(const QDateTime &when)
{
    const QDate origin(1899, 12, 30);
    return double(origin.daysTo(when.date())) + when.time().msecsSinceStartOfDay() / 86400000.0;
}

QByteArray xlsxSheet(const XlsWriter::Sheet &sheet, QHash<QString, int> &strings, QStringList &order)
{
    QString xml = kDeclaration + QStringLiteral("<worksheet xmlns=\"%1\"><sheetData>").arg(kMainNs);
    for (int r = 0; r < sheet.rows.size(); ++r) {
        xml += QStringLiteral("<row r=\"%1\">").arg(r + 1);
        const QVariantList &cells = sheet.rows[r];
        for (int c = 0; c < cells.size(); ++c) {
            const QVariant &v = cells[c];
            const QString at = QStringLiteral("<c r=\"%1\"").arg(cellName(r, c));
            switch (v.typeId()) {
            case QMetaType::UnknownType:
                break;
            case QMetaType::QString: {
                const QString text = v.toString();
                if (!strings.contains(text)) {
                    strings.insert(text, int(order.size()));
                    order << text;
                }
                xml += at + QStringLiteral(" t=\"s\"><v>%1</v></c>").arg(strings.value(text));
                break;
            }
            case QMetaType::Bool:
                xml += at + QStringLiteral(" t=\"b\"><v>%1</v></c>").arg(v.toBool() ? 1 : 0);
                break;
            case QMetaType::QDate:
                xml += at + QStringLiteral(" s=\"1\"><v>%1</v></c>").arg(number(serial(v.toDate().startOfDay())));
                break;
            case QMetaType::QDateTime:
                xml += at + QStringLiteral(" s=\"2\"><v>%1</v></c>").arg(number(serial(v.toDateTime())));
                break;
            case QMetaType::QVariantMap: {
                const QVariantMap f = v.toMap();
                const QVariant cached = f.value(QStringLiteral("value"));
                const bool text = cached.typeId() == QMetaType::QString;
                xml += at + (text ? QStringLiteral(" t=\"str\"") : QString()) + QStringLiteral("><f>")
                    + escaped(f.value(QStringLiteral("formula")).toString()) + QStringLiteral("</f><v>")
                    + (text ? escaped(cached.toString()) : number(cached.toDouble())) + QStringLiteral("</v></c>");
                break;
            }
            default:
                xml += at + QStringLiteral("><v>%1</v></c>").arg(number(v.toDouble()));
                break;
            }
        }
        xml += QStringLiteral("</row>");
    }
    xml += QStringLiteral("</sheetData></worksheet>");
    return xml.toUtf8();
}

QByteArray xlsx(bool macros, const QList<XlsWriter::Sheet> &sheets, SheetWriter::Zip zip)
{
    const QString main = macros ? QStringLiteral("application/vnd.ms-excel.sheet.macroEnabled.main+xml")
                                : QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");
    QString types = kDeclaration + QStringLiteral(
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/xl/workbook.xml\" ContentType=\"%1\"/>"
        "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
        "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>")
                        .arg(main);
    const QString relBase = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");
    QString workbook = kDeclaration
        + QStringLiteral("<workbook xmlns=\"%1\" xmlns:r=\"%2\"><sheets>").arg(kMainNs, relBase.chopped(1));
    QString rels = kDeclaration + QStringLiteral("<Relationships xmlns=\"%1\">").arg(kPackageRels);
    QList<ZipWriter::Entry> entries;
    QHash<QString, int> strings;
    QStringList order;
    for (int i = 0; i < sheets.size(); ++i) {
        const QString member = QStringLiteral("worksheets/sheet%1.xml").arg(i + 1);
        types += QStringLiteral("<Override PartName=\"/xl/%1\" ContentType=\"application/vnd.openxmlformats-"
                                "officedocument.spreadsheetml.worksheet+xml\"/>")
                     .arg(member);
        workbook += QStringLiteral("<sheet name=\"%1\" sheetId=\"%2\" r:id=\"rId%2\"/>")
                        .arg(escaped(sheets[i].name))
                        .arg(i + 1);
        rels += QStringLiteral("<Relationship Id=\"rId%1\" Type=\"%2worksheet\" Target=\"%3\"/>")
                    .arg(i + 1)
                    .arg(relBase, member);
        entries.append({QStringLiteral("xl/") + member, xlsxSheet(sheets[i], strings, order)});
    }
    types += QStringLiteral("</Types>");
    workbook += QStringLiteral("</sheets></workbook>");
    rels += QStringLiteral("<Relationship Id=\"rId%1\" Type=\"%2sharedStrings\" Target=\"sharedStrings.xml\"/>"
                           "<Relationship Id=\"rId%3\" Type=\"%2styles\" Target=\"styles.xml\"/></Relationships>")
                .arg(sheets.size() + 1)
                .arg(relBase)
                .arg(sheets.size() + 2);
    QString sst = kDeclaration + QStringLiteral("<sst xmlns=\"%1\">").arg(kMainNs);
    for (const QString &s : order)
        sst += QStringLiteral("<si><t xml:space=\"preserve\">") + escaped(s) + QStringLiteral("</t></si>");
    sst += QStringLiteral("</sst>");
    // Cell formats: 0 General, 1 the built-in date (14), 2 the built-in date and time (22).
    const QString styles = kDeclaration + QStringLiteral("<styleSheet xmlns=\"%1\">").arg(kMainNs) + QStringLiteral(
        "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
        "<fills count=\"1\"><fill><patternFill patternType=\"none\"/></fill></fills>"
        "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
        "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
        "<cellXfs count=\"3\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
        "<xf numFmtId=\"14\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
        "<xf numFmtId=\"22\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/></cellXfs>"
        "</styleSheet>");
    const QString rootRels = kDeclaration
        + QStringLiteral("<Relationships xmlns=\"%1\"><Relationship Id=\"rId1\" Type=\"%2officeDocument\" "
                         "Target=\"xl/workbook.xml\"/></Relationships>")
              .arg(kPackageRels, relBase);
    return zipped(QList<ZipWriter::Entry>{{QStringLiteral("[Content_Types].xml"), types.toUtf8()},
                                          {QStringLiteral("_rels/.rels"), rootRels.toUtf8()},
                                          {QStringLiteral("xl/workbook.xml"), workbook.toUtf8()},
                                          {QStringLiteral("xl/_rels/workbook.xml.rels"), rels.toUtf8()},
                                          {QStringLiteral("xl/sharedStrings.xml"), sst.toUtf8()},
                                          {QStringLiteral("xl/styles.xml"), styles.toUtf8()}}
                      + entries,
                  zip);
}

QString odsCell(const QVariant &v)
{
    const auto paragraph = [](const QString &text) {
        return QStringLiteral("<text:p>") + escaped(text) + QStringLiteral("</text:p></table:table-cell>");
    };
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return QStringLiteral("<table:table-cell/>");
    case QMetaType::QString:
        return QStringLiteral("<table:table-cell office:value-type=\"string\">") + paragraph(v.toString());
    case QMetaType::Bool:
        return QStringLiteral("<table:table-cell office:value-type=\"boolean\" office:boolean-value=\"%1\">")
                   .arg(v.toBool() ? QStringLiteral("true") : QStringLiteral("false"))
            + paragraph(v.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
    case QMetaType::QDate:
    case QMetaType::QDateTime: {
        const QString iso = v.typeId() == QMetaType::QDate ? v.toDate().toString(Qt::ISODate)
                                                           : v.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
        return QStringLiteral("<table:table-cell office:value-type=\"date\" office:date-value=\"%1\">").arg(iso)
            + paragraph(iso);
    }
    case QMetaType::QVariantMap: {
        const QVariantMap f = v.toMap();
        const QVariant cached = f.value(QStringLiteral("value"));
        const QString formula = QStringLiteral("table:formula=\"of:=") + escaped(f.value(QStringLiteral("formula")).toString())
            + u'"';
        if (cached.typeId() == QMetaType::QString)
            return QStringLiteral("<table:table-cell %1 office:value-type=\"string\" office:string-value=\"%2\">")
                       .arg(formula, escaped(cached.toString()))
                + paragraph(cached.toString());
        return QStringLiteral("<table:table-cell %1 office:value-type=\"float\" office:value=\"%2\">")
                   .arg(formula, number(cached.toDouble()))
            + paragraph(number(cached.toDouble()));
    }
    default:
        return QStringLiteral("<table:table-cell office:value-type=\"float\" office:value=\"%1\">").arg(number(v.toDouble()))
            + paragraph(number(v.toDouble()));
    }
}

QByteArray ods(const QList<XlsWriter::Sheet> &sheets, SheetWriter::Zip zip)
{
    QString content = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
        "xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\" office:version=\"1.2\">"
        "<office:body><office:spreadsheet>");
    for (const XlsWriter::Sheet &sheet : sheets) {
        content += QStringLiteral("<table:table table:name=\"%1\">").arg(escaped(sheet.name));
        for (const QVariantList &row : sheet.rows) {
            content += QStringLiteral("<table:table-row>");
            for (const QVariant &v : row)
                content += odsCell(v);
            content += QStringLiteral("</table:table-row>");
        }
        content += QStringLiteral("</table:table>");
    }
    content += QStringLiteral("</office:spreadsheet></office:body></office:document-content>");
    const QByteArray mimetype = "application/vnd.oasis.opendocument.spreadsheet";
    const QByteArray manifest =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" manifest:version=\"1.2\">"
        "<manifest:file-entry manifest:full-path=\"/\" manifest:media-type=\"" + mimetype + "\"/>"
        "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
        "</manifest:manifest>";
    // The mimetype entry comes first and uncompressed, so a reader can tell the type from
    // the archive's first bytes.
    return zipped({{QStringLiteral("mimetype"), mimetype},
                   {QStringLiteral("META-INF/manifest.xml"), manifest},
                   {QStringLiteral("content.xml"), content.toUtf8()}},
                  zip);
}

QByteArray csv(const QList<XlsWriter::Sheet> &sheets)
{
    QString out;
    for (const QVariantList &row : sheets.value(0).rows) {
        QStringList fields;
        for (const QVariant &v : row) {
            if (v.typeId() == QMetaType::QString)
                fields << u'"' + v.toString().replace(u'"', QStringLiteral("\"\"")) + u'"';
            else if (v.typeId() == QMetaType::QDate)
                fields << v.toDate().toString(Qt::ISODate);
            else if (v.isValid())
                fields << number(v.toDouble());
            else
                fields << QString();
        }
        out += fields.join(u',') + QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

} // namespace

QByteArray SheetWriter::write(Format format, const QList<XlsWriter::Sheet> &sheets, Zip zip)
{
    switch (format) {
    case Format::Ods: return ods(sheets, zip);
    case Format::Csv: return csv(sheets);
    default: return xlsx(format == Format::Xlsm, sheets, zip);
    }
}

bool SheetWriter::writeFile(const QString &path, Format format, const QList<XlsWriter::Sheet> &sheets, Zip zip)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(write(format, sheets, zip)) >= 0;
}

QString SheetWriter::suffix(Format format)
{
    static const char *const suffixes[] = {".xlsx", ".xlsm", ".ods", ".csv"};
    return QLatin1String(suffixes[int(format)]);
}
