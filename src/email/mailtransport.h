#pragma once

#include <QString>

class QSettings;

// The workstation's SMTP account, group "email" of the native store:
// host, port, ssl (SMTP over SSL from the first byte), user and password
// (no authentication when the user is empty), from and fromname (sender).
struct MailAccount
{
    QString host;
    int port = 25;
    bool ssl = false;
    QString user;
    QString password;
    QString from;
    QString fromName;
    // Why the settings read cannot be used (Polish, with where they are
    // kept); empty when they can.
    QString problem;

    static MailAccount read(QSettings *store);
    bool complete() const { return problem.isEmpty() && !host.isEmpty() && !from.isEmpty(); }
    // smtp://host:port or smtps://host:port.
    QString url() const;
    // The sender as the From header and the window show it.
    QString sender() const;
};

// True for one plain e-mail address (local part "@" domain): no blank, line
// break, "<", ">", ",", ";" or quote, which would end it or add another.
bool validAddress(const QString &address);

struct MailMessage
{
    QString toName;
    QString toAddress;
    QString subject;
    QString body;
};

struct MailResult
{
    bool ok = false;
    // Not known whether it went: the server had the text when the link
    // broke or its answer failed to come.
    bool unknown = false;
    QString error; // Polish, for the user
};

// Sends one plain-text message (UTF-8, quoted-printable) and blocks the calling
// thread until the server has taken it or failed; every step of the exchange
// waits at most 5000 ms. Without SSL the link is switched to TLS by STARTTLS
// whenever the server offers it; a password never goes over a link the server
// would not encrypt. Safe to call from a worker thread.
MailResult sendMail(const MailAccount &account, const MailMessage &message);

// The header field "name: text" as ASCII: the text unchanged when it is plain
// printable ASCII, else encoded words in UTF-8 (RFC 2047); folded so that no
// line passes 78 characters where a blank allows a fold, and none 998 (RFC
// 5322). Line breaks in text become blanks, so that no value can add header
// lines of its own.
QByteArray headerField(const QByteArray &name, const QString &text);
