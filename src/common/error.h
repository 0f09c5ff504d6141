#pragma once

#include <QString>
#include <exception>

// The one error type the application's error traps catch: a number, a description and
// the place it came from (a library's or driver's name, as an operator would see it).
class QuilloError : public std::exception
{
public:
    QuilloError(qint32 number, QString description, QString source = QString())
        : m_number(number), m_description(std::move(description)), m_source(std::move(source)),
          m_what(m_description.toUtf8())
    {
    }

    qint32 number() const { return m_number; }
    const QString &description() const { return m_description; }
    const QString &source() const { return m_source; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    qint32 m_number;
    QString m_description;
    QString m_source;
    QByteArray m_what;
};

// The exception being handled, as the one error type: itself, "Out of memory", or any other
// failure with its text under the internal-error number. Call it only inside a catch block;
// it is the one place where other exceptions are translated.
QuilloError currentError(const QString &source = QString());

// For the few places where a failure must not reach the operator (writing a log line, a
// clean-up on the way out): the error is written to the program's diagnostic output instead
// of vanishing. Call it only inside a catch block.
void noteIgnoredError(const char *where);
