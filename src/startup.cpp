#include "startup.h"

#include "appversion.h"
#include "db/dbindexes.h"
#include "db/dbwidget.h"
#include "infodialog.h"
#include "messagebox.h"

#include <QCoreApplication>

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
        dialog->show();
        return false;
    }
    return true;
}

void checkDatabase(DbWidget *db)
{
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
    if (!MessageBox::confirm(tr("Wykryto pustą bazę danych"),
                             tr("Wykryto pustą bazę danych.") + QStringLiteral("\n\n")
                                 + tr("Czy utworzyć strukturę bazy danych ?")))
        return false;
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
