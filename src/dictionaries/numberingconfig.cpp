#include "dictionaries/numberingconfig.h"

#include "db/dbwidget.h"
#include "db/dbtransaction.h"
#include "messagebox.h"
#include "plaintext.h"
#include "records/refusedsave.h"
#include "reloadonshow.h"
#include "ui_numberingConfig.h"
#include "userwidget.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

const QString NumberingConfig::DefaultScheme = QStringLiteral("{DAY2}{MONTH2}");

namespace {

const char *const SchemeQuery = "SELECT sValue FROM settings WHERE sGroup = 'db' AND sKey = 'numbering'";
const char *const HighestRepairQuery = "SELECT iId FROM repairs ORDER BY iId DESC LIMIT 1";

// The characters a repair's stored number (repairs.sNum) holds on MySQL. A
// number is never longer than its scheme (but for the initials of a name of
// more than ten words), so a scheme of at most as many characters always
// gives a number that can be stored.
constexpr int NumberLength = 255;

// A statement on a connection lost for good fails without an error of its
// own: only a statement that ran is taken as done.
bool failed(const QSqlQuery &q)
{
    return !q.isActive();
}

// The scheme of the row the read found, none without one.
std::optional<QString> readScheme(QSqlQuery &q)
{
    return q.next() ? std::optional<QString>(q.value(0).toString()) : std::nullopt;
}

// The highest repair key, 0 without repairs; -1 with error set when it could
// not be read.
int highestRepair(DbWidget *db, QSqlError *error)
{
    QSqlQuery q = db->query(QLatin1String(HighestRepairQuery));
    *error = q.lastError();
    if (failed(q))
        return -1;
    return q.next() ? q.value(0).toInt() : 0;
}

} // namespace

NumberingConfig::NumberingConfig(QWidget *parent, DbWidget *db, UserWidget *user,
                                 Settings *settings)
    : QWidget(parent), WidgetBase(db, user, settings), ui(new Ui::numberingConfig), previewId(123)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    dbLabelText = ui->dbLabel->text();
    ui->numberingEdit->setMaxLength(NumberLength);

    connect(ui->numberingEdit, &QLineEdit::textEdited, this,
            &NumberingConfig::generateNumberingPreview);
    connect(ui->numberingSave, &QPushButton::clicked, this, &NumberingConfig::save);
    connect(ui->nextIdSave, &QPushButton::clicked, this, &NumberingConfig::save);
}

NumberingConfig::~NumberingConfig()
{
    delete ui;
}

QString NumberingConfig::initials(const QString &name)
{
    // Word boundaries and white space by Unicode rules, so that "Łukasz Żak"
    // gives "ŁŻ" and not only the ASCII letters.
    static const QRegularExpression notWordStart(QStringLiteral("\\B."),
                                                 QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression space(QStringLiteral("\\s"),
                                          QRegularExpression::UseUnicodePropertiesOption);
    QString result = name;
    result.remove(notWordStart);
    result.remove(space);
    return result.toUpper();
}

QString NumberingConfig::generateNumbering(DbWidget *db, UserWidget *user, QDateTime date,
                                           QString scheme, bool *schemeRead)
{
    bool read = true;
    if (scheme.isEmpty()) {
        scheme = DefaultScheme;
        if (db) {
            QSqlQuery q = db->query(QLatin1String(SchemeQuery));
            read = q.isActive();
            if (q.next())
                scheme = q.value(0).toString();
        }
    }
    if (schemeRead)
        *schemeRead = read;

    static const char *const tokens[][2] = {
        {"{DAY1}", "d"},   {"{DAY2}", "dd"}, {"{MONTH1}", "M"},
        {"{MONTH2}", "MM"}, {"{YEAR2}", "yy"}, {"{YEAR4}", "yyyy"},
    };
    for (const auto &token : tokens)
        scheme.replace(QLatin1String(token[0]), date.toString(QLatin1String(token[1])));

    return scheme.replace(QLatin1String("{INITIALS}"), initials(user ? user->name : QString()));
}

void NumberingConfig::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Typing marks the edit modified; the scheme set by a load does not.
    if (reloadOnShow(event, ui->numberingEdit->isModified()))
        load();
}

void NumberingConfig::load()
{
    *query = db->query(QLatin1String(SchemeQuery));
    // A scheme that could not be read is not shown as the default: saved, it
    // would replace the stored one unseen.
    schemeRead = query->isActive();
    if (!schemeRead)
        MessageBox::readFailed(tr("Nie udało się odczytać schematu numeracji."), query->lastError());
    storedScheme = readScheme(*query);
    // A longer scheme stored before is shown whole, to be shortened.
    const QString shown = !schemeRead ? QString() : storedScheme.value_or(DefaultScheme);
    ui->numberingEdit->setMaxLength(qMax(NumberLength, int(shown.size())));
    ui->numberingEdit->setText(shown);

    // Left open, the read would keep other connections from writing to an
    // SQLite file for as long as the page is open.
    query->finish();
    QSqlError unread;
    if (const int highest = highestRepair(db, &unread); highest > 0)
        previewId = highest;

    if (schemeRead)
        generateNumberingPreview();
    else
        ui->numberingPrevLabel->clear();
    PlainText::show(ui->dbLabel, QString(dbLabelText).replace(QLatin1String("_DB_"), db->description));
    ui->numberingSave->setEnabled(false);
}

