#include "printouts/tagsbarsconfig.h"
#include "ui_tagsBarsConfig.h"

#include "messagebox.h"
#include "printouts/labelsettings.h"
#include "printouts/papersizes.h"
#include "reloadonshow.h"
#include "settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

using namespace LabelSettings;

namespace {

// Whether the store's file holds values after a write. Once a write failed,
// the store reports it for good, so a copy of its file is read instead (any
// handle on the file itself would share what the store could not write); a
// store without a file (the registry) goes by its report.
bool holds(const QSettings &store, const QList<std::pair<QString, QVariant>> &values)
{
    QFile file(store.fileName());
    if (!QFileInfo(file).isFile())
        return store.status() != QSettings::AccessError;
    QTemporaryFile copy;
    if (!file.open(QIODevice::ReadOnly) || !copy.open() || copy.write(file.readAll()) != file.size()
        || !copy.flush())
        return false;
    const QSettings written(copy.fileName(), store.format());
    return std::all_of(values.cbegin(), values.cend(), [&written](const auto &value) {
        return written.value(value.first).toString() == value.second.toString();
    });
}

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
    if (reloadOnShow(event, barcodeChanged || tagChanged))
        load();
    QWidget::showEvent(event);
}

void TagsBarsConfig::load()
{
    // Keys the store lacks show the defaults the label sheet uses.
    const Values v = LabelSettings::read(store());
    loading = true;
    ui->barcodePrint->setChecked(v.barcodePrint);
    ui->barcodeSize->setValue(v.barcodeSize);
    const int index = ui->tagSize->findData(v.tagSize);
    ui->tagSize->setCurrentIndex(index >= 0 ? index : 0);
    const std::pair<int, QSpinBox *> inputs[] = {
        {v.tagWidth, ui->tagWidth},         {v.tagHeight, ui->tagHeight},
        {v.marginTop, ui->tagMarginTop},   {v.marginBottom, ui->tagMarginBottom},
        {v.marginLeft, ui->tagMarginLeft}, {v.marginRight, ui->tagMarginRight}};
    for (const auto &[value, box] : inputs)
        box->setValue(value);
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
    // The changes are kept pending so that the user can try again.
    const auto notSaved = [s](const QString &why) {
        MessageBox::warning(tr("Błąd zapisu ustawień"),
                            tr("Nie udało się zapisać zmian w pliku ustawień %1.")
                                    .arg(QDir::toNativeSeparators(s->fileName()))
                                + why);
    };
    if (const QString problem = Settings::rewriteProblem(s, Settings::HandWrittenGroups); !problem.isEmpty()) {
        notSaved(QStringLiteral("\n\n") + problem);
        return;
    }
    // A line of the file that the store could not read (a format error)
    // stays its status after every write and hides one that failed; a write
    // drops that line, so a file left as it was tells.
    const auto fileBytes = [s] {
        QFile file(s->fileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const bool unreadableLine = s->status() == QSettings::FormatError;
    const QByteArray before = unreadableLine ? fileBytes() : QByteArray();
    QList<std::pair<QString, QVariant>> values;
    if (barcodeChanged)
        values << std::pair(BarcodePrintKey, QVariant(ui->barcodePrint->isChecked()))
               << std::pair(BarcodeSizeKey, QVariant(ui->barcodeSize->value()));
    if (tagChanged) {
        const int paper = ui->tagSize->currentData().toInt();
        values << std::pair(TagSizeKey, QVariant(paper));
        if (paper == PaperSizes::Custom)
            values << std::pair(TagWidthKey, QVariant(ui->tagWidth->value()))
                   << std::pair(TagHeightKey, QVariant(ui->tagHeight->value()))
                   << std::pair(MarginTopKey, QVariant(ui->tagMarginTop->value()))
                   << std::pair(MarginBottomKey, QVariant(ui->tagMarginBottom->value()))
                   << std::pair(MarginLeftKey, QVariant(ui->tagMarginLeft->value()))
                   << std::pair(MarginRightKey, QVariant(ui->tagMarginRight->value()));
    }
    // What the store held (an invalid value: nothing), put back when the
    // file does not take the change, which a later write would carry in.
    QList<std::pair<QString, QVariant>> held;
    for (const auto &[key, value] : std::as_const(values)) {
        held << std::pair(key, s->value(key));
        s->setValue(key, value);
    }
    s->sync();
    if (!holds(*s, values) || (unreadableLine && fileBytes() == before)) {
        for (const auto &[key, value] : std::as_const(held)) {
            if (value.isValid())
                s->setValue(key, value);
            else
                s->remove(key);
        }
        notSaved(QString());
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
