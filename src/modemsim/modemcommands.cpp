#include "modemcommands.h"

#include "kestrel/gsmalphabet.h"
#include "modemreplies.h"

#include <QHash>

using namespace modemreply;

namespace {

const QList<QByteArray> kCharsets = {"IRA", "GSM", "UCS2"};

} // namespace

QByteArray ModemCommands::unquoted(const QByteArray &arg)
{
    const QByteArray a = arg.trimmed();
    return a.size() >= 2 && a.startsWith('"') && a.endsWith('"') ? a.mid(1, a.size() - 2) : a;
}

bool ModemCommands::numberArg(const QByteArray &arg, int min, int max, int *value)
{
    bool ok = false;
    const int n = arg.trimmed().toInt(&ok);
    if (!ok || n < min || n > max)
        return false;
    *value = n;
    return true;
}

ModemCommands::ModemCommands(const ModemConfig &config) : m_config(config)
{
    m_pinState = m_config.pin.isEmpty() ? PinState::Ready : PinState::Pin;
}

void ModemCommands::resetProfile()
{
    m_echo = true;
    m_cmee = 0;
    m_cmgf = 0;
    m_copsFormat = 0;
    m_cregMode = 0;
    m_charset = "IRA";
    m_smsService = 0;
    m_cnmi = {0, 0, 0, 0, 0};
    m_cmms = 0;
}

ModemCommands::Extended ModemCommands::parse(const QByteArray &command)
{
    Extended cmd;
    qsizetype op = 0;
    while (op < command.size() && command.at(op) != '=' && command.at(op) != '?')
        ++op;
    cmd.name = command.left(op).toUpper();
    const QByteArray tail = command.mid(op);
    if (tail.isEmpty()) {
        cmd.form = Extended::Form::Action;
    } else if (tail == "?") {
        cmd.form = Extended::Form::Read;
    } else if (tail == "=?") {
        cmd.form = Extended::Form::Test;
    } else if (tail.startsWith('=')) {
        cmd.form = Extended::Form::Set;
        QByteArray arg;
        bool quoted = false;
        for (const char c : tail.mid(1)) {
            if (c == '"')
                quoted = !quoted;
            if (c == ',' && !quoted) {
                cmd.args << arg.trimmed();
                arg.clear();
            } else {
                arg.append(c);
            }
        }
        cmd.args << arg.trimmed();
    } else {
        cmd.form = Extended::Form::Malformed;
    }
    return cmd;
}

ModemCommands::Outcome ModemCommands::run(const QByteArray &command, QByteArray *out)
{
    return command.startsWith('+') ? runExtended(parse(command), out) : runBasic(command.toUpper(), out);
}

ModemCommands::Outcome ModemCommands::refuse(QByteArray *out) const
{
    out->append(kError);
    return Outcome::Failed;
}

ModemCommands::Outcome ModemCommands::answered(QByteArray *out, const QByteArray &line)
{
    out->append(info(line));
    return Outcome::Ok;
}

ModemCommands::Outcome ModemCommands::numberSetting(const Extended &cmd, const QByteArray &range, int min, int max,
                                                    int *value, QByteArray *out)
{
    if (cmd.isRead())
        return answered(out, cmd.name + ": " + QByteArray::number(*value));
    if (cmd.isTest())
        return answered(out, cmd.name + ": " + range);
    if (cmd.isSet() && cmd.args.size() == 1 && numberArg(cmd.args[0], min, max, value))
        return Outcome::Ok;
    return refuse(out);
}

ModemCommands::Outcome ModemCommands::cmeError(int code, QByteArray *out) const
{
    if (m_cmee == 0)
        return refuse(out);
    if (m_cmee == 1) {
        out->append("\r\n+CME ERROR: " + QByteArray::number(code) + "\r\n");
        return Outcome::Failed;
    }
    static const QHash<int, QByteArray> texts = {
        {3, "operation not allowed"}, {4, "operation not supported"}, {10, "SIM not inserted"},
        {11, "SIM PIN required"}, {12, "SIM PUK required"}, {16, "incorrect password"},
        {30, "no network service"}};
    out->append("\r\n+CME ERROR: " + texts.value(code, "unknown") + "\r\n");
    return Outcome::Failed;
}

