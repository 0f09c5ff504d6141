#pragma once

#include "modemconfig.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

// The simulated modem's command set and the settings those commands read and change.
// run() answers one command of a command line the way 3GPP TS 27.007 and 27.005 shape the
// answers: information lines, then nothing on success (the line's OK comes last) or a
// final error. Whatever it does not serve answers ERROR, as a real modem does, so a client
// that probes for a feature learns it is missing instead of trusting a bare OK.
class ModemCommands
{
public:
    enum class Outcome { Ok, Failed, Prompt };

    explicit ModemCommands(const ModemConfig &config);

    // command: "E0", "&F", "+CSCS?" ... without the "AT". Appends its answer lines; on
    // Failed the final error is among them; Prompt: AT+CMGS wants its PDU next.
    Outcome run(const QByteArray &command, QByteArray *out);

    bool echo() const { return m_echo; }
    // The TPDU length AT+CMGS announced.
    int promptLength() const { return m_promptLength; }
    QString serviceCentre() const { return m_smsc; }

    // Where the network's messages and reports go, as AT+CNMI set it: <mt> for messages
    // (2: +CMT at once; 1 or 3: stored and announced with +CMTI; 0: stored), <ds> for
    // status reports (1: +CDS at once; 2: stored and announced with +CDSI; 0: dropped).
    int cnmiMt() const { return m_cnmi[1]; }
    int cnmiDs() const { return m_cnmi[3]; }
    // Keeps a received PDU in memory "SM" (messages) or "SR" (status reports): its index,
    // or -1 when the memory is full.
    int store(const QByteArray &memory, const QByteArray &hex, int tpduLength);
    int storedCount(const QByteArray &memory) const;

private:
    // An extended command split into its form and parameters: AT+NAME, AT+NAME?, AT+NAME=?,
    // AT+NAME=a,b (commas inside quotes do not split; quotes are kept).
    struct Extended
    {
        enum class Form { Action, Read, Test, Set, Malformed };
        QByteArray name;
        Form form = Form::Action;
        QList<QByteArray> args;
        bool isAction() const { return form == Form::Action; }
        bool isRead() const { return form == Form::Read; }
        bool isTest() const { return form == Form::Test; }
        bool isSet() const { return form == Form::Set; }
        bool isMalformed() const { return form == Form::Malformed; }
    };
    static Extended parse(const QByteArray &command);
    static QByteArray unquoted(const QByteArray &arg);
    // A whole number parameter from min to max.
    static bool numberArg(const QByteArray &arg, int min, int max, int *value);

    Outcome runBasic(const QByteArray &upper, QByteArray *out);
    Outcome runExtended(const Extended &cmd, QByteArray *out);
    // One per extended command served, named for it; the SMS ones in modemsmscommands.cpp.
    Outcome cmee(const Extended &cmd, QByteArray *out);
    Outcome cpin(const Extended &cmd, QByteArray *out);
    Outcome cfun(const Extended &cmd, QByteArray *out);
    Outcome creg(const Extended &cmd, QByteArray *out);
    Outcome cereg(const Extended &cmd, QByteArray *out);
    Outcome cops(const Extended &cmd, QByteArray *out);
    Outcome csq(const Extended &cmd, QByteArray *out);
    Outcome cscs(const Extended &cmd, QByteArray *out);
    Outcome csms(const Extended &cmd, QByteArray *out);
    Outcome cpms(const Extended &cmd, QByteArray *out);
    Outcome cnmi(const Extended &cmd, QByteArray *out);
    Outcome cmms(const Extended &cmd, QByteArray *out);
    Outcome cmgf(const Extended &cmd, QByteArray *out);
    Outcome csca(const Extended &cmd, QByteArray *out);
    Outcome cmgs(const Extended &cmd, QByteArray *out);
    Outcome cmgr(const Extended &cmd, QByteArray *out);
    Outcome cmgl(const Extended &cmd, QByteArray *out);
    Outcome cmgd(const Extended &cmd, QByteArray *out);
    // +CMGR, +CMGL and +CMGD work on messages in PDU mode with the SIM ready.
    bool storageReady(QByteArray *out) const;

    static Outcome answered(QByteArray *out, const QByteArray &line);
    // A setting of one number: read shows it, test shows its range, set changes it.
    Outcome numberSetting(const Extended &cmd, const QByteArray &range, int min, int max, int *value, QByteArray *out);
    Outcome refuse(QByteArray *out) const;
    Outcome cmeError(int code, QByteArray *out) const;
    // A string parameter in the selected character set (+CSCS), and back; false when it is
    // not valid in that set.
    QByteArray encode(const QString &text) const;
    bool decode(const QByteArray &quoted, QString *text) const;
    bool simReady() const { return m_pinState == PinState::Ready; }
    void resetProfile();

    enum class PinState { Ready, Pin, Puk };

    ModemConfig m_config;
    bool m_echo = true;
    int m_cmee = 0;
    int m_cmgf = 0;
    int m_copsFormat = 0;
    int m_cregMode = 0;
    QByteArray m_charset = "IRA";
    int m_smsService = 0;
    QList<int> m_cnmi = {0, 0, 0, 0, 0};
    int m_cmms = 0;
    QString m_smsc = QStringLiteral("+447785016005");
    PinState m_pinState = PinState::Ready;
    int m_pinTries = 3;
    int m_promptLength = 0;

    // A stored message; <stat> 0 received unread, 1 received read.
    struct Stored
    {
        int stat = 0;
        QByteArray hex;
        int tpduLength = 0;
    };
    QMap<QByteArray, QMap<int, Stored>> m_memories = {{"SM", {}}, {"SR", {}}};
    QByteArray m_readMemory = "SM"; // <mem1> of AT+CPMS: what AT+CMGR, AT+CMGL and AT+CMGD use
};
