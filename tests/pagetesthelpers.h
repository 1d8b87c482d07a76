#pragma once

// Shared ground of the page tests: the page's own widgets by object name, and
// the error windows a page leaves open.

#include "configtesthelpers.h"
#include "db/columnlengths.h"
#include "formin.h"
#include "infodialog.h"
#include "messageboxrecorder.h"
#include "searchfixture.h"
#include "testmain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSqlError>
#include <QStackedWidget>

// The widget called name on page; those of a search page embedded in it (a
// picker or a repairs list, whose forms use the same names) do not count,
// unless page is that search page. A missing widget ends the run.
template <typename W = QWidget>
W *formChild(const QWidget *page, const char *name)
{
    for (W *found : page->findChildren<W *>(QLatin1String(name))) {
        const QObject *up = found->parent();
        while (up != page && !qobject_cast<const SearchWidget *>(up))
            up = up->parent();
        if (up == page)
            return found;
    }
    qFatal("no widget %s", name);
}

// Clicks the button called name on page (a hidden or disabled one does not
// react).
inline void clickChild(const QWidget *page, const char *name)
{
    QTest::mouseClick(formChild<QAbstractButton>(page, name), Qt::LeftButton);
}

// Opens the intake's picker behind button and gives it.
inline SearchWidget *openPicker(const QWidget *intake, const char *button)
{
    clickChild(intake, button);
    return qobject_cast<SearchWidget *>(formChild<QStackedWidget>(intake, "stackedWidget")->currentWidget());
}

// Closes the error windows that are open and gives their texts.
inline QStringList takeErrors()
{
    QStringList texts;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        auto *dialog = qobject_cast<InfoDialog *>(window);
        if (dialog && dialog->isVisible() && dialog->type() == InfoDialog::Error && dialog->close())
            texts << dialog->text();
    }
    return texts;
}

// Runs a statement on a connection of its own, as another workstation would;
// its error text, empty when it ran.
inline QString onAnotherWorkstation(const TestDatabase &t, const QString &sql)
{
    return t.openAnother()->query(sql).lastError().text();
}

// Texts longer than their columns, as staff do type them.
namespace LongTexts {
inline const QString surname = QStringLiteral("Wielkopolska-Żółtowska vel Brzęczyszczykiewicz-Grzegorzewsk");
inline const QString company = QStringLiteral(
    "Przedsiębiorstwo Handlowo-Usługowe Serwis Elektroniki Użytkowej i Sprzętu Komputerowego Spółka z o.o. Spółka Jawna");
inline const QString building = QStringLiteral("lokal 12, klatka B, wejście od podwórza");
} // namespace LongTexts

// The line edits of box named after a column of table whose limit is not
// that column's length; empty when there is none.
inline QString inputLimitProblems(const QWidget *box, const char *table)
{
    QStringList wrong;
    for (QLineEdit *edit : box->findChildren<QLineEdit *>(QRegularExpression(QStringLiteral("^s")))) {
        const ColumnLengths::Column *column = ColumnLengths::find(QLatin1String(table), edit->objectName());
        if (!column || edit->maxLength() != column->limit)
            wrong << edit->objectName() + QLatin1Char('=') + QString::number(edit->maxLength());
    }
    return wrong.join(QStringLiteral(", "));
}

// Puts text into an input past its limit, as a value the form let through
// would stand there.
inline void forceText(QWidget *input, const QString &text)
{
    if (auto *edit = qobject_cast<QLineEdit *>(input)) {
        edit->setMaxLength(32767);
        edit->setText(text);
    } else {
        qobject_cast<QPlainTextEdit *>(input)->setPlainText(text);
    }
}

// The last box is the refused save naming the field.
inline bool namesField(const MessageBoxRecorder &boxes, const QString &label)
{
    return boxes.last().title == QStringLiteral("Błąd zapisu do bazy")
        && boxes.last().text.contains(QStringLiteral("„%1”").arg(label));
}
