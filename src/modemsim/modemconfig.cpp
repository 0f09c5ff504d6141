#include "modemconfig.h"

#include <QFileInfo>
#include <QSettings>

namespace {

QString listValue(const QSettings &ini, const QString &key)
{
    // QSettings reads "a, b" as a list; join it back to split it our way.
    const QVariant v = ini.value(key);
    return v.typeId() == QMetaType::QStringList ? v.toStringList().join(u',') : v.toString();
}

bool intValue(const QSettings &ini, const QString &key, int min, int max, int *out, QString *error)
{
    if (!ini.contains(key))
        return true;
    bool ok = false;
    const int value = ini.value(key).toString().trimmed().toInt(&ok);
    if (!ok || value < min || value > max) {
        *error = QStringLiteral("%1: expected a whole number from %2 to %3").arg(key).arg(min).arg(max);
        return false;
    }
    *out = value;
    return true;
}

bool boolValue(const QSettings &ini, const QString &key, bool *out)
{
    if (!ini.contains(key))
        return true;
    const QString v = ini.value(key).toString().trimmed().toLower();
    *out = v == QLatin1String("true") || v == QLatin1String("1") || v == QLatin1String("yes");
    return true;
}

} // namespace

bool ModemConfig::load(const QString &path, ModemConfig *config, QString *error)
{
    QString dummy;
    if (!error)
        error = &dummy;
    if (!QFileInfo(path).isReadable()) {
        *error = QStringLiteral("Cannot read config file %1").arg(path);
        return false;
    }
    QSettings ini(path, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError) {
        *error = QStringLiteral("Config file %1 is not a valid INI file").arg(path);
        return false;
    }
    ModemConfig c = *config;
    auto text = [&](const char *key, QString *out) {
        if (ini.contains(QLatin1String(key)))
            *out = listValue(ini, QLatin1String(key)).trimmed();
    };
    text("modem/Manufacturer", &c.manufacturer);
    text("modem/Model", &c.model);
    text("modem/Revision", &c.revision);
    text("modem/IMEI", &c.imei);
    text("modem/IMSI", &c.imsi);
    text("network/Name", &c.networkName);
    text("network/Code", &c.networkCode);
    text("sim/PIN", &c.pin);
    boolValue(ini, QStringLiteral("network/Registered"), &c.registered);
    boolValue(ini, QStringLiteral("network/Denied"), &c.denied);
    boolValue(ini, QStringLiteral("network/LteOnly"), &c.lteOnly);
    if (!intValue(ini, QStringLiteral("network/RSSI"), 0, 99, &c.rssi, error)
        || !intValue(ini, QStringLiteral("network/SubmitDelay"), 0, 600000, &c.submitDelayMs, error)
        || !intValue(ini, QStringLiteral("faults/CmsErrorCode"), 0, 511, &c.cmsErrorCode, error)
        || !intValue(ini, QStringLiteral("faults/CmsErrorTimes"), 0, 1000000, &c.cmsErrorTimes, error)
        || !intValue(ini, QStringLiteral("faults/ReplyDelay"), 0, 600000, &c.replyDelayMs, error)
        || !intValue(ini, QStringLiteral("faults/SilentAfterCommands"), 0, 100000000, &c.silentAfterCommands, error)
        || !intValue(ini, QStringLiteral("faults/HangUpAfterMessages"), 0, 100000000, &c.hangUpAfterMessages, error))
        return false;
    const auto numbers = [&ini](const QString &key) {
        QSet<QString> set;
        for (QString n : listValue(ini, key).split(u',', Qt::SkipEmptyParts)) {
            n = n.trimmed();
            if (n.startsWith(u'+'))
                n.remove(0, 1);
            if (!n.isEmpty())
                set.insert(n);
        }
        return set;
    };
    c.cmsErrorNumbers = numbers(QStringLiteral("faults/CmsErrorNumbers"));
    c.noReferenceNumbers = numbers(QStringLiteral("faults/NoReferenceNumbers"));
    *config = c;
    return true;
}
