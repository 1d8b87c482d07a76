// Text that staff, a scanner or a prankster may type into a search filter:
// quotes, backslashes, comment markers, statement separators, wildcards,
// very long texts, Polish letters and emoji. No text may change a statement:
// every search runs without an SQL error, lists only rows that match, and
// leaves every table as it was. Stored text that looks like markup is shown
// as text.
#include "clients/clientdatawidget.h"
#include "clients/clientwidget.h"
#include "documentrequests.h"
#include "hardware/hardwarewidget.h"
#include "messagebox.h"
#include "messageboxrecorder.h"
#include "notes/note.h"
#include "pagetesthelpers.h"
#include "popupmenu.h"
#include "repairs/newrepairwidget.h"
#include "repairs/repairdetailswidget.h"
#include "repairs/repairswidget.h"
#include "settings.h"
#include "searchfixture.h"
#include "testdatabase.h"
#include "testmain.h"
#include "uiconventions.h"
#include "userwidget.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

using namespace SearchRows;

namespace {

const QStringList StoredTexts{
    QStringLiteral("O'Brien"), QStringLiteral("C:\\temp"),  QStringLiteral("back\\"),
    QStringLiteral("100%"),    QStringLiteral("a_b"),       QStringLiteral("Żółć gęślą"),
    QStringLiteral("x; y"),    QStringLiteral("-- uwaga"),  QStringLiteral("\"cudzysłów\""),
    QStringLiteral("emoji 😀"), QStringLiteral("zwykły")};

QStringList hostileInputs()
{
    return {QStringLiteral("'"),
            QStringLiteral("''"),
            QStringLiteral("\\"),
            QStringLiteral("\\'"),
            QStringLiteral("\\\\"),
            QStringLiteral("'; DROP TABLE clients; --"),
            QStringLiteral("' OR '1'='1"),
            QStringLiteral("%' OR 1=1 -- "),
            QStringLiteral("') OR ('a'='a"),
            QStringLiteral("/* komentarz */"),
            QStringLiteral("#"),
            QStringLiteral(";"),
            QStringLiteral("\""),
            QStringLiteral("`"),
            QStringLiteral("%"),
            QStringLiteral("_"),
            QStringLiteral("a_b"),
            QStringLiteral("100%"),
            QStringLiteral("C:\\t"),
            QStringLiteral("O'B"),
            QStringLiteral("ŻÓŁĆ"),
            QStringLiteral("gęślą"),
            QStringLiteral("😀"),
            QString(5000, QLatin1Char('x')),
            QString(300, QLatin1Char('\'')) + QString(300, QLatin1Char('\\'))};
}

// The rows a LIKE '%text%' may find: "%" and "_" are wildcards, the rest is
// literal; case is ignored (SQLite ignores it for ASCII only, so it finds
// fewer, never more).
bool likeMatches(const QString &typed, const QString &value, bool caseSensitive = false)
{
    QString pattern;
    QString literal;
    for (const QChar c : typed) {
        if (c != QLatin1Char('%') && c != QLatin1Char('_')) {
            literal += c;
            continue;
        }
        pattern += QRegularExpression::escape(literal) + (c == QLatin1Char('%') ? ".*" : ".");
        literal.clear();
    }
    pattern += QRegularExpression::escape(literal);
    return QRegularExpression(pattern, (caseSensitive ? QRegularExpression::NoPatternOption
                                                      : QRegularExpression::CaseInsensitiveOption)
                                           | QRegularExpression::DotMatchesEverythingOption)
        .match(value)
        .hasMatch();
}

const QString Tables[] = {QStringLiteral("repairs"), QStringLiteral("clients"),
                         QStringLiteral("hardware"), QStringLiteral("billing"),
                         QStringLiteral("templates")};

QString tableState(TestDatabase &t)
{
    QStringList state;
    for (const QString &table : {QStringLiteral("clients"), QStringLiteral("hardware"),
                                 QStringLiteral("repairs"), QStringLiteral("templates"),
                                 QStringLiteral("notes"), QStringLiteral("billing"),
                                 QStringLiteral("users"), QStringLiteral("statusesconf")})
        state << table + QLatin1Char('=') + QString::number(t.count(table));
    return state.join(QLatin1Char(' '));
}

} // namespace

