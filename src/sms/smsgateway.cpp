#include "sms/smsgateway.h"

#include "settings.h"
#include "plaintext.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSettings>
#include <QTimer>
#include <memory>

namespace {

// The first line of a reply that is not blank, and whether its end came.
struct AnswerLine
{
    QByteArray text;
    bool ended = false;
};

AnswerLine firstAnswerLine(const QByteArray &reply)
{
    qsizetype start = 0;
    for (qsizetype end; (end = reply.indexOf('\n', start)) >= 0; start = end + 1) {
        const QByteArray line = reply.mid(start, end - start);
        if (!line.trimmed().isEmpty())
            return {line, true};
    }
    return {reply.mid(start), false};
}

} // namespace

SmsGateway::SmsGateway(QSettings *store, QObject *parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this))
{
    CheckedGroup values(store, QStringLiteral("sms"));
    m_url = QUrl(values.value(QStringLiteral("url")).toString().trimmed());
    m_login = values.value(QStringLiteral("login")).toString();
    m_password = values.value(QStringLiteral("password")).toString();
    m_problem = values.problem();
    m_whereKept = Settings::whereKept(*store, QStringLiteral("sms"),
                                      QStringLiteral("url, login, password"));
}

bool SmsGateway::configured() const
{
    const QString scheme = m_url.scheme();
    return m_problem.isEmpty() && m_url.isValid() && !m_url.host().isEmpty()
        && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        && !m_login.isEmpty();
}

void SmsGateway::requestInfo()
{
    post({{QStringLiteral("cmd"), QStringLiteral("info")}}, &SmsGateway::infoFinished);
}

void SmsGateway::send(const QString &number, const QString &text)
{
    post({{QStringLiteral("cmd"), QStringLiteral("send")},
          {QStringLiteral("number"), number},
          {QStringLiteral("text"), text}},
         &SmsGateway::sendFinished);
}

void SmsGateway::post(const QList<QPair<QString, QString>> &fields,
                      void (SmsGateway::*finished)(bool, const QString &, bool))
{
    if (!configured()) {
        Q_EMIT(this->*finished)(false, m_problem.isEmpty()
                                           ? tr("Brak ustawień bramki SMS.") + QLatin1Char(' ') + m_whereKept
                                           : m_problem,
                                false);
        return;
    }
    QList<QPair<QString, QString>> all = fields;
    all.insert(1, {QStringLiteral("login"), m_login});
    all.insert(2, {QStringLiteral("password"), m_password});
    QByteArray body;
    for (const auto &field : all) {
        if (!body.isEmpty())
            body += '&';
        body += field.first.toLatin1() + '=' + QUrl::toPercentEncoding(field.second);
    }

    QNetworkRequest request(m_url);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/x-www-form-urlencoded"));
    QNetworkReply *reply = m_network->post(request, body);

    // Why the reply was cut short, if it was.
    enum class Cut { No, Deadline, TooLong };
    auto cut = std::make_shared<Cut>(Cut::No);
    auto received = std::make_shared<QByteArray>();
    auto sentWhole = std::make_shared<bool>(false);
    // Progress once the upload is over reads 0 of 0: only a report of all sent counts.
    connect(reply, &QNetworkReply::uploadProgress, reply, [sentWhole](qint64 sent, qint64 total) {
        if (total > 0 && sent == total)
            *sentWhole = true;
    });
    auto *deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply, [reply, cut] {
        *cut = Cut::Deadline;
        reply->abort();
    });
    deadline->start(m_deadline);
    connect(reply, &QIODevice::readyRead, reply, [reply, cut, received] {
        *received += reply->read(MaxReply + 1 - received->size());
        if (received->size() > MaxReply && *cut == Cut::No) {
            *cut = Cut::TooLong;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, finished, cut, received, sentWhole, deadline] {
        deadline->stop();
        reply->deleteLater();
        const bool whole = *cut == Cut::No && reply->error() == QNetworkReply::NoError;
        if (*cut == Cut::No)
            *received += reply->read(MaxReply + 1 - received->size());
        // The first line tells the outcome: a message the gateway took is
        // reported as sent even when the rest of its answer never ends. A
        // line counts once its end came (or the whole answer did), or once
        // it reads "OK" and a blank, all but its detail.
        static const QRegularExpression okWord(QStringLiteral("^\\s*OK[ \\t]"));
        const AnswerLine first = firstAnswerLine(*received);
        const bool ended = first.ended || (whole && received->size() <= MaxReply);
        const bool okCut = !ended && okWord.match(QString::fromUtf8(first.text)).hasMatch();
        const QString line = PlainText::firstLine(QString::fromUtf8(first.text), MaxShown);
        const bool ok = ended ? line == QLatin1String("OK") || line.startsWith(QLatin1String("OK ")) : okCut;
        // An HTTP error status: the gateway refused the request, whatever its text.
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status >= 400) {
            Q_EMIT(this->*finished)(false, line.isEmpty()
                                               ? tr("Bramka SMS odpowiedziała błędem HTTP %1.").arg(status)
                                               : tr("Bramka SMS odpowiedziała błędem (HTTP %1): %2").arg(QString::number(status), line),
                                    false);
            return;
        }
        // A connection lost after the gateway had said "OK" loses nothing.
        if (*cut == Cut::No && reply->error() != QNetworkReply::NoError && !(status == 200 && ok)) {
            Q_EMIT(this->*finished)(false, tr("Brak połączenia z bramką SMS: %1")
                                               .arg(PlainText::firstLine(reply->errorString(), MaxShown)),
                                    *sentWhole);
            return;
        }
        if (!ok && !ended) {
            Q_EMIT(this->*finished)(false, *cut == Cut::Deadline
                                               ? tr("Bramka SMS nie odpowiedziała w ciągu %1 s.").arg((m_deadline + 999) / 1000)
                                               : tr("Bramka SMS przysłała zbyt długą odpowiedź."),
                                    *cut == Cut::Deadline && *sentWhole);
            return;
        }
        if (ok)
            Q_EMIT(this->*finished)(true, ended ? line.mid(2).trimmed() : QString(), false);
        else if (line.isEmpty())
            Q_EMIT(this->*finished)(false, tr("Bramka SMS nie przysłała odpowiedzi."), false);
        else
            Q_EMIT(this->*finished)(false, tr("Bramka SMS odpowiedziała błędem: %1").arg(line), false);
    });
}
