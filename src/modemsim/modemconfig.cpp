#include "modemconfig.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
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

// The [incoming] messages as written: QSettings would split a text at its commas.
bool readIncoming(const QString &path, QList<IncomingSpec> *incoming, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return true; // QSettings has already said whether the file reads
    bool inSection = false;
    int lineNumber = 0;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        ++lineNumber;
        if (line.startsWith(u'[')) {
            inSection = line.compare(QLatin1String("[incoming]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inSection || equals < 0 || !line.left(equals).trimmed().startsWith(QLatin1String("Message"), Qt::CaseInsensitive))
            continue;
        IncomingSpec spec;
        QString why;
        if (!IncomingSpec::parse(line.mid(equals + 1), &spec, &why)) {
            *error = QStringLiteral("%1 line %2: %3").arg(path).arg(lineNumber).arg(why);
            return false;
        }
        incoming->append(spec);
    }
    return true;
}

} // namespace

bool IncomingSpec::parse(const QString &line, IncomingSpec *spec, QString *error)
{
    static const QRegularExpression kForm(QStringLiteral("^\\s*(\\d+)\\s+(\\S+)\\s+(.+)$"));
    const QRegularExpressionMatch m = kForm.match(line);
    bool ok = false;
    const int delay = m.hasMatch() ? m.captured(1).toInt(&ok) : -1;
    if (!ok || delay > 86400000) {
        *error = QStringLiteral("expected \"<delay ms> <sender> <text>\", got \"%1\"").arg(line.trimmed());
        return false;
    }
    spec->delayMs = delay;
    spec->sender = m.captured(2);
    spec->text = m.captured(3).trimmed();
    return true;
}

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
    text("incoming/File", &c.incomingFile);
    boolValue(ini, QStringLiteral("network/Registered"), &c.registered);
    boolValue(ini, QStringLiteral("network/Denied"), &c.denied);
    boolValue(ini, QStringLiteral("network/LteOnly"), &c.lteOnly);
    boolValue(ini, QStringLiteral("faults/RefuseCmms"), &c.refuseCmms);
    if (!intValue(ini, QStringLiteral("network/RSSI"), 0, 99, &c.rssi, error)
        || !intValue(ini, QStringLiteral("network/SubmitDelay"), 0, 600000, &c.submitDelayMs, error)
        || !intValue(ini, QStringLiteral("faults/CmsErrorCode"), 0, 511, &c.cmsErrorCode, error)
        || !intValue(ini, QStringLiteral("faults/CmsErrorTimes"), 0, 1000000, &c.cmsErrorTimes, error)
        || !intValue(ini, QStringLiteral("faults/ReplyDelay"), 0, 600000, &c.replyDelayMs, error)
        || !intValue(ini, QStringLiteral("faults/SilentAfterCommands"), 0, 100000000, &c.silentAfterCommands, error)
        || !intValue(ini, QStringLiteral("faults/HangUpAfterMessages"), 0, 100000000, &c.hangUpAfterMessages, error)
        || !intValue(ini, QStringLiteral("reports/Delay"), 0, 86400000, &c.reportDelayMs, error)
        || !intValue(ini, QStringLiteral("reports/FailedShare"), 0, 100, &c.failedShare, error)
        || !intValue(ini, QStringLiteral("reports/ExpiredShare"), 0, 100, &c.expiredShare, error)
        || !intValue(ini, QStringLiteral("reports/LostShare"), 0, 100, &c.lostShare, error)
        || !intValue(ini, QStringLiteral("reports/FailedStatus"), 0x40, 0x7F, &c.failedStatus, error)
        || !intValue(ini, QStringLiteral("reports/Seed"), 0, 2147483647, &c.reportSeed, error)
        || !readIncoming(path, &c.incoming, error))
        return false;
    if (c.failedShare + c.expiredShare + c.lostShare > 100) {
        *error = QStringLiteral("[reports]: FailedShare, ExpiredShare and LostShare add up to more than 100");
        return false;
    }
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
