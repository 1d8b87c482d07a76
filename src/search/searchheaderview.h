#pragma once

#include <QHeaderView>

class QSettings;

// Horizontal header of the search page's result table. Staff reorder,
// resize and sort its columns; the layout is kept per search variant in the
// native settings store (group "gui", key "stslayout_" and the variant) as
// hex text, and restored when the header gets its model. The text holds
// saveState() together with the column titles it was made for, since the
// generic fields of the hardware and template lists are configurable: a
// layout made for other columns is not applied.
class SearchHeaderView : public QHeaderView
{
    Q_OBJECT

public:
    SearchHeaderView(QWidget *parent, QSettings *settings, int variant);
    ~SearchHeaderView() override;

    void setModel(QAbstractItemModel *model) override;

    // Widens each column of header to read its title (the labels of the
    // generic fields are the shop's own), up to a limit.
    static void widenToTitles(QHeaderView *header);
    // Number of sections recorded in a saveState() blob, -1 when the blob
    // cannot be read.
    static int sectionCountOfState(const QByteArray &state);
    // The stored value: saveState() of the columns titled columns.
    static QByteArray layoutOf(const QStringList &columns, const QByteArray &state);
    // Splits a stored value; false when it is not one that layoutOf() made
    // (a layout stored without its columns, as kept by earlier versions).
    static bool readLayout(const QByteArray &layout, QStringList *columns, QByteArray *state);

    int variant;
    QSettings *settings;

private slots:
    void sectionsStateLoad();
    void sectionsStateSave();

private:
    QString settingsKey() const;
    // The titles of the model's columns in logical order.
    QStringList columnTitles() const;
    // Shows again the columns a restored layout hid or left without width
    // (at the widths given, by section) and puts a sort order that is neither
    // of the two back to ascending.
    void bringIntoSight(const QList<int> &widths);
    bool loading = false;
};
