#include "importlist.h"

#include "common/error.h"
#include "common/errornumbers.h"
#include "recipientlist.h"

int RecipientListImport::count() const
{
    return m_list.count();
}

void RecipientListImport::clear()
{
    m_list.clear();
}

void RecipientListImport::append(const QString &entry, const RecipientFields &fields)
{
    if (!m_list.append(entry, fields))
        throw QuilloError(ErrorNumber::kOverflow,
                          QStringLiteral("Overflow: the phone number list holds at most %1 numbers")
                              .arg(RecipientList::kMaxEntries),
                          QStringLiteral("Quillo"));
}

bool RecipientListImport::IsNumberInList(const QString &number) const
{
    return m_list.IsNumberInList(number);
}
