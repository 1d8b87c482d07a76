#include "notes/note.h"

#include "db/dbwidget.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlQuery>
#include <QTextDocument>

QStringList Note::Severity[2] = {
    { QCoreApplication::translate("Note", "Normalna"), QCoreApplication::translate("Note", "Niska"),
      QCoreApplication::translate("Note", "Pozytywna"),
      QCoreApplication::translate("Note", "Ostrzeżenie"),
      QCoreApplication::translate("Note", "Ważna"),
      QCoreApplication::translate("Note", "Krytyczna") },
    { QStringLiteral(":/note/severity_normal.png"), QStringLiteral(":/note/severity_low.png"),
      QStringLiteral(":/note/severity_ok.png"), QStringLiteral(":/note/severity_warning.png"),
      QStringLiteral(":/note/severity_important.png"),
      QStringLiteral(":/note/severity_critical.png") }
};

QIcon Note::severityIcon(int severity)
{
    if (severity < 0 || severity >= Severity[1].size())
        return QIcon();
    // One icon per severity for the whole program: an icon made from its
    // file reads and unpacks the image again, once for every list row.
    static QList<QIcon> icons;
    if (icons.isEmpty()) {
        for (const QString &file : std::as_const(Severity[1]))
            icons << QIcon(file);
    }
    return icons.at(severity);
}

bool Note::add(DbWidget *db, int repairId, int severity, const QString &text, int userId)
{
    if (!db)
        return false;
    QSqlQuery q(db->database());
    q.prepare(QStringLiteral("INSERT INTO notes (iRepairId, iAddDate, iSeverity, sNote, iUserId) "
                             "VALUES (:iRepairId, :iAddDate, :iSeverity, :sNote, :iUserId)"));
    q.bindValue(QStringLiteral(":iRepairId"), repairId);
    q.bindValue(QStringLiteral(":iAddDate"), QDateTime::currentSecsSinceEpoch());
    q.bindValue(QStringLiteral(":iSeverity"), severity);
    q.bindValue(QStringLiteral(":sNote"), text.isNull() ? QStringLiteral("") : text);
    q.bindValue(QStringLiteral(":iUserId"), userId);
    return db->exec(q);
}

QString Note::fromPlainText(const QString &text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>"));
}

QString Note::toPlainText(const QString &richText)
{
    // Without a tag, an entity or a space of its own kind the text reads as
    // it is, its runs of blanks folded as HTML folds them: one space between
    // words and at the end, none at the start. A document costs more than
    // the rest of a list row.
    bool plain = true;
    for (const QChar c : richText) {
        if (c == QLatin1Char('<') || c == QLatin1Char('&') || (c.isSpace() && c.unicode() > 0x20)) {
            plain = false;
            break;
        }
    }
    if (plain) {
        QString text = richText.simplified();
        if (!text.isEmpty() && richText.back().isSpace())
            text += QLatin1Char(' ');
        return text;
    }
    QTextDocument document;
    document.setHtml(richText);
    return document.toPlainText();
}
