#include "printouts/labelsettings.h"

#include "printouts/papersizes.h"

#include <QSettings>

namespace LabelSettings {

const QString BarcodePrintKey = QStringLiteral("printouts/barcode_print");
const QString BarcodeSizeKey = QStringLiteral("printouts/barcode_size");
const QString TagSizeKey = QStringLiteral("printouts/tag_size");
const QString TagWidthKey = QStringLiteral("printouts/tag_width");
const QString TagHeightKey = QStringLiteral("printouts/tag_height");
const QString MarginTopKey = QStringLiteral("printouts/tag_margin_top");
const QString MarginBottomKey = QStringLiteral("printouts/tag_margin_bottom");
const QString MarginLeftKey = QStringLiteral("printouts/tag_margin_left");
const QString MarginRightKey = QStringLiteral("printouts/tag_margin_right");

CustomSize Values::customSize() const
{
    if (!widthStored || !heightStored)
        return CustomSize::Missing;
    return tagWidth > 0 && tagHeight > 0 ? CustomSize::Defined : CustomSize::Invalid;
}

QPageSize Values::pageSize(int paperNumber) const
{
    if (paperNumber != PaperSizes::Custom)
        return PaperSizes::pageSize(paperNumber, QSizeF());
    switch (customSize()) {
    case CustomSize::Defined:
        return PaperSizes::pageSize(paperNumber, QSizeF(tagWidth, tagHeight));
    case CustomSize::Missing:
        return QPageSize(QPageSize::A4);
    case CustomSize::Invalid:
        break;
    }
    return QPageSize();
}

Values read(const QSettings *store)
{
    Values v;
    if (!store)
        return v;
    if (store->contains(BarcodePrintKey))
        v.barcodePrint = store->value(BarcodePrintKey).toBool();
    const std::pair<const QString &, int *> numbers[] = {
        {BarcodeSizeKey, &v.barcodeSize}, {TagSizeKey, &v.tagSize},
        {TagWidthKey, &v.tagWidth},       {TagHeightKey, &v.tagHeight},
        {MarginTopKey, &v.marginTop},     {MarginBottomKey, &v.marginBottom},
        {MarginLeftKey, &v.marginLeft},   {MarginRightKey, &v.marginRight}};
    for (const auto &[key, value] : numbers) {
        if (store->contains(key))
            *value = store->value(key).toInt();
    }
    v.widthStored = store->contains(TagWidthKey);
    v.heightStored = store->contains(TagHeightKey);
    return v;
}

QString barcodeFontSize(int barcodeSize)
{
    if (barcodeSize < 1 || barcodeSize > 4)
        barcodeSize = 1;
    return QString::number(10 + 5 * barcodeSize) + QLatin1String("pt");
}

} // namespace LabelSettings
