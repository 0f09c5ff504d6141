#include "datafolder.h"

#include "paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString kNotSaved = QStringLiteral("Quillo will run, but settings cannot be saved.");

} // namespace

DataFolder chooseDataFolder(const QString &programFolder, const QString &userFolder, const DataFolderProbe &probe)
{
    if (probe.isWritable(programFolder))
        return {AddBackslash(programFolder), {}};
    // Without a home folder there is nowhere to write; an empty path would mean the working
    // directory, so the program folder serves for reading.
    if (userFolder.isEmpty())
        return {AddBackslash(programFolder),
                QStringLiteral("Quillo found no folder of this user's own for its settings and logs.\n") + kNotSaved};

    const QString folder = AddBackslash(userFolder);
    for (const QString &sub : {QString(), QStringLiteral("logs"), QStringLiteral("Phone Lists"), QStringLiteral("Message Files")}) {
        if (!probe.makeFolder(folder + sub))
            return {folder, QStringLiteral("Quillo cannot create the folder\n") + QDir::toNativeSeparators(folder + sub)
                                + QStringLiteral("\nwhere it keeps its settings, logs, phone lists and message files.\n")
                                + kNotSaved};
    }
    return {folder, {}};
}

DataFolder locateDataFolder(const QString &programFolder)
{
    const DataFolderProbe probe{
        [](const QString &folder) { return QFileInfo(folder).isWritable(); },
        [](const QString &folder) { return QDir().mkpath(folder); },
    };
    return chooseDataFolder(programFolder, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), probe);
}

QString logsFolder(const QString &dataFolder)
{
    return AddBackslash(AddBackslash(dataFolder) + QStringLiteral("logs"));
}
