#pragma once

#include <QIODevice>
#include <QString>

#include <functional>
#include <memory>

// A port that is not a serial device (the in-process simulated modem, named SIMULATOR) is
// opened by a factory that the program installs under the port's name. The driver asks
// here before it opens a serial port, so it knows nothing of what sits on the far side.
struct OpenedPort
{
    // Open for reading and writing; null when it could not be opened. It tells of a
    // dropped line by emitting readChannelFinished(), after the last answer it delivered.
    std::unique_ptr<QIODevice> device;
    // What the modem log names on opening: "Opened the <description>".
    QString description;
};

// logFolder: the modem log's folder (empty when there is none); a port may keep files there.
using PortOpener = std::function<OpenedPort(const QString &logFolder)>;

namespace PortOpeners {

// Installs the opener for a port name, replacing any before it; names are not case sensitive.
void set(const QString &name, PortOpener opener);
// The opener installed for name, or an empty function for an ordinary serial port.
PortOpener find(const QString &name);

} // namespace PortOpeners
