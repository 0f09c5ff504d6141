#include "modemcommands.h"

#include "modemreplies.h"

// The SMS commands of 3GPP TS 27.005 that the simulated modem serves.

using namespace modemreply;

namespace {

// Message storage: the SIM ("SM") for messages and a status report memory ("SR") that
// AT+CMGR, AT+CMGL and AT+CMGD reach once AT+CPMS chose it; messages sent are not kept.
constexpr int kSlots = 30;
// The values accepted for each of +CNMI's <mode>, <mt>, <bm>, <ds> and <bfr>, as its test
// command lists them. Whatever <mode> says, indications are sent as for 2: held while the
// host is in the middle of a command, sent after it.
const QList<QList<int>> kCnmiValues = {{0, 1, 2}, {0, 1, 2, 3}, {0, 2}, {0, 1, 2}, {0, 1}};
// AT+CMGL's <stat> in PDU mode: 0 received unread, 1 received read, 4 all.
constexpr int kAllMessages = 4;

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
    const auto usage = [this](const QByteArray &memory) {
        return QByteArray::number(storedCount(memory)) + ',' + QByteArray::number(kSlots);
    };
    if (cmd.isRead()) {
        return answered(out, "+CPMS: \"" + m_readMemory + "\"," + usage(m_readMemory) + ",\"SM\"," + usage("SM")
                                 + ",\"SM\"," + usage("SM"));
    }
    if (cmd.isTest())
        return answered(out, "+CPMS: (\"SM\",\"SR\"),(\"SM\"),(\"SM\")");
    if (!cmd.isSet() || cmd.args.size() > 3)
        return refuse(out);
    // Status reports can be read and deleted, never written or received into.
    const QByteArray readMemory = unquoted(cmd.args[0]).toUpper();
    if (!m_memories.contains(readMemory))
        return refuse(out);
    for (const QByteArray &memory : cmd.args.mid(1)) {
        if (unquoted(memory).toUpper() != "SM")
            return refuse(out);
    }
    m_readMemory = readMemory;
    return answered(out, "+CPMS: " + usage(m_readMemory) + ',' + usage("SM") + ',' + usage("SM"));
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
    if (m_config.refuseCmms)
        return refuse(out);
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

int ModemCommands::store(const QByteArray &memory, const QByteArray &hex, int tpduLength)
{
    QMap<int, Stored> &records = m_memories[memory];
    // The lowest free index, as a SIM fills its records.
    for (int index = 1; index <= kSlots; ++index) {
        if (!records.contains(index)) {
            records.insert(index, Stored{0, hex, tpduLength});
            return index;
        }
    }
    return -1;
}

int ModemCommands::storedCount(const QByteArray &memory) const
{
    return int(m_memories.value(memory).size());
}

bool ModemCommands::storageReady(QByteArray *out) const
{
    if (!simReady()) {
        out->append(cmsError(m_pinState == PinState::Pin ? 311 : 316));
        return false;
    }
    if (m_cmgf != 0) {
        out->append(cmsError(302)); // text mode is not served
        return false;
    }
    return true;
}

ModemCommands::Outcome ModemCommands::cmgr(const Extended &cmd, QByteArray *out)
{
    if (cmd.isTest())
        return Outcome::Ok;
    if (!cmd.isSet() || cmd.args.size() != 1)
        return refuse(out);
    if (!storageReady(out))
        return Outcome::Failed;
    int index = 0;
    QMap<int, Stored> &records = m_memories[m_readMemory];
    if (!numberArg(cmd.args[0], 0, 1000, &index) || !records.contains(index)) {
        out->append(cmsError(321)); // invalid memory index
        return Outcome::Failed;
    }
    Stored &message = records[index];
    // PDU mode: +CMGR: <stat>,[<alpha>],<length>, then the PDU on a line of its own.
    out->append(info("+CMGR: " + QByteArray::number(message.stat) + ",," + QByteArray::number(message.tpduLength)
                     + "\r\n" + message.hex));
    message.stat = 1;
    return Outcome::Ok;
}

ModemCommands::Outcome ModemCommands::cmgl(const Extended &cmd, QByteArray *out)
{
    if (cmd.isTest())
        return answered(out, "+CMGL: (0,1,4)");
    int stat = 0;
    if (cmd.isSet() && (cmd.args.size() != 1 || !numberArg(cmd.args[0], 0, kAllMessages, &stat) || stat == 2 || stat == 3))
        return refuse(out);
    if (!cmd.isSet() && !cmd.isAction())
        return refuse(out);
    if (!storageReady(out))
        return Outcome::Failed;
    QByteArray lines;
    for (auto it = m_memories[m_readMemory].begin(); it != m_memories[m_readMemory].end(); ++it) {
        if (stat != kAllMessages && it->stat != stat)
            continue;
        lines += "+CMGL: " + QByteArray::number(it.key()) + ',' + QByteArray::number(it->stat) + ",,"
                 + QByteArray::number(it->tpduLength) + "\r\n" + it->hex + "\r\n";
        it->stat = 1;
    }
    if (!lines.isEmpty())
        out->append("\r\n" + lines);
    return Outcome::Ok;
}

ModemCommands::Outcome ModemCommands::cmgd(const Extended &cmd, QByteArray *out)
{
    if (cmd.isTest())
        return answered(out, "+CMGD: (1-" + QByteArray::number(kSlots) + "),(0-4)");
    int index = 0;
    int flag = 0;
    if (!cmd.isSet() || cmd.args.size() > 2 || (cmd.args.size() == 2 && !numberArg(cmd.args[1], 0, 4, &flag)))
        return refuse(out);
    if (!storageReady(out))
        return Outcome::Failed;
    QMap<int, Stored> &records = m_memories[m_readMemory];
    if (flag == 0) {
        if (!numberArg(cmd.args[0], 0, 1000, &index) || !records.contains(index)) {
            out->append(cmsError(321));
            return Outcome::Failed;
        }
        records.remove(index);
        return Outcome::Ok;
    }
    // Flags 1-3 delete the read messages (and sent or unsent ones, which this modem never
    // keeps); 4 deletes everything.
    for (auto it = records.begin(); it != records.end();)
        it = (flag == 4 || it->stat == 1) ? records.erase(it) : std::next(it);
    return Outcome::Ok;
}