class TestHostileInput : public QObject
{
    Q_OBJECT

    TestDatabase *m_db = nullptr;
    UserWidget m_admin{1, QStringLiteral("Administrator"), 0};

private slots:
    void initTestCase()
    {
        m_db = new TestDatabase;
        REQUIRE_DB(*m_db);
        QStringList clients, hw, templates, repairs;
        int id = 1;
        for (const QString &text : StoredTexts) {
            clients << QStringLiteral("(%1, %2, %2, %2, %2, %2, %2, %2, %2, %2, %2, %2, %2, %2, %2)")
                           .arg(id).arg(quoted(text));
            QString fields;
            for (int f = 0; f < 14; ++f)
                fields += quoted(text) + QLatin1String(", ");
            hw << QStringLiteral("(%1, %2, 0, 1, 0, '', %3 0, '', %1)").arg(id).arg(quoted(text), fields);
            templates << QStringLiteral("(%1, %2, 0, %3 0, '')").arg(id).arg(quoted(text), fields);
            repairs << repair(id, id, id, 0, 0, text);
            ++id;
        }
        QVERIFY(insert(*m_db, ClientsInsert, clients));
        QVERIFY(insert(*m_db, HardwareInsert, hw));
        QVERIFY(insert(*m_db, RepairsInsert, repairs));
        QVERIFY(insert(*m_db,
                       QStringLiteral("INSERT INTO templates (iId, sHName, iHType, sField1, "
                                      "sField2, sField3, sField4, sField5, sField6, sField7, "
                                      "sField8, sField9, sField10, sField11, sField12, sField13, "
                                      "sField14, iFieldDate, sFieldLong) VALUES "),
                       templates));
    }

    void cleanupTestCase() { delete m_db; }

    void everyTextFilter_data()
    {
        QTest::addColumn<int>("variant");
        QTest::addColumn<QString>("field");
        QTest::newRow("repairs sOuterNo") << 0 << QStringLiteral("sOuterNo");
        for (const char *field : {"sSName", "sFName", "sCompany", "sNIP", "sStreet", "sAddrBuild",
                                  "sAddrLoc", "sCity", "sPostal", "sEmail", "sEmail2", "sPhone",
                                  "sPhone2"})
            QTest::addRow("clients %s", field) << 1 << QString::fromLatin1(field);
        QStringList hardwareFields{QStringLiteral("sHName")};
        for (int f = 1; f <= 14; ++f)
            hardwareFields << QStringLiteral("sField%1").arg(f);
        for (const QString &field : hardwareFields) {
            QTest::addRow("hardware %s", qPrintable(field)) << 2 << field;
            QTest::addRow("templates %s", qPrintable(field)) << 4 << field;
        }
    }

    void everyTextFilter()
    {
        QFETCH(int, variant);
        QFETCH(QString, field);
        MessageBoxRecorder boxes;
        const QString before = tableState(*m_db);
        auto page = searchPage(*m_db, &m_admin, variant, false);
        auto *input = page->findChild<QLineEdit *>(field);
        QVERIFY(input);
        for (const QString &typed : hostileInputs()) {
            input->setText(typed);
            page->search();
            const QString shown = typed.left(40);
            QVERIFY2(!page->model->lastError().isValid(),
                     qPrintable(shown + QLatin1String(": ") + page->model->lastError().text()));
            const int rows = allRows(page->model);
            // Unlabelled generic fields are no columns of the model: the
            // stored values are read by the rows' ids.
            QStringList ids{QStringLiteral("0")};
            for (int row = 0; row < rows; ++row)
                ids << page->model->record(row).value(QStringLiteral("iId")).toString();
            QSqlQuery stored = m_db->db()->query(QStringLiteral("SELECT %1 FROM %2 WHERE iId IN (%3)")
                                                     .arg(field, Tables[variant], ids.join(',')));
            while (stored.next()) {
                const QString value = stored.value(0).toString();
                QVERIFY2(likeMatches(typed, value),
                         qPrintable(QStringLiteral("%1 found %2").arg(shown, value)));
            }
            // What is stored is found again by typing it whole.
            if (StoredTexts.contains(typed))
                QVERIFY2(rows >= 1, qPrintable(shown + QLatin1String(" found nothing")));
        }
        QCOMPARE(tableState(*m_db), before);
        QCOMPARE(boxes.count(), 0);
    }

