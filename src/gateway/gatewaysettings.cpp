#include "gatewaysettings.h"

#include "settings/inihandling.h"

namespace {

const QString kSection = QStringLiteral("Gateway");
constexpr int kMostInFlight = 64;

// A number key: empty gives the default; anything else that is not a whole number in range
// is kept as -2 so problems() can name it.
int numberKey(const INIHandling &ini, const char *key, int fallback, int low, int high)
{
    const QString text = ini.GetKey(kSection, QLatin1String(key));
    if (text.isEmpty())
        return fallback;
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= low && value <= high ? value : -2;
}

} // namespace

QStringList GatewaySettings::problems() const
{
    QStringList lines;
    const QUrl &url = route.sendsmsUrl;
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        || url.host().isEmpty())
        lines << QStringLiteral("[Gateway] SendsmsUrl: '%1' is not an http:// or https:// address")
                     .arg(url.toString());
    if (route.user.isEmpty())
        lines << QStringLiteral("[Gateway] User: no user name");
    if (route.inFlight < 1)
        lines << QStringLiteral("[Gateway] InFlight: not a number from 1 to %1").arg(kMostInFlight);
    if (route.priority < -1)
        lines << QStringLiteral("[Gateway] Priority: not a number from 0 to 3");
    if (route.validityMinutes < 0)
        lines << QStringLiteral("[Gateway] Validity: not a number of minutes");
    if (reportHost.isEmpty())
        lines << QStringLiteral("[Gateway] ReportHost: no address");
    return lines;
}

GatewaySettings loadGatewaySettings(const QString &dataFolder)
{
    const INIHandling ini(dataFolder, QStringLiteral("config.ini"));
    const auto text = [&](const char *key) { return ini.GetKey(kSection, QLatin1String(key)); };
    GatewaySettings s;
    s.use = text("Use") == QLatin1String("1");
    s.route.sendsmsUrl = QUrl(text("SendsmsUrl"), QUrl::StrictMode);
    s.route.user = text("User");
    s.route.password = text("Password");
    s.route.sender = text("Sender");
    s.route.smscId = text("SMSC");
    s.route.validityMinutes = numberKey(ini, "Validity", 0, 0, 1000000);
    s.route.priority = numberKey(ini, "Priority", -1, 0, 3);
    s.route.post = text("Method").compare(QLatin1String("POST"), Qt::CaseInsensitive) == 0;
    s.route.inFlight = numberKey(ini, "InFlight", 8, 1, kMostInFlight);
    if (!text("ReportHost").isEmpty())
        s.reportHost = text("ReportHost");
    const int port = numberKey(ini, "ReportPort", 0, 0, 65535);
    s.reportPort = quint16(std::max(port, 0));
    return s;
}

void saveGatewaySettings(const QString &dataFolder, const GatewaySettings &s)
{
    INIHandling ini(dataFolder, QStringLiteral("config.ini"));
    const auto set = [&](const char *key, const QString &value) { ini.SetKey(kSection, QLatin1String(key), value); };
    const auto number = [](int value, int none) { return value == none ? QString() : QString::number(value); };
    set("Use", s.use ? QStringLiteral("1") : QStringLiteral("0"));
    set("SendsmsUrl", s.route.sendsmsUrl.toString());
    set("User", s.route.user);
    set("Password", s.route.password);
    set("Sender", s.route.sender);
    set("SMSC", s.route.smscId);
    set("Validity", number(s.route.validityMinutes, 0));
    set("Priority", number(s.route.priority, -1));
    set("Method", s.route.post ? QStringLiteral("POST") : QStringLiteral("GET"));
    set("InFlight", QString::number(s.route.inFlight));
}