QByteArray ModemCommands::encode(const QString &text) const
{
    if (m_charset == "UCS2") {
        QByteArray hex;
        for (const QChar c : text)
            hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
        return hex;
    }
    if (m_charset == "GSM")
        return gsm::toSeptets(text);
    // IRA is ASCII; a name configured beyond it is sent as UTF-8 rather than lost.
    return text.toUtf8();
}

bool ModemCommands::decode(const QByteArray &quoted, QString *text) const
{
    const QByteArray raw = unquoted(quoted);
    if (m_charset == "UCS2") {
        if (raw.size() % 4 != 0)
            return false;
        QString s;
        for (qsizetype i = 0; i < raw.size(); i += 4) {
            bool ok = false;
            const ushort unit = raw.mid(i, 4).toUShort(&ok, 16);
            if (!ok)
                return false;
            s.append(QChar(unit));
        }
        *text = s;
        return true;
    }
    *text = m_charset == "GSM" ? gsm::fromSeptets(raw) : QString::fromLatin1(raw);
    return true;
}

ModemCommands::Outcome ModemCommands::runBasic(const QByteArray &upper, QByteArray *out)
{
    if (upper == "E0" || upper == "E1" || upper == "E") {
        m_echo = upper == "E1";
        return Outcome::Ok;
    }
    if (upper == "&F" || upper == "&F0" || upper == "Z" || upper == "Z0") {
        resetProfile();
        return Outcome::Ok;
    }
    if (upper == "I" || upper == "I0") {
        return answered(out, m_config.manufacturer.toLatin1() + "\r\n" + m_config.model.toLatin1() + "\r\nRevision: "
                         + m_config.revision.toLatin1());
    }
    // Verbose results without quiet mode are all this modem speaks; DCD and DTR have no
    // wires on a pseudo-terminal, so any of their modes is accepted and means nothing.
    static const QList<QByteArray> accepted = {"V1", "Q0", "&C0", "&C1", "&D0", "&D1", "&D2"};
    return accepted.contains(upper) ? Outcome::Ok : refuse(out);
}

ModemCommands::Outcome ModemCommands::runExtended(const Extended &cmd, QByteArray *out)
{
    if (cmd.isMalformed())
        return refuse(out);
    // Identification: the value alone is the answer, with or without the "C" of 27.007.
    const QHash<QByteArray, QString> identities = {
        {"+CGMI", m_config.manufacturer}, {"+GMI", m_config.manufacturer},
        {"+CGMM", m_config.model}, {"+GMM", m_config.model},
        {"+CGMR", m_config.revision}, {"+GMR", m_config.revision},
        {"+CGSN", m_config.imei}, {"+GSN", m_config.imei}, {"+CIMI", m_config.imsi}};
    if (identities.contains(cmd.name)) {
        if (cmd.isTest())
            return Outcome::Ok;
        if (!cmd.isAction())
            return refuse(out);
        if (cmd.name == "+CIMI" && !simReady())
            return cmeError(m_pinState == PinState::Pin ? 11 : 12, out);
        return answered(out, identities.value(cmd.name).toLatin1());
    }
    using Handler = Outcome (ModemCommands::*)(const Extended &, QByteArray *);
    static const QHash<QByteArray, Handler> handlers = {
        {"+CMEE", &ModemCommands::cmee}, {"+CPIN", &ModemCommands::cpin}, {"+CREG", &ModemCommands::creg},
        {"+CEREG", &ModemCommands::cereg}, {"+COPS", &ModemCommands::cops}, {"+CSQ", &ModemCommands::csq},
        {"+CSCS", &ModemCommands::cscs}, {"+CSMS", &ModemCommands::csms}, {"+CPMS", &ModemCommands::cpms},
        {"+CNMI", &ModemCommands::cnmi}, {"+CMMS", &ModemCommands::cmms}, {"+CMGF", &ModemCommands::cmgf},
        {"+CSCA", &ModemCommands::csca}, {"+CMGS", &ModemCommands::cmgs}, {"+CFUN", &ModemCommands::cfun},
        {"+CMGR", &ModemCommands::cmgr}, {"+CMGL", &ModemCommands::cmgl}, {"+CMGD", &ModemCommands::cmgd}};
    const Handler handler = handlers.value(cmd.name);
    return handler ? (this->*handler)(cmd, out) : refuse(out);
}

ModemCommands::Outcome ModemCommands::cmee(const Extended &cmd, QByteArray *out)
{
    return numberSetting(cmd, "(0-2)", 0, 2, &m_cmee, out);
}

