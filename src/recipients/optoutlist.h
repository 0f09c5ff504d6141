#pragma once

#include "numbernormaliser.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The opt-out list: the numbers that never get a message, people who asked not to be texted.
// It lives in optout.txt in the data folder, a plain text file anyone can edit:
//
//   # Asked to stop, 5 Jan
//   +919812345678
//   09812345679      # the same rule for any spelling the number box takes
//
// - UTF-8 text, one number per line; lines end in CR LF as Quillo writes them, or LF;
// - "#" starts a comment that runs to the end of its line; blank lines are ignored;
// - a number is digits with an optional leading "+", and spaces, brackets, dots or dashes
//   between them ("(201) 555-0123");
// - any other line is not a number: it stays in the file as written, counts for nothing, and
//   each load names it once (badLinesWarning).
// Numbers compare by NumberNormaliser::key: their international form when a country is set,
// their digits alone otherwise, so "+91 98123 45678" on the list stops "+919812345678".
//
// Errors: load and save throw QuilloError naming the file when it cannot be read or written;
// a missing file is an empty list. Saving writes a new file and renames it over the old one,
// so a crash mid-write leaves either the old list or the new one, never half of one.
class OptOutList
{
public:
    static QString fileName() { return QStringLiteral("optout.txt"); }
    // The list of a data folder (given with its trailing separator).
    static QString pathIn(const QString &dataFolder) { return dataFolder + fileName(); }

    explicit OptOutList(QString path, NumberNormaliser normaliser = {});

    // Replaces what the list holds with the file's lines.
    void load();
    void save() const;

    QString path() const { return m_path; }
    bool isEmpty() const { return m_keys.isEmpty(); }
    bool contains(const QString &number) const;
    // The numbers, as written in the file, in its order.
    QStringList numbers() const;

    enum class Added { Added, AlreadyListed, NotANumber };
    // Adds a line with number, in international form when a country is set. NotANumber: it
    // is not a number by the rule above, or the country's numbering plan has no such number.
    Added add(const QString &number);
    // Removes every line holding number in any spelling; returns how many went.
    int remove(const QString &number);

    // The lines (numbered from 1) the last load found to be neither a number, a comment nor
    // blank, and the warning that names the file and those lines; empty text when none.
    const QList<int> &badLines() const { return m_badLines; }
    QString badLinesWarning() const;

private:
    struct Line
    {
        QString text;   // as read or added, without its line end
        QString number; // the number it holds, or empty for comments, blanks and bad lines
    };
    void addKey(const QString &number);

    QString m_path;
    NumberNormaliser m_normaliser;
    QList<Line> m_lines;
    QHash<QString, int> m_keys; // key -> how many lines hold it
    QList<int> m_badLines;
};
