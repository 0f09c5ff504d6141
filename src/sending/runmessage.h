#pragma once

#include <QString>

// What a sending run sends, as the composer shows it when Start is clicked.
struct ComposedMessage
{
    QString text; // the box of the chosen alphabet, untrimmed, CR LF line ends
    QString url;  // as typed
    bool wapPush = false;
    bool alert = false;
    int encoding = 0; // AppState::MessageEncoding
};

// The two message settings a run reads from the Settings tab as they stand, saved or not.
struct MessageOptions
{
    QString longMessage; // the long-message choice's text
    bool internalSmsc = false;
};
