#include "settingsstore.h"

#include "common/text.h"

#include <algorithm>
#include <iterator>

namespace {

const QString kRepliesSection = QStringLiteral("REPLIES");

struct StoredKey
{
    const char *section;
    const char *key;
    QString ComDetails::*field;
};

// The order is the order Save Settings writes, so it decides where a new key lands.
const StoredKey kKeys[] = {
    {"COMM", "Port", &ComDetails::Port},
    {"COMM", "BaudRate", &ComDetails::BaudRate},
    {"COMM", "DataBits", &ComDetails::DataBits},
    {"COMM", "StopBits", &ComDetails::StopBits},
    {"COMM", "Parity", &ComDetails::Parity},
    {"SMS", "PIN", &ComDetails::PIN},
    {"SMS", "Validity", &ComDetails::Validity},
    {"SMS", "SMSC", &ComDetails::SMSC},
    {"SMS", "SendDelay", &ComDetails::SendDelay},
    {"SMS", "SendRetry", &ComDetails::SendRetry},
    {"SMS", "LongMsg", &ComDetails::LongMsg},
    {"LOG", "SysLog", &ComDetails::SysLog},
    {"LOG", "MsgLog", &ComDetails::MsgLog},
    {"NUMBERS", "Country", &ComDetails::Country},
    {"SMS", "DeliveryReports", &ComDetails::DeliveryReports},
};

// The keys of a [ModemN] section, in the order they are written.
struct ModemKey
{
    const char *key;
    QString ModemPort::*field;
};
const ModemKey kModemKeys[] = {
    {"Port", &ModemPort::Port},         {"BaudRate", &ModemPort::BaudRate}, {"DataBits", &ModemPort::DataBits},
    {"StopBits", &ModemPort::StopBits}, {"Parity", &ModemPort::Parity},     {"PIN", &ModemPort::PIN},
};

// A modem's pacing: the first modem's in [PACING], each further modem's in its [ModemN]
// section after its port keys. Written only when set or stored before, so a file that never
// used pacing stays byte for byte as it was.
struct PacingKey
{
    const char *key;
    QString ModemPacing::*field;
};
const PacingKey kPacingKeys[] = {
    {"MinPause", &ModemPacing::MinPause},         {"MaxPause", &ModemPacing::MaxPause},
    {"PartsPerHour", &ModemPacing::PartsPerHour}, {"PartsPerDay", &ModemPacing::PartsPerDay},
    {"RecipientsPerDay", &ModemPacing::RecipientsPerDay},
};
const QString kPacingSection = QStringLiteral("PACING");

ModemPacing readModemPacing(const INIHandling &ini, const QString &section)
{
    ModemPacing pacing;
    for (const PacingKey &key : kPacingKeys)
        pacing.*key.field = trimSpaces(ini.GetKey(section, QLatin1String(key.key)));
    return pacing;
}

void writeModemPacing(INIHandling &ini, const QString &section, const ModemPacing &pacing)
{
    for (const PacingKey &key : kPacingKeys) {
        const QString &value = pacing.*key.field;
        if (!value.isEmpty() || !ini.GetKey(section, QLatin1String(key.key)).isEmpty())
            ini.SetKey(section, QLatin1String(key.key), value);
    }
}

// The first modem is the [COMM] port, so the sections count from 2.
QString modemSection(qsizetype index)
{
    return QStringLiteral("Modem%1").arg(index + 2);
}

bool isLogLevel(const StoredKey &key)
{
    return key.field == &ComDetails::SysLog || key.field == &ComDetails::MsgLog;
}

// Keys added after the first release: written once they have a value, so a settings file
// that never used them stays byte for byte as it was.
bool isWrittenOnlyWhenUsed(const StoredKey &key)
{
    return key.field == &ComDetails::Country || key.field == &ComDetails::DeliveryReports;
}

void write(INIHandling &ini, const StoredKey &key, const QString &value)
{
    ini.SetKey(QLatin1String(key.section), QLatin1String(key.key), value);
}

const StoredKey &keyOf(QString ComDetails::*field)
{
    return *std::find_if(std::begin(kKeys), std::end(kKeys), [&](const StoredKey &key) { return key.field == field; });
}

} // namespace

