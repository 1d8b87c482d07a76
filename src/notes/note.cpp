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
    return QIcon(Severity[1].at(severity));
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
    return q.exec();
}

QString Note::fromPlainText(const QString &text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>"));
}

QString Note::toPlainText(const QString &richText)
{
    QTextDocument document;
    document.setHtml(richText);
    return document.toPlainText();
}
