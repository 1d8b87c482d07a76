#pragma once

// Shared ground of the page tests: the page's own widgets by object name, and
// the error windows a page leaves open.

#include "configtesthelpers.h"
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
