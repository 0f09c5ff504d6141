#include "modemcommands.h"

#include "gsmalphabet.h"
#include "modemreplies.h"

#include <QHash>

using namespace modemreply;

namespace {

// Message storage: the SIM only, and empty, since this modem keeps no messages.
constexpr int kSimSlots = 30;
const QList<QByteArray> kCharsets = {"IRA", "GSM", "UCS2"};
// Tables of 27.005's new message indications (+CNMI): the values served for each of
// <mode>, <mt>, <bm>, <ds>, <bfr>. No message ever arrives, so any routing is kept honestly.
const QList<QList<int>> kCnmiValues = {{0, 1, 2}, {0, 1, 2, 3}, {0, 2}, {0, 1, 2}, {0, 1}};

QByteArray unquoted(const QByteArray &arg)
{
    const QByteArray a = arg.trimmed();
    return a.size() >= 2 && a.startsWith('"') && a.endsWith('"') ? a.mid(1, a.size() - 2) : a;
}

// A whole number parameter from min to max.
bool numberArg(const QByteArray &arg, int min, int max, int *value)
{
    bool ok = false;
    const int n = arg.trimmed().toInt(&ok);
    if (!ok || n < min || n > max)
        return false;
    *value = n;
    return true;
}

} // namespace

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
    // IRA is ASCII; a configured name beyond it goes out as UTF-8, as many modems do.
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
        out->append(info(m_config.manufacturer.toLatin1() + "\r\n" + m_config.model.toLatin1() + "\r\nRevision: "
                         + m_config.revision.toLatin1()));
        return Outcome::Ok;
    }
    // Verbose results without quiet mode are all this modem speaks; DCD and DTR have no
    // wires on a pseudo-terminal, so any of their modes is accepted and means nothing.
    static const QList<QByteArray> accepted = {"V1", "Q0", "&C0", "&C1", "&D0", "&D1", "&D2"};
    return accepted.contains(upper) ? Outcome::Ok : refuse(out);
}

ModemCommands::Outcome ModemCommands::runExtended(const Extended &cmd, QByteArray *out)
{
    if (cmd.is(Extended::Form::Malformed))
        return refuse(out);
    // Identification: the value alone is the answer, with or without the "C" of 27.007.
    const QHash<QByteArray, QString> identities = {
        {"+CGMI", m_config.manufacturer}, {"+GMI", m_config.manufacturer},
        {"+CGMM", m_config.model}, {"+GMM", m_config.model},
        {"+CGMR", m_config.revision}, {"+GMR", m_config.revision},
        {"+CGSN", m_config.imei}, {"+GSN", m_config.imei}, {"+CIMI", m_config.imsi}};
    if (identities.contains(cmd.name)) {
        if (cmd.is(Extended::Form::Test))
            return Outcome::Ok;
        if (!cmd.is(Extended::Form::Action))
            return refuse(out);
        if (cmd.name == "+CIMI" && !simReady())
            return cmeError(m_pinState == PinState::Pin ? 11 : 12, out);
        out->append(info(identities.value(cmd.name).toLatin1()));
        return Outcome::Ok;
    }
    using Handler = Outcome (ModemCommands::*)(const Extended &, QByteArray *);
    static const QHash<QByteArray, Handler> handlers = {
        {"+CMEE", &ModemCommands::cmee}, {"+CPIN", &ModemCommands::cpin}, {"+CREG", &ModemCommands::creg},
        {"+CEREG", &ModemCommands::cereg}, {"+COPS", &ModemCommands::cops}, {"+CSQ", &ModemCommands::csq},
        {"+CSCS", &ModemCommands::cscs}, {"+CSMS", &ModemCommands::csms}, {"+CPMS", &ModemCommands::cpms},
        {"+CNMI", &ModemCommands::cnmi}, {"+CMMS", &ModemCommands::cmms}, {"+CMGF", &ModemCommands::cmgf},
        {"+CSCA", &ModemCommands::csca}, {"+CMGS", &ModemCommands::cmgs}, {"+CFUN", &ModemCommands::cfun}};
    const Handler handler = handlers.value(cmd.name);
    return handler ? (this->*handler)(cmd, out) : refuse(out);
}

ModemCommands::Outcome ModemCommands::cmee(const Extended &cmd, QByteArray *out)
{
    if (cmd.is(Extended::Form::Read)) {
        out->append(info("+CMEE: " + QByteArray::number(m_cmee)));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Test)) {
        out->append(info("+CMEE: (0-2)"));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Set) && cmd.args.size() == 1 && numberArg(cmd.args[0], 0, 2, &m_cmee))
        return Outcome::Ok;
    return refuse(out);
}

