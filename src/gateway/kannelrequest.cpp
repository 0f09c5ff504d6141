#include "kannelrequest.h"

#include <QHash>
#include <QUrlQuery>

namespace kannel {

namespace {

// The options every request carries, as (name, value) in sendsms' own names; POST moves
// them into X-Kannel headers.
QList<QPair<QString, QString>> options(const KannelRoute &route, const KannelMessage &message)
{
    QList<QPair<QString, QString>> list{{QStringLiteral("username"), route.user},
                                        {QStringLiteral("password"), route.password},
                                        {QStringLiteral("to"), message.to}};
    if (!route.sender.isEmpty())
        list.append({QStringLiteral("from"), route.sender});
    if (!route.smscId.isEmpty())
        list.append({QStringLiteral("smsc"), route.smscId});
    // Kannel turns the UTF-8 text into the GSM alphabet for coding 0, and into UCS2 for 2.
    list.append({QStringLiteral("coding"), message.ucs2 ? QStringLiteral("2") : QStringLiteral("0")});
    if (message.flash)
        list.append({QStringLiteral("mclass"), QStringLiteral("0")});
    if (route.validityMinutes > 0)
        list.append({QStringLiteral("validity"), QString::number(route.validityMinutes)});
    if (route.priority >= 0)
        list.append({QStringLiteral("priority"), QString::number(route.priority)});
    if (!message.dlrUrl.isEmpty()) {
        list.append({QStringLiteral("dlr-mask"), QString::number(kReportMask)});
        list.append({QStringLiteral("dlr-url"), message.dlrUrl});
    }
    return list;
}

QByteArray headerName(const QString &option)
{
    // X-Kannel-Username, X-Kannel-DLR-Mask, X-Kannel-SMSC, X-Kannel-MClass ...
    static const QHash<QString, QByteArray> special{{QStringLiteral("dlr-mask"), "DLR-Mask"},
                                                    {QStringLiteral("dlr-url"), "DLR-URL"},
                                                    {QStringLiteral("smsc"), "SMSC"},
                                                    {QStringLiteral("mclass"), "MClass"}};
    QByteArray name = special.value(option);
    if (name.isEmpty()) {
        name = option.toLatin1();
        name[0] = char(QChar::toUpper(name[0]));
    }
    return "X-Kannel-" + name;
}

} // namespace

HttpRequest buildRequest(const KannelRoute &route, const KannelMessage &message)
{
    HttpRequest request;
    request.url = route.sendsmsUrl;
    request.post = route.post;
    const auto list = options(route, message);
    if (!route.post) {
        // Built by hand: every value percent-encoded, '+' of an international number too.
        QByteArray query = route.sendsmsUrl.query(QUrl::FullyEncoded).toLatin1();
        const auto add = [&](const QString &name, const QString &value) {
            if (!query.isEmpty())
                query += '&';
            query += name.toLatin1() + '=' + QUrl::toPercentEncoding(value);
        };
        for (const auto &[name, value] : list)
            add(name, value);
        add(QStringLiteral("charset"), QStringLiteral("UTF-8"));
        add(QStringLiteral("text"), message.text);
        request.url.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
        return request;
    }
    request.body = message.text.toUtf8();
    request.headers.append({QByteArray("Content-Type"), QByteArray("text/plain; charset=UTF-8")});
    for (const auto &[name, value] : list)
        request.headers.append({headerName(name), value.toUtf8()});
    return request;
}

Answer readAnswer(int httpStatus, const QByteArray &body)
{
    const QString text = QString::fromUtf8(body).trimmed();
    if (httpStatus == 202 || httpStatus == 200) {
        // "3: Queued for later delivery" when the SMSC is down or full; "0: Accepted for
        // delivery" or, with immediate replies, "Sent."
        if (text.startsWith(QLatin1String("3:")))
            return {Verdict::Queued, text};
        return {Verdict::Accepted, text};
    }
    if (httpStatus == 403 && text.startsWith(QLatin1String("Authorization failed")))
        return {Verdict::Forbidden, text};
    if (httpStatus == 503)
        return {Verdict::TryLater, text};
    if (httpStatus == 0)
        return {Verdict::TryLater, QStringLiteral("No answer from the gateway")};
    return {Verdict::Refused, text.isEmpty() ? QStringLiteral("HTTP %1").arg(httpStatus) : text};
}

QString loggable(const QUrl &url)
{
    QUrl shown = url;
    QUrlQuery query(shown);
    if (query.hasQueryItem(QStringLiteral("password"))) {
        query.removeAllQueryItems(QStringLiteral("password"));
        query.addQueryItem(QStringLiteral("password"), QStringLiteral("*****"));
        shown.setQuery(query);
    }
    shown.setPassword(QString());
    return shown.toString();
}

} // namespace kannel
