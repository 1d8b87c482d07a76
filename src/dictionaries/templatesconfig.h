#pragma once

#include "widgetbase.h"

#include <QDate>
#include <QWidget>

class Template;

namespace Ui {
class templatesConfig;
}

// Configuration page of the hardware templates: a list of the templates and
// an edit page with the name, the type and the generic hardware fields.
class TemplatesConfig : public QWidget, public WidgetBase
{
    Q_OBJECT
public:
    TemplatesConfig(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings);
    ~TemplatesConfig() override;

public slots:
    // Relabels the edit page from the field labels and reloads the list.
    void load();
    void addTemplate();
    void editTemplate();
    void deleteTemplate();
    void saveTemplate();
    void abortEdit();

protected:
    // Reloads, unless only the window was restored or the edit page is open.
    void showEvent(QShowEvent *event) override;

private slots:
    void selected();

private:
    int selectedTemplateId() const;
    // The types of the model's last setupFields() in the type box; the
    // chosen type stays chosen.
    void fillTypes();
    void showEditPage();
    // The edit page's values in the order of the templates' columns (as
    // Template::dbInsert takes them).
    QStringList formValues() const;
    // Shows the stored template on the edit page; false when it cannot be read.
    bool readTemplate(int id);
    // Writes the fields typed other than read, each only while it holds the
    // value read; a refusal is explained (the form stays, or shows the
    // template read again when the user asks).
    bool updateTemplate(const QStringList &values);

    Ui::templatesConfig *ui;
    Template *model = nullptr;
    // iId of the template on the edit page; 0 while adding one.
    int editedId = 0;
    // The stored type of the edited template, kept when the type is no longer
    // offered in the list.
    int editedType = -1;
    // The stored date of the edited template and the day it shows, so that a
    // date left as it was is stored unchanged.
    QString editedDate;
    QDate editedDay;
    // The values of the edited template as read, in the order of formValues().
    QVariantList editedValues;
};
