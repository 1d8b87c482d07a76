#include "messagebox.h"

#include "db/columnlengths.h"

#include <QAbstractButton>
#include <QSqlError>

MessageBox::Handler MessageBox::s_handler;

QMessageBox::StandardButton MessageBox::show(QMessageBox::Icon icon, const QString &title,
                                             const QString &text,
                                             QMessageBox::StandardButtons buttons,
                                             QWidget *parent)
{
    if (s_handler)
        return s_handler(icon, title, text, buttons);
    // A closing " ?" or " !" stays on the line of its word.
    QString shown = text;
    shown.replace(QLatin1String(" ?"), QStringLiteral("\u00a0?"));
    shown.replace(QLatin1String(" !"), QStringLiteral("\u00a0!"));
    QMessageBox box(icon, title, shown, buttons, parent);
    prepare(&box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MessageBox::prepare(QMessageBox *box)
{
    // Texts name records, files and servers' answers: shown as they are.
    box->setTextFormat(Qt::PlainText);
    nameButtons(box);
}

void MessageBox::nameButtons(QMessageBox *box)
{
    const std::pair<QMessageBox::StandardButton, QString> names[] = {
        {QMessageBox::Ok, QObject::tr("OK")},
        {QMessageBox::Cancel, QObject::tr("Anuluj")},
        {QMessageBox::Yes, QObject::tr("Tak")},
        {QMessageBox::No, QObject::tr("Nie")},
    };
    for (const auto &[which, name] : names)
        if (QAbstractButton *button = box->button(which))
            button->setText(name);
}

bool MessageBox::confirm(const QString &title, const QString &text, QWidget *parent)
{
    return show(QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel, parent)
        == QMessageBox::Ok;
}

bool MessageBox::ask(const QString &title, const QString &text, QWidget *parent)
{
    return show(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent)
        == QMessageBox::Yes;
}

void MessageBox::information(const QString &title, const QString &text, QWidget *parent)
{
    show(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
}

void MessageBox::warning(const QString &title, const QString &text, QWidget *parent)
{
    show(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
}

void MessageBox::critical(const QString &title, const QString &text, QWidget *parent)
{
    show(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
}

bool MessageBox::confirmSave(const QString &title, QWidget *parent)
{
    return confirm(title,
                   QObject::tr("Nowa konfiguracja zostanie zapisana do bazy danych.") + QLatin1Char(' ')
                       + QObject::tr("Czy chcesz zapisać zmiany ?"),
                   parent);
}

void MessageBox::saveFailed(QWidget *parent)
{
    warning(QObject::tr("Błąd zapisu do bazy"),
            QObject::tr("Nie udało się zapisać zmian.") + QStringLiteral("\n\n")
                + QObject::tr("Sprawdź konfigurację bazy danych bądź skontaktuj się z pomocą techniczną."),
            parent);
}

void MessageBox::saveFailed(const QSqlError &error, QWidget *parent)
{
    const QString field = ColumnLengths::refusal(error);
    if (field.isEmpty())
        saveFailed(parent);
    else
        warning(QObject::tr("Błąd zapisu do bazy"),
                QObject::tr("Nie udało się zapisać zmian.") + QStringLiteral("\n\n") + field, parent);
}

void MessageBox::saveUncertain(QWidget *parent)
{
    warning(QObject::tr("Błąd zapisu do bazy"),
            QObject::tr("Połączenie z bazą danych zostało przerwane w chwili zapisu: nie wiadomo, "
                        "czy dane zostały zapisane.")
                + QStringLiteral("\n\n")
                + QObject::tr("Sprawdź, czy zostały zapisane, zanim zapiszesz je ponownie."),
            parent);
}

void MessageBox::deletionUncertain(QWidget *parent)
{
    critical(QObject::tr("Błąd usuwania"),
             QObject::tr("Połączenie z bazą danych zostało przerwane w chwili usuwania: nie wiadomo, czy "
                         "dane zostały usunięte.\n\nSprawdź, czy zostały usunięte, zanim usuniesz je "
                         "ponownie."),
             parent);
}

void MessageBox::readFailed(const QString &what, const QSqlError &error, QWidget *parent)
{
    QString text = what + QStringLiteral("\n\n")
                   + QObject::tr("Sprawdź połączenie z bazą danych bądź skontaktuj się z pomocą techniczną.");
    const QString reason = error.text().trimmed();
    if (!reason.isEmpty())
        text += QStringLiteral("\n\n") + reason;
    warning(QObject::tr("Błąd odczytu z bazy"), text, parent);
}

void MessageBox::listReadFailed(const QSqlError &error, QWidget *parent)
{
    readFailed(QObject::tr("Nie udało się odczytać danych z bazy: lista może być pusta lub niepełna."), error,
               parent);
}

void MessageBox::saved(QWidget *parent)
{
    information(QObject::tr("Zapisano."), QObject::tr("Zmiany zostały pomyślnie zapisane."), parent);
}

void MessageBox::reportSave(bool ok, QWidget *parent)
{
    if (ok)
        saved(parent);
    else
        saveFailed(parent);
}

void MessageBox::recordDeleted(const QString &what, const QString &outcome, QWidget *parent, Gender gender)
{
    warning(QObject::tr("Rekord usunięty"),
            what + QLatin1Char(' ')
                + (gender == Gender::Feminine ? QObject::tr("została usunięta na innym stanowisku.")
                                              : QObject::tr("został usunięty na innym stanowisku."))
                + QLatin1Char(' ') + outcome,
            parent);
}

bool MessageBox::changedElsewhere(const QStringList &fields, QWidget *parent)
{
    return ask(QObject::tr("Zmiany na innym stanowisku"),
               QObject::tr("Od odczytania danych na innym stanowisku zmieniono: %1.")
                       .arg(fields.join(QStringLiteral(", ")))
                   + QLatin1Char(' ')
                   + QObject::tr("Twoje zmiany nie zostały zapisane, aby ich nie nadpisać.")
                   + QStringLiteral("\n\n")
                   + QObject::tr("Czy wczytać dane ponownie? Wpisane zmiany zostaną wtedy porzucone."),
               parent);
}

void MessageBox::entryChangedElsewhere(const QString &changed, const QString &outcome, QWidget *parent)
{
    warning(QObject::tr("Zmiany na innym stanowisku"),
            changed + QLatin1Char(' ')
                + (outcome.isEmpty() ? QObject::tr("Zmiany nie zostały zapisane, a lista została wczytana ponownie.")
                                     : outcome),
            parent);
}

void MessageBox::setHandler(Handler handler)
{
    s_handler = std::move(handler);
}
