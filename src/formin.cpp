#include "formin.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

const QString FormIn::FormStyle2 = QStringLiteral("background: #f88b8b;");
const QString FormIn::FormStyle3 = QStringLiteral("border: 1px solid #9d9d9d;");

FormIn::FormIn(QWidget *form) : formWidget(form) {}

void FormIn::clearForm()
{
    clearFormWidget(formWidget);
}

void FormIn::resetFormStyles()
{
    if (!formWidget)
        return;
    const auto lines = formWidget->findChildren<QLineEdit *>();
    for (QLineEdit *e : lines)
        e->setStyleSheet(QString());
    const auto texts = formWidget->findChildren<QPlainTextEdit *>();
    for (QPlainTextEdit *e : texts)
        e->setStyleSheet(QString());
}

bool FormIn::validateForm()
{
    return true;
}

void FormIn::clearFormWidget(QWidget *widget)
{
    if (!widget)
        return;
    const auto lines = widget->findChildren<QLineEdit *>();
    for (QLineEdit *e : lines) {
        e->clear();
        e->setStyleSheet(QString());
    }
    const auto texts = widget->findChildren<QPlainTextEdit *>();
    for (QPlainTextEdit *e : texts) {
        e->clear();
        e->setStyleSheet(QString());
    }
}

void FormIn::comboboxSetup(QComboBox *box, QStringList *lists)
{
    if (!box || !lists)
        return;
    const QStringList &texts = lists[0];
    const QStringList &codes = lists[1];
    for (int i = 0; i < texts.size(); ++i) {
        // The code goes on the item just appended, so a box that already
        // holds items gets the codes on the right entries too.
        box->addItem(texts.at(i));
        box->setItemData(box->count() - 1, i < codes.size() ? codes.at(i) : QString(),
                         Qt::UserRole);
    }
}
