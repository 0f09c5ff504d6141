#pragma once

#include "gateway/httprequest.h"
#include "gateway/kannelroute.h"

// The HTTP side of Kannel's sendsms interface: what one message's request holds, and
// what Kannel's answer means for the message.
namespace kannel {

// Every report smsbox can send back: delivered (1), not delivered (2), buffered at the
// SMSC (4), accepted by the SMSC (8), refused by the SMSC (16).
constexpr int kReportMask = 1 | 2 | 4 | 8 | 16;

// A POST carries the text, UTF-8, as its body and the options in X-Kannel headers.
HttpRequest buildRequest(const KannelRoute &route, const KannelMessage &message);

enum class Verdict {
    Accepted,  // taken for delivery
    Queued,    // taken, but Kannel holds it until the SMSC has room: slow down
    Refused,   // this message will not go: the answer says why
    TryLater,  // Kannel is busy or throttling: the message did not go, send it again later
    Forbidden, // the user name or password is wrong: no message will go
};

struct Answer
{
    Verdict verdict;
    QString text; // Kannel's own words, for the log and the list of failed numbers
};

// httpStatus 0: no HTTP answer at all.
Answer readAnswer(int httpStatus, const QByteArray &body);

// The URL as a log may show it: the password replaced.
QString loggable(const QUrl &url);

} // namespace kannel
