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

    static MailAccount read(QSettings *store);
    bool complete() const { return !host.isEmpty() && !from.isEmpty(); }
    // smtp://host:port or smtps://host:port.
    QString url() const;
    // The sender as the From header and the window show it.
    QString sender() const;
};

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
    QString error; // Polish, for the user
};

// Sends one plain-text message (UTF-8, quoted-printable) and blocks the calling
// thread until the server has taken it or failed; every step of the exchange
// waits at most 5000 ms. Safe to call from a worker thread.
MailResult sendMail(const MailAccount &account, const MailMessage &message);

// A header value as ASCII: unchanged when it is plain printable ASCII, else
// encoded words in UTF-8. Line breaks become blanks, so no value can add
// header lines of its own.
QByteArray encodeHeaderText(const QString &text);
