#include "email/mailtransport.h"

#include "settings.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRegularExpression>
#include <QSettings>
#include <QSysInfo>
#include <QUrl>
#include <QUuid>
#include <algorithm>
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
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
        text = tr("Połączenie z serwerem poczty zostało przerwane.");
        break;
    case CURLE_LOGIN_DENIED:
        text = tr("Serwer poczty odrzucił nazwę użytkownika lub hasło.");
        break;
    case CURLE_USE_SSL_FAILED:
        text = tr("Serwer poczty nie obsługuje szyfrowania połączenia (STARTTLS), więc hasło nie "
                  "zostało wysłane. Włącz SSL w ustawieniach poczty albo wybierz inny serwer.");
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

// Lines of a header stay within FoldAt characters wherever a blank allows a
// fold, and never exceed 998 (RFC 5322). An encoded word takes at most
// WordBytes bytes of text, so that it stays within 75 characters (RFC 2047).
constexpr int FoldAt = 78;
constexpr int WordBytes = 45;

// text on one line: its line breaks become blanks, so that no value can add
// header lines of its own.
QString oneLine(const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("[\\r\\n]+"));
    return QString(text).replace(breaks, QStringLiteral(" "));
}

bool plainAscii(const QString &text)
{
    static const QRegularExpression plain(QStringLiteral("^[\\x20-\\x7e]*$"));
    return plain.match(text).hasMatch() && !text.contains(QLatin1String("=?"));
}

// The pieces that a header value folds between: each is a blank followed by
// a word (with any further blanks that follow it), so that a fold before any
// piece keeps the value as it was.
QList<QByteArray> blankPieces(const QByteArray &value)
{
    QList<QByteArray> pieces;
    QByteArray piece(1, ' ');
    bool word = false;
    bool afterBlank = true;
    for (const char c : value) {
        const bool blank = c == ' ' || c == '\t';
        if (blank && word && !afterBlank) {
            pieces << piece;
            piece.clear();
            word = false;
        }
        piece += c;
        word = word || !blank;
        afterBlank = blank;
    }
    // Blanks at the end stay with the last word: no line may be blank.
    if (!word && !pieces.isEmpty())
        pieces.last() += piece;
    else
        pieces << piece;
    return pieces;
}

// text as encoded words (UTF-8, base64), each with a blank before it; the
// first takes at most firstBytes bytes of text. No character is split.
QList<QByteArray> encodedWords(const QString &text, int firstBytes)
{
    QList<QByteArray> words;
    QByteArray chunk;
    int limit = qBound(4, firstBytes, WordBytes);
    const auto flush = [&] {
        words << " =?UTF-8?B?" + chunk.toBase64() + "?=";
        chunk.clear();
        limit = WordBytes;
    };
    for (const QChar *c = text.constBegin(); c != text.constEnd(); ++c) {
        QString one(*c);
        if (c->isHighSurrogate() && c + 1 != text.constEnd())
            one += *++c;
        const QByteArray bytes = one.toUtf8();
        if (!chunk.isEmpty() && chunk.size() + bytes.size() > limit)
            flush();
        chunk += bytes;
    }
    if (!chunk.isEmpty())
        flush();
    return words;
}

// The pieces of a value after "name:": plain ASCII as it is (a phrase with
// specials as a quoted string) when every word fits a line, else encoded words.
QList<QByteArray> valuePieces(const QByteArray &name, const QString &text, bool phrase)
{
    const QString flat = oneLine(text);
    if (flat.isEmpty())
        return {};
    if (plainAscii(flat)) {
        QByteArray value = flat.toLatin1();
        static const QRegularExpression specials(QStringLiteral("[()<>\\[\\]:;@\\\\,.\"]"));
        if (phrase && flat.contains(specials))
            value = '"' + value.replace('\\', "\\\\").replace('"', "\\\"") + '"';
        const QList<QByteArray> pieces = blankPieces(value);
        if (std::all_of(pieces.cbegin(), pieces.cend(),
                        [](const QByteArray &piece) { return piece.size() < FoldAt; }))
            return pieces;
    }
    // What is left of the first line after "name:", the blank and the word's frame.
    const int room = FoldAt - int(name.size()) - 1 - 1 - 12;
    return encodedWords(flat, room / 4 * 3);
}

// "name:" and the pieces, folded before a piece that would pass FoldAt.
QByteArray folded(const QByteArray &name, const QList<QByteArray> &pieces)
{
    QByteArray field = name + ':';
    qsizetype length = field.size();
    for (const QByteArray &piece : pieces) {
        if (length + piece.size() > FoldAt && length > 0) {
            field += "\r\n";
            length = 0;
        }
        field += piece;
        length += piece.size();
    }
    return field;
}

QByteArray addressField(const QByteArray &name, const QString &displayName, const QString &mail)
{
    QList<QByteArray> pieces = valuePieces(name, displayName.trimmed(), true);
    pieces << " <" + mail.toUtf8() + '>';
    return folded(name, pieces);
}