SettingsStore::SettingsStore(const QString &dataFolder)
    : m_ini(dataFolder, QStringLiteral("config.ini"))
{
}

ComDetails SettingsStore::load() const
{
    ComDetails details;
    for (const StoredKey &key : kKeys)
        details.*key.field = trimSpaces(m_ini.GetKey(QLatin1String(key.section), QLatin1String(key.key)));
    details.Pacing = readModemPacing(m_ini, kPacingSection);
    return details;
}

ReplySettings SettingsStore::loadReplies() const
{
    ReplySettings settings;
    settings.listen = trimSpaces(m_ini.GetKey(kRepliesSection, QStringLiteral("Listen"))) == QLatin1String("1");
    settings.stopWords = stopWordsFrom(m_ini.GetKey(kRepliesSection, QStringLiteral("StopWords")));
    settings.stopConfirmation = trimSpaces(m_ini.GetKey(kRepliesSection, QStringLiteral("StopConfirmation")));
    return settings;
}

void SettingsStore::saveReplies(const ReplySettings &settings)
{
    const ReplySettings stored = loadReplies();
    if (settings.listen != stored.listen)
        m_ini.SetKey(kRepliesSection, QStringLiteral("Listen"), settings.listen ? QStringLiteral("1") : QStringLiteral("0"));
    // Joined without spaces: never longer than the words as typed, so it reads back whole.
    if (settings.stopWords != stored.stopWords)
        m_ini.SetKey(kRepliesSection, QStringLiteral("StopWords"), settings.stopWords.join(u','));
    if (settings.stopConfirmation != stored.stopConfirmation)
        m_ini.SetKey(kRepliesSection, QStringLiteral("StopConfirmation"), settings.stopConfirmation);
}

void SettingsStore::saveSettings(const ComDetails &details)
{
    for (const StoredKey &key : kKeys) {
        if (isLogLevel(key))
            continue;
        if (isWrittenOnlyWhenUsed(key) && (details.*key.field).isEmpty()
            && m_ini.GetKey(QLatin1String(key.section), QLatin1String(key.key)).isEmpty())
            continue;
        write(m_ini, key, details.*key.field);
    }
}

void SettingsStore::savePacing(const ModemPacing &pacing)
{
    // No pacing is no section, as in a file that never had one.
    if (pacing.isEmpty())
        m_ini.DeleteSection(kPacingSection);
    else
        writeModemPacing(m_ini, kPacingSection, pacing);
}

void SettingsStore::saveLogLevel(LogLevel log, const QString &level)
{
    write(m_ini, keyOf(log == LogLevel::Modem ? &ComDetails::SysLog : &ComDetails::MsgLog), level);
}

QList<ModemPort> SettingsStore::loadMoreModems() const
{
    QList<ModemPort> modems;
    for (;;) {
        const QString section = modemSection(modems.size());
        ModemPort modem;
        for (const ModemKey &key : kModemKeys)
            modem.*key.field = trimSpaces(m_ini.GetKey(section, QLatin1String(key.key)));
        if (modem.Port.isEmpty())
            return modems;
        modem.Pacing = readModemPacing(m_ini, section);
        modems.append(modem);
    }
}

void SettingsStore::saveMoreModems(const QList<ModemPort> &modems)
{
    for (qsizetype i = 0; i < modems.size(); ++i) {
        for (const ModemKey &key : kModemKeys)
            m_ini.SetKey(modemSection(i), QLatin1String(key.key), modems[i].*key.field);
        writeModemPacing(m_ini, modemSection(i), modems[i].Pacing);
    }
    // Sections past the list are what a removed modem left; the reading stops at the first
    // gap anyway, so only those up to the next gap need to go.
    for (qsizetype i = modems.size(); !m_ini.GetKey(modemSection(i), QStringLiteral("Port")).isEmpty(); ++i)
        m_ini.DeleteSection(modemSection(i));
}
