#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
class QWidget;

// Mixin of forms: field styles, clearing and validation of the inputs of one
// bound widget, and filling combo boxes from a pair of lists.
class FormIn
{
public:
    explicit FormIn(QWidget *form);
    virtual ~FormIn() = default;

    static const QString FormStyle2; // marks an invalid or missing field
    static const QString FormStyle3; // marks a read-only input in view mode

    virtual void clearForm();
    virtual void resetFormStyles();
    virtual bool validateForm();
    void clearFormWidget(QWidget *widget);

    // View and edit modes of a record page: every QLineEdit and every
    // QPlainTextEdit among the descendants of widget becomes read-only with
    // FormStyle3, or editable with the empty style sheet.
    static void setTextInputsEditable(QWidget *widget, bool editable);

    // lists points at two lists of equal length: texts, then codes. Each text
    // is appended as an item whose Qt::UserRole data is its code as text.
    static void comboboxSetup(QComboBox *box, QStringList *lists);

protected:
    QWidget *formWidget;
};
