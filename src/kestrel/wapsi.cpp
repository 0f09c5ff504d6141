#include "wapsi.h"

namespace wap {
namespace {

// WBXML global tokens.
constexpr char kEnd = 0x01;
constexpr char kStrI = 0x03;   // inline string, NUL-terminated
constexpr char kOpaque = char(0xC3);

// SI code page 0: tags (0x40 = has content, 0x80 = has attributes).
constexpr char kTagSi = 0x05 | 0x40;
constexpr char kTagIndication = char(0x06 | 0x40 | 0x80);

// SI attribute start tokens.
constexpr char kAttrActionNone = 0x05;   // action="signal-none"; low 06, medium 07, high 08, delete 09
constexpr char kAttrCreated = 0x0A;
constexpr char kAttrHref = 0x0B;
constexpr char kAttrHrefHttp = 0x0C;     // href="http://
constexpr char kAttrHrefHttpWww = 0x0D;  // href="http://www.
constexpr char kAttrHrefHttps = 0x0E;    // href="https://
constexpr char kAttrHrefHttpsWww = 0x0F; // href="https://www.
constexpr char kAttrSiId = 0x11;

QByteArray inlineString(const QString &text)
{
    QByteArray out;
    out.append(kStrI);
    out.append(text.toUtf8());
    out.append('\0');
    return out;
}

} // namespace

QByteArray encodeDate(const QDateTime &when)
{
    const QDateTime utc = when.toUTC();
    const int values[] = {utc.date().year() / 100, utc.date().year() % 100, utc.date().month(),
                          utc.date().day(), utc.time().hour(), utc.time().minute(), utc.time().second()};
    QByteArray out;
    for (const int v : values)
        out.append(char(((v / 10) << 4) | (v % 10)));
    while (!out.isEmpty() && out.back() == '\0')
        out.chop(1);
    return out;
}

QByteArray serviceIndication(const QString &url, const QString &text, SiAction action,
                             const QString &siId, const QDateTime &created)
{
    QByteArray out;
    out.append(0x02);       // WBXML 1.2
    out.append(0x05);       // public identifier: -//WAPFORUM//DTD SI 1.0//EN
    out.append(0x6A);       // charset UTF-8 (MIBenum 106)
    out.append('\0');       // empty string table
    out.append(kTagSi);
    out.append(kTagIndication);

    // The most common URL starts have tokens of their own; the rest is an inline string.
    struct Prefix { const char *text; char token; };
    static const Prefix kPrefixes[] = {
        {"https://www.", kAttrHrefHttpsWww}, {"http://www.", kAttrHrefHttpWww},
        {"https://", kAttrHrefHttps}, {"http://", kAttrHrefHttp},
    };
    char hrefToken = kAttrHref;
    QString rest = url;
    for (const Prefix &p : kPrefixes) {
        if (url.startsWith(QLatin1String(p.text), Qt::CaseInsensitive)) {
            hrefToken = p.token;
            rest = url.mid(int(qstrlen(p.text)));
            break;
        }
    }
    out.append(hrefToken);
    if (!rest.isEmpty())
        out.append(inlineString(rest));

    out.append(char(kAttrActionNone + int(action)));
    if (!siId.isEmpty()) {
        out.append(kAttrSiId);
        out.append(inlineString(siId));
    }
    if (created.isValid()) {
        const QByteArray date = encodeDate(created);
        out.append(kAttrCreated);
        out.append(kOpaque);
        out.append(char(date.size()));
        out.append(date);
    }
    out.append(kEnd);       // end of the indication's attributes
    if (!text.isEmpty())
        out.append(inlineString(text));
    out.append(kEnd);       // </indication>
    out.append(kEnd);       // </si>
    return out;
}

QByteArray wspPush(const QByteArray &body, int transactionId)
{
    // Headers: content type as a value-length (3) + well-known application/vnd.wap.sic
    // (0x2E | 0x80) + parameter charset (0x01 | 0x80) = utf-8 (106 | 0x80); then
    // X-Wap-Application-Id (0x2F | 0x80) = x-wap-application:wml.ua (0x04 | 0x80).
    static const char kHeaders[] = {0x03, char(0xAE), char(0x81), char(0xEA), char(0xAF), char(0x84)};
    QByteArray out;
    out.append(char(transactionId & 0xFF));
    out.append(0x06);       // PDU type: Push
    out.append(char(sizeof kHeaders)); // headers length (a uintvar; under 128 it is one octet)
    out.append(kHeaders, sizeof kHeaders);
    out.append(body);
    return out;
}

QByteArray wdpPortHeader()
{
    // IEI 05: application port addressing, 16-bit ports, destination first.
    QByteArray out;
    out.append(0x05);
    out.append(0x04);
    out.append(char(kPushPort >> 8));
    out.append(char(kPushPort & 0xFF));
    out.append(char(kSourcePort >> 8));
    out.append(char(kSourcePort & 0xFF));
    return out;
}

} // namespace wap
