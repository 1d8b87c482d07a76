#pragma once

#include <QList>
#include <QPageSize>
#include <QSizeF>
#include <QString>

class QComboBox;

// The paper sizes offered for hardware label sheets. A paper is known by the
// number the settings store keeps in printouts/tag_size (the page size
// numbers of the older print system); QPageSize's own ids differ, so every
// conversion goes through this table.
namespace PaperSizes {

// Number of the custom size "Własny", whose width and height are configured
// in millimetres.
constexpr int Custom = 30;

struct Paper
{
    QString text; // as the paper list shows it
    int number;   // as printouts/tag_size stores it
};

// The paper list in display order: "A4", "Własny", "A5" ... "B10".
QList<Paper> papers();

// Appends the paper list to an empty combo box: the text, an icon and the
// number (int) as item data.
void fillComboBox(QComboBox *combo);

// True when number names a paper of the list.
bool isKnown(int number);

// The QPageSize id of a stored number: QPageSize::Custom for the custom size,
// QPageSize::A4 for a number that names no paper of the list.
QPageSize::PageSizeId pageSizeId(int number);

// The page size of a stored number; the custom size takes customMillimetres
// (width x height), an unknown number gives A4.
QPageSize pageSize(int number, const QSizeF &customMillimetres);

} // namespace PaperSizes
