#include "modemcommands.h"

#include "modemreplies.h"

// The SMS commands of 3GPP TS 27.005 that the simulated modem serves.

using namespace modemreply;

namespace {

// Message storage: the SIM only, and empty, since this modem keeps no messages.
constexpr int kSimSlots = 30;
// The values accepted for each of +CNMI's <mode>, <mt>, <bm>, <ds> and <bfr>, as its test
// command lists them. No message ever arrives here, so any routing asked for is harmless.
const QList<QList<int>> kCnmiValues = {{0, 1, 2}, {0, 1, 2, 3}, {0, 2}, {0, 1, 2}, {0, 1}};

} // namespace

ModemCommands::Outcome ModemCommands::csms(const Extended &cmd, QByteArray *out)
{
    // Phase 2 (0) and phase 2+ (1) messaging; either way it sends, receives and broadcasts.
    if (cmd.isRead())
        return answered(out, "+CSMS: " + QByteArray::number(m_smsService) + ",1,1,1");
    if (cmd.isTest())
        return answered(out, "+CSMS: (0,1)");
    if (cmd.isSet() && cmd.args.size() == 1 && numberArg(cmd.args[0], 0, 1, &m_smsService))
        return answered(out, "+CSMS: 1,1,1");
    return refuse(out);
}

ModemCommands::Outcome ModemCommands::cpms(const Extended &cmd, QByteArray *out)
{
    const QByteArray usage = "0," + QByteArray::number(kSimSlots);
    if (cmd.isRead()) {
        const QByteArray sim = "\"SM\"," + usage;
        return answered(out, "+CPMS: " + sim + ',' + sim + ',' + sim);
    }
    if (cmd.isTest())
        return answered(out, "+CPMS: (\"SM\"),(\"SM\"),(\"SM\")");
    if (!cmd.isSet() || cmd.args.size() > 3)
        return refuse(out);
    for (const QByteArray &memory : cmd.args) {
        if (unquoted(memory).toUpper() != "SM")
            return refuse(out);
    }
    return answered(out, "+CPMS: " + usage + ',' + usage + ',' + usage);
}

ModemCommands::Outcome ModemCommands::cnmi(const Extended &cmd, QByteArray *out)
{
    if (cmd.isRead()) {
        QByteArrayList values;
        for (const int v : m_cnmi)
            values << QByteArray::number(v);
        return answered(out, "+CNMI: " + values.join(','));
    }
    if (cmd.isTest())
        return answered(out, "+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)");
    if (!cmd.isSet() || cmd.args.size() > m_cnmi.size())
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
    return numberSetting(cmd, "(0-2)", 0, 2, &m_cmms, out);
}

ModemCommands::Outcome ModemCommands::cmgf(const Extended &cmd, QByteArray *out)
{
    return numberSetting(cmd, "(0,1)", 0, 1, &m_cmgf, out);
}

ModemCommands::Outcome ModemCommands::csca(const Extended &cmd, QByteArray *out)
{
    if (cmd.isRead()) {
        // Type of address: 145 international (a leading "+"), 129 unknown.
        const QByteArray type = m_smsc.startsWith(u'+') ? "145" : "129";
        return answered(out, "+CSCA: \"" + encode(m_smsc) + "\"," + type);
    }
    if (cmd.isTest())
        return Outcome::Ok;
    int type = 0;
    QString smsc;
    if (cmd.isSet() && cmd.args.size() <= 2 && decode(cmd.args[0], &smsc)
        && (cmd.args.size() == 1 || (numberArg(cmd.args[1], 129, 145, &type) && (type == 129 || type == 145)))) {
        m_smsc = smsc;
        return Outcome::Ok;
    }
    return refuse(out);
}

ModemCommands::Outcome ModemCommands::cmgs(const Extended &cmd, QByteArray *out)
{
    if (cmd.isTest())
        return Outcome::Ok;
    if (!cmd.isSet())
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
