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
    bool withFields = false; // each number brings its row's other columns along
};

// What `send` overrides of the stored settings; an option not given leaves the setting as stored.
struct SendOptions
{
    QString message;     // --message, as typed
    QString messageFile; // --message-file
    std::optional<QString> port, baud, pin, longMessage, validity, delay, retry;
    // --country: a two-letter code in capitals, or empty for none. It also applies to the
    // numbers of `numbers` and `optout`.
    std::optional<QString> country;
    // --port given again: further modems of the run, with the port settings of the first.
    QStringList morePorts;
    bool deliveryReports = false; // --delivery-reports
    int waitSeconds = 0;          // --wait: how long reports are waited for after the run
    // --pause MIN[-MAX], --parts-per-hour, --parts-per-day, --recipients-per-day: the pacing
    // of every modem of the run, each over the stored value.
    std::optional<QString> minPause, maxPause, partsPerHour, partsPerDay, recipientsPerDay;
    bool unicode = false;
    bool alert = false;
    bool dryRun = false; // print what would be sent, open no port
    QString reportPath;
    // --gateway URL, or "stored" for config.ini's gateway; the others override its keys.
    std::optional<QString> gateway, gatewayUser, gatewayPassword, gatewaySmsc, gatewaySender;
};

struct CliCommand
{
    enum class Kind { Help, Numbers, Send, Resume, OptOut, Replies };
    Kind kind = Kind::Help;
    QString helpTopic; // "", "numbers", "send", "resume", "optout" or "replies"
    SourceOptions source;
    SendOptions send;
    QString journal; // resume: the journal to continue; empty: the newest unfinished one
    bool includeUncertain = false;
    QString optOutAction;     // optout: "add", "remove" or "list"
    QStringList optOutNumbers; // optout add and remove: the numbers, as typed
    int listenSeconds = 0;     // replies --listen: how long to hear the modem; 0: only print
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
