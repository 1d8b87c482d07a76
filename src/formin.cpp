#include "formin.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

const QString FormIn::FormStyle2 = QStringLiteral("background: #f88b8b;");
const QString FormIn::FormStyle3 = QStringLiteral("border: 1px solid #9d9d9d;");

namespace {

// The text inputs among the descendants of widget. The line edits that
// editable combo boxes, date edits and spin boxes carry inside are part of
// those inputs, not text fields of the form.
template<typename Fn>
void forEachTextInput(QWidget *widget, Fn fn)
{
    if (!widget)
        return;
    const auto lines = widget->findChildren<QLineEdit *>();
    for (QLineEdit *e : lines) {
        QWidget *owner = e->parentWidget();
        if (!qobject_cast<QComboBox *>(owner) && !qobject_cast<QAbstractSpinBox *>(owner))
            fn(e);
    }
    const auto texts = widget->findChildren<QPlainTextEdit *>();
    for (QPlainTextEdit *e : texts)
        fn(e);
}

} // namespace

FormIn::FormIn(QWidget *form) : formWidget(form) {}

void FormIn::clearForm()
{
    clearFormWidget(formWidget);
}

void FormIn::resetFormStyles()
{
    forEachTextInput(formWidget, [](auto *e) { e->setStyleSheet(QString()); });
}

bool FormIn::validateForm()
{
    return true;
}

void FormIn::clearFormWidget(QWidget *widget)
{
    forEachTextInput(widget, [](auto *e) {
        e->clear();
        e->setStyleSheet(QString());
    });
}

void FormIn::setTextInputsEditable(QWidget *widget, bool editable)
{
    const QString style = editable ? QString() : FormStyle3;
    forEachTextInput(widget, [&](auto *e) {
        e->setReadOnly(!editable);
        e->setStyleSheet(style);
    });
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
