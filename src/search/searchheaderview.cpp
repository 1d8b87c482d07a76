#include "search/searchheaderview.h"

#include <QBitArray>
#include <QDataStream>
#include <QHash>
#include <QSettings>

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
    sectionsStateLoad();
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

void SearchHeaderView::sectionsStateLoad()
{
    if (!settings || !model())
        return;
    const QString text = settings->value(settingsKey()).toString();
    if (text.isEmpty())
        return;
    const QByteArray state = QByteArray::fromHex(text.toLatin1());
    // The generic fields of the hardware and template lists are configurable:
    // a layout kept for another number of columns would land on the wrong ones.
    if (sectionCountOfState(state) != count())
        return;
    loading = true;
    restoreState(state);
    loading = false;
}

void SearchHeaderView::sectionsStateSave()
{
    if (!settings || loading || !model() || count() == 0)
        return;
    settings->setValue(settingsKey(), QString::fromLatin1(saveState().toHex()));
    settings->sync();
}
