#include "email/emaildialog.h"

#include "email/mailtransport.h"
#include "messagebox.h"
#include "plaintext.h"
#include "settings.h"

#include <QApplication>
#include <QPointer>
#include <QRegularExpression>
#include <QThread>
#include <memory>

EMailDialog::EMailDialog(DbWidget *db, UserWidget *user, Settings *settings, QString name,
                         QString address, QString subject, QString body)
    : SendingDialog(nullptr), WidgetBase(db, user, settings)
{
    setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    // A stored name may hold a line break, which the one-line field would
    // keep and show as a blank.
    toEdit->setText(name.simplified() + QStringLiteral(" <") + address.trimmed() + QLatin1Char('>'));
    subjectEdit->setText(subject);
    bodyEdit->setPlainText(body);
    const MailAccount account = readAccount();
    if (account.complete()) {
        PlainText::show(fromValue, account.sender());
    } else {
        fromValue->setStyleSheet(QStringLiteral("color: #c00000;"));
        fromValue->setWordWrap(true);
        PlainText::show(fromValue, missingAccountText(account));
        sendButton->setEnabled(false);
    }
    connect(sendButton, &QPushButton::clicked, this, &EMailDialog::send);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    show();
}

EMailDialog::~EMailDialog() = default;

MailAccount EMailDialog::readAccount() const
{
    if (settings)
        return MailAccount::read(settings->native);
    const std::unique_ptr<QSettings> store(Settings::openNative());
    return MailAccount::read(store.get());
}

QString EMailDialog::missingAccountText(const MailAccount &account) const
{
    if (!account.problem.isEmpty())
        return account.problem;
    const std::unique_ptr<QSettings> opened(settings ? nullptr : Settings::openNative());
    const QSettings *store = settings ? settings->native : opened.get();
    return tr("Brak ustawień poczty e-mail (serwer SMTP i adres nadawcy).") + QLatin1Char(' ')
        + Settings::whereKept(*store, QStringLiteral("email"),
                              QStringLiteral("host, port, ssl, user, password, from, fromname"));
}

void EMailDialog::send()
{
    const QString title = tr("Wysyłanie e-mail");
    const MailAccount account = readAccount();
    if (!account.complete()) {
        MessageBox::warning(title, missingAccountText(account), this);
        return;
    }
    // "Name <address>" or a bare address.
    static const QRegularExpression named(QStringLiteral("^\\s*(.*?)\\s*<([^<>]*)>\\s*$"));
    MailMessage message;
    const QString recipient = toEdit->text().simplified();
    const QRegularExpressionMatch m = named.match(recipient);
    message.toName = m.hasMatch() ? m.captured(1) : QString();
    message.toAddress = (m.hasMatch() ? m.captured(2) : recipient).trimmed();
    if (!validAddress(message.toAddress)) {
        MessageBox::warning(title, tr("Wpisz poprawny adres e-mail odbiorcy."), this);
        toEdit->setFocus();
        return;
    }
    message.subject = subjectEdit->text();
    message.body = bodyEdit->toPlainText();
    if (message.body.trimmed().isEmpty()) {
        MessageBox::warning(title, tr("Wpisz treść wiadomości."), this);
        bodyEdit->setFocus();
        return;
    }

    m_sending = {message.toAddress, message.subject, message.body};
    m_busy = true;
    sendButton->setEnabled(false);
    statusLabel->setText(tr("Wysyłanie wiadomości..."));
    // The result comes back to this thread; a window deleted meanwhile drops it.
    QPointer<EMailDialog> self(this);
    QThread *worker = QThread::create([account, message, self] {
        const MailResult result = sendMail(account, message);
        QMetaObject::invokeMethod(
            qApp, [self, result] {
                if (self)
                    self->sendFinished(result);
            },
            Qt::QueuedConnection);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

void EMailDialog::sendFinished(const MailResult &result)
{
    if (sendEnded(result.ok, result.unknown, result.error, tr("Wysyłanie e-mail"), statusLabel, sendButton))
        Q_EMIT sent(m_sending);
}
