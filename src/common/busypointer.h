#pragma once

#include "dialogs.h"

// The hourglass while an import or a listing blocks. Like the window's single mouse-pointer
// setting it is either busy or normal: restore() makes it normal however many handlers
// (a listing retried inside a listing) asked for the hourglass, and the destructor makes
// sure the pointer is normal again when the handler leaves.
class BusyPointer
{
public:
    explicit BusyPointer(Dialogs &dialogs) : m_dialogs(dialogs) {}
    ~BusyPointer()
    {
        if (m_asked)
            restore();
    }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;

    void show()
    {
        m_asked = true;
        m_dialogs.setBusy(true);
    }
    void restore() { m_dialogs.setBusy(false); }

private:
    Dialogs &m_dialogs;
    bool m_asked = false;
};
