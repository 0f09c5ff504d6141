#pragma once

#include <QString>
#include <QStringList>

// The entries of the COM port list: COM1 ... COM256, then the serial devices the system
// reports, then SIMULATOR, the built-in simulated modem.
QStringList portListEntries();

// The port name of the built-in simulated modem.
inline const QString kSimulatorPort = QStringLiteral("SIMULATOR");

// True when port names an existing device (on Unix a character device such as a
// pseudo-terminal, which the system's port enumeration does not report), so a stored
// device path can be offered and chosen like the listed ports.
bool isExistingDevicePath(const QString &port);
