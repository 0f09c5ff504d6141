#include "savetarget.h"

#include <QFileInfo>

SaveTargetCheck checkSaveTarget(const QString &path, const Dialogs::FileRequest &request)
{
    const QFileInfo file(path);
    // The owner's write bit is the file's read-only mark, even for a user who could write anyway.
    const bool readOnly = !file.isWritable() || !file.permission(QFileDevice::WriteOwner);
    if (request.refuseReadOnly && file.exists() && readOnly)
        return {SaveTargetCheck::Kind::Refuse, QStringLiteral("%1\r\nThis file is set to read-only.\r\n"
                                                              "Try again with a different file name.")
                                                   .arg(file.fileName())};
    if (request.confirmCreate && !file.exists())
        return {SaveTargetCheck::Kind::AskCreate,
                QStringLiteral("%1\r\nThis file does not exist.\r\nDo you want to create the file?").arg(file.fileName())};
    return {};
}