    // The intake offers the clients whose surname holds the typed text.
    void intakeSurnameLookup()
    {
        MessageBoxRecorder boxes;
        const QString before = tableState(*m_db);
        QStringList offered;
        PopupMenu::setHandler([&](QMenu *menu, const QPoint &) -> QAction * {
            for (QAction *action : menu->actions())
                if (action->data().toInt() > 0)
                    offered << action->data().toString();
            return nullptr;
        });
        auto reset = qScopeGuard([] { PopupMenu::setHandler({}); });
        NewRepairWidget intake(nullptr, m_db->db(), &m_admin, nullptr);
        auto *surname = intake.findChild<QLineEdit *>(QStringLiteral("sSName"));
        QVERIFY(surname);
        for (const QString &typed : hostileInputs()) {
            offered.clear();
            surname->setText(typed);
            QTest::keyClick(surname, Qt::Key_Return);
            const QString shown = typed.left(40);
            for (const QString &id : std::as_const(offered)) {
                const QString value = m_db->scalar(QStringLiteral("SELECT sSName FROM clients WHERE iId = ") + id);
                QVERIFY2(likeMatches(typed, value), qPrintable(QStringLiteral("%1 offered %2").arg(shown, value)));
            }
            // A surname that holds the text as typed is offered on both
            // engines: the lookup ran.
            const bool held = std::any_of(StoredTexts.cbegin(), StoredTexts.cend(), [&](const QString &stored) {
                return likeMatches(typed, stored, true);
            });
            QVERIFY2(!held || !offered.isEmpty(), qPrintable(shown + QLatin1String(" offered nothing")));
            QCOMPARE(intake.clientId, 0);
        }
        QCOMPARE(tableState(*m_db), before);
        QCOMPARE(boxes.count(), 0);
    }

