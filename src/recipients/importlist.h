#pragma once

#include <QString>

// What an import needs of the RecipientList: empty it, append at the end, and the exact
// duplicate test (case-sensitive, whole text, no trimming).
class ImportList
{
public:
    virtual ~ImportList() = default;
    virtual int count() const = 0;
    virtual void clear() = 0;
    virtual void append(const QString &entry) = 0;
    virtual bool IsNumberInList(const QString &number) const = 0;
};
