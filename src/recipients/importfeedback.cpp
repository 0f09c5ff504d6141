#include "importfeedback.h"

void ImportErrorBox(Dialogs &dialogs, qint32 number, const QString &description, const QString &source)
{
    const QString origin = source.isEmpty() ? QStringLiteral("Quillo") : source;
    dialogs.message(QString::number(number) + QLatin1Char(' ') + description + QLatin1Char(' ') + origin,
                    Dialogs::Icon::None, Dialogs::Buttons::Ok);
}

void ImportErrorBox(Dialogs &dialogs, const QuilloError &error)
{
    ImportErrorBox(dialogs, error.number(), error.description(), error.source());
}

QuilloError asQuilloError(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (...) {
        return currentError(QStringLiteral("Quillo"));
    }
}
