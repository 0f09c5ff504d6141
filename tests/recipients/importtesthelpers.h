#pragma once

#include "common/dialogs.h"
#include "recipients/importlist.h"
#include "qstringprinter.h"

#include <QStringList>

namespace ImportTest {

inline QString testData(const QString &relative) { return QStringLiteral(QUILLO_TEST_DATA_DIR "/") + relative; }

// A recipient list kept in memory, with the same exact duplicate test.
struct VectorList : ImportList
{
    int count() const override { return int(entries.size()); }
    void clear() override
    {
        entries.clear();
        fields.clear();
    }
    void append(const QString &entry, const RecipientFields &columns = {}) override
    {
        entries << entry;
        fields << columns;
    }
    bool IsNumberInList(const QString &number) const override { return entries.contains(number); }

    QStringList entries;
    QList<RecipientFields> fields;
};

// Dialogs that answer every box with OK and keep what was shown, for runs whose messages
// depend on how a damaged file fails.
class RecordingDialogs : public Dialogs
{
public:
    struct Box { QString text; Icon icon; };
    Answer message(const QString &text, Icon icon, Buttons, const QString &) override
    {
        boxes.push_back({text, icon});
        return Answer::Ok;
    }
    QString openFile(const FileRequest &) override { return openAnswer; }
    QString saveFile(const FileRequest &) override { return {}; }
    bool chooseFont(FontChoice &) override { return false; }

    QList<Box> boxes;
    QString openAnswer;
};

inline QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace ImportTest