// The address with a national domain ("łódź.pl") written as the DNS writes
// it ("xn--d-uga0v4h.pl"): header fields and the server's commands take
// ASCII only. A domain that has no such form stays as it was.
QString asciiAddress(const QString &address)
{
    const qsizetype at = address.lastIndexOf(QLatin1Char('@'));
    const QString domain = address.mid(at + 1);
    const bool ascii = std::all_of(domain.cbegin(), domain.cend(), [](QChar c) { return c.unicode() < 0x80; });
    const QString ace = ascii ? QString() : QString::fromLatin1(QUrl::toAce(domain));
    return ace.isEmpty() ? address : address.left(at + 1) + ace;
}

// A new message's id: a random UUID at the sender's domain, or at
// "localhost" when the domain is none that DNS knows.
QByteArray messageId(const QString &from)
{
    static const QRegularExpression host(QStringLiteral("^[A-Za-z0-9-]+(\\.[A-Za-z0-9-]+)*$"));
    QString domain = from.section(QLatin1Char('@'), 1);
    if (!host.match(domain).hasMatch())
        domain = QStringLiteral("localhost");
    return '<' + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + '@' + domain.toLatin1() + '>';
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
    const QString group = QStringLiteral("email");
    CheckedGroup values(store, group);
    a.host = values.value("host").toString().trimmed();
    a.ssl = values.value("ssl", false).toBool();
    bool ok = false;
    a.port = values.value("port").toInt(&ok);
    if (!ok || a.port <= 0 || a.port > 65535)
        a.port = a.ssl ? 465 : 25;
    a.user = values.value("user").toString();
    a.password = values.value("password").toString();
    a.from = values.value("from").toString().trimmed();
    a.fromName = values.value("fromname").toString().trimmed();
    a.problem = values.problem();
    if (a.problem.isEmpty() && !a.from.isEmpty() && !validAddress(a.from))
        a.problem = tr("Adres nadawcy (klucz from) w ustawieniach poczty jest niepoprawny.")
            + QLatin1Char(' ') + Settings::whereKept(*store, group, QStringLiteral("from"));
    return a;
}

bool validAddress(const QString &address)
{
    static const QRegularExpression valid(QStringLiteral("^[^@\\s<>,;\"]+@[^@\\s<>,;\"]+$"));
    return valid.match(address).hasMatch();
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

QByteArray headerField(const QByteArray &name, const QString &text)
{
    return folded(name, valuePieces(name, text, false));
}

MailResult sendMail(const MailAccount &account, const MailMessage &message)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    MailResult result;
    // Either address goes into the server's commands as it is.
    if (!validAddress(account.from) || !validAddress(message.toAddress)) {
        result.error = tr("Niepoprawny adres nadawcy lub odbiorcy.");
        return result;
    }
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
    const QString fromAddress = asciiAddress(account.from);
    const QString toAddress = asciiAddress(message.toAddress);
    const QByteArray from = '<' + fromAddress.toUtf8() + '>';
    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, detail);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, StepTimeoutMs);
    curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, StepTimeoutMs / 1000);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, StepTimeoutMs / 1000);
    // Without SSL from the first byte the link is encrypted by STARTTLS: a
    // server that cannot is used in the clear only when no password goes.
    if (!account.ssl)
        curl_easy_setopt(h, CURLOPT_USE_SSL,
                         long(account.user.isEmpty() ? CURLUSESSL_TRY : CURLUSESSL_ALL));
    if (!account.user.isEmpty()) {
        curl_easy_setopt(h, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(h, CURLOPT_PASSWORD, password.constData());
    }
    curl_easy_setopt(h, CURLOPT_MAIL_FROM, from.constData());
    Slist recipients;
    append(recipients, '<' + toAddress.toUtf8() + '>');
    curl_easy_setopt(h, CURLOPT_MAIL_RCPT, recipients.get());

    Slist headers;
    append(headers, "Date: " + QDateTime::currentDateTime().toString(Qt::RFC2822Date).toLatin1());
    // Many receiving servers refuse a message without an id.
    append(headers, "Message-ID: " + messageId(fromAddress));
    append(headers, addressField("From", account.fromName, fromAddress));
    append(headers, addressField("To", message.toName, toAddress));
    append(headers, headerField("Subject", message.subject));
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
    if (!result.ok) {
        result.error = errorText(code, detail);
        // After the text went out, only the server's final answer tells
        // whether it took the message; a server may take long over it. The
        // length of the encoded text is not known beforehand (libcurl gives
        // -1 for quoted-printable), so a text that broke off part way counts
        // here as well.
        curl_off_t uploaded = 0;
        result.unknown = curl_easy_getinfo(h, CURLINFO_SIZE_UPLOAD_T, &uploaded) == CURLE_OK && uploaded > 0
            && (code == CURLE_OPERATION_TIMEDOUT || code == CURLE_RECV_ERROR || code == CURLE_GOT_NOTHING);
    }
    return result;
}
