#pragma once

#include <QMessageBox>
#include <functional>

class QSqlError;

// The one place where the program shows modal message boxes. Their texts are
// plain text, never markup. Tests install a handler that records the box and
// returns a prepared answer instead of opening a window.
class MessageBox
{
public:
    using Handler = std::function<QMessageBox::StandardButton(
        QMessageBox::Icon, const QString &title, const QString &text,
        QMessageBox::StandardButtons buttons)>;

    static QMessageBox::StandardButton show(QMessageBox::Icon icon, const QString &title,
                                            const QString &text,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                            QWidget *parent = nullptr);

    // A question with OK and Cancel; true when the user chose OK.
    static bool confirm(const QString &title, const QString &text, QWidget *parent = nullptr);
    // A question with Yes and No; true on Yes.
    static bool ask(const QString &title, const QString &text, QWidget *parent = nullptr);
    static void information(const QString &title, const QString &text, QWidget *parent = nullptr);
    static void warning(const QString &title, const QString &text, QWidget *parent = nullptr);
    static void critical(const QString &title, const QString &text, QWidget *parent = nullptr);

    // The question a configuration page asks before it writes a change, under
    // the given title, with OK and Cancel; true on OK.
    static bool confirmSave(const QString &title, QWidget *parent = nullptr);
    // The box every configuration page shows after a failed write.
    static void saveFailed(QWidget *parent = nullptr);
    // saveFailed(), unless the database refused a value too long for its
    // column: then the box names the field.
    static void saveFailed(const QSqlError &error, QWidget *parent = nullptr);
    // The box shown after a successful write.
    static void saved(QWidget *parent = nullptr);
    // A read that failed: what could not be read or learnt, the advice to
    // check the connection, and the database's reason when there is one.
    static void readFailed(const QString &what, const QSqlError &error, QWidget *parent = nullptr);
    // A list whose rows could not all be read: it is empty or ends early.
    static void listReadFailed(const QSqlError &error, QWidget *parent = nullptr);
    // After a save whose COMMIT lost its answer when it cannot be told
    // whether it was stored (DbWidget::commitUncertain()): says so, asking
    // staff to check before they save again.
    static void saveUncertain(QWidget *parent = nullptr);
    // The same for a deletion.
    static void deletionUncertain(QWidget *parent = nullptr);
    // saved() after a successful write, saveFailed() after a failed one.
    static void reportSave(bool ok, QWidget *parent = nullptr);

    // The grammatical gender of what names a record ("Ten klient", "Ta naprawa").
    enum class Gender { Masculine, Feminine };
    // A record gone before a write reached it: "<what> został usunięty na
    // innym stanowisku." (or "została usunięta") and what became of the write.
    static void recordDeleted(const QString &what, const QString &outcome, QWidget *parent = nullptr,
                              Gender gender = Gender::Masculine);
    // Fields that another workstation changed since the page read them,
    // named; true when the user wants the record read again.
    static bool changedElsewhere(const QStringList &fields, QWidget *parent = nullptr);
    // A dictionary entry (a status, a hardware type) that another workstation
    // changed while its edit box was open: changed is the sentence that names
    // it; nothing was stored and the list is read again, unless outcome says
    // what became of the change instead.
    static void entryChangedElsewhere(const QString &changed, const QString &outcome = QString(),
                                      QWidget *parent = nullptr);

    static void setHandler(Handler handler);

    // Makes box show its text as plain text and names its buttons in Polish.
    static void prepare(QMessageBox *box);
    // Names the standard buttons of box in Polish: without a translation of
    // the toolkit they would read "Cancel", "Yes" and "No".
    static void nameButtons(QMessageBox *box);

private:
    static Handler s_handler;
};
