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

    // Key sequences as a scanner types them: characters typed as they stand
    // ("\r" Return, "\x1b" Escape), digits from the keypad with keypad set.
    void keySequences_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<bool>("emitted");
        QTest::addColumn<QStringList>("parts");
        QTest::addColumn<QString>("buffer");

        QTest::newRow("hardware label, stop character not read")
            << "*0I12I7I*" << false << true << QStringList{"0", "12", "7"} << "0I12I7I";
        QTest::newRow("repair card from the keypad")
            << "19I0I5I" << true << true << QStringList{"19", "0", "5"} << "19I0I5I";
        QTest::newRow("partial code keeps waiting") << "5I3I" << false << false << QStringList() << "5I3I";
        QTest::newRow("separators alone") << "III" << false << true << QStringList() << "III";
        QTest::newRow("fourth separator not read")
            << "12IIII" << false << true << QStringList{"12"} << "12III";
        QTest::newRow("lower-case separator")
            << "1i2i3i" << false << true << QStringList{"1", "2", "3"} << "1I2I3I";
        QTest::newRow("other keys ignored, Escape does not close")
            << "*AZx- \r\x1b" << false << false << QStringList() << "";
        QTest::newRow("code read in part, then a whole one")
            << "12I34\r12I34I56I" << false << true << QStringList{"12", "34", "56"} << "12I34I56I";
    }
    void keySequences()
    {
        QFETCH(QString, keys);
        QFETCH(bool, keypad);
        QFETCH(bool, emitted);
        QFETCH(QStringList, parts);
        QFETCH(QString, buffer);

        Scan s;
        // Every key reaches the dialog object, also after it has closed.
        for (QChar c : keys) {
            if (keypad && c.isDigit())
                s.key(Qt::Key(Qt::Key_0 + c.digitValue()), Qt::KeypadModifier);
            else
                s.keys(c);
        }
        QVERIFY(s.dialog);
        QCOMPARE(s.dialog->buffer, buffer);
        QCOMPARE(s.dialog->separatorCount, int(buffer.count(QLatin1Char('I'))));
        QCOMPARE(s.dialog->isVisible(), !emitted);
        QCOMPARE(s.spy.count(), emitted ? 1 : 0);
        if (emitted)
            QCOMPARE(s.spy.at(0).at(0).toStringList(), parts);
        QCOMPARE(s.closedAndDeleted(), emitted);
    }

    void functionKeysAreNoDigits()
    {
        // F1..F10 share their low 16 bits with the digits "0".."9".
        Scan s;
        for (int k = Qt::Key_F1; k <= Qt::Key_F10; ++k)
            s.key(Qt::Key(k));
        // Nor do Enter and Escape end the scan.
        s.key(Qt::Key_Enter, Qt::KeypadModifier);
        s.key(Qt::Key_Escape);
        QVERIFY(s.dialog->isVisible());
        QCOMPARE(s.dialog->buffer, QString());
        // Other characters that Unicode counts as numbers.
        s.raw(0x0661, QString(QChar(0x0661)));             // Arabic-Indic one
        s.raw(Qt::Key_twosuperior, QString(QChar(0x00b2))); // superscript two
        s.raw(Qt::Key_onehalf, QString(QChar(0x00bd)));
        QCOMPARE(s.dialog->buffer, QString());
        s.keys(QStringLiteral("4I"));
        QCOMPARE(s.dialog->buffer, QStringLiteral("4I"));
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
