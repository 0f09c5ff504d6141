#pragma once

#include "recipients/recipientfields.h"

#include <QString>
#include <QStringList>

// Personal messages: a message may name a recipient's columns in braces, "Dear {Name}", and
// each recipient gets the text with its own values. The rules, in the order a text is read:
//   {{ and }}   a literal { and }
//   {Column}    the recipient's value of Column: the name between the braces without its
//               surrounding blanks, compared without regard to case; a recipient without
//               a value gets nothing in its place
//   any other { or } (no closing brace on the same line, an empty or blank name, a brace
//               inside the name) stays in the text as it is
// The rules apply only to a list that carries columns: with none, a message is sent exactly
// as typed, braces and all.
namespace merge {

// The column names the text's placeholders name, each once (its first spelling), in order.
QStringList placeholderNames(const QString &text);
inline bool hasPlaceholders(const QString &text) { return !placeholderNames(text).isEmpty(); }

struct Merged
{
    QString text;
    QStringList missing; // the placeholders that got no value (unknown column or empty value)
};
Merged mergeFields(const QString &text, const RecipientFields &fields);

} // namespace merge
