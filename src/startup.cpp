#include "startup.h"

#include "appversion.h"
#include "db/dbindexes.h"
#include "db/dbwidget.h"
#include "infodialog.h"
#include "messagebox.h"

#include <QCoreApplication>
#include <QSet>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Startup", text);
}
} // namespace

namespace Startup {

bool connectDatabase(DbWidget *db, QSettings *ini, int number, QWidget *owner)
{
    if (!db->open(ini, number)) {
        auto *dialog = new InfoDialog(nullptr,
                                      tr("Nie można połączyć się z bazą danych !") + QStringLiteral("\n\n")
                                          + db->errorText,
                                      InfoDialog::Error);
        if (owner)
            dialog->setParent(owner, Qt::Dialog);
        dialog->setMinimumWidth(440);
        // As high as the wrapped text needs at that width.
        dialog->adjustSize();
        dialog->show();
        return false;
    }
    return true;
}

void checkDatabase(DbWidget *db)
{
    // Said once a run for each database and reason, rather than by every
    // save that fails later or at every logout.
    static QSet<QString> warned;
    const QString readOnly = db->location() + QLatin1Char('\n') + db->readOnlyReason;
    if (!db->readOnlyReason.isEmpty() && !warned.contains(readOnly)) {
        warned.insert(readOnly);
        MessageBox::warning(tr("Baza danych tylko do odczytu"),
                            tr("W tej bazie danych nie można niczego zapisać: %1.")
                                    .arg(db->readOnlyReason)
                                + QStringLiteral("\n\n")
                                + tr("Dane można przeglądać, ale żadna zmiana nie zostanie "
                                     "zapisana. Popraw uprawnienia i uruchom program ponownie."));
    }
    if (!offerSchema(db))
        return;
    // A database made by an earlier version lacks the indexes added since.
    DbIndexes::addMissing(db);
    checkVersion(db);
}

bool openDatabase(DbWidget *db, QSettings *ini, int number, QWidget *owner)
{
    if (!connectDatabase(db, ini, number, owner))
        return false;
    checkDatabase(db);
    return true;
}

bool offerSchema(DbWidget *db)
{
    if (!db->isEmptyDatabase())
        return true;
    // Without its tables no one can log in: the login page says so and only
    // "Zakończ" and the choice of another database are left.
    const auto noStructure = [] {
        MessageBox::information(
            tr("Brak struktury bazy danych"),
            tr("Baza danych nie ma struktury programu, więc nie można się zalogować.")
                + QStringLiteral("\n\n")
                + tr("Aby ją utworzyć, uruchom program ponownie i potwierdź utworzenie "
                     "struktury. Program zamyka przycisk „Zakończ”."));
        return false;
    };
    if (!db->readOnlyReason.isEmpty())
        return noStructure();
    if (!MessageBox::confirm(tr("Wykryto pustą bazę danych"),
                             tr("Wykryto pustą bazę danych.") + QStringLiteral("\n\n")
                                 + tr("Czy utworzyć strukturę bazy danych ?")))
        return noStructure();
    if (!db->createSchema()) {
        MessageBox::critical(tr("Błąd tworzenia bazy danych"),
                             tr("Nie udało się utworzyć struktury bazy danych.") + QStringLiteral("\n\n")
                                 + db->errorText);
        return false;
    }
    return true;
}

void checkVersion(DbWidget *db)
{
    if (db->schemaVersion == appVersion)
        return;
    const QString version = db->schemaVersion.isEmpty() ? tr("nieznana") : db->schemaVersion;
    MessageBox::warning(tr("Niezgodna wersja bazy danych"),
                        tr("Wersja bazy danych (%1) różni się od wersji programu (%2).")
                            .arg(version, appVersion));
}

} // namespace Startup
