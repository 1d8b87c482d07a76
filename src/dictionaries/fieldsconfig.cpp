#include "dictionaries/fieldsconfig.h"

#include "db/dbwidget.h"
#include "dictionaries/dictionarycache.h"
#include "plaintext.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSqlError>
#include <QSqlQuery>

QMap<QString, QString> FieldsConfig::Description;
QMap<QString, bool> FieldsConfig::Required;

bool FieldsConfig::getFieldsDescription(DbWidget *db, bool reread)
{
    DictionaryCache::load(db, DictionaryCache::Fields, reread, [db] {
        if (!db)
            return false;
        QSqlQuery q = db->query(QStringLiteral("SELECT iId, sName, sValue, bRequired FROM fieldsconf"));
        if (!q.isActive())
            return false;
        QMap<QString, QString> description;
        QMap<QString, bool> required;
        while (q.next()) {
            const QString name = q.value(1).toString();
            description.insert(name, q.value(2).toString());
            required.insert(name, q.value(3).toInt() != 0);
        }
        Description = description;
        Required = required;
        return true;
    });
    return !Description.isEmpty();
}

bool FieldsConfig::inUse(const QString &field)
{
    return Description.isEmpty() || !Description.value(field).isEmpty();
}

void FieldsConfig::setupFields(QWidget *form)
{
    if (!form)
        return;
    const QList<QLabel *> labels = form->findChildren<QLabel *>();
    for (QLabel *label : labels) {
        const QString field = label->objectName().remove(QStringLiteral("Label"));
        const auto entry = Description.constFind(field);
        if (field.isEmpty() || entry == Description.constEnd())
            continue;

        // The field's input: its line edit, else its date edit or its long
        // text edit.
        QWidget *input = form->findChild<QLineEdit *>(field);
        if (!input)
            input = form->findChild<QDateEdit *>(field);
        if (!input)
            input = form->findChild<QPlainTextEdit *>(field);

        const bool used = !entry.value().isEmpty();
        if (used)
            PlainText::show(label, entry.value() + QLatin1Char(':'));
        label->setVisible(used);
        if (input)
            input->setVisible(used);
    }
}
