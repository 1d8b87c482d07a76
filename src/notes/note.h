#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

class DbWidget;

// Notes of a repair (table notes): the severities staff choose from and the
// writing of a note. A note's text is stored as rich text.
class Note
{
public:
    // Indexed by notes.iSeverity (0 to 5): [0] the names, [1] the icon
    // resource paths.
    static QStringList Severity[2];

    // The icon of a severity; a null icon for a value outside the list.
    static QIcon severityIcon(int severity);

    // Adds a note to the repair, stamped with the current time. text is rich
    // text as it is to be stored. False when the insert failed.
    static bool add(DbWidget *db, int repairId, int severity, const QString &text, int userId);

    // Text typed by staff as rich text: markup characters escaped, line
    // breaks kept.
    static QString fromPlainText(const QString &text);
    // The stored rich text of a note as plain text: a note written by
    // fromPlainText() as it was typed; other markup without loading anything
    // it names.
    static QString toPlainText(const QString &richText);
};
