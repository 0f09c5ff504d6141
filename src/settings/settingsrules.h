#pragma once

#include "common/comdetails.h"

#include <QLocale>
#include <QString>
#include <QStringList>

// The rules of the settings that need no window: choice lists, load defaults, the log-level
// normalisation, the Save Settings corrections and the PIN key filter.
namespace SettingsRules {

// The pick lists, in the order the Settings tab shows them.
const QStringList &comPortChoices(); // COM1 ... COM256
const QStringList &baudRateChoices();
const QStringList &dataBitsChoices();
const QStringList &parityChoices();
const QStringList &stopBitsChoices();
const QStringList &validityChoices();
const QStringList &longMessageChoices();

// The values ComDetails takes when the stored settings leave them empty.
inline const QString kDefaultPort = QStringLiteral("COM1");
inline const QString kDefaultBaudRate = QStringLiteral("19200");
inline const QString kDefaultDataBits = QStringLiteral("8");
inline const QString kDefaultStopBits = QStringLiteral("1");
inline const QString kDefaultParity = QStringLiteral("None");
inline const QString kDefaultValidity = QStringLiteral("1 Week");
inline const QString kDefaultSendDelay = QStringLiteral("1");
inline const QString kDefaultSendRetry = QStringLiteral("0");
inline const QString kDefaultLongMsg = QStringLiteral("Concatenate");

// Replaces each empty value by its default; PIN and SMSC stay empty, the log levels are
// left to normalisedLogLevel.
void applyLoadDefaults(ComDetails &details);
// The same for a further modem of the pool: its four port values; the port stays as stored.
void applyLoadDefaults(ModemPort &modem);

// A stored log level: "0" when it is not a number or rounds (halves to even) outside 0..2,
// else the stored text unchanged (so 1.6 stays "1.6" and shows as level 2). A number beyond
// the 16-bit range throws the Overflow error, as the level is a 16-bit whole number.
QString normalisedLogLevel(const QString &stored, const QLocale &locale = QLocale());
// The level, 0 to 2, of a text normalisedLogLevel returned.
int logLevelIndex(const QString &normalised, const QLocale &locale = QLocale());

// Why Save Settings refuses to store these values, or empty when it may: a port must be
// chosen, and a service centre of one's own must be given in international format.
QString saveRefusal(bool portChosen, bool internalSmsc, const QString &smsc);

// Send delay as Save Settings stores it: seconds rounded to one decimal (halves to even),
// at least 0.1 and at most 30; "0.1" for anything that is not a number.
QString correctedSendDelay(const QString &typed, const QLocale &locale = QLocale());
// Send retry as Save Settings stores it: a whole number 0 to 3, rounded halves to even;
// "0" for anything that is not a number.
QString correctedSendRetry(const QString &typed, const QLocale &locale = QLocale());

// The PIN box takes digits and Backspace only; any other typed character is discarded
// (its code set to 0). Pasted text is not filtered.
void filterPinKey(int &KeyAscii);

} // namespace SettingsRules
