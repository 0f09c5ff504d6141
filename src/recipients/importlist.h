#pragma once

#include "numbernormaliser.h"
#include "recipientfields.h"

#include <QSet>
#include <QString>
#include <optional>

// What an import needs of the RecipientList: empty it, append at the end, and the exact
// duplicate test (case-sensitive, whole text, no trimming). With a country for local
// numbers (normaliser()), the import appends numbers in international form, so the exact
// test then finds one number in any spelling.
class ImportList
{
public:
    virtual ~ImportList() = default;
    virtual int count() const = 0;
    virtual void clear() = 0;
    // fields: the other columns of the entry's row, when the import brings them along.
    virtual void append(const QString &entry, const RecipientFields &fields = {}) = 0;
    virtual bool IsNumberInList(const QString &number) const = 0;
    virtual NumberNormaliser normaliser() const { return {}; }
};

class RecipientList;

// The recipient list as the imports see it. A full list stops the import with an
// overflow error instead of dropping numbers silently.
class RecipientListImport : public ImportList
{
public:
    explicit RecipientListImport(RecipientList &list, NumberNormaliser normaliser = {})
        : m_list(list), m_normaliser(std::move(normaliser))
    {
    }
    int count() const override;
    void clear() override;
    void append(const QString &entry, const RecipientFields &fields = {}) override;
    // With a country set, also true when an entry in another spelling (typed or imported
    // before the country was chosen) is the same number.
    bool IsNumberInList(const QString &number) const override;
    NumberNormaliser normaliser() const override { return m_normaliser; }

private:
    RecipientList &m_list;
    NumberNormaliser m_normaliser;
    // The international forms of the entries that were in the list before, made at the first
    // test: entries this import adds are in that form already.
    mutable std::optional<QSet<QString>> m_earlierForms;
};
