#pragma once

#include "widgetbase.h"

#include <QDateTime>
#include <QString>
#include <QWidget>
#include <optional>

namespace Ui {
class numberingConfig;
}

// Configuration page of the repair-number scheme, and the generator of the
// stored number of a new repair.
class NumberingConfig : public QWidget, public WidgetBase
{
    Q_OBJECT
public:
    NumberingConfig(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings);
    ~NumberingConfig() override;

    // The stored number of a repair taken in at date by user. An empty scheme
    // means the scheme stored in the database ("{DAY2}{MONTH2}" without one);
    // schemeRead, when given, is false when that scheme could not be read.
    static QString generateNumbering(DbWidget *db, UserWidget *user, QDateTime date,
                                     QString scheme, bool *schemeRead = nullptr);
    // Initials of a user name: the first character of every word, upper-cased
    // ("Jan Kowalski" -> "JK", "Łukasz Żak" -> "ŁŻ").
    static QString initials(const QString &name);

    static const QString DefaultScheme; // "{DAY2}{MONTH2}"

public slots:
    void generateNumberingPreview();
    void save();

protected:
    // Reloads, unless only the window was restored or a typed scheme is not
    // saved.
    void showEvent(QShowEvent *event) override;

private:
    void load();
    void saveScheme();
    void saveNextId();

    Ui::numberingConfig *ui;
    int previewId;
    bool schemeRead = true; // false while the stored scheme could not be read
    // The stored scheme the page last read, none without a row: a save stores
    // over that one only.
    std::optional<QString> storedScheme;
    // A scheme whose save lost its answer: stored or not, none is unknown.
    std::optional<QString> uncertainScheme;
    QString dbLabelText;
};
