// WARSZTAT_TEST_NO_DATABASE: the Code 39 font compiled into the program.
#include "appresources.h"
#include "testmain.h"

#include <QFontDatabase>
#include <QHash>
#include <QImage>
#include <QPainter>

class TestBarcodeFont : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void familyName();
    void codesRenderAsTheirBars();
    void differentCodesDifferentBars();

private:
    QString m_family;
};

namespace {

// Code 39 symbols: nine elements, bar and space alternating from a bar; "w"
// wide, "n" narrow. The standard's table, kept here to read the bars back.
const QHash<QString, QChar> &symbols()
{
    static const QHash<QString, QChar> table = [] {
        const QList<QPair<QChar, const char *>> patterns = {
            {'0', "nnnwwnwnn"}, {'1', "wnnwnnnnw"}, {'2', "nnwwnnnnw"}, {'3', "wnwwnnnnn"},
            {'4', "nnnwwnnnw"}, {'5', "wnnwwnnnn"}, {'6', "nnwwwnnnn"}, {'7', "nnnwnnwnw"},
            {'8', "wnnwnnwnn"}, {'9', "nnwwnnwnn"}, {'A', "wnnnnwnnw"}, {'B', "nnwnnwnnw"},
            {'C', "wnwnnwnnn"}, {'D', "nnnnwwnnw"}, {'E', "wnnnwwnnn"}, {'F', "nnwnwwnnn"},
            {'G', "nnnnnwwnw"}, {'H', "wnnnnwwnn"}, {'I', "nnwnnwwnn"}, {'J', "nnnnwwwnn"},
            {'K', "wnnnnnnww"}, {'L', "nnwnnnnww"}, {'M', "wnwnnnnwn"}, {'N', "nnnnwnnww"},
            {'O', "wnnnwnnwn"}, {'P', "nnwnwnnwn"}, {'Q', "nnnnnnwww"}, {'R', "wnnnnnwwn"},
            {'S', "nnwnnnwwn"}, {'T', "nnnnwnwwn"}, {'U', "wwnnnnnnw"}, {'V', "nwwnnnnnw"},
            {'W', "wwwnnnnnn"}, {'X', "nwnnwnnnw"}, {'Y', "wwnnwnnnn"}, {'Z', "nwwnwnnnn"},
            {'-', "nwnnnnwnw"}, {'.', "wwnnnnwnn"}, {' ', "nwwnnnwnn"}, {'*', "nwnnwnwnn"},
            {'$', "nwnwnwnnn"}, {'/', "nwnwnnnwn"}, {'+', "nwnnnwnwn"}, {'%', "nnnwnwnwn"}};
        QHash<QString, QChar> t;
        for (const auto &p : patterns)
            t.insert(QString::fromLatin1(p.second), p.first);
        return t;
    }();
    return table;
}

QImage render(const QString &family, const QString &code)
{
    QFont font(family);
    font.setPixelSize(120);
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(code) + 40, metrics.height() + 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(20, 10 + metrics.ascent(), code);
    painter.end();
    return image;
}

// Widths of the bars and spaces along one row, from the first bar to the
// last.
QList<int> runs(const QImage &image, int y)
{
    QList<int> widths;
    bool bar = false;
    for (int x = 0; x < image.width(); ++x) {
        const bool dark = qGray(image.pixel(x, y)) < 128;
        if (widths.isEmpty()) {
            if (dark) {
                widths << 1;
                bar = true;
            }
        } else if (dark == bar) {
            ++widths.last();
        } else {
            widths << 1;
            bar = dark;
        }
    }
    if (!bar && !widths.isEmpty())
        widths.removeLast();
    return widths;
}

// Reads the bars of the middle row back as text, as a scanner would; "?"
// stands for a symbol that is no Code 39 character.
QString decode(const QImage &image)
{
    const QList<int> widths = runs(image, image.height() / 2);
    if (widths.isEmpty())
        return QString();
    const auto [narrowest, widest] = std::minmax_element(widths.cbegin(), widths.cend());
    const double threshold = (*narrowest + *widest) / 2.0;
    QString text;
    // Each symbol is nine elements followed by a narrow gap.
    for (int start = 0; start + 9 <= widths.size(); start += 10) {
        QString pattern;
        for (int i = start; i < start + 9; ++i)
            pattern += widths.at(i) > threshold ? QLatin1Char('w') : QLatin1Char('n');
        text += symbols().value(pattern, QLatin1Char('?'));
    }
    if (widths.size() % 10 != 9)
        text += QLatin1Char('?');
    return text;
}

} // namespace

void TestBarcodeFont::initTestCase()
{
    initAppResources();
    const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/files/fonts/code39.ttf"));
    QVERIFY(id >= 0);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    QVERIFY(!families.isEmpty());
    m_family = families.first();
}

void TestBarcodeFont::familyName()
{
    // The labels name the font by this family.
    QCOMPARE(m_family, QStringLiteral("Code 3 de 9"));
    QVERIFY(QFontDatabase::families().contains(QStringLiteral("Code 3 de 9")));
    QCOMPARE(QFontInfo(QFont(QStringLiteral("Code 3 de 9"))).family(), QStringLiteral("Code 3 de 9"));
}

void TestBarcodeFont::codesRenderAsTheirBars()
{
    // A hardware label code, and every character the font carries.
    const QStringList codes = {QStringLiteral("*0I12I7*"),
                               QStringLiteral("*0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%*")};
    for (const QString &code : codes) {
        const QImage image = render(m_family, code);
        QCOMPARE(decode(image), code);
        // The bars run the full height of the glyphs, not a line of them.
        QCOMPARE(decode(image.copy(0, image.height() / 3, image.width(), 1)), code);
    }
}

void TestBarcodeFont::differentCodesDifferentBars()
{
    const QImage first = render(m_family, QStringLiteral("*0I12I7*"));
    const QImage second = render(m_family, QStringLiteral("*0I13I7*"));
    QVERIFY(first.size() == second.size()); // every symbol is equally wide
    QVERIFY(first != second);
    QVERIFY(runs(first, first.height() / 2) != runs(second, second.height() / 2));
    QCOMPARE(decode(second), QStringLiteral("*0I13I7*"));
    // The same code always gives the same picture.
    QVERIFY(first == render(m_family, QStringLiteral("*0I12I7*")));
    // Not blank.
    QVERIFY(runs(first, first.height() / 2).size() > 9);
}

WARSZTAT_TEST_MAIN(TestBarcodeFont)
#include "tst_barcodefont.moc"
