#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QUrl>

// One HTTP request as HttpClient sends it.
struct HttpRequest
{
    QUrl url;
    bool post = false;
    QByteArray body;                              // POST only
    QList<QPair<QByteArray, QByteArray>> headers; // POST only
};
