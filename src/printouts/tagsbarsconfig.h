#pragma once

#include "widgetbase.h"

#include <QWidget>

class QSettings;

namespace Ui {
class tagsBarsConfig;
}

// Configuration page of the barcodes on repair cards and of the paper of the
// hardware label sheet. The settings belong to this workstation: they are
// kept in the user's native settings store, group "printouts".
class TagsBarsConfig : public QWidget, public WidgetBase
{
    Q_OBJECT
public:
    TagsBarsConfig(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings);
    ~TagsBarsConfig() override;

public slots:
    // Shows what the store holds; keys it lacks keep the inputs' defaults.
    void load();
    // Writes the barcode keys when the barcode part changed and the label
    // keys when the label part changed (the custom size and margins only
    // while the custom paper is chosen). Never removes a key.
    void save();

protected:
    // Reloads, unless only the window was restored or a change is not saved.
    void showEvent(QShowEvent *event) override;

private slots:
    void barcodeEdited();
    void tagEdited();
    void paperChanged();

private:
    QSettings *store() const;
    void updateCustomInputs();

    Ui::tagsBarsConfig *ui;
    bool loading = false;
    bool barcodeChanged = false;
    bool tagChanged = false;
};
