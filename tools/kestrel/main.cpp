// kestrel: checks a modem and sends messages with the same component the application uses.
//   kestrel info --port P [--baud N] [--pin PIN]
//   kestrel send --port P [--unicode] [--alert] [--long MODE] [--validity "1 Week"]
//                [--smsc +NUMBER] [--wap-url URL] NUMBER TEXT
// On failure it prints "ERROR <number> <description>" and exits with 1 (2 for bad usage).

#include "kestrel/kestrel.h"
#include "kestrel/kestrelerrors.h"
#include "modemsim/simulatorport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace {

int fail(SmsComponent &modem)
{
    fprintf(stderr, "ERROR %d %s\n", modem.ErrorNumber(), qPrintable(modem.ErrorDescription()));
    return 1;
}

int usage(const QString &text)
{
    fprintf(stderr, "kestrel: %s\n", qPrintable(text));
    return 2;
}

// "1 Week" -> "1W", "12 Hour" -> "12H"; a code already short ("1W") is kept.
QString validityCode(const QString &text)
{
    const QString t = text.trimmed();
    const int space = t.indexOf(u' ');
    if (space < 1)
        return t;
    return t.left(space) + t.mid(space + 1, 1).toUpper();
}

int longMode(const QString &name)
{
    static const QStringList kModes = {QStringLiteral("truncate"), QStringLiteral("split"),
                                       QStringLiteral("formatted"), QStringLiteral("concatenate")};
    return int(kModes.indexOf(name.toLower()));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrel"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("GSM modem check and SMS sending.\n"
                                                    "Commands: info, send NUMBER TEXT, errors"));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Serial port (COM1, /dev/ttyUSB0, SIMULATOR)."), QStringLiteral("P"));
    const QCommandLineOption baud(QStringLiteral("baud"), QStringLiteral("Baud rate (default 9600)."), QStringLiteral("N"), QStringLiteral("9600"));
    const QCommandLineOption dataBits(QStringLiteral("data-bits"), QStringLiteral("Data bits (default 8)."), QStringLiteral("N"), QStringLiteral("8"));
    const QCommandLineOption parity(QStringLiteral("parity"), QStringLiteral("Parity N, O, E, M or S (default N)."), QStringLiteral("X"), QStringLiteral("N"));
    const QCommandLineOption stopBits(QStringLiteral("stop-bits"), QStringLiteral("Stop bits 1, 1.5 or 2 (default 1)."), QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption pin(QStringLiteral("pin"), QStringLiteral("SIM PIN."), QStringLiteral("PIN"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QStringLiteral("Answer time limit in ms (default 30000)."), QStringLiteral("MS"), QStringLiteral("30000"));
    const QCommandLineOption connectTimeout(QStringLiteral("connect-timeout"), QStringLiteral("Registration time limit in ms (default 30000)."), QStringLiteral("MS"), QStringLiteral("30000"));
    const QCommandLineOption logDir(QStringLiteral("log-dir"), QStringLiteral("Folder for Kestrel.log."), QStringLiteral("DIR"));
    const QCommandLineOption logLevel(QStringLiteral("log-level"), QStringLiteral("0 off, 1 errors, 2 errors and status (default 2 with --log-dir)."), QStringLiteral("N"), QStringLiteral("2"));
    const QCommandLineOption unicode(QStringLiteral("unicode"), QStringLiteral("Send in UCS2."));
    const QCommandLineOption alert(QStringLiteral("alert"), QStringLiteral("Flash message (class 0)."));
    const QCommandLineOption longMsg(QStringLiteral("long"), QStringLiteral("truncate, split, formatted or concatenate (default truncate)."), QStringLiteral("MODE"), QStringLiteral("truncate"));
    const QCommandLineOption validity(QStringLiteral("validity"), QStringLiteral("Validity such as \"1 Week\" or 12H."), QStringLiteral("V"));
    const QCommandLineOption smsc(QStringLiteral("smsc"), QStringLiteral("Service centre number."), QStringLiteral("NUMBER"));
    const QCommandLineOption wapUrl(QStringLiteral("wap-url"), QStringLiteral("Send a WAP Push to this URL with TEXT."), QStringLiteral("URL"));
    const QCommandLineOption delay(QStringLiteral("delay"), QStringLiteral("Milliseconds between messages."), QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption retry(QStringLiteral("retry"), QStringLiteral("Retries of a failed message."), QStringLiteral("N"), QStringLiteral("0"));
    parser.addOptions({port, baud, dataBits, parity, stopBits, pin, timeout, connectTimeout, logDir, logLevel,
                       unicode, alert, longMsg, validity, smsc, wapUrl, delay, retry});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("info, send or errors"));
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    if (command == QLatin1String("errors")) {
        for (const kestrel::ErrorInfo &e : kestrel::ownErrors())
            printf("%d %s\n", e.number, qPrintable(e.description));
        return 0;
    }
    if (command != QLatin1String("info") && command != QLatin1String("send"))
        return usage(QStringLiteral("expected a command: info, send or errors (see --help)"));
    if (!parser.isSet(port))
        return usage(QStringLiteral("--port is required"));
    if (command == QLatin1String("send") && args.size() != 3)
        return usage(QStringLiteral("send takes NUMBER and TEXT"));
    const int mode = longMode(parser.value(longMsg));
    if (mode < 0)
        return usage(QStringLiteral("--long takes truncate, split, formatted or concatenate"));

    installSimulatorPort();
    std::unique_ptr<SmsComponent> modem = createKestrel();
    modem->setInitFlag(false);
    if (parser.isSet(logDir)) {
        modem->setModemLogType(parser.value(logLevel).toInt());
        modem->setLogPath(QDir(parser.value(logDir)).absolutePath());
    }
    modem->setPort(parser.value(port));
    modem->setBaudRate(parser.value(baud).toInt());
    modem->setDataBits(qint16(parser.value(dataBits).toInt()));
    modem->setStopBits(parser.value(stopBits));
    modem->setParity(parser.value(parity).left(1));
    modem->setCommTimeout(parser.value(timeout).toInt());
    modem->setPIN(parser.value(pin));
    modem->setConnectTimeout(parser.value(connectTimeout).toInt());
    modem->setNoPin(parser.value(pin).trimmed().isEmpty());
    modem->Connect();
    if (modem->IsError(false, QString()))
        return fail(*modem);

    if (command == QLatin1String("info")) {
        const QString manufacturer = modem->Manufacturer();
        const QString model = modem->Model();
        const QString imei = modem->IMEI();
        const QString imsi = modem->IMSI();
        QString network = modem->NetworkName();
        if (network.trimmed().isEmpty())
            network = modem->NetworkCode();
        const int signal = modem->SignalStrength();
        printf("Manufacturer: %s\nModel: %s\nIMEI: %s\nIMSI: %s\nNetwork: %s\nSignal: %d\n",
               qPrintable(manufacturer), qPrintable(model), qPrintable(imei), qPrintable(imsi),
               qPrintable(network), signal);
        return modem->IsError(false, QString()) ? fail(*modem) : 0;
    }

    modem->setEncoding(parser.isSet(unicode) ? 2 : 0);
    modem->setSendDelay(parser.value(delay).toInt());
    modem->setSendRetry(parser.value(retry).toInt());
    modem->setLongMessage(mode);
    if (parser.isSet(validity))
        modem->setValidity(validityCode(parser.value(validity)));
    if (parser.isSet(smsc))
        modem->setSMSC(parser.value(smsc));
    if (modem->IsError(false, QString()))
        return fail(*modem);

    QString report;
    if (parser.isSet(wapUrl)) {
        SmsWapPush &push = modem->WapPush();
        push.setPushLevel(2);
        push.setPushDate(0);
        push.setPushId(QStringLiteral("0"));
        push.setUrl(parser.value(wapUrl));
        push.setText(args.at(2));
        push.setDestination(args.at(1));
        report = push.Send();
    } else {
        report = modem->SendSMS(args.at(1), args.at(2), parser.isSet(alert));
    }
    if (modem->IsError(false, QString()))
        return fail(*modem);
    printf("%s\n", qPrintable(report));
    return 0;
}
