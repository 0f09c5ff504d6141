#pragma once

#include "recipientfields.h"

#include <QString>

// What an import needs of the RecipientList: empty it, append at the end, and the exact
// duplicate test (case-sensitive, whole text, no trimming).
class ImportList
{
public:
    virtual ~ImportList() = default;
    virtual int count() const = 0;
    virtual void clear() = 0;
    // fields: the other columns of the entry's row, when the import brings them along.
    virtual void append(const QString &entry, const RecipientFields &fields = {}) = 0;
    virtual bool IsNumberInList(const QString &number) const = 0;
};

class RecipientList;

// The recipient list as the imports see it. A full list stops the import with an
// overflow error instead of dropping numbers silently.
class RecipientListImport : public ImportList
{
public:
    explicit RecipientListImport(RecipientList &list) : m_list(list) {}
    int count() const override;
    void clear() override;
    void append(const QString &entry, const RecipientFields &fields = {}) override;
    bool IsNumberInList(const QString &number) const override;

private:
    RecipientList &m_list;
};
