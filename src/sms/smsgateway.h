#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QSettings;

// Client of the SMS gateway's HTTP interface.
//
// Each command is one POST to the address stored as "sms/url", its body
// form-encoded (application/x-www-form-urlencoded, UTF-8, every value
// percent-encoded):
//   cmd=info&login=L&password=P                  the account's state
//   cmd=send&login=L&password=P&number=N&text=T  one message to number N
// The gateway answers each with one line of plain text: "OK", or "OK", a
// blank and a detail (the account's state, e.g. "OK Saldo: 12,50 zł", or the
// message's id), on success; any other line is the gateway's error text.
// Blank lines before it do not count; an HTTP error status is an error,
// whatever the text. An answer that breaks off after "OK" and a blank tells
// success, without the detail, which may be cut.
// Replies arrive asynchronously through the signals.
class SmsGateway : public QObject
{
    Q_OBJECT
public:
    // Reads the address and the account ("sms/url", "sms/login",
    // "sms/password") from the given native store.
    SmsGateway(QSettings *store, QObject *parent);

    // True when the address is a valid http(s) URL and a login is set, and
    // none of the three was written so that it reads otherwise.
    bool configured() const;

    void requestInfo();
    void send(const QString &number, const QString &text);

    // A request not answered in full within its deadline fails, however
    // slowly or quickly the bytes come; so does a reply longer than MaxReply
    // bytes. Of a reply, the first line is shown, cut to MaxShown characters.
    static constexpr int DefaultDeadline = 15000;
    static constexpr qint64 MaxReply = 64 * 1024;
    static constexpr int MaxShown = 200;
    // The deadline in ms of the requests made from now on.
    void setDeadline(int ms) { m_deadline = ms; }

Q_SIGNALS:
    // ok with the reply's detail, or a Polish error text; unknown when the
    // request went out whole but its answer broke off or never came, so that
    // the gateway may have carried it out.
    void infoFinished(bool ok, const QString &text, bool unknown);
    void sendFinished(bool ok, const QString &text, bool unknown);

private:
    void post(const QList<QPair<QString, QString>> &fields,
              void (SmsGateway::*finished)(bool, const QString &, bool));

    QNetworkAccessManager *m_network;
    QUrl m_url;
    QString m_login;
    QString m_password;
    QString m_whereKept; // where the address and the account are read from
    QString m_problem;   // why the settings read cannot be used
    int m_deadline = DefaultDeadline;
};
