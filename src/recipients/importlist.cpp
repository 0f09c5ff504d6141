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
    m_earlierForms.emplace();
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
    if (m_list.IsNumberInList(number))
        return true;
    if (!m_normaliser.isOn())
        return false;
    if (!m_earlierForms) {
        m_earlierForms.emplace();
        for (const QString &entry : m_list.entries())
            if (const QString form = m_normaliser.international(entry); !form.isEmpty() && form != entry)
                m_earlierForms->insert(form);
    }
    return m_earlierForms->contains(number);
}
