#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Reading a modem's answer to one AT command (3GPP TS 27.007 / 27.005 in verbose mode):
// information lines framed by CR LF, then a final result code; or, for AT+CMGS, the
// "> " prompt. The reader drops the echo of the command and unsolicited result codes.
namespace at {

enum class Status { Pending, Ok, Error, CmeError, CmsError, Prompt };

struct Reply
{
    Status status = Status::Pending;
    int code = -1;               // +CME/+CMS ERROR number; -1 for a text or plain ERROR
    QString errorText;           // the final line of a failure, as the modem wrote it
    QList<QByteArray> lines;     // information lines, in order
};

// Classifies a line as a final result: Pending when it is not one.
Status finalStatus(const QByteArray &line, int *code);

// True for lines a modem may send at any moment (RING, +CMTI: ...), unless the command
// itself asks for that kind (AT+CREG? answers +CREG:).
bool isUnsolicited(const QByteArray &line, const QByteArray &command);
// +CMT: and +CDS: (a message, a status report) are followed by a line holding the PDU.
bool urcCarriesPdu(const QByteArray &line);

class ReplyReader
{
public:
    // command as written, without the CR; wantPrompt for the first half of AT+CMGS.
    void begin(const QByteArray &command, bool wantPrompt = false);
    // A +CMT:/+CDS: line that came just before the command: its PDU line is still due.
    void resumeUnsolicited(const QByteArray &line);
    // Bytes as they come; returns true once the reply is complete.
    bool feed(const QByteArray &bytes);
    bool isDone() const { return m_reply.status != Status::Pending; }
    const Reply &reply() const { return m_reply; }
    // Unsolicited result codes that came during this reply, each with its PDU line if it has one.
    const QList<QList<QByteArray>> &unsolicited() const { return m_unsolicited; }
    // Bytes that arrived after the reply was complete.
    QByteArray leftover() const { return m_buffer; }

private:
    void takeLine(const QByteArray &line);

    QByteArray m_command;
    bool m_wantPrompt = false;
    bool m_echoSeen = false;
    QByteArray m_buffer;
    Reply m_reply;
    QList<QList<QByteArray>> m_unsolicited;
    bool m_pduLineDue = false;
};

// Helpers for the information lines of particular commands.

// Drops a "+CMD:" prefix that some modems put before plain answers (AT+CGMI gives
// "+CGMI: Acme" on some), and surrounding quotes.
QString plainValue(const QByteArray &line, const QByteArray &command);
// The first information line of a reply as a plain value (see plainValue).
QString firstValue(const Reply &reply, const QByteArray &command);
// +CSQ: <rssi>,<ber>; -1 when absent.
int parseCsq(const QList<QByteArray> &lines);
// rssi 0..31 onto 0..100; 99 (not known) and anything else gives -1.
int signalPercent(int rssi);
// +COPS: <mode>[,<format>,<oper>[,<AcT>]]: the operator, unquoted; empty when none.
QString parseCops(const QList<QByteArray> &lines);
// +CREG: [<n>,]<stat>[,...]: the registration status, -1 when absent. prefix "+CEREG:" or
// "+CGREG:" reads the same form for LTE and packet registration.
int parseCreg(const QList<QByteArray> &lines, const char *prefix = "+CREG:");
// +CPIN: <code>: READY, SIM PIN, SIM PUK, ...; empty when absent.
QString parseCpin(const QList<QByteArray> &lines);
// +CMGS: <mr>: the message reference, -1 when absent.
int parseCmgs(const QList<QByteArray> &lines);
// +CMTI: <mem>,<index> and +CDSI: <mem>,<index>: where a new message or status report was
// stored. False when the line is not of that form.
bool parseStoredIndication(const QByteArray &line, QByteArray *memory, int *index);
// The PDUs of an AT+CMGL answer (+CMGL: <index>,<stat>,[<alpha>],<length>, then the PDU)
// or an AT+CMGR answer (+CMGR: <stat>,[<alpha>],<length>, index -1), in PDU mode.
struct StoredPdu
{
    int index = -1;
    QByteArray pdu;
};
QList<StoredPdu> parseStoredPdus(const QList<QByteArray> &lines);

} // namespace at
