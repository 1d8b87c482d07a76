#pragma once

#include <QHeaderView>

class QSettings;

// Horizontal header of the search page's result table. Staff reorder,
// resize and sort its columns; the layout is kept per search variant in the
// native settings store (group "gui", key "stslayout_" and the variant) as
// the hex text of saveState(), and restored when the header gets its model.
class SearchHeaderView : public QHeaderView
{
    Q_OBJECT

public:
    SearchHeaderView(QWidget *parent, QSettings *settings, int variant);
    ~SearchHeaderView() override;

    void setModel(QAbstractItemModel *model) override;

    // Number of sections recorded in a saveState() blob, -1 when the blob
    // cannot be read.
    static int sectionCountOfState(const QByteArray &state);

    int variant;
    QSettings *settings;

private slots:
    void sectionsStateLoad();
    void sectionsStateSave();

private:
    QString settingsKey() const;
    bool loading = false;
};
