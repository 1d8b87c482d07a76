// WARSZTAT_TEST_NO_DATABASE
#include "testmain.h"

#include "email/emaildialog.h"
#include "email/mailtransport.h"
#include "messageboxrecorder.h"
#include "settings.h"
#include "sms/smsdialog.h"
#include "sms/smsgateway.h"

#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <memory>

// A loopback server that hands each connection's bytes, as they come, to handle().
struct LoopbackServer : QTcpServer
{
    LoopbackServer(const QByteArray &greeting = {})
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this, greeting] {
            QTcpSocket *socket = nextPendingConnection();
            socket->write(greeting);
            auto buffer = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                *buffer += socket->readAll();
                handle(socket, *buffer);
            });
        });
    }
    virtual void handle(QTcpSocket *socket, QByteArray &buffer) = 0;
};

// The SMS gateway: keeps each POST and answers with the line set for its
// command; with dribble, the answer comes a byte every 20 ms and never ends.
struct Gateway : LoopbackServer
{
    QHash<QString, QByteArray> replies{{"info", "OK Saldo: 12,50 zł"}, {"send", "OK 4711"}};
    QList<QByteArray> requests;
    bool dribble = false;

    QString url() const { return QStringLiteral("http://127.0.0.1:%1/sms").arg(serverPort()); }
    void handle(QTcpSocket *socket, QByteArray &buffer) override
    {
        const int end = buffer.indexOf("\r\n\r\n") + 4;
        const auto length = QRegularExpression("(?i)content-length: *(\\d+)").match(buffer);
        if (end < 4 || !length.hasMatch() || buffer.size() < end + length.captured(1).toInt())
            return;
        requests << buffer;
        const QByteArray reply = replies.value(QRegularExpression("cmd=(\\w+)").match(buffer.mid(end)).captured(1));
        if (reply.startsWith("HTTP/")) { // a whole answer, as it is, then the connection ends
            socket->write(reply);
            socket->disconnectFromHost();
            return;
        }
        if (dribble) {
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\nO");
            auto *timer = new QTimer(socket); // ends with the connection
            connect(timer, &QTimer::timeout, socket, [socket] { socket->write("K"); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            timer->start(20);
            return;
        }
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: "
                      + QByteArray::number(reply.size()) + "\r\nConnection: close\r\n\r\n" + reply);
        socket->disconnectFromHost();
    }
};

// The SMTP server: offers AUTH PLAIN (which no client may take up in the
// clear) and takes one message. The command that starts with the first word
// of "fail" gets the rest of it as its answer, "." naming the message's end;
// an empty answer hangs up. With startTls
// it offers STARTTLS and, having no certificate, hangs up when asked for it.
struct Smtp : LoopbackServer
{
    Smtp() : LoopbackServer("220 test ESMTP\r\n") {}
    QByteArray fail, message;
    QList<QByteArray> commands;
    bool inData = false;
    bool startTls = false;

