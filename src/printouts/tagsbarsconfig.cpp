#include "printouts/tagsbarsconfig.h"
#include "ui_tagsBarsConfig.h"

#include "messagebox.h"
#include "printouts/papersizes.h"
#include "settings.h"

#include <QSettings>

namespace {

const QString BarcodePrintKey = QStringLiteral("printouts/barcode_print");
const QString BarcodeSizeKey = QStringLiteral("printouts/barcode_size");
const QString TagSizeKey = QStringLiteral("printouts/tag_size");
const QString TagWidthKey = QStringLiteral("printouts/tag_width");
const QString TagHeightKey = QStringLiteral("printouts/tag_height");
const QString MarginTopKey = QStringLiteral("printouts/tag_margin_top");
const QString MarginBottomKey = QStringLiteral("printouts/tag_margin_bottom");
const QString MarginLeftKey = QStringLiteral("printouts/tag_margin_left");
const QString MarginRightKey = QStringLiteral("printouts/tag_margin_right");

} // namespace

TagsBarsConfig::TagsBarsConfig(QWidget *parent, DbWidget *db, UserWidget *user,
                               Settings *settings)
    : QWidget(parent), WidgetBase(db, user, settings), ui(new Ui::tagsBarsConfig)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    PaperSizes::fillComboBox(ui->tagSize);
    updateCustomInputs();

    connect(ui->barcodePrint, &QCheckBox::toggled, this, &TagsBarsConfig::barcodeEdited);
    connect(ui->barcodeSize, &QSpinBox::valueChanged, this, &TagsBarsConfig::barcodeEdited);
    connect(ui->tagSize, &QComboBox::currentIndexChanged, this, &TagsBarsConfig::paperChanged);
    for (QSpinBox *box : {ui->tagWidth, ui->tagHeight, ui->tagMarginTop, ui->tagMarginBottom,
                          ui->tagMarginLeft, ui->tagMarginRight})
        connect(box, &QSpinBox::valueChanged, this, &TagsBarsConfig::tagEdited);
    connect(ui->saveButton, &QPushButton::clicked, this, &TagsBarsConfig::save);
}

TagsBarsConfig::~TagsBarsConfig()
{
    delete ui;
}

QSettings *TagsBarsConfig::store() const
{
    return settings ? settings->native : nullptr;
}

void TagsBarsConfig::showEvent(QShowEvent *event)
{
    load();
    QWidget::showEvent(event);
}

void TagsBarsConfig::load()
{
    QSettings *s = store();
    loading = true;
    if (s) {
        if (s->contains(BarcodePrintKey))
            ui->barcodePrint->setChecked(s->value(BarcodePrintKey).toBool());
        if (s->contains(BarcodeSizeKey))
            ui->barcodeSize->setValue(s->value(BarcodeSizeKey).toInt());
        if (s->contains(TagSizeKey)) {
            const int index = ui->tagSize->findData(s->value(TagSizeKey).toInt());
            ui->tagSize->setCurrentIndex(index >= 0 ? index : 0);
        }
        const std::pair<const QString &, QSpinBox *> inputs[] = {
            {TagWidthKey, ui->tagWidth},           {TagHeightKey, ui->tagHeight},
            {MarginTopKey, ui->tagMarginTop},       {MarginBottomKey, ui->tagMarginBottom},
            {MarginLeftKey, ui->tagMarginLeft},     {MarginRightKey, ui->tagMarginRight}};
        for (const auto &[key, box] : inputs) {
            if (s->contains(key))
                box->setValue(s->value(key).toInt());
        }
    }
    loading = false;
    barcodeChanged = false;
    tagChanged = false;
    ui->saveButton->setEnabled(false);
    updateCustomInputs();
}

void TagsBarsConfig::save()
{
    QSettings *s = store();
    if (!s || (!barcodeChanged && !tagChanged))
        return;
    if (barcodeChanged) {
        s->setValue(BarcodePrintKey, ui->barcodePrint->isChecked());
        s->setValue(BarcodeSizeKey, ui->barcodeSize->value());
    }
    if (tagChanged) {
        const int paper = ui->tagSize->currentData().toInt();
        s->setValue(TagSizeKey, paper);
        if (paper == PaperSizes::Custom) {
            s->setValue(TagWidthKey, ui->tagWidth->value());
            s->setValue(TagHeightKey, ui->tagHeight->value());
            s->setValue(MarginTopKey, ui->tagMarginTop->value());
            s->setValue(MarginBottomKey, ui->tagMarginBottom->value());
            s->setValue(MarginLeftKey, ui->tagMarginLeft->value());
            s->setValue(MarginRightKey, ui->tagMarginRight->value());
        }
    }
    s->sync();
    if (s->status() != QSettings::NoError) {
        // Keep the changes pending so that the user can try again.
        MessageBox::saveFailed();
        return;
    }
    barcodeChanged = false;
    tagChanged = false;
    ui->saveButton->setEnabled(false);
    MessageBox::saved();
}

void TagsBarsConfig::barcodeEdited()
{
    if (loading)
        return;
    barcodeChanged = true;
    ui->saveButton->setEnabled(store() != nullptr);
}

void TagsBarsConfig::tagEdited()
{
    if (loading)
        return;
    tagChanged = true;
    ui->saveButton->setEnabled(store() != nullptr);
}

void TagsBarsConfig::paperChanged()
{
    updateCustomInputs();
    tagEdited();
}

void TagsBarsConfig::updateCustomInputs()
{
    const bool custom = ui->tagSize->currentData().toInt() == PaperSizes::Custom;
    ui->customSizeBox->setEnabled(custom);
    ui->marginsBox->setEnabled(custom);
}
