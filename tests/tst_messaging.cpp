// WARSZTAT_TEST_NO_DATABASE
#include "testmain.h"

#include "email/emaildialog.h"
#include "email/mailtransport.h"
#include "messageboxrecorder.h"
#include "settings.h"
#include "sms/smsdialog.h"

#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

// A loopback server that feeds each connection's bytes to handle() and keeps
// what it was told.
class LoopbackServer : public QTcpServer
{
public:
    LoopbackServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = nextPendingConnection();
            auto buffer = std::make_shared<QByteArray>();
            greet(socket);
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                *buffer += socket->readAll();
                handle(socket, *buffer);
            });
        });
    }
    virtual void greet(QTcpSocket *) {}
    virtual void handle(QTcpSocket *socket, QByteArray &buffer) = 0;
};

// The SMS gateway: answers each POST with the line given for its command.
struct Gateway : LoopbackServer
{
    QHash<QString, QByteArray> replies{{"info", "OK Saldo: 12,50 zł"}, {"send", "OK 4711"}};
    QList<QByteArray> requests;

    QString url() const { return QStringLiteral("http://127.0.0.1:%1/sms").arg(serverPort()); }
    void handle(QTcpSocket *socket, QByteArray &buffer) override
    {
        const int end = buffer.indexOf("\r\n\r\n");
        const auto length = QRegularExpression("(?i)content-length: *(\\d+)").match(buffer);
        if (end < 0 || !length.hasMatch() || buffer.size() < end + 4 + length.captured(1).toInt())
            return;
        requests << buffer;
        const QString cmd = QRegularExpression("cmd=(\\w+)").match(buffer.mid(end)).captured(1);
        const QByteArray reply = replies.value(cmd);
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: "
                      + QByteArray::number(reply.size()) + "\r\nConnection: close\r\n\r\n" + reply);
        socket->disconnectFromHost();
    }
};

// The SMTP server: AUTH PLAIN, one message; the command starting with
// failCommand gets failReply.
struct Smtp : LoopbackServer
{
    QByteArray failCommand, failReply;
    QList<QByteArray> commands;
    QByteArray credentials, message;
    bool inData = false;

    void greet(QTcpSocket *socket) override { socket->write("220 test ESMTP\r\n"); }
    void handle(QTcpSocket *socket, QByteArray &buffer) override
    {
        if (inData) {
            const int end = buffer.indexOf("\r\n.\r\n");
            if (end < 0)
                return;
            message = buffer.left(end + 2);
            buffer.remove(0, end + 5);
            inData = false;
            socket->write("250 queued\r\n");
        }
        int eol;
        while (!inData && (eol = buffer.indexOf("\r\n")) >= 0) {
            const QByteArray line = buffer.left(eol);
            buffer.remove(0, eol + 2);
            commands << line;
            if (!failCommand.isEmpty() && line.startsWith(failCommand))
                socket->write(failReply + "\r\n");
            else if (line.startsWith("EHLO"))
                socket->write("250-test\r\n250 AUTH PLAIN\r\n");
            else if (line == "AUTH PLAIN")
                socket->write("334 \r\n");
            else if (commands.size() > 1 && commands[commands.size() - 2] == "AUTH PLAIN")
                credentials = QByteArray::fromBase64(line), socket->write("235 ok\r\n");
            else if (line == "DATA")
                inData = true, socket->write("354 go on\r\n");
            else if (line == "QUIT")
                socket->write("221 bye\r\n"), socket->disconnectFromHost();
            else
                socket->write("250 ok\r\n");
        }
        if (inData && !buffer.isEmpty())
            handle(socket, buffer);
    }
};

class TestMessaging : public QObject
{
    Q_OBJECT

    std::unique_ptr<QSettings> store{Settings::openNative()};

    void setStore(const QVariantMap &values)
    {
        store->clear();
        for (auto it = values.begin(); it != values.end(); ++it)
            store->setValue(it.key(), it.value());
        store->sync();
    }
    // The window's one closing timer is armed for 2000 ms and closes it.
    template<class Dialog>
    void verifyClosesLater(QPointer<Dialog> &dialog)
    {
        auto *timer = dialog->template findChild<QTimer *>(QStringLiteral("closeTimer"));
        QVERIFY(timer && timer->isActive() && timer->isSingleShot());
        QCOMPARE(timer->interval(), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), 10000);
    }

