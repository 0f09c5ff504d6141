#pragma once

#include <QString>
#include <functional>

// Where the program keeps what it writes: the settings file, logs, Phone Lists and Message Files.
// A build or a per-user install keeps them beside the program, as always; a system-wide
// install (the package puts the program in /usr/lib/quillo) cannot be written by its users,
// so each user gets a folder of their own instead.
struct DataFolder
{
    QString path;  // with its trailing separator
    QString error; // the text of the start-up box when the per-user folder could not be made
};

// The file system as the choice sees it, so a test can say what is writable and what fails.
struct DataFolderProbe
{
    // True when the program may create files in this existing folder.
    std::function<bool(const QString &folder)> isWritable;
    // Makes the folder and any missing parents; true when it exists afterwards.
    std::function<bool(const QString &folder)> makeFolder;
};

// The program folder when it is writable; otherwise userFolder, made on first start with the
// three folders the program files into. A per-user folder that cannot be made is still the
// answer (reads find nothing, saving fails and says so), with an error naming it.
DataFolder chooseDataFolder(const QString &programFolder, const QString &userFolder, const DataFolderProbe &probe);

// The "logs" folder under a data folder, with its trailing separator: message.log, the modem
// log and the run journals.
QString logsFolder(const QString &dataFolder);

// The choice for this process: the per-user folder is QStandardPaths::AppDataLocation
// (~/.local/share/Quillo on Linux), so the application name must be set first.
DataFolder locateDataFolder(const QString &programFolder);
