#pragma once

#include <QPageSize>
#include <QString>

class QSettings;

// The label and barcode settings of this workstation (native settings store,
// group "printouts"), read in one place with one table of defaults, so that
// the settings page shows what the label sheet then uses.
namespace LabelSettings {

extern const QString BarcodePrintKey;
extern const QString BarcodeSizeKey;
extern const QString TagSizeKey;
extern const QString TagWidthKey;
extern const QString TagHeightKey;
extern const QString MarginTopKey;
extern const QString MarginBottomKey;
extern const QString MarginLeftKey;
extern const QString MarginRightKey;

// State of the custom paper size in the store.
enum class CustomSize {
    Defined, // width and height stored, both above 0
    Missing, // width or height not stored: A4 is used in its place
    Invalid  // both stored, one of them 0 or less: nothing can be printed on it
};

struct Values
{
    bool barcodePrint = true;
    int barcodeSize = 2;  // 1 to 4
    int tagSize = 0;      // paper number, see PaperSizes
    int tagWidth = 210;   // millimetres, custom paper only
    int tagHeight = 297;
    int marginTop = 5;    // millimetres, every paper
    int marginBottom = 5;
    int marginLeft = 5;
    int marginRight = 5;
    bool widthStored = false;
    bool heightStored = false;

    CustomSize customSize() const;
    // The page of a paper number: the custom paper in its stored size, A4
    // while that size is missing, an invalid page while it is invalid.
    QPageSize pageSize(int paperNumber) const;
};

// Every key the store holds, the defaults above for the others. A null store
// gives the defaults.
Values read(const QSettings *store);

// The font size of the label barcode: "15pt", "20pt", "25pt" or "30pt" for
// sizes 1 to 4, "15pt" for any other.
QString barcodeFontSize(int barcodeSize);

} // namespace LabelSettings