private slots:
    void smsSent()
    {
        Gateway gateway;
        setStore({{"sms/url", gateway.url()}, {"sms/login", "serwis"}, {"sms/password", "a&b+ł"}});
        QPointer<SmsDialog> d = new SmsDialog(nullptr, nullptr, "600100200", "Gotowe: 100% + zł");
        QVERIFY(d->isVisible() && !d->parent() && d->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(d->numberEdit->text(), QStringLiteral("600100200"));
        QTRY_COMPARE(d->accountLabel->text(), QStringLiteral("Stan konta: Saldo: 12,50 zł"));
        QVERIFY(gateway.requests[0].startsWith("POST /sms HTTP/1.1\r\n"));
        QVERIFY(gateway.requests[0].contains("Content-Type: application/x-www-form-urlencoded\r\n"));
        QVERIFY(gateway.requests[0].endsWith("\r\n\r\ncmd=info&login=serwis&password=a%26b%2B%C5%82"));

        QSignalSpy sent(d.data(), &SmsDialog::sent);
        d->numberEdit->setText("+48 600-100-200");
        d->sendButton->click();
        QVERIFY(!d->sendButton->isEnabled());
        QTRY_COMPARE(sent.size(), 1);
        QVERIFY(gateway.requests[1].endsWith("\r\n\r\ncmd=send&login=serwis&password=a%26b%2B%C5%82"
                                             "&number=%2B48600100200&text=Gotowe%3A%20100%25%20%2B%20z%C5%82"));
        QCOMPARE(sent[0][0].toStringList(), QStringList({"+48600100200", "Gotowe: 100% + zł"}));
        verifyClosesLater(d);
    }

    void smsRefused_data()
    {
        QTest::addColumn<bool>("configured");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QByteArray>("sendReply");
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("box");
        QTest::newRow("gateway error") << true << "600100200" << QByteArray("ERR brak środków")
            << "Stan konta: Saldo: 12,50 zł" << "Bramka SMS odpowiedziała błędem: ERR brak środków";
        QTest::newRow("empty reply") << true << "600100200" << QByteArray()
            << "Stan konta: Saldo: 12,50 zł" << "Bramka SMS nie przysłała odpowiedzi.";
        QTest::newRow("not a number") << true << "600 1OO 200" << QByteArray("OK")
            << "Stan konta: Saldo: 12,50 zł" << "Wpisz poprawny numer telefonu";
        QTest::newRow("no settings") << false << "600100200" << QByteArray("OK")
            << "Brak ustawień bramki SMS" << "Brak ustawień bramki SMS";
    }
    void smsRefused()
    {
        QFETCH(bool, configured);
        QFETCH(QString, number);
        QFETCH(QByteArray, sendReply);
        QFETCH(QString, account);
        QFETCH(QString, box);
        Gateway gateway;
        gateway.replies["send"] = sendReply;
        setStore({{"sms/url", configured ? gateway.url() : QString()}, {"sms/login", "serwis"}});
        MessageBoxRecorder boxes;
        QPointer<SmsDialog> d = new SmsDialog(nullptr, nullptr, number, "Tekst");
        QTRY_VERIFY(d->accountLabel->text().startsWith(account));
        QSignalSpy sent(d.data(), &SmsDialog::sent);
        d->sendButton->click();
        QTRY_COMPARE(boxes.count(), 1);
        QVERIFY2(boxes.last().text.contains(box), qPrintable(boxes.last().text));
        QVERIFY(sent.isEmpty() && d->isVisible() && d->sendButton->isEnabled());
        delete d;
    }

    void smsGatewayUnreachable()
    {
        quint16 port;
        {
            Gateway gone;
            port = gone.serverPort();
        }
        setStore({{"sms/url", QStringLiteral("http://127.0.0.1:%1/").arg(port)}, {"sms/login", "x"}});
        QPointer<SmsDialog> d = new SmsDialog(nullptr, nullptr, "600100200", "");
        QTRY_VERIFY(d->accountLabel->text().startsWith("Brak połączenia z bramką SMS"));
        delete d;
    }

    void emailSent()
    {
        Smtp smtp;
        setStore({{"email/host", "127.0.0.1"}, {"email/port", smtp.serverPort()},
                  {"email/user", "serwis"}, {"email/password", "hasło"}, {"email/ssl", false},
                  {"email/from", "serwis@example.com"}, {"email/fromname", "Serwis Łódź"}});
        QPointer<EMailDialog> d = new EMailDialog(nullptr, nullptr, nullptr, "Jan Kowalski",
                                                  "jan@example.com", "Naprawa\r\nBcc: x@y", "");
        QVERIFY(d->isVisible() && !d->parent() && d->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(d->toEdit->text(), QStringLiteral("Jan Kowalski <jan@example.com>"));
        QCOMPARE(d->fromValue->text(), QStringLiteral("Serwis Łódź <serwis@example.com>"));
        d->bodyEdit->setPlainText("Dzień dobry,\nżółw gotowy.\n.");
        QSignalSpy sent(d.data(), &EMailDialog::sent);
        d->sendButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 1, 10000);
        QCOMPARE(sent[0][0].toStringList(),
                 QStringList({"jan@example.com", "Naprawa\r\nBcc: x@y", "Dzień dobry,\nżółw gotowy.\n."}));
        QCOMPARE(smtp.credentials, QByteArray("\0serwis\0has\xc5\x82o", 14));
        QVERIFY(smtp.commands.contains("MAIL FROM:<serwis@example.com>"));
        QVERIFY(smtp.commands.contains("RCPT TO:<jan@example.com>"));
        QByteArray message = smtp.message;
        const QByteArray boundary =
            QRegularExpression("boundary=(\\S+)").match(message).captured(1).toLatin1();
        message.replace(boundary, "BOUNDARY");
        message.replace(QRegularExpression("(?m)^Date: [^\r]+").match(message).captured(0).toLatin1(),
                        "Date: -");
        // The lone dot of the last line goes doubled over the wire.
        QCOMPARE(message, QByteArray("Content-Type: multipart/mixed; boundary=BOUNDARY\r\n"
                                     "Mime-Version: 1.0\r\n"
                                     "Date: -\r\n"
                                     "From: =?UTF-8?B?U2Vyd2lzIMWBw7Nkxbo=?= <serwis@example.com>\r\n"
                                     "To: Jan Kowalski <jan@example.com>\r\n"
                                     "Subject: Naprawa Bcc: x@y\r\n"
                                     "\r\n"
                                     "--BOUNDARY\r\n"
                                     "Content-Type: text/plain; charset=UTF-8\r\n"
                                     "Content-Transfer-Encoding: quoted-printable\r\n"
                                     "\r\n"
                                     "Dzie=C5=84 dobry,\r\n"
                                     "=C5=BC=C3=B3=C5=82w gotowy.\r\n"
                                     "..\r\n"
                                     "--BOUNDARY--\r\n"));
        verifyClosesLater(d);
    }

    void emailRefused_data()
    {
        QTest::addColumn<QByteArray>("failCommand");
        QTest::addColumn<QByteArray>("failReply");
        QTest::addColumn<QString>("recipient");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("box");
        QTest::newRow("password refused") << QByteArray("AUTH") << QByteArray("535 5.7.8 Bad")
            << "a@b.pl" << "127.0.0.1" << "Serwer poczty odrzucił nazwę użytkownika lub hasło.";
        QTest::newRow("recipient refused") << QByteArray("RCPT") << QByteArray("550 No such user")
            << "a@b.pl" << "127.0.0.1" << "Serwer poczty nie przyjął wiadomości.";
        QTest::newRow("message refused") << QByteArray("DATA") << QByteArray("554 Spam")
            << "a@b.pl" << "127.0.0.1" << "Serwer poczty nie przyjął wiadomości.";
        QTest::newRow("bad recipient") << QByteArray() << QByteArray() << "Jan <jan@>"
            << "127.0.0.1" << "Wpisz poprawny adres e-mail odbiorcy.";
        QTest::newRow("no settings") << QByteArray() << QByteArray() << "a@b.pl" << ""
            << "Brak ustawień poczty e-mail";
    }
    void emailRefused()
    {
        QFETCH(QByteArray, failCommand);
        QFETCH(QByteArray, failReply);
        QFETCH(QString, recipient);
        QFETCH(QString, host);
        QFETCH(QString, box);
        Smtp smtp;
        smtp.failCommand = failCommand;
        smtp.failReply = failReply;
        setStore({{"email/host", host}, {"email/port", smtp.serverPort()}, {"email/user", "u"},
                  {"email/from", "s@b.pl"}});
        MessageBoxRecorder boxes;
        Settings settings(QDir::tempPath());
        QPointer<EMailDialog> d = new EMailDialog(nullptr, nullptr, &settings, "", "", "", "x");
        d->toEdit->setText(recipient);
        QSignalSpy sent(d.data(), &EMailDialog::sent);
        d->sendButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(boxes.count(), 1, 10000);
        QVERIFY2(boxes.last().text.contains(box), qPrintable(boxes.last().text));
        QCOMPARE(boxes.last().icon, box.contains("Serwer") ? QMessageBox::Critical : QMessageBox::Warning);
        QVERIFY(sent.isEmpty() && d->isVisible() && d->sendButton->isEnabled());
        delete d;
    }

    // The SSL switch picks SMTP over SSL and its usual port.
    void accountUrl_data()
    {
        QTest::addColumn<QVariant>("ssl");
        QTest::addColumn<QVariant>("port");
        QTest::addColumn<QString>("url");
        QTest::newRow("plain") << QVariant(false) << QVariant() << "smtp://mail.pl:25";
        QTest::newRow("ssl") << QVariant(true) << QVariant() << "smtps://mail.pl:465";
        QTest::newRow("ssl, own port") << QVariant("true") << QVariant(2465) << "smtps://mail.pl:2465";
        QTest::newRow("bad port") << QVariant(false) << QVariant("abc") << "smtp://mail.pl:25";
    }
    void accountUrl()
    {
        QFETCH(QVariant, ssl);
        QFETCH(QVariant, port);
        QFETCH(QString, url);
        setStore({{"email/host", " mail.pl "}, {"email/ssl", ssl}, {"email/port", port}});
        QCOMPARE(MailAccount::read(store.get()).url(), url);
    }
};

WARSZTAT_TEST_MAIN(TestMessaging)
#include "tst_messaging.moc"
