#include "printouts/papersizes.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QIcon>

namespace PaperSizes {

namespace {

struct Entry
{
    const char *text;
    int number;
    QPageSize::PageSizeId id;
};

// Display order of the paper list, with the stored number of each paper.
const Entry entries[] = {
    {"A4", 0, QPageSize::A4},
    {"Własny", Custom, QPageSize::Custom},
    {"A5", 9, QPageSize::A5},
    {"A6", 10, QPageSize::A6},
    {"A7", 11, QPageSize::A7},
    {"A8", 12, QPageSize::A8},
    {"A9", 13, QPageSize::A9},
    {"B4", 19, QPageSize::B4},
    {"B5", 1, QPageSize::B5},
    {"B6", 20, QPageSize::B6},
    {"B7", 21, QPageSize::B7},
    {"B8", 22, QPageSize::B8},
    {"B9", 23, QPageSize::B9},
    {"B10", 16, QPageSize::B10},
};

const Entry *find(int number)
{
    for (const Entry &e : entries) {
        if (e.number == number)
            return &e;
    }
    return nullptr;
}

} // namespace

QList<Paper> papers()
{
    QList<Paper> list;
    for (const Entry &e : entries) {
        // Only the custom size has a translatable name.
        const QString text = e.number == Custom
            ? QCoreApplication::translate("PaperSizes", e.text)
            : QString::fromLatin1(e.text);
        list << Paper{text, e.number};
    }
    return list;
}

void fillComboBox(QComboBox *combo)
{
    const QIcon paper(QStringLiteral(":/general/bill.png"));
    const QIcon custom(QStringLiteral(":/repairsWidget/rlastrepairs.png"));
    for (const Paper &p : papers())
        combo->addItem(p.number == Custom ? custom : paper, p.text, p.number);
}

bool isKnown(int number)
{
    return find(number) != nullptr;
}

QPageSize::PageSizeId pageSizeId(int number)
{
    const Entry *e = find(number);
    return e ? e->id : QPageSize::A4;
}

QPageSize pageSize(int number, const QSizeF &customMillimetres)
{
    const QPageSize::PageSizeId id = pageSizeId(number);
    if (id == QPageSize::Custom)
        return QPageSize(customMillimetres, QPageSize::Millimeter);
    return QPageSize(id);
}

} // namespace PaperSizes
