#include "error.h"

#include "errornumbers.h"

#include <QDebug>
#include <new>

QuilloError currentError(const QString &source)
{
    try {
        throw;
    } catch (const QuilloError &error) {
        return error;
    } catch (const std::bad_alloc &) {
        return QuilloError(ErrorNumber::kOutOfMemory, QStringLiteral("Out of memory"), source);
    } catch (const std::exception &error) {
        return QuilloError(ErrorNumber::kInternal, QString::fromLocal8Bit(error.what()), source);
    } catch (...) {
        return QuilloError(ErrorNumber::kInternal, QStringLiteral("Unexpected failure"), source);
    }
}

void noteIgnoredError(const char *where)
{
    const QuilloError error = currentError();
    qWarning("%s: error %d ignored: %s", where, error.number(), qPrintable(error.description()));
}
