#include "errortrap.h"

QString trappedErrorText(qint32 number, const QString &description, const QString &handler)
{
    return QStringLiteral("Error ") + QString::number(number) + QStringLiteral("\r\n") + description
           + QStringLiteral("\r\n[Source: Quillo - ") + handler + QLatin1Char(']');
}

void reportTrappedError(AppContext &context, const QString &handler, qint32 number, const QString &description)
{
    if (context.state.PendingErrorText.isEmpty())
        context.state.PendingErrorText = trappedErrorText(number, description, handler);
    context.dialogs.message(context.state.PendingErrorText, Dialogs::Icon::Critical);
    context.state.PendingErrorText.clear();
}
