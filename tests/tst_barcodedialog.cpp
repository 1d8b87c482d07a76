// WARSZTAT_TEST_NO_DATABASE
#include "testmain.h"

#include <QLabel>
#include <QPointer>
#include <QSignalSpy>

#include "search/barcodedialog.h"

class TestBarcodeDialog : public QObject
{
    Q_OBJECT

private:
    struct Scan
    {
        QPointer<BarcodeDialog> dialog = new BarcodeDialog();
        QSignalSpy spy{dialog.data(), &BarcodeDialog::scanned};

        ~Scan() { delete dialog.data(); }
        void keys(const QString &text)
        {
            for (QChar c : text) {
                if (!dialog)
                    return;
                QTest::keyClick(dialog.data(), c.toLatin1());
            }
        }
        void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
        {
            QTest::keyClick(dialog.data(), k, modifiers);
        }
        // A key event with an arbitrary key code and text, as a keyboard
        // layout may produce it.
        void raw(int keyCode, const QString &text)
        {
            QKeyEvent press(QEvent::KeyPress, keyCode, Qt::NoModifier, text);
            QApplication::sendEvent(dialog.data(), &press);
        }
        bool closedAndDeleted()
        {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return dialog.isNull();
        }
    };

private slots:
    void formAndWindow()
    {
        Scan s;
        BarcodeDialog *d = s.dialog;
        QCOMPARE(d->windowTitle(), QStringLiteral("Skanowanie kodu kreskowego"));
        QVERIFY(d->isVisible());
        QCOMPARE(d->windowModality(), Qt::ApplicationModal);
        QVERIFY(d->testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(!d->parent());
        QCOMPARE(d->minimumSize(), QSize(400, 120));
        QCOMPARE(d->maximumSize(), QSize(400, 120));
        auto *text = d->findChild<QLabel *>(QStringLiteral("label_2"));
        QVERIFY(text);
        QCOMPARE(text->text(), QStringLiteral("Zeskanuj kod kreskowy z wydruku."));
        auto *picture = d->findChild<QLabel *>(QStringLiteral("label"));
        QVERIFY(picture);
        QVERIFY(!picture->pixmap().isNull());
        QCOMPARE(d->buffer, QString());
        QCOMPARE(d->separatorCount, 0);
        QCOMPARE(BarcodeDialog::Separator, QChar(u'I'));
    }

    void hardwareLabelCode()
    {
        Scan s;
        s.keys(QStringLiteral("*0I12I7I"));
        QCOMPARE(s.spy.count(), 1);
        QCOMPARE(s.spy.at(0).at(0).toStringList(), (QStringList{"0", "12", "7"}));
        QVERIFY(s.closedAndDeleted());
    }

    void partialCodeKeepsWaiting()
    {
        Scan s;
        s.keys(QStringLiteral("5I3I"));
        QCOMPARE(s.spy.count(), 0);
        QVERIFY(s.dialog->isVisible());
        QCOMPARE(s.dialog->buffer, QStringLiteral("5I3I"));
        QCOMPARE(s.dialog->separatorCount, 2);
    }

    void emptyAndShortCodes()
    {
        {
            Scan s;
            s.keys(QStringLiteral("III"));
            QCOMPARE(s.spy.count(), 1);
            QCOMPARE(s.spy.at(0).at(0).toStringList(), QStringList());
        }
        {
            Scan s;
            s.keys(QStringLiteral("12"));
            s.keys(QStringLiteral("III"));
            QCOMPARE(s.spy.count(), 1);
            QCOMPARE(s.spy.at(0).at(0).toStringList(), QStringList{"12"});
            QVERIFY(s.closedAndDeleted());
        }
    }

    void lowerCaseSeparator()
    {
        Scan s;
        s.keys(QStringLiteral("1i2i3i"));
        QCOMPARE(s.spy.count(), 1);
        QCOMPARE(s.spy.at(0).at(0).toStringList(), (QStringList{"1", "2", "3"}));
    }

    void otherKeysIgnored()
    {
        Scan s;
        s.keys(QStringLiteral("*AZx-"));
        s.key(Qt::Key_Return);
        s.key(Qt::Key_Enter);
        s.key(Qt::Key_Escape);
        s.key(Qt::Key_Space);
        QVERIFY(!s.closedAndDeleted());
        QVERIFY(s.dialog->isVisible());
        QCOMPARE(s.dialog->buffer, QString());
        QCOMPARE(s.spy.count(), 0);
    }

    void functionKeysAreNoDigits()
    {
        // F1..F10 share their low 16 bits with the digits "0".."9".
        Scan s;
        for (int k = Qt::Key_F1; k <= Qt::Key_F10; ++k)
            s.key(Qt::Key(k));
        QCOMPARE(s.dialog->buffer, QString());
        // Other characters that Unicode counts as numbers.
        s.raw(0x0661, QString(QChar(0x0661)));             // Arabic-Indic one
        s.raw(Qt::Key_twosuperior, QString(QChar(0x00b2))); // superscript two
        s.raw(Qt::Key_onehalf, QString(QChar(0x00bd)));
        QCOMPARE(s.dialog->buffer, QString());
        s.keys(QStringLiteral("4I"));
        QCOMPARE(s.dialog->buffer, QStringLiteral("4I"));
    }

    void keypadDigits()
    {
        Scan s;
        s.key(Qt::Key_1, Qt::KeypadModifier);
        s.key(Qt::Key_9, Qt::KeypadModifier);
        s.keys(QStringLiteral("I"));
        s.key(Qt::Key_0, Qt::KeypadModifier);
        s.keys(QStringLiteral("I5I"));
        QCOMPARE(s.spy.count(), 1);
        QCOMPARE(s.spy.at(0).at(0).toStringList(), (QStringList{"19", "0", "5"}));
    }

    void closingEmitsNothing()
    {
        Scan s;
        s.keys(QStringLiteral("12I34I"));
        s.dialog->close();
        QVERIFY(s.closedAndDeleted());
        QCOMPARE(s.spy.count(), 0);
    }
};

WARSZTAT_TEST_MAIN(TestBarcodeDialog)
#include "tst_barcodedialog.moc"
