#include "search/searchheaderview.h"

#include "settings.h"

#include <QBitArray>
#include <QDataStream>
#include <QHash>
#include <QIODevice>
#include <QSettings>
#include <QStyle>

SearchHeaderView::SearchHeaderView(QWidget *parent, QSettings *settings, int variant)
    : QHeaderView(Qt::Horizontal, parent), variant(variant), settings(settings)
{
    setSectionsClickable(true);
    setSectionsMovable(true);
    setSortIndicatorShown(true);
    setDefaultSectionSize(140);
    setHighlightSections(false);

    connect(this, &QHeaderView::sectionMoved, this, &SearchHeaderView::sectionsStateSave);
    connect(this, &QHeaderView::sectionResized, this, &SearchHeaderView::sectionsStateSave);
    connect(this, &QHeaderView::sortIndicatorChanged, this, &SearchHeaderView::sectionsStateSave);

    sectionsStateLoad();
}

SearchHeaderView::~SearchHeaderView() = default;

void SearchHeaderView::setModel(QAbstractItemModel *model)
{
    QHeaderView::setModel(model);
    // A layout staff made replaces the widths.
    loading = true;
    widenToTitles(this);
    loading = false;
    sectionsStateLoad();
}

void SearchHeaderView::widenToTitles(QHeaderView *header)
{
    if (!header->model())
        return;
    const QFontMetrics metrics = header->fontMetrics();
    const QStyle *style = header->style();
    // Room for the sort mark and the margins on both sides of the title and of the mark.
    const int room = 4 * style->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header)
        + style->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, header);
    const int widest = metrics.averageCharWidth() * 40;
    for (int section = 0; section < header->count(); ++section) {
        const QString title = header->model()->headerData(section, header->orientation()).toString();
        const int wanted = qMin(metrics.horizontalAdvance(title) + room, widest);
        if (wanted > header->sectionSize(section))
            header->resizeSection(section, wanted);
    }
}

QString SearchHeaderView::settingsKey() const
{
    return QStringLiteral("gui/stslayout_") + QString::number(variant);
}

int SearchHeaderView::sectionCountOfState(const QByteArray &state)
{
    // The leading fields of QHeaderView::saveState(), up to the section count.
    QDataStream stream(state);
    stream.setVersion(QDataStream::Qt_5_0);
    int marker = 0, version = -1, orientation = 0, sortOrder = 0, sortSection = 0;
    bool sortShown = false;
    QList<int> visualIndices, logicalIndices;
    QBitArray hidden;
    QHash<int, int> hiddenSizes;
    int length = 0, sectionCount = -1;
    stream >> marker >> version >> orientation >> sortOrder >> sortSection >> sortShown
        >> visualIndices >> logicalIndices >> hidden >> hiddenSizes >> length >> sectionCount;
    if (stream.status() != QDataStream::Ok || marker != 0xff || version != 0 || sectionCount < 0)
        return -1;
    return sectionCount;
}

namespace {
// Leads a stored layout that carries its columns; a bare saveState() starts
// with the marker 0x000000ff instead.
constexpr quint32 LayoutTag = 0x57534c31;
} // namespace

QByteArray SearchHeaderView::layoutOf(const QStringList &columns, const QByteArray &state)
{
    QByteArray layout;
    QDataStream stream(&layout, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_5_0);
    stream << LayoutTag << columns << state;
    return layout;
}

bool SearchHeaderView::readLayout(const QByteArray &layout, QStringList *columns,
                                  QByteArray *state)
{
    QDataStream stream(layout);
    stream.setVersion(QDataStream::Qt_5_0);
    quint32 tag = 0;
    stream >> tag;
    if (tag != LayoutTag)
        return false;
    stream >> *columns >> *state;
    return stream.status() == QDataStream::Ok;
}

QStringList SearchHeaderView::columnTitles() const
{
    QStringList titles;
    for (int column = 0; column < count(); ++column)
        titles << model()->headerData(column, Qt::Horizontal).toString();
    return titles;
}

void SearchHeaderView::sectionsStateLoad()
{
    if (!settings || !model())
        return;
    const QString text = settings->value(settingsKey()).toString();
    if (text.isEmpty())
        return;
    const QByteArray layout = QByteArray::fromHex(text.toLatin1());
    QStringList columns;
    QByteArray state;
    if (readLayout(layout, &columns, &state)) {
        if (columns != columnTitles())
            return;
    } else {
        // Stored without its columns: all that tells of them is their number.
        state = layout;
        if (sectionCountOfState(state) != count())
            return;
    }
    QList<int> widths;
    for (int section = 0; section < count(); ++section)
        widths << sectionSize(section);
    loading = true;
    if (restoreState(state))
        bringIntoSight(widths);
    loading = false;
}

void SearchHeaderView::bringIntoSight(const QList<int> &widths)
{
    // This page hides no column and lets none be dragged narrower than the
    // least width: a layout made otherwise (another version, a store edited
    // by hand) would keep such a column out of sight for good, and with all
    // of them hidden the list would look empty. They keep the width they had.
    for (int section = 0; section < count(); ++section) {
        if (isSectionHidden(section))
            showSection(section);
        if (sectionSize(section) < minimumSectionSize())
            resizeSection(section, widths.value(section, defaultSectionSize()));
    }
    // Any other order than these two the list takes as ascending, while the
    // header would show it descending.
    const Qt::SortOrder order = sortIndicatorOrder();
    if (order != Qt::AscendingOrder && order != Qt::DescendingOrder)
        setSortIndicator(sortIndicatorSection(), Qt::AscendingOrder);
}

void SearchHeaderView::sectionsStateSave()
{
    if (!settings || loading || !model() || count() == 0)
        return;
    // Not remembered while the e-mail or SMS account written by hand would
    // be stored changed; sending says what to mend.
    if (!Settings::rewriteProblem(settings, Settings::HandWrittenGroups).isEmpty())
        return;
    settings->setValue(settingsKey(),
                       QString::fromLatin1(layoutOf(columnTitles(), saveState()).toHex()));
    settings->sync();
}