ModemCommands::Outcome ModemCommands::cpin(const Extended &cmd, QByteArray *out)
{
    if (cmd.isRead()) {
        const char *state = m_pinState == PinState::Ready ? "READY" : m_pinState == PinState::Pin ? "SIM PIN" : "SIM PUK";
        return answered(out, QByteArray("+CPIN: ") + state);
    }
    if (cmd.isTest())
        return Outcome::Ok;
    if (!cmd.isSet())
        return refuse(out);
    if (m_pinState != PinState::Pin)
        return cmeError(m_pinState == PinState::Ready ? 3 : 16, out);
    if (unquoted(cmd.args[0]) == m_config.pin.toLatin1()) {
        m_pinState = PinState::Ready;
        return Outcome::Ok;
    }
    if (--m_pinTries <= 0)
        m_pinState = PinState::Puk;
    return cmeError(16, out);
}

ModemCommands::Outcome ModemCommands::cfun(const Extended &cmd, QByteArray *out)
{
    // Full functionality is the only level served: the radio is never switched off here.
    if (cmd.isRead())
        return answered(out, "+CFUN: 1");
    if (cmd.isTest())
        return answered(out, "+CFUN: (1),(0)");
    if (cmd.isSet() && cmd.args.size() <= 2 && cmd.args[0] == "1" && cmd.args.value(1, "0") == "0")
        return Outcome::Ok;
    return refuse(out);
}

ModemCommands::Outcome ModemCommands::creg(const Extended &cmd, QByteArray *out)
{
    if (cmd.isRead()) {
        const int stat = !simReady() ? 0 : m_config.denied ? 3 : m_config.lteOnly ? 0 : m_config.registered ? 1 : 2;
        return answered(out, "+CREG: " + QByteArray::number(m_cregMode) + ',' + QByteArray::number(stat));
    }
    if (cmd.isTest())
        return answered(out, "+CREG: (0-2)");
    if (cmd.isSet() && cmd.args.size() == 1 && numberArg(cmd.args[0], 0, 2, &m_cregMode))
        return Outcome::Ok;
    return refuse(out);
}

ModemCommands::Outcome ModemCommands::cereg(const Extended &cmd, QByteArray *out)
{
    // Only an LTE modem knows the EPS registration; a GSM one has never heard of it.
    if (!m_config.lteOnly || !cmd.isRead())
        return refuse(out);
    const int stat = !simReady() ? 0 : m_config.denied ? 3 : m_config.registered ? 1 : 2;
    return answered(out, "+CEREG: 0," + QByteArray::number(stat));
}

ModemCommands::Outcome ModemCommands::cops(const Extended &cmd, QByteArray *out)
{
    if (cmd.isRead()) {
        if (!simReady() || !m_config.registered || m_config.denied)
            return answered(out, "+COPS: 0");
        const QString oper = m_copsFormat == 2 ? m_config.networkCode : m_config.networkName;
        return answered(out, "+COPS: 0," + QByteArray::number(m_copsFormat) + ",\"" + encode(oper) + "\",0");
    }
    if (cmd.isSet()) {
        // Only automatic selection (0), and the format of the read answer (3,<format>).
        if (cmd.args.size() == 2 && cmd.args[0] == "3" && numberArg(cmd.args[1], 0, 2, &m_copsFormat))
            return Outcome::Ok;
        if (cmd.args[0] == "0")
            return Outcome::Ok;
    }
    return refuse(out);
}

ModemCommands::Outcome ModemCommands::csq(const Extended &cmd, QByteArray *out)
{
    if (cmd.isAction())
        return answered(out, "+CSQ: " + QByteArray::number(m_config.rssi) + ",99");
    if (cmd.isTest())
        return answered(out, "+CSQ: (0-31,99),(0-7,99)");
    return refuse(out);
}

ModemCommands::Outcome ModemCommands::cscs(const Extended &cmd, QByteArray *out)
{
    if (cmd.isRead())
        return answered(out, "+CSCS: \"" + m_charset + '"');
    if (cmd.isTest())
        return answered(out, "+CSCS: (\"" + kCharsets.join("\",\"") + "\")");
    const QByteArray charset = unquoted(cmd.args.value(0)).toUpper();
    if (cmd.isSet() && cmd.args.size() == 1 && kCharsets.contains(charset)) {
        m_charset = charset;
        return Outcome::Ok;
    }
    return refuse(out);
}