ModemCommands::Outcome ModemCommands::cpin(const Extended &cmd, QByteArray *out)
{
    if (cmd.is(Extended::Form::Read)) {
        const char *state = m_pinState == PinState::Ready ? "READY" : m_pinState == PinState::Pin ? "SIM PIN" : "SIM PUK";
        out->append(info(QByteArray("+CPIN: ") + state));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Test))
        return Outcome::Ok;
    if (!cmd.is(Extended::Form::Set))
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
    if (cmd.is(Extended::Form::Read)) {
        out->append(info("+CFUN: 1"));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Test)) {
        out->append(info("+CFUN: (1),(0)"));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Set) && cmd.args.size() <= 2 && cmd.args[0] == "1" && cmd.args.value(1, "0") == "0")
        return Outcome::Ok;
    return refuse(out);
}

ModemCommands::Outcome ModemCommands::creg(const Extended &cmd, QByteArray *out)
{
    if (cmd.is(Extended::Form::Read)) {
        const int stat = !simReady() ? 0 : m_config.denied ? 3 : m_config.lteOnly ? 0 : m_config.registered ? 1 : 2;
        out->append(info("+CREG: " + QByteArray::number(m_cregMode) + ',' + QByteArray::number(stat)));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Test)) {
        out->append(info("+CREG: (0-2)"));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Set) && cmd.args.size() == 1 && numberArg(cmd.args[0], 0, 2, &m_cregMode))
        return Outcome::Ok;
    return refuse(out);
}

ModemCommands::Outcome ModemCommands::cereg(const Extended &cmd, QByteArray *out)
{
    // Only an LTE modem knows the EPS registration; a GSM one has never heard of it.
    if (!m_config.lteOnly || !cmd.is(Extended::Form::Read))
        return refuse(out);
    const int stat = !simReady() ? 0 : m_config.denied ? 3 : m_config.registered ? 1 : 2;
    out->append(info("+CEREG: 0," + QByteArray::number(stat)));
    return Outcome::Ok;
}

ModemCommands::Outcome ModemCommands::cops(const Extended &cmd, QByteArray *out)
{
    if (cmd.is(Extended::Form::Read)) {
        if (!simReady() || !m_config.registered || m_config.denied) {
            out->append(info("+COPS: 0"));
            return Outcome::Ok;
        }
        const QString oper = m_copsFormat == 2 ? m_config.networkCode : m_config.networkName;
        out->append(info("+COPS: 0," + QByteArray::number(m_copsFormat) + ",\"" + encode(oper) + "\",0"));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Set)) {
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
    if (cmd.is(Extended::Form::Action)) {
        out->append(info("+CSQ: " + QByteArray::number(m_config.rssi) + ",99"));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Test)) {
        out->append(info("+CSQ: (0-31,99),(0-7,99)"));
        return Outcome::Ok;
    }
    return refuse(out);
}

ModemCommands::Outcome ModemCommands::cscs(const Extended &cmd, QByteArray *out)
{
    if (cmd.is(Extended::Form::Read)) {
        out->append(info("+CSCS: \"" + m_charset + '"'));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Test)) {
        out->append(info("+CSCS: (\"" + kCharsets.join("\",\"") + "\")"));
        return Outcome::Ok;
    }
    const QByteArray charset = unquoted(cmd.args.value(0)).toUpper();
    if (cmd.is(Extended::Form::Set) && cmd.args.size() == 1 && kCharsets.contains(charset)) {
        m_charset = charset;
        return Outcome::Ok;
    }
    return refuse(out);
}

ModemCommands::Outcome ModemCommands::csms(const Extended &cmd, QByteArray *out)
{
    // Phase 2 (0) and phase 2+ (1) messaging; either way it sends, receives and broadcasts.
    if (cmd.is(Extended::Form::Read)) {
        out->append(info("+CSMS: " + QByteArray::number(m_smsService) + ",1,1,1"));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Test)) {
        out->append(info("+CSMS: (0,1)"));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Set) && cmd.args.size() == 1 && numberArg(cmd.args[0], 0, 1, &m_smsService)) {
        out->append(info("+CSMS: 1,1,1"));
        return Outcome::Ok;
    }
    return refuse(out);
}

