#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The command line of quillo-cli, read into plain values: no file is opened here, so every
// refusal of a word on the line is found (and tested) before anything is imported or sent.

// Where the numbers come from: the import dialog's boxes, filled from options.
struct SourceOptions
{
    QString path;
    QString table;  // --sheet or --table; empty: the first
    QString column; // empty: the first
    QString filterColumn;
    QString condition; // the dialog's condition text ("equals", "begins with", ...)
    QString filterValue;
};

// What `send` overrides of the stored settings; an option not given leaves the setting as stored.
struct SendOptions
{
    QString message;     // --message, as typed
    QString messageFile; // --message-file
    std::optional<QString> port, baud, pin, longMessage, validity, delay, retry;
    // --port given again: further modems of the run, with the port settings of the first.
    QStringList morePorts;
    bool unicode = false;
    bool alert = false;
    QString reportPath;
    // --gateway URL, or "stored" for config.ini's gateway; the others override its keys.
    std::optional<QString> gateway, gatewayUser, gatewayPassword, gatewaySmsc, gatewaySender;
};

struct CliCommand
{
    enum class Kind { Help, Numbers, Send, Resume };
    Kind kind = Kind::Help;
    QString helpTopic; // "", "numbers" or "send"
    SourceOptions source;
    SendOptions send;
    QString journal; // resume: the journal to continue; empty: the newest unfinished one
    bool includeUncertain = false;
};

// The command, or the error text naming the option or word at fault.
struct CliParse
{
    CliCommand command;
    QString error;
};

// arguments without the program name.
CliParse parseCliArguments(const QStringList &arguments);

// The dialog's condition text for an operator or condition typed on the line (symbols as
// SQL writes them, words in any case); empty when it is neither.
QString conditionForOperator(const QString &op);

// The usage text of a command ("" for the general one).
QString cliUsage(const QString &topic);