    // Stored text that as markup would read a file is shown as text on every
    // page: no label reads it as markup, no tool tip holds it unescaped, no
    // message box reads markup, and nothing asks for the file.
    void markupShownAsText()
    {
        MessageBoxRecorder boxes;
        QTemporaryDir dir;
        const QString payload = QStringLiteral("<img src=\"obraz.png\">Nowak");
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        QVERIFY(insert(*m_db, ClientsInsert, {client(100, payload)}));
        QVERIFY(insert(*m_db, HardwareInsert, {hardware(100, payload, 100)}));
        QVERIFY(insert(*m_db, RepairsInsert, {repair(100, 100, 100, now)}));
        QVERIFY(insert(*m_db, NotesInsert, {note(100, 100, now, 1, payload)}));
        // A note reads as it was typed, blanks and all, past a NUL.
        const QString typed = QStringLiteral("Tom & Jerry \"x\"  <b>\u0000b");
        QVERIFY(Note::add(m_db->db(), 100, 0, Note::fromPlainText(typed), 1));

        // Whatever a document asks for, the hook hears of it.
        DocumentRequests requests;
        Settings settings(dir.path());
        DbWidget *db = m_db->db();
        auto *intake = new NewRepairWidget(nullptr, db, &m_admin, &settings);
        QVERIFY(QMetaObject::invokeMethod(intake, "selectClient", Q_ARG(int, 100)));
        QVERIFY(QMetaObject::invokeMethod(intake, "selectHardware", Q_ARG(int, 100)));
        const std::unique_ptr<QWidget> pages[] = {
            std::unique_ptr<QWidget>(intake), std::make_unique<HardwareWidget>(nullptr, db, &m_admin, &settings, 100, true),
            std::make_unique<ClientWidget>(nullptr, db, &m_admin, &settings, 100, true),
            std::make_unique<RepairDetailsWidget>(nullptr, db, &m_admin, &settings, 100, true),
            std::make_unique<RepairsWidget>(nullptr, db, &m_admin, &settings)};
        for (const auto &page : pages) {
            page->show();
            (void)page->grab(); // lays out and paints what is shown
            // Each text the page shows, and whether it may read as markup.
            QList<std::pair<QString, bool>> texts;
            for (const QWidget *widget : page->findChildren<QWidget *>()) {
                texts.append({widget->toolTip(), true});
                if (const auto *label = qobject_cast<const QLabel *>(widget))
                    texts.append({label->text(), label->textFormat() != Qt::PlainText});
                if (const auto *list = qobject_cast<const QListWidget *>(widget))
                    for (int row = 0; row < list->count(); ++row)
                        texts.append({list->item(row)->toolTip(), true});
            }
            bool shown = false;
            for (const auto &[text, markup] : std::as_const(texts)) {
                shown = shown || text.contains(QLatin1String("Nowak"));
                QVERIFY2(!markup || !text.contains(QLatin1String("<img")), qPrintable(text));
            }
            QVERIFY2(shown, page->metaObject()->className());
        }
        QCOMPARE(requests.asked, QStringList());
        const QListWidget *notes = pages[3]->findChild<QListWidget *>(QStringLiteral("notesList"));
        QVERIFY(notes && notes->count() == 2);
        QVERIFY2(notes->item(0)->text().endsWith(QLatin1Char('\n') + typed), qPrintable(notes->item(0)->text()));
        QMessageBox box;
        MessageBox::prepare(&box);
        QCOMPARE(box.textFormat(), Qt::PlainText);
        QCOMPARE(boxes.count(), 0);
    }