void NumberingConfig::generateNumberingPreview()
{
    const QString scheme = ui->numberingEdit->text().trimmed();
    PlainText::show(ui->numberingPrevLabel,
                    QString::number(previewId) + QLatin1Char('/')
                        + generateNumbering(db, user, QDateTime::currentDateTime(), scheme));
    ui->numberingSave->setEnabled(schemeRead);
}

void NumberingConfig::save()
{
    if (sender() == ui->numberingSave)
        saveScheme();
    else if (sender() == ui->nextIdSave)
        saveNextId();
}

void NumberingConfig::saveScheme()
{
    const QString scheme = ui->numberingEdit->text().trimmed();
    if (scheme.isEmpty()) {
        MessageBox::information(tr("Błąd schematu numeracji"),
                                tr("Schemat numeracji nie może być pusty !"));
        return;
    }
    const QString preview = ui->numberingPrevLabel->text();
    if (preview.contains(QLatin1Char('{')) || preview.contains(QLatin1Char('}'))) {
        MessageBox::information(tr("Błąd schematu numeracji"),
                                tr("Schemat numeracji nie może zawierać niedomkniętych znaczników {} !"));
        return;
    }
    if (!MessageBox::confirm(tr("Czy na pewno zapisać ?"),
                             tr("Czy na pewno chcesz zapisać ten schemat numeracji ? Schemat będzie "
                                "aktywny od tego momentu.")))
        return;

    // The old row goes only when the new one is stored, and only when it is
    // still the one the page read: a scheme saved on another workstation is
    // not replaced unseen (compared here, as the server's collation may take
    // other case for the same). Both values are put in one pass, so that a
    // "%2" typed in the scheme is not taken for the user's id.
    query->finish();
    std::optional<QString> stored;
    bool changed = false;
    const bool ok = runInTransaction(db, [&] {
        QSqlQuery q = db->query(QLatin1String(SchemeQuery)
                                + QLatin1String(db->dbType == DbWidget::MySQL ? " FOR UPDATE" : ""));
        if (failed(q))
            return false;
        stored = readScheme(q);
        q.finish();
        // A save whose outcome was not known may have stored the typed one.
        if ((changed = stored != storedScheme && (!uncertainScheme || stored != uncertainScheme)))
            return false;
        return !failed(db->query(QStringLiteral(
                   "DELETE FROM settings WHERE sGroup = 'db' AND sKey = 'numbering'")))
            && !failed(db->query(
                QStringLiteral("INSERT INTO settings (sGroup, sKey, sValue, iUserId) "
                               "VALUES('db', 'numbering', '%1', %2)")
                    .arg(db->escapeLiteral(scheme),
                         QString::number(user ? user->id : 0))));
    });
    uncertainScheme.reset();
    if (changed) {
        // The typed scheme stays; saved again, it replaces the one seen now.
        storedScheme = stored;
        MessageBox::entryChangedElsewhere(
            tr("Schemat numeracji został zmieniony na innym stanowisku."),
            stored ? tr("Zapisany jest teraz schemat „%1”. Wpisany schemat nie został zapisany: zapisz go "
                        "ponownie, jeśli ma zastąpić tamten.")
                         .arg(*stored)
                   : tr("Zapisany schemat został usunięty (obowiązuje domyślny). Wpisany schemat nie został "
                        "zapisany: zapisz go ponownie, jeśli ma obowiązywać."));
        return;
    }
    if (ok) {
        storedScheme = scheme;
        ui->numberingEdit->setModified(false);
    } else {
        if (db->commitUncertain())
            uncertainScheme = scheme;
        reportFailedSave(db);
    }
}

void NumberingConfig::saveNextId()
{
    const int next = ui->nextIdEdit->text().trimmed().toInt();

    // Unread, the highest key is not taken for "no repairs yet": the check
    // below would pass a key already given.
    QSqlError error;
    const int highest = highestRepair(db, &error);
    if (highest < 0) {
        MessageBox::readFailed(tr("Nie udało się odczytać numeru ostatniej naprawy: kolejny numer nie "
                                  "został ustawiony."),
                               error);
        return;
    }
    const auto tooLow = [] {
        MessageBox::information(tr("Niezgodność numeracji"),
                                tr("Kolejny numer identyfikacjny musi być większy od aktualnego !"));
    };
    if (highest >= next) {
        tooLow();
        return;
    }
    if (!MessageBox::confirm(tr("Czy na pewno zapisać ?"),
                             tr("Czy na pewno chcesz ustawić nowy kolejny numer identyfikacyjny ? "
                                "Zostanie on zapisy do bazy danych !")))
        return;

    bool ok = true;
    if (db->dbType == DbWidget::MySQL) {
        ok = !failed(db->query(QStringLiteral("ALTER TABLE repairs AUTO_INCREMENT = %1").arg(next)));
    } else if (next - 1 > highest) {
        // SQLite gives a new row the highest key plus one: a row holding only
        // the key next - 1 makes the next repair get the key next. When that
        // is already the highest key nothing needs to be stored.
        ok = !failed(db->query(QStringLiteral("INSERT INTO repairs(ROWID) SELECT %1 "
                                              "WHERE NOT EXISTS (SELECT 1 FROM repairs WHERE iId >= %1)")
                                   .arg(next - 1)));
    }
    if (!ok) {
        MessageBox::saveFailed();
        return;
    }
    // Repairs that another workstation took in while the question was open
    // keep the next key above them (MariaDB quietly keeps its counter there).
    // Unread, they may be there all the same.
    const int now = highestRepair(db, &error);
    if (now < 0)
        MessageBox::readFailed(tr("Nie udało się sprawdzić, czy kolejny numer został ustawiony."), error);
    else if (now >= next)
        tooLow();
}
