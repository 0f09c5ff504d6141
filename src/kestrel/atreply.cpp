#include "atreply.h"

namespace at {
namespace {

int numberAfterColon(const QByteArray &line)
{
    const int colon = line.indexOf(':');
    bool ok = false;
    const int value = line.mid(colon + 1).trimmed().toInt(&ok);
    return ok ? value : -1;
}

// The part after "+CMD:" split at commas outside quotes.
QList<QByteArray> fields(const QByteArray &line)
{
    QList<QByteArray> out;
    const int colon = line.indexOf(':');
    const QByteArray body = line.mid(colon + 1).trimmed();
    QByteArray current;
    bool quoted = false;
    for (const char c : body) {
        if (c == '"') {
            quoted = !quoted;
            current.append(c);
        } else if (c == ',' && !quoted) {
            out.append(current.trimmed());
            current.clear();
        } else {
            current.append(c);
        }
    }
    out.append(current.trimmed());
    return out;
}

QByteArray unquote(QByteArray value)
{
    value = value.trimmed();
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        return value.mid(1, value.size() - 2);
    return value;
}

const QList<QByteArray> &linesWith(const QList<QByteArray> &lines, const char *prefix, QByteArray *found)
{
    for (const QByteArray &line : lines) {
        if (line.startsWith(prefix)) {
            *found = line;
            break;
        }
    }
    return lines;
}

} // namespace

Status finalStatus(const QByteArray &line, int *code)
{
    *code = -1;
    if (line == "OK")
        return Status::Ok;
    if (line == "ERROR" || line == "NO CARRIER" || line == "COMMAND NOT SUPPORT" || line == "TOO MANY PARAMETERS")
        return Status::Error;
    if (line.startsWith("+CME ERROR:")) {
        *code = numberAfterColon(line);
        return Status::CmeError;
    }
    if (line.startsWith("+CMS ERROR:")) {
        *code = numberAfterColon(line);
        return Status::CmsError;
    }
    return Status::Pending;
}

bool isUnsolicited(const QByteArray &line, const QByteArray &command)
{
    static const char *const kPrefixes[] = {
        "RING", "+CRING:", "+CLIP:", "+CMTI:", "+CMT:", "+CDSI:", "+CDS:", "+CBM:", "+CBMI:",
        "+CREG:", "+CGREG:", "+CEREG:", "+CIEV:", "+CUSD:", "+PACSP", "+STIN:", "+CGEV:", "^",
    };
    for (const char *prefix : kPrefixes) {
        if (!line.startsWith(prefix))
            continue;
        // A query such as AT+CREG? is answered by the very prefix that is otherwise unsolicited.
        QByteArray name(prefix);
        if (name.startsWith('+') && name.endsWith(':')) {
            name = name.mid(1, name.size() - 2);
            if (command.toUpper().startsWith("AT+" + name))
                return false;
        }
        return true;
    }
    return false;
}

bool urcCarriesPdu(const QByteArray &line)
{
    return line.startsWith("+CMT:") || line.startsWith("+CDS:");
}

void ReplyReader::begin(const QByteArray &command, bool wantPrompt)
{
    m_command = command.trimmed();
    m_wantPrompt = wantPrompt;
    m_echoSeen = false;
    m_reply = Reply();
    m_unsolicited.clear();
    m_pduLineDue = false;
    // Whatever was left from before belongs to no command we are waiting on.
    m_buffer.clear();
}

void ReplyReader::resumeUnsolicited(const QByteArray &line)
{
    m_unsolicited.append({line});
    m_pduLineDue = true;
}

bool ReplyReader::feed(const QByteArray &bytes)
{
    m_buffer.append(bytes);
    while (!isDone()) {
        const int cr = m_buffer.indexOf('\r');
        const int lf = m_buffer.indexOf('\n');
        int end = cr < 0 ? lf : (lf < 0 ? cr : qMin(cr, lf));
        if (end < 0) {
            // The prompt comes without a line end: "\r\n> ".
            if (m_wantPrompt && m_buffer.trimmed().startsWith('>')) {
                m_buffer.clear();
                m_reply.status = Status::Prompt;
            }
            break;
        }
        const QByteArray line = m_buffer.left(end).trimmed();
        // CR LF is one line end, not a line end and an empty line.
        const int drop = (m_buffer.at(end) == '\r' && end + 1 < m_buffer.size() && m_buffer.at(end + 1) == '\n') ? 2 : 1;
        m_buffer.remove(0, end + drop);
        if (!line.isEmpty())
            takeLine(line);
    }
    return isDone();
}

void ReplyReader::takeLine(const QByteArray &line)
{
    // Echo: the command itself (ATE1), or the PDU with its Ctrl-Z when echo is on.
    if (!m_echoSeen && (line == m_command || line.toUpper() == m_command.toUpper())) {
        m_echoSeen = true;
        return;
    }
    if (line.contains('\x1A') || line.contains('\x1B'))
        return;
    // The PDU of a message or status report that arrived in the middle of this answer.
    if (m_pduLineDue) {
        m_pduLineDue = false;
        m_unsolicited.last().append(line);
        return;
    }
    if (m_wantPrompt && line.startsWith('>')) {
        m_reply.status = Status::Prompt;
        return;
    }
    int code = -1;
    const Status status = finalStatus(line, &code);
    if (status != Status::Pending) {
        m_reply.status = status;
        m_reply.code = code;
        if (status != Status::Ok)
            m_reply.errorText = QString::fromLatin1(line);
        return;
    }
    if (isUnsolicited(line, m_command)) {
        m_unsolicited.append({line});
        m_pduLineDue = urcCarriesPdu(line);
        return;
    }
    m_reply.lines.append(line);
}

QString plainValue(const QByteArray &line, const QByteArray &command)
{
    QByteArray value = line.trimmed();
    // "AT+CGMI" -> "+CGMI"; some modems also answer "+GMI:" for the short form.
    QByteArray name = command.toUpper();
    if (name.startsWith("AT"))
        name = name.mid(2);
    if (!name.isEmpty() && value.toUpper().startsWith(name + ':'))
        value = value.mid(name.size() + 1).trimmed();
    return QString::fromLatin1(unquote(value));
}

QString firstValue(const Reply &reply, const QByteArray &command)
{
    return reply.lines.isEmpty() ? QString() : plainValue(reply.lines.first(), command);
}

int parseCsq(const QList<QByteArray> &lines)
{
    QByteArray line;
    linesWith(lines, "+CSQ:", &line);
    if (line.isEmpty())
        return -1;
    bool ok = false;
    const int rssi = fields(line).value(0).toInt(&ok);
    return ok ? rssi : -1;
}

int signalPercent(int rssi)
{
    if (rssi < 0 || rssi > 31)
        return -1;
    return (rssi * 100 + 15) / 31; // rounded to the nearest whole percent
}

QString parseCops(const QList<QByteArray> &lines)
{
    QByteArray line;
    linesWith(lines, "+COPS:", &line);
    const QList<QByteArray> f = fields(line);
    if (line.isEmpty() || f.size() < 3)
        return {};
    return QString::fromUtf8(unquote(f.at(2)));
}

int parseCreg(const QList<QByteArray> &lines, const char *prefix)
{
    QByteArray line;
    linesWith(lines, prefix, &line);
    if (line.isEmpty())
        return -1;
    const QList<QByteArray> f = fields(line);
    // The query answers <n>,<stat>[,<lac>,<ci>]; a bare <stat> is the unsolicited form.
    // The unsolicited form with a location, <stat>,"<lac>","<ci>", has quotes second.
    const bool queryForm = f.size() >= 2 && !f.at(1).startsWith('"');
    bool ok = false;
    const int stat = (queryForm ? f.at(1) : f.at(0)).toInt(&ok);
    return ok ? stat : -1;
}

QString parseCpin(const QList<QByteArray> &lines)
{
    QByteArray line;
    linesWith(lines, "+CPIN:", &line);
    if (line.isEmpty())
        return {};
    return QString::fromLatin1(unquote(line.mid(line.indexOf(':') + 1)));
}

int parseCmgs(const QList<QByteArray> &lines)
{
    QByteArray line;
    linesWith(lines, "+CMGS:", &line);
    if (line.isEmpty())
        return -1;
    bool ok = false;
    const int mr = fields(line).value(0).toInt(&ok);
    return ok ? mr : -1;
}

bool parseStoredIndication(const QByteArray &line, QByteArray *memory, int *index)
{
    if (!line.startsWith("+CMTI:") && !line.startsWith("+CDSI:"))
        return false;
    const QList<QByteArray> f = fields(line);
    bool ok = false;
    *index = f.value(1).toInt(&ok);
    *memory = unquote(f.value(0)).toUpper();
    return ok && f.size() == 2 && !memory->isEmpty();
}

QList<StoredPdu> parseStoredPdus(const QList<QByteArray> &lines)
{
    QList<StoredPdu> out;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        int index = -1;
        if (line.startsWith("+CMGL:")) {
            bool ok = false;
            index = fields(line).value(0).toInt(&ok);
            if (!ok)
                continue;
        } else if (!line.startsWith("+CMGR:")) {
            continue;
        }
        out.append({index, lines.at(i + 1).trimmed()});
        ++i;
    }
    return out;
}

} // namespace at