    // Text pasted with its line breaks into a one-line field stays on one
    // line: a filter finds it, a form stores it so. "|" marks the cursor.
    void pastedLineBreaks_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("after"); // "zw...": in the clients' filter, else the client form
        QTest::newRow("filter, a line") << "|" << "zwykły\n" << "zwykły|";
        QTest::newRow("filter, CRLF around") << "|" << "\r\n\r\nzwykły\r\n" << "zwykły|";
        QTest::newRow("filter, appended") << "zwy|" << "k\r\n" << "zwyk|";
        QTest::newRow("form, lines and a tab") << "|" << "Jan\r\n\tMaria\n" << "Jan Maria|";
        QTest::newRow("form, into the middle") << "Jan|Kowalski" << "\n\tMaria\n" << "Jan Maria |Kowalski";
    }
    void pastedLineBreaks()
    {
        QFETCH(QString, before);
        QFETCH(QString, pasted);
        QFETCH(QString, after);
        const bool search = after.startsWith("zw");
        installUiConventions(qApp);
        MessageBoxRecorder boxes;
        QTemporaryDir dir;
        Settings settings(dir.path());
        QVERIFY(m_db->exec("DELETE FROM clients WHERE iId = 300"));
        QVERIFY(insert(*m_db, ClientsInsert, {client(300, "Nowak")}));
        const auto filters = searchPage(*m_db, &m_admin, 1, false);
        ClientWidget form(nullptr, m_db->db(), &m_admin, &settings, 300, true);
        filters->show();
        form.show();
        clickChild(form.dataPage, "editButton");
        auto *field = search ? formChild<QLineEdit>(filters.get(), "sSName")
                             : formChild<QLineEdit>(form.dataPage, "sFName");
        field->setText(QString(before).remove('|'));
        field->setCursorPosition(int(before.indexOf('|')));
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(field->text().insert(field->cursorPosition(), '|'), after);
        if (search) {
            filters->search();
            QCOMPARE(ids(filters->model), QList<int>{int(StoredTexts.indexOf("zwykły")) + 1});
        } else {
            clickChild(form.dataPage, "saveButton");
            QCOMPARE(m_db->scalar("SELECT sFName FROM clients WHERE iId = 300"), after.remove('|'));
        }
        QCOMPARE(boxes.count(), 0);
    }

    // A server whose mode holds NO_BACKSLASH_ESCAPES: the program's sessions
    // drop it, keeping the rest, so a typed backslash is stored as typed.
    void serverWithoutBackslashEscapes_data()
    {
        QTest::addColumn<QString>("serverMode");
        QTest::newRow("empty") << QString();
        QTest::newRow("alone") << QStringLiteral("NO_BACKSLASH_ESCAPES");
        QTest::newRow("among others") << QStringLiteral("STRICT_TRANS_TABLES,NO_BACKSLASH_ESCAPES,NO_ENGINE_SUBSTITUTION");
    }
    void serverWithoutBackslashEscapes()
    {
        if (!TestDatabase::isMySql())
            QSKIP("the mode of a MySQL server");
        QFETCH(QString, serverMode);
        const QString serverWas = m_db->scalar("SELECT @@GLOBAL.sql_mode");
        QVERIFY(m_db->exec(QStringLiteral("SET GLOBAL sql_mode = '%1'").arg(serverMode)));
        const std::unique_ptr<DbWidget> other = m_db->openAnother();
        QVERIFY(m_db->exec(QStringLiteral("SET GLOBAL sql_mode = '%1'").arg(serverWas)));
        QSqlQuery q = other->query("SELECT @@SESSION.sql_mode");
        QVERIFY2(q.next(), qPrintable(other->errorText));
        QStringList modes = q.value(0).toString().split(',');
        QStringList expected = (serverMode + ",STRICT_ALL_TABLES").split(',', Qt::SkipEmptyParts);
        expected.removeAll("NO_BACKSLASH_ESCAPES");
        modes.sort();
        expected.sort();
        QCOMPARE(modes, expected);
        const QString value = QStringLiteral("D:\\nowy\\'x'\\");
        QVERIFY(m_db->exec("DELETE FROM clients WHERE iId = 301"));
        QVERIFY(other->query(QStringLiteral("INSERT INTO clients (iId, sSName) VALUES (301, '%1')")
                                 .arg(other->escapeLiteral(value))).isActive());
        QCOMPARE(m_db->scalar("SELECT sSName FROM clients WHERE iId = 301"), value);
    }

    // A name of hundreds of characters, on lines, keeps the repair page
    // about as wide as short names do; the tool tip reads the whole of it.
    void longNamesOnRepairPage()
    {
        const QString device = QStringLiteral("Laptop Dell\nLatitude E7450 ") + QString(228, QLatin1Char('W'));
        QVERIFY(insert(*m_db, ClientsInsert, {client(400, QStringLiteral("Kowalski\n"))}));
        QVERIFY(insert(*m_db, HardwareInsert, {hardware(400, device, 400)}));
        QVERIFY(insert(*m_db, RepairsInsert, {repair(400, 400, 400)}));
        const int shortNames = int(StoredTexts.indexOf(QStringLiteral("zwykły"))) + 1;
        RepairDetailsWidget usual(nullptr, m_db->db(), &m_admin, nullptr, shortNames, true);
        RepairDetailsWidget page(nullptr, m_db->db(), &m_admin, nullptr, 400, true);
        QVERIFY2(page.sizeHint().width() < usual.sizeHint().width() * 3 / 2,
                 qPrintable(QStringLiteral("%1 px").arg(page.sizeHint().width())));
        const auto *button = formChild<QPushButton>(&page, "hardwareButton");
        QCOMPARE(button->text(), QStringLiteral("Sprzęt: Laptop Dell Latitude E7450 WWWWWWWWWW..."));
        QVERIFY(button->toolTip().contains(QString(228, QLatin1Char('W'))));
        QCOMPARE(formChild<QPushButton>(&page, "clientButton")->text(), QStringLiteral("Klient: Kowalski Jan"));
    }
};

WARSZTAT_TEST_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