    QByteArray answer(const QByteArray &line)
    {
        if (inData) {
            inData = false;
            message = line + "\r\n";
            return fail.startsWith('.') ? fail.mid(2) : "250 queued";
        }
        commands << line;
        if (!fail.isEmpty() && line.startsWith(fail.left(fail.indexOf(' '))))
            return fail.mid(fail.indexOf(' ') + 1);
        if (line.startsWith("EHLO"))
            return startTls ? "250-test\r\n250-STARTTLS\r\n250 AUTH PLAIN" : "250-test\r\n250 AUTH PLAIN";
        if (line == "STARTTLS")
            return "220 go ahead";
        inData = line == "DATA";
        return inData ? "354 go on" : line == "QUIT" ? "221 bye" : "250 ok";
    }
    void handle(QTcpSocket *socket, QByteArray &buffer) override
    {
        if (socket->state() != QAbstractSocket::ConnectedState)
            return; // hung up: what follows STARTTLS would be TLS
        for (int end; (end = buffer.indexOf(inData ? "\r\n.\r\n" : "\r\n")) >= 0;) {
            const QByteArray line = buffer.left(end);
            buffer.remove(0, end + (inData ? 5 : 2));
            const QByteArray reply = answer(line);
            if (!reply.isEmpty())
                socket->write(reply + "\r\n");
            if (line == "STARTTLS" || reply.isEmpty()) {
                buffer.clear();
                socket->disconnectFromHost();
                return;
            }
        }
    }
};

// The value of the header field name in head, unfolded and its encoded
// words (UTF-8, base64) decoded; the blanks between two such words do not
// count.
QString headerValue(const QByteArray &head, const QByteArray &name)
{
    static const QRegularExpression word("=\\?UTF-8\\?B\\?([A-Za-z0-9+/=]*)\\?=(?:\\s+(?==\\?))?");
    const QString field = QRegularExpression("^" + QString::fromLatin1(name) + ": ([^\r\n]*)", QRegularExpression::MultilineOption)
                              .match(QString::fromLatin1(QByteArray(head).replace("\r\n ", " ")))
                              .captured(1);
    QByteArray text;
    qsizetype from = 0;
    for (const QRegularExpressionMatch &m : word.globalMatch(field)) {
        text += field.mid(from, m.capturedStart() - from).toLatin1() + QByteArray::fromBase64(m.captured(1).toLatin1());
        from = m.capturedEnd();
    }
    return QString::fromUtf8(text + field.mid(from).toLatin1());
}

// The gateway of an SMS window, whose signals tell when an answer has been
// shown: the window's own handlers were connected first.
SmsGateway *gatewayOf(SmsDialog *dialog)
{
    return dialog->findChild<SmsGateway *>();
}

// Whether the window has shown the answer to the account request it sends as
// it opens. Without settings that answer is given before the constructor
// returns; else it comes over the network, so a spy attached here hears it.
bool accountLineShown(SmsDialog *dialog)
{
    SmsGateway *gateway = gatewayOf(dialog);
    if (!gateway)
        return false;
    QSignalSpy info(gateway, &SmsGateway::infoFinished);
    return !gateway->configured() || info.wait();
}

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
    // After a send or a failure: the signal and the window's closing timer
    // (2000 ms) after a send, the window open for another try after a failure.
    template<class Dialog>
    void verifyOutcome(QPointer<Dialog> &dialog, const QSignalSpy &sent, const QStringList &what,
                       const MessageBoxRecorder &boxes, const QString &box)
    {
        if (!box.isEmpty()) {
            QCOMPARE(boxes.count(), 1);
            QVERIFY2(boxes.last().text.contains(box), qPrintable(boxes.last().text));
            QVERIFY(sent.isEmpty() && dialog->isVisible() && dialog->sendButton->isEnabled());
            delete dialog;
            return;
        }
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0][0].toStringList(), what);
        auto *timer = dialog->template findChild<QTimer *>(QStringLiteral("closeTimer"));
        QVERIFY(timer && timer->isActive() && timer->isSingleShot() && timer->interval() == 2000);
        QSignalSpy gone(dialog.data(), &QObject::destroyed);
        QVERIFY(gone.wait(10000) && dialog.isNull());
    }

    // While a message is on its way, neither "Zamknij" nor Escape ends the
    // window: nobody would learn whether it went.
    template<class Dialog>
    static bool staysWhileSending(QPointer<Dialog> &dialog, const MessageBoxRecorder &boxes)
    {
        if (boxes.count() > 0)
            return true; // refused before sending
        dialog->closeButton->click();
        QTest::keyClick(dialog.data(), Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return dialog && dialog->isVisible();
    }

private slots:
    void sms_data()
    {
        // url: "-" the test's gateway, "closed" a port nobody listens on. The
        // account line shows the balance, or else the same failure as the box.
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QByteArray>("sendReply");
        QTest::addColumn<QString>("box"); // empty: sent
        QTest::newRow("sent") << "-" << "+48 600-100-200" << QByteArray("OK 4711") << "";
        QTest::newRow("gateway error")
            << "-" << "600100200" << QByteArray("ERR brak środków") << "Bramka SMS odpowiedziała błędem: ERR brak środków";
        QTest::newRow("not a number") << "-" << "600 1OO 200" << QByteArray("OK") << "Wpisz poprawny numer telefonu";
        QTest::newRow("no settings") << "" << "600100200" << QByteArray("OK") << "Brak ustawień bramki SMS";
        QTest::newRow("unreachable") << "closed" << "600100200" << QByteArray("OK") << "Brak połączenia z bramką SMS";
        // The gateway had the whole request when its answer broke off.
        QTest::newRow("answer lost") << "-" << "600100200" << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nOK")
                                     << "Nie wiadomo, czy wiadomość została wysłana";
    }
    void sms()
    {
        QFETCH(QString, url);
        QFETCH(QString, number);
        QFETCH(QByteArray, sendReply);
        QFETCH(QString, box);
        MessageBoxRecorder boxes;
        Gateway gateway;
        gateway.replies["send"] = sendReply;
        if (url == "closed")
            gateway.close();
        setStore({{"sms/url", url.isEmpty() ? url : gateway.url()}, {"sms/login", "serwis"}, {"sms/password", "a&b+ł"}});
        QPointer<SmsDialog> d = new SmsDialog(nullptr, nullptr, "600100200", "Gotowe: 100% + zł");
        QVERIFY(accountLineShown(d));
        QVERIFY(d->accountLabel->text().startsWith(url == "-" ? QStringLiteral("Stan konta: Saldo: 12,50 zł") : box));
        if (url.isEmpty()) { // nothing to send with: the window says where the settings are read from
            QVERIFY(!d->sendButton->isEnabled() && d->accountLabel->text().contains("\"sms\", klucze: url"));
            delete d;
            return;
        }
        QSignalSpy sent(d.data(), &SmsDialog::sent);
        QSignalSpy sendFinished(gatewayOf(d), &SmsGateway::sendFinished);
        d->numberEdit->setText(number);
        d->sendButton->click();
        QVERIFY(staysWhileSending(d, boxes));
        QVERIFY(boxes.count() || sendFinished.wait()); // a number refused at once, or the gateway's answer
        if (box.isEmpty()) { // the exact requests
            QCOMPARE(gateway.requests.size(), 2);
            QVERIFY(gateway.requests[0].startsWith("POST /sms HTTP/1.1\r\n"));
            QVERIFY(gateway.requests[0].contains("Content-Type: application/x-www-form-urlencoded\r\n"));
            QVERIFY(gateway.requests[0].endsWith("\r\n\r\ncmd=info&login=serwis&password=a%26b%2B%C5%82"));
            QVERIFY(gateway.requests[1].endsWith("\r\n\r\ncmd=send&login=serwis&password=a%26b%2B%C5%82"
                                                 "&number=%2B48600100200&text=Gotowe%3A%20100%25%20%2B%20z%C5%82"));
        }
        verifyOutcome(d, sent, {"+48600100200", "Gotowe: 100% + zł"}, boxes, box);
    }

    // However the gateway answers, a request ends by its deadline, reads at
    // most 64 KB and gives the first line, cut to 200 characters.
    void gatewayReplies_data()
    {
        QTest::addColumn<QByteArray>("reply"); // empty: a byte every 20 ms, without end
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("text");
        const QByteArray junk(10 * 1024 * 1024, 'x');
        QTest::newRow("dribbled") << QByteArray() << false << "Bramka SMS nie odpowiedziała w ciągu 1 s.";
        QTest::newRow("10 MB") << junk << false << "Bramka SMS przysłała zbyt długą odpowiedź.";
        QTest::newRow("10 MB after the answer") << "OK Saldo: 5 zł\r\n" + junk << true << "Saldo: 5 zł";
        QTest::newRow("long line") << "ERR " + QByteArray(300, 'y') << false
                                   << "Bramka SMS odpowiedziała błędem: ERR " + QString(193, 'y') + "...";
        QTest::newRow("markup") << QByteArray("OK <img src=\"/dev/zero\">") << true << "<img src=\"/dev/zero\">";
        QTest::newRow("blank first line") << QByteArray("\r\n \r\nOK 4711") << true << "4711";
        const QByteArray cut = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n";
        QTest::newRow("closed after the answer") << cut + "\r\nOK 4711\r\n" << true << "4711";
        // "OK" and a blank: taken, whatever the detail that broke off; a bare
        // "OK" may have been the start of any other word.
        QTest::newRow("closed within the answer") << cut + "\r\nOK 47" << true << "";
        QTest::newRow("closed within OK") << cut + "\r\nOK" << false << "Brak połączenia z bramką SMS: Connection closed";
        QTest::newRow("HTTP error") << QByteArray("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 7\r\n\r\nOK 4711") << false
                                    << "Bramka SMS odpowiedziała błędem (HTTP 500): OK 4711";
    }
    void gatewayReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, ok);
        QFETCH(QString, text);
        Gateway gateway;
        gateway.dribble = reply.isEmpty();
        gateway.replies["info"] = reply;
        setStore({{"sms/url", gateway.url()}, {"sms/login", "serwis"}});
        SmsGateway sms(store.get(), nullptr);
        sms.setDeadline(300);
        QSignalSpy finished(&sms, &SmsGateway::infoFinished);
        sms.requestInfo();
        QVERIFY(finished.wait());
        QCOMPARE(finished[0][1].toString(), text);
        QCOMPARE(finished[0][0].toBool(), ok);
        if (gateway.dribble) { // out in full when the time ran out: the gateway may have acted on it
            QVERIFY(finished[0][2].toBool());
            return;
        }
        // The window shows the account line as text.
        std::unique_ptr<SmsDialog> d(new SmsDialog(nullptr, nullptr, "600100200", ""));
        QVERIFY(accountLineShown(d.get()));
        QCOMPARE(d->accountLabel->text(), !ok ? text : text.isEmpty() ? "Konto w bramce SMS jest aktywne." : "Stan konta: " + text);
        QCOMPARE(d->accountLabel->textFormat(), Qt::PlainText);
    }

    void email_data()
    {
        QTest::addColumn<QByteArray>("fail");
        QTest::addColumn<QString>("recipient"); // empty: as the dialog composes it
        QTest::addColumn<QString>("subject");
        // The mail settings and the server: "ssl" (with a password), "password",
        // "STARTTLS" offered, both, "none" (no settings); empty: plain, no password.
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("box"); // empty: sent
        const QString refused = "Serwer poczty nie przyjął wiadomości.", subject = "Naprawa\r\nBcc: x@y";
        const QString tls = "Nie udało się nawiązać bezpiecznego połączenia (SSL)";
        const QString unknown = "Nie wiadomo, czy wiadomość została wysłana";
        QTest::newRow("sent") << QByteArray() << "" << subject << "" << "";
        QTest::newRow("recipient refused") << QByteArray("RCPT 550 No such user") << "" << subject << "" << refused;
        QTest::newRow("message refused") << QByteArray("DATA 554 Spam") << "" << subject << "" << refused;
        QTest::newRow("message refused after its text") << QByteArray(". 554 Spam") << "" << subject << "" << refused;
        // The server took the text and hung up without a word: it may have sent it on.
        QTest::newRow("message taken, no answer") << QByteArray(". ") << "" << subject << "" << unknown;
        // SSL from the first byte meets the plain greeting.
        QTest::newRow("ssl switch") << QByteArray() << "" << subject << "ssl" << tls;
        QTest::newRow("bad recipient") << QByteArray() << "Jan <jan@>" << subject << "" << "Wpisz poprawny adres e-mail odbiorcy.";
        QTest::newRow("no settings") << QByteArray() << "" << subject << "none" << "Brak ustawień poczty e-mail";
        // A password goes only over a link that STARTTLS encrypted; without
        // one, the mail goes in the clear or not at all.
        QTest::newRow("password, no STARTTLS") << QByteArray() << "" << subject << "password"
                                               << "nie obsługuje szyfrowania połączenia (STARTTLS), więc hasło nie zostało wysłane";
        QTest::newRow("password after STARTTLS") << QByteArray() << "" << subject << "password, STARTTLS" << tls;
        QTest::newRow("STARTTLS without password") << QByteArray() << "" << subject << "STARTTLS" << tls;
        // Long headers: encoded words or words folded on lines of 78.
        const QString name = QString("Jan Maria ").repeated(20) + "Kowalski";
        QTest::newRow("long subject") << QByteArray() << name + " <jan@example.com>"
                                      << QString("Naprawa żółwia 😀 ").repeated(111) + "ok" << "" << "";
        QTest::newRow("long plain subject") << QByteArray() << name + " <jan@example.com>" << QString("naprawa ").repeated(250) << "" << "";
        QTest::newRow("one long word") << QByteArray() << "" << QString(2000, 'x') << "" << "";
        // The client's stored name holds line breaks.
        QTest::newRow("name on lines") << QByteArray() << "" << "Naprawa" << "" << "";
    }
    void email()
    {
        QFETCH(QByteArray, fail);
        QFETCH(QString, recipient);
        QFETCH(QString, subject);
        QFETCH(QString, link);
        QFETCH(QString, box);
        const QString host = link == "none" ? "" : "127.0.0.1";
        const bool ssl = link == "ssl", startTls = link.contains("STARTTLS");
        const QString user = ssl || link.contains("password") ? "serwis" : "";
        MessageBoxRecorder boxes;
        Smtp smtp;
        smtp.fail = fail;
        smtp.startTls = startTls;
        setStore({{"email/host", host}, {"email/port", smtp.serverPort()}, {"email/ssl", ssl},
                  {"email/user", user}, {"email/password", "hasło"},
                  {"email/from", "serwis@łódź.pl"}, {"email/fromname", "Serwis Łódź"}});
        Settings settings(QDir::tempPath());
        const bool lines = QTest::currentDataTag() == QLatin1String("name on lines");
        QPointer<EMailDialog> d = new EMailDialog(nullptr, nullptr, &settings, lines ? "Jan\r\n\tKowalski\n" : "Kowalski, J. \"Serwis\"",
                                                  "jan@example.com", subject, "");
        const QString composed = lines ? "Jan Kowalski <jan@example.com>" : "\"Kowalski, J. \\\"Serwis\\\"\" <jan@example.com>";
        QCOMPARE(d->toEdit->text(), lines ? composed : QStringLiteral("Kowalski, J. \"Serwis\" <jan@example.com>"));
        if (host.isEmpty()) {
            QVERIFY(!d->sendButton->isEnabled() && d->fromValue->text().startsWith(box)
                    && d->fromValue->text().contains("\"email\", klucze: host"));
            delete d;
            return;
        }
        if (!recipient.isEmpty())
            d->toEdit->setText(recipient);
        d->bodyEdit->setPlainText("Dzień dobry,\nżółw gotowy.\n.");
        QSignalSpy sent(d.data(), &EMailDialog::sent);
        d->sendButton->click();
        QVERIFY(staysWhileSending(d, boxes));
        QTRY_VERIFY_WITH_TIMEOUT(!sent.isEmpty() || boxes.count(), 10000);
        // No password in the clear, and STARTTLS asked for whenever offered.
        for (const QByteArray &command : std::as_const(smtp.commands))
            QVERIFY2(!command.startsWith("AUTH"), command.constData());
        QCOMPARE(smtp.commands.contains("STARTTLS"), startTls);
        if (box.isEmpty() && subject.startsWith("Naprawa\r\n")) { // the exact exchange
            // A national domain goes as the DNS writes it: header fields take ASCII only.
            QVERIFY(smtp.commands.contains("MAIL FROM:<serwis@xn--d-uga0v4h.pl>") && smtp.commands.contains("RCPT TO:<jan@example.com>"));
            QByteArray message = smtp.message;
            message.replace(QRegularExpression("boundary=(\\S+)").match(message).captured(1).toLatin1(), "B");
            message.replace(QRegularExpression("(?m)^Date: [^\r]+").match(message).captured(0).toLatin1(), "Date: -");
            message.replace(QRegularExpression("(?m)^Message-ID: <[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}@xn--d-uga0v4h\\.pl>(?=\r)")
                                .match(message).captured(0).toLatin1(), "Message-ID: -");
            // The subject's line break cannot start a header; the lone dot goes doubled over the wire.
            QCOMPARE(message, QByteArray("Content-Type: multipart/mixed; boundary=B\r\nMime-Version: 1.0\r\n"
                                         "Date: -\r\nMessage-ID: -\r\n"
                                         "From: =?UTF-8?B?U2Vyd2lzIMWBw7Nkxbo=?= <serwis@xn--d-uga0v4h.pl>\r\n"
                                         "To: \"Kowalski, J. \\\"Serwis\\\"\" <jan@example.com>\r\n"
                                         "Subject: Naprawa Bcc: x@y\r\n\r\n"
                                         "--B\r\nContent-Type: text/plain; charset=UTF-8\r\n"
                                         "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
                                         "Dzie=C5=84 dobry,\r\n=C5=BC=C3=B3=C5=82w gotowy.\r\n..\r\n"
                                         "--B--\r\n"));
        } else if (box.isEmpty()) { // lines of 78 at most, read back as they were
            const QByteArray head = smtp.message.left(smtp.message.indexOf("\r\n\r\n") + 2);
            QByteArray field;
            for (const QByteArray &line : head.split('\n')) {
                field = line.startsWith(' ') ? field : line.left(line.indexOf(':'));
                QVERIFY2(line.size() <= (field == "Content-Type" ? 1000 : 79), line.constData()); // with its '\r'
            }
            QCOMPARE(headerValue(head, "Subject"), subject);
            QCOMPARE(headerValue(head, "To"), recipient.isEmpty() ? composed : recipient);
        }
        verifyOutcome(d, sent, {"jan@example.com", subject, "Dzień dobry,\nżółw gotowy.\n."}, boxes, box);
    }

    // Hand-written mail and gateway settings: a value that the INI syntax would
    // read otherwise, or a sender that is no plain address, is not used and the
    // text names the key; quoted values are read as written.
    void handWrittenSettings_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("said"); // by the refusal; empty: used
        const QByteArray mail = "[email]\nhost=127.0.0.1\nfrom=", sms = "[sms]\nurl=http://127.0.0.1:1/s\nlogin=a\npassword=";
        QTest::newRow("quoted") << mail + "\"serwis@example.com\"\npassword=\"ab;cd,\\\\ef\"" << "";
        QTest::newRow("password, semicolon") << mail + "serwis@example.com\npassword=ab;cd" << "(grupa [email], klucz password)";
        QTest::newRow("sender with a name") << mail + "Serwis <serwis@example.com>"
                                            << "Adres nadawcy (klucz from) w ustawieniach poczty jest niepoprawny.";
        QTest::newRow("sender, line break") << mail + "a@example.com\\r\\nRCPT TO:<x@example.com>" << "(grupa [email], klucz from)";
        QTest::newRow("gateway, semicolon") << sms + "ab;cd" << "(grupa [sms], klucz password)";
    }
    void handWrittenSettings()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, said);
        QTemporaryFile file;
        QVERIFY(file.open() && file.write(lines) == lines.size() && file.flush());
        QSettings settings(file.fileName(), QSettings::IniFormat);
        const MailAccount account = MailAccount::read(&settings);
        SmsGateway gateway(&settings, nullptr);
        QSignalSpy info(&gateway, &SmsGateway::infoFinished);
        const bool sms = lines.startsWith("[sms]");
        if (sms && !said.isEmpty())
            gateway.requestInfo(); // answered at once
        const QString text = !sms ? account.problem : info.isEmpty() ? QString() : info[0][1].toString();
        QCOMPARE(sms ? gateway.configured() : account.complete(), said.isEmpty());
        const QString where = said.startsWith("Adres") ? "\"email\", klucze: from." : "W pliku " + file.fileName();
        QVERIFY2(said.isEmpty() ? text.isEmpty() : text.contains(said) && text.contains(where), qPrintable(text));
        QVERIFY(sms || !said.isEmpty() || account.password == "ab;cd,\\ef");
        // Nor does a sender that is no plain address go into the server's commands.
        if (!account.from.isEmpty() && !said.isEmpty())
            QCOMPARE(sendMail(account, {"", "jan@example.com", "", "x"}).error, "Niepoprawny adres nadawcy lub odbiorcy.");
    }

    // The number an SMS goes to from a phone as staff store it.
    void smsNumber()
    {
        QCOMPARE(SmsDialog::numberFrom("22 123 45 67 w. 21"), "221234567");
        QCOMPARE(SmsDialog::numberFrom("tel. (+48) 601-202 303, 602 000 000"), "+48601202303");
        QCOMPARE(SmsDialog::numberFrom("brak - nie podał"), "");
        QCOMPARE(SmsDialog::numberFrom("601.202.303\n602 000 000"), "601202303");
    }
};

WARSZTAT_TEST_MAIN(TestMessaging)
#include "tst_messaging.moc"
