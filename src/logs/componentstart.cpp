#include "componentstart.h"

#include "common/error.h"

QString componentStartErrorText()
{
    return QStringLiteral("There was a error in starting the SMS component.\r\n"
                          "This can happen due to incorrect installation of Quillo or corrupted Windows files.");
}

std::unique_ptr<SmsComponent> startSmsComponent(AppContext &context)
{
    std::unique_ptr<SmsComponent> component;
    try {
        if (context.componentFactory)
            component = context.componentFactory();
    } catch (...) {
        // Whatever the factory failed with, the operator sees the same box.
        noteIgnoredError("starting the SMS component");
        component.reset();
    }
    if (!component) {
        context.dialogs.critical(componentStartErrorText());
        return component;
    }
    // What the component tells the operator itself (IsError with show) goes through the
    // program's dialogs like every other box.
    Dialogs *dialogs = &context.dialogs;
    component->setErrorDisplay([dialogs](const QString &text, const QString &title) {
        dialogs->message(text, Dialogs::Icon::Critical, Dialogs::Buttons::Ok, title);
    });
    return component;
}
