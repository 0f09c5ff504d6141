#include "clioptout.h"

#include "clicommands.h"

#include "common/error.h"
#include "recipients/optoutlist.h"

namespace {

void complain(const QString &text)
{
    std::fprintf(stderr, "quillo-cli: %s\n", text.toUtf8().constData());
}

void print(std::FILE *out, const QString &line)
{
    std::fprintf(out, "%s\n", line.toUtf8().constData());
}

} // namespace

int runOptOut(const CliCommand &command, const QString &dataFolder, const NumberNormaliser &normaliser,
              std::FILE *out)
{
    OptOutList list(OptOutList::pathIn(dataFolder), normaliser);
    try {
        list.load();
    } catch (const QuilloError &error) {
        complain(error.description());
        return kBadInput;
    }
    if (const QString warning = list.badLinesWarning(); !warning.isEmpty())
        complain(QString(warning).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));

    if (command.optOutAction == QLatin1String("list")) {
        for (const QString &number : list.numbers())
            print(out, number);
        return kAllSent;
    }

    const bool adding = command.optOutAction == QLatin1String("add");
    QStringList changed;
    int missing = 0;
    for (const QString &number : command.optOutNumbers) {
        if (adding) {
            switch (list.add(number)) {
            case OptOutList::Added::Added:
                changed << QStringLiteral("added ") + number;
                break;
            case OptOutList::Added::AlreadyListed:
                complain(QStringLiteral("%1 is already on the opt-out list").arg(number));
                break;
            case OptOutList::Added::NotANumber:
                complain(normaliser.isOn() ? QStringLiteral("optout add: '%1' is not a valid phone number for %2; "
                                                            "nothing added")
                                                 .arg(number, numberCountryCaption(normaliser.country()))
                                           : QStringLiteral("optout add: '%1' is not a phone number; nothing added")
                                                 .arg(number));
                return kBadInput;
            }
        } else if (list.remove(number) > 0) {
            changed << QStringLiteral("removed ") + number;
        } else {
            complain(QStringLiteral("%1 is not on the opt-out list").arg(number));
            ++missing;
        }
    }
    if (!changed.isEmpty()) {
        try {
            list.save();
        } catch (const QuilloError &error) {
            complain(error.description());
            return kBadInput;
        }
    }
    for (const QString &line : std::as_const(changed))
        print(out, line);
    return missing > 0 ? kSomeNotSent : kAllSent;
}
