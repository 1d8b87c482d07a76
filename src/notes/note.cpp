#include "notes/note.h"

#include "db/dbwidget.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlQuery>
#include <QTextDocument>
#include <algorithm>

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

namespace {

// A document that loads nothing: a stored note's markup may name files
// (<img src="...">, style sheets), which are neither read nor waited for.
class InertDocument : public QTextDocument
{
public:
    InertDocument()
    {
        setResourceProvider([](const QUrl &) { return QVariant(); });
    }

protected:
    QVariant loadResource(int, const QUrl &) override { return {}; }
};

} // namespace

QString Note::toPlainText(const QString &richText)
{
    // A note written by fromPlainText() reads back exactly as it was typed,
    // blanks and all; any other markup goes through a document.
    static const std::pair<QLatin1String, QChar> codes[] = {
        {QLatin1String("<br>"), QLatin1Char('\n')},  {QLatin1String("<br/>"), QLatin1Char('\n')},
        {QLatin1String("<br />"), QLatin1Char('\n')}, {QLatin1String("&lt;"), QLatin1Char('<')},
        {QLatin1String("&gt;"), QLatin1Char('>')},    {QLatin1String("&amp;"), QLatin1Char('&')},
        {QLatin1String("&quot;"), QLatin1Char('"')},  {QLatin1String("&#39;"), QLatin1Char('\'')}};
    QString text;
    text.reserve(richText.size());
    const QStringView rest(richText);
    for (qsizetype i = 0; i < richText.size();) {
        const QChar c = richText.at(i);
        if (c != QLatin1Char('<') && c != QLatin1Char('>') && c != QLatin1Char('&')) {
            text += c;
            ++i;
            continue;
        }
        const auto code = std::find_if(std::begin(codes), std::end(codes), [&](const auto &entry) {
            return rest.mid(i).startsWith(entry.first, Qt::CaseInsensitive);
        });
        if (code == std::end(codes)) {
            InertDocument document;
            document.setHtml(richText);
            // An image would read as an object mark.
            return document.toPlainText().remove(QChar::ObjectReplacementCharacter);
        }
        text += code->second;
        i += code->first.size();
    }
    return text;
}
