#pragma once

#include "testdatabase.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QList>
#include <QSize>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QTest>

// Builds a configuration page on the test database without user and settings,
// shows it at size and keeps it when it is closed (the test deletes it).
template <typename Page>
Page *showConfigPage(TestDatabase &t, const QSize &size = QSize(940, 560))
{
    auto *page = new Page(nullptr, t.db(), nullptr, nullptr);
    page->setAttribute(Qt::WA_DeleteOnClose, false);
    page->resize(size);
    page->show();
    return page;
}

// The texts every configuration page shows alike.
inline const QString dbLabelPrefix =
    QStringLiteral("Aktualna baza danych dla której zostaną zastosowane ustawienia: ");
inline const QString saveQuestionText =
    QStringLiteral("Nowa konfiguracja zostanie zapisana do bazy danych. Czy chcesz zapisać zmiany ?");

// Clicks the button called name on page.
inline void click(QWidget *page, const char *name)
{
    QTest::mouseClick(page->findChild<QAbstractButton *>(name), Qt::LeftButton);
}

// The texts of a combo box's entries, in order.
inline QStringList itemTexts(const QComboBox &box)
{
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts << box.itemText(i);
    return texts;
}

// Selects what is at point of a view's viewport and double-clicks it.
inline void doubleClickAt(QWidget *viewport, const QPoint &point)
{
    QTest::mouseClick(viewport, Qt::LeftButton, {}, point);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, point);
}

// Whether label shows the whole of its text, on one line or wrapped, once
// its layout has settled.
inline bool readsWhole(QLabel *label)
{
    QCoreApplication::processEvents();
    if (label->wordWrap())
        return label->heightForWidth(label->width()) <= label->height();
    return label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width();
}

// Hides and shows the page again, which reloads it.
inline void reshow(QWidget *page)
{
    page->hide();
    page->show();
}

// The columns of the first row of table matching where, joined by "|"
// ("<no row>" when none matches), to check a stored row in one comparison.
inline QString storedRow(TestDatabase &t, const QString &table, const QString &columns,
                         const QString &where)
{
    QSqlQuery q = t.db()->query(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(columns, table, where));
    if (!q.next())
        return QStringLiteral("<no row>");
    QStringList values;
    for (int i = 0; i < q.record().count(); ++i)
        values << q.value(i).toString();
    return values.join(QLatin1Char('|'));
}

// Deletes the page and then the database of a page test (the page may query
// the database while it goes) and clears both pointers.
template <typename Page>
void deletePageAndDatabase(Page *&page, TestDatabase *&t)
{
    delete page;
    page = nullptr;
    delete t;
    t = nullptr;
}

// The trigger through which failWrites makes writes fail.
inline QString refusalTrigger(const QString &table, const QString &event)
{
    return QStringLiteral("refuse_%1_%2").arg(table, event.toLower());
}

// Makes writes to a table fail on either engine through a trigger.
// event: "INSERT", "UPDATE" or "DELETE"; condition: an optional test on the
// NEW (or OLD, for DELETE) row, such as "NEW.iId = 3".
inline bool failWrites(TestDatabase &t, const QString &table, const QString &event,
                       const QString &condition = QString())
{
    const QString name = refusalTrigger(table, event);
    if (TestDatabase::isMySql()) {
        const QString signal =
            QStringLiteral("SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'");
        const QString body = condition.isEmpty()
            ? signal
            : QStringLiteral("BEGIN IF %1 THEN %2; END IF; END").arg(condition, signal);
        return t.exec(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW %4")
                          .arg(name, event, table, body));
    }
    return t.exec(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 %4 BEGIN "
                                 "SELECT RAISE(ABORT, 'refused'); END")
                      .arg(name, event, table,
                           condition.isEmpty() ? QString() : QStringLiteral("WHEN ") + condition));
}

// Lets the writes that failWrites made fail through again.
inline bool allowWrites(TestDatabase &t, const QString &table, const QString &event)
{
    return t.exec(QStringLiteral("DROP TRIGGER ") + refusalTrigger(table, event));
}

// Records the iId of every row of table that an UPDATE touches, in the table
// "updlog" (column iId), so that a test can tell which rows were written.
inline bool logUpdates(TestDatabase &t, const QString &table)
{
    if (!t.exec(QStringLiteral("CREATE TABLE updlog (iId INT NOT NULL)")))
        return false;
    if (TestDatabase::isMySql())
        return t.exec(QStringLiteral("CREATE TRIGGER log_%1 AFTER UPDATE ON %1 FOR EACH ROW "
                                     "INSERT INTO updlog (iId) VALUES (NEW.iId)")
                          .arg(table));
    return t.exec(QStringLiteral("CREATE TRIGGER log_%1 AFTER UPDATE ON %1 BEGIN "
                                 "INSERT INTO updlog (iId) VALUES (NEW.iId); END")
                      .arg(table));
}

// The ids logged by logUpdates, ascending.
inline QList<int> loggedUpdates(DbWidget *db)
{
    QList<int> ids;
    QSqlQuery q = db->query(QStringLiteral("SELECT iId FROM updlog ORDER BY iId"));
    while (q.next())
        ids << q.value(0).toInt();
    return ids;
}