ModemCommands::Outcome ModemCommands::cpms(const Extended &cmd, QByteArray *out)
{
    const QByteArray usage = "0," + QByteArray::number(kSimSlots);
    if (cmd.is(Extended::Form::Read)) {
        const QByteArray sim = "\"SM\"," + usage;
        out->append(info("+CPMS: " + sim + ',' + sim + ',' + sim));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Test)) {
        out->append(info("+CPMS: (\"SM\"),(\"SM\"),(\"SM\")"));
        return Outcome::Ok;
    }
    if (!cmd.is(Extended::Form::Set) || cmd.args.size() > 3)
        return refuse(out);
    for (const QByteArray &memory : cmd.args) {
        if (unquoted(memory).toUpper() != "SM")
            return refuse(out);
    }
    out->append(info("+CPMS: " + usage + ',' + usage + ',' + usage));
    return Outcome::Ok;
}

ModemCommands::Outcome ModemCommands::cnmi(const Extended &cmd, QByteArray *out)
{
    if (cmd.is(Extended::Form::Read)) {
        QByteArrayList values;
        for (const int v : m_cnmi)
            values << QByteArray::number(v);
        out->append(info("+CNMI: " + values.join(',')));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Test)) {
        out->append(info("+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)"));
        return Outcome::Ok;
    }
    if (!cmd.is(Extended::Form::Set) || cmd.args.size() > m_cnmi.size())
        return refuse(out);
    QList<int> next = m_cnmi;
    for (qsizetype i = 0; i < cmd.args.size(); ++i) {
        if (cmd.args[i].isEmpty())
            continue; // an omitted parameter keeps its setting
        int value = -1;
        if (!numberArg(cmd.args[i], 0, 9, &value) || !kCnmiValues[i].contains(value))
            return refuse(out);
        next[i] = value;
    }
    m_cnmi = next;
    return Outcome::Ok;
}

ModemCommands::Outcome ModemCommands::cmms(const Extended &cmd, QByteArray *out)
{
    if (cmd.is(Extended::Form::Read)) {
        out->append(info("+CMMS: " + QByteArray::number(m_cmms)));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Test)) {
        out->append(info("+CMMS: (0-2)"));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Set) && cmd.args.size() == 1 && numberArg(cmd.args[0], 0, 2, &m_cmms))
        return Outcome::Ok;
    return refuse(out);
}

ModemCommands::Outcome ModemCommands::cmgf(const Extended &cmd, QByteArray *out)
{
    if (cmd.is(Extended::Form::Read)) {
        out->append(info("+CMGF: " + QByteArray::number(m_cmgf)));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Test)) {
        out->append(info("+CMGF: (0,1)"));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Set) && cmd.args.size() == 1 && numberArg(cmd.args[0], 0, 1, &m_cmgf))
        return Outcome::Ok;
    return refuse(out);
}

ModemCommands::Outcome ModemCommands::csca(const Extended &cmd, QByteArray *out)
{
    if (cmd.is(Extended::Form::Read)) {
        // Type of address: 145 international (a leading "+"), 129 unknown.
        const QByteArray type = m_smsc.startsWith(u'+') ? "145" : "129";
        out->append(info("+CSCA: \"" + encode(m_smsc) + "\"," + type));
        return Outcome::Ok;
    }
    if (cmd.is(Extended::Form::Test))
        return Outcome::Ok;
    int type = 0;
    QString smsc;
    if (cmd.is(Extended::Form::Set) && cmd.args.size() <= 2 && decode(cmd.args[0], &smsc)
        && (cmd.args.size() == 1 || (numberArg(cmd.args[1], 129, 145, &type) && (type == 129 || type == 145)))) {
        m_smsc = smsc;
        return Outcome::Ok;
    }
    return refuse(out);
}

ModemCommands::Outcome ModemCommands::cmgs(const Extended &cmd, QByteArray *out)
{
    if (cmd.is(Extended::Form::Test))
        return Outcome::Ok;
    if (!cmd.is(Extended::Form::Set))
        return refuse(out);
    if (!simReady()) {
        out->append(cmsError(m_pinState == PinState::Pin ? 311 : 316));
        return Outcome::Failed;
    }
    if (m_cmgf != 0) {
        out->append(cmsError(302));
        return Outcome::Failed;
    }
    if (cmd.args.size() != 1 || !numberArg(cmd.args[0], 7, 164, &m_promptLength)) {
        out->append(cmsError(304));
        return Outcome::Failed;
    }
    out->append("\r\n> ");
    return Outcome::Prompt;
}
