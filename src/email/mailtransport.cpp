#include "email/mailtransport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRegularExpression>
#include <QSettings>
#include <QSysInfo>
#include <QUrl>
#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace {

constexpr long StepTimeoutMs = 5000;

QString tr(const char *text)
{
    return QCoreApplication::translate("MailTransport", text);
}

QString errorText(CURLcode code, const char *detail)
{
    QString text;
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        text = tr("Nie znaleziono serwera poczty.");
        break;
    case CURLE_COULDNT_CONNECT:
        text = tr("Nie można połączyć się z serwerem poczty.");
        break;
    case CURLE_OPERATION_TIMEDOUT:
        text = tr("Serwer poczty nie odpowiada.");
        break;
    case CURLE_LOGIN_DENIED:
        text = tr("Serwer poczty odrzucił nazwę użytkownika lub hasło.");
        break;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
        text = tr("Nie udało się nawiązać bezpiecznego połączenia (SSL) z serwerem poczty.");
        break;
    default:
        text = tr("Serwer poczty nie przyjął wiadomości.");
        break;
    }
    const QString more = QString::fromUtf8(detail && *detail ? detail : curl_easy_strerror(code));
    return text + tr("\nSzczegóły: ") + more;
}

QByteArray address(const QString &name, const QString &mail)
{
    QByteArray phrase = encodeHeaderText(name.trimmed());
    if (phrase.isEmpty())
        return '<' + mail.toUtf8() + '>';
    // A plain name with a comma, a quote and such goes as a quoted string.
    static const QRegularExpression specials(QStringLiteral("[()<>\\[\\]:;@\\\\,.\"]"));
    if (!phrase.startsWith("=?") && QString::fromLatin1(phrase).contains(specials))
        phrase = '"' + phrase.replace('\\', "\\\\").replace('"', "\\\"") + '"';
    return phrase + " <" + mail.toUtf8() + '>';
}

struct SlistDeleter
{
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

void append(Slist &list, const QByteArray &line)
{
    curl_slist *grown = curl_slist_append(list.get(), line.constData());
    if (grown) {
        (void)list.release();
        list.reset(grown);
    }
}

} // namespace

MailAccount MailAccount::read(QSettings *store)
{
    MailAccount a;
    a.host = store->value(QStringLiteral("email/host")).toString().trimmed();
    a.ssl = store->value(QStringLiteral("email/ssl"), false).toBool();
    bool ok = false;
    a.port = store->value(QStringLiteral("email/port")).toInt(&ok);
    if (!ok || a.port <= 0 || a.port > 65535)
        a.port = a.ssl ? 465 : 25;
    a.user = store->value(QStringLiteral("email/user")).toString();
    a.password = store->value(QStringLiteral("email/password")).toString();
    a.from = store->value(QStringLiteral("email/from")).toString().trimmed();
    a.fromName = store->value(QStringLiteral("email/fromname")).toString().trimmed();
    return a;
}

QString MailAccount::url() const
{
    return QStringLiteral("%1://%2:%3").arg(ssl ? QStringLiteral("smtps") : QStringLiteral("smtp"),
                                           host).arg(port);
}

QString MailAccount::sender() const
{
    return fromName.isEmpty() ? from : fromName + QStringLiteral(" <") + from + QLatin1Char('>');
}

QByteArray encodeHeaderText(const QString &text)
{
    QString flat = text;
    flat.replace(QRegularExpression(QStringLiteral("[\\r\\n]+")), QStringLiteral(" "));
    static const QRegularExpression plain(QStringLiteral("^[\\x20-\\x7e]*$"));
    if (plain.match(flat).hasMatch() && !flat.contains(QLatin1String("=?")))
        return flat.toLatin1();
    // Encoded words of at most 75 characters each, never splitting a character.
    QByteArray out;
    QByteArray chunk;
    const auto flush = [&out, &chunk] {
        if (!out.isEmpty())
            out += ' ';
        out += "=?UTF-8?B?" + chunk.toBase64() + "?=";
        chunk.clear();
    };
    for (const QChar *c = flat.constBegin(); c != flat.constEnd(); ++c) {
        QString one(*c);
        if (c->isHighSurrogate() && c + 1 != flat.constEnd())
            one += *++c;
        const QByteArray bytes = one.toUtf8();
        if (chunk.size() + bytes.size() > 45)
            flush();
        chunk += bytes;
    }
    flush();
    return out;
}

MailResult sendMail(const MailAccount &account, const MailMessage &message)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    MailResult result;
    std::unique_ptr<CURL, void (*)(CURL *)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        result.error = tr("Nie udało się przygotować wysyłki poczty.");
        return result;
    }
    CURL *h = curl.get();
    char detail[CURL_ERROR_SIZE] = {};

    // The path names the domain greeted with EHLO.
    const QByteArray url = (account.url() + QLatin1Char('/')
                            + QUrl::toPercentEncoding(QSysInfo::machineHostName()))
                               .toUtf8();
    const QByteArray user = account.user.toUtf8();
    const QByteArray password = account.password.toUtf8();
    const QByteArray from = '<' + account.from.toUtf8() + '>';
    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, detail);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, StepTimeoutMs);
    curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, StepTimeoutMs / 1000);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, StepTimeoutMs / 1000);
    if (!account.user.isEmpty()) {
        curl_easy_setopt(h, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(h, CURLOPT_PASSWORD, password.constData());
    }
    curl_easy_setopt(h, CURLOPT_MAIL_FROM, from.constData());
    Slist recipients;
    append(recipients, '<' + message.toAddress.toUtf8() + '>');
    curl_easy_setopt(h, CURLOPT_MAIL_RCPT, recipients.get());

    Slist headers;
    append(headers, "Date: " + QDateTime::currentDateTime().toString(Qt::RFC2822Date).toLatin1());
    append(headers, "From: " + address(account.fromName, account.from));
    append(headers, "To: " + address(message.toName, message.toAddress));
    append(headers, "Subject: " + encodeHeaderText(message.subject));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());

    QString body = message.body;
    body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    body.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    const QByteArray text = body.toUtf8();
    std::unique_ptr<curl_mime, void (*)(curl_mime *)> mime(curl_mime_init(h), curl_mime_free);
    curl_mimepart *part = curl_mime_addpart(mime.get());
    curl_mime_data(part, text.constData(), size_t(text.size()));
    curl_mime_type(part, "text/plain; charset=UTF-8");
    curl_mime_encoder(part, "quoted-printable");
    curl_easy_setopt(h, CURLOPT_MIMEPOST, mime.get());

    const CURLcode code = curl_easy_perform(h);
    result.ok = code == CURLE_OK;
    if (!result.ok)
        result.error = errorText(code, detail);
    return result;
}
