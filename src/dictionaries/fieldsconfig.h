#pragma once

#include <QMap>
#include <QString>

class DbWidget;
class QWidget;

// Labels and required flags of the generic hardware fields sField1 to
// sField14, iFieldDate and sFieldLong (table fieldsconf). An empty or absent
// label means the shop does not use the field.
class FieldsConfig
{
public:
    // Field name -> configured label.
    static QMap<QString, QString> Description;
    // Field name -> required flag; an absent name is not required.
    static QMap<QString, bool> Required;

    // Refills both maps from fieldsconf once per connection, or again with
    // reread (labels of another database do not survive); a failed read
    // leaves them as they were. True when Description then holds at least one
    // entry.
    static bool getFieldsDescription(DbWidget *db, bool reread = false);
    // True when the shop uses the field: its label is set, or no label was
    // ever read (fieldsconf unread), so that no stored value is hidden and
    // none typed is dropped.
    static bool inUse(const QString &field);
    // For every QLabel "<field>Label" under form whose field is in
    // Description: a non-empty label is set as "<label>:" and the label and
    // the field's input are shown; an empty one hides both.
    static void setupFields(QWidget *form);
};
