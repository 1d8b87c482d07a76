#include "sms/smsdialog.h"

#include "messagebox.h"
#include "plaintext.h"
#include "settings.h"
#include "sms/smsgateway.h"

#include <QRegularExpression>
#include <memory>

namespace {
// What staff write between the digits of a phone number.
const QRegularExpression separators(QStringLiteral("[\\s()-]"));
} // namespace

SmsDialog::SmsDialog(DbWidget *db, UserWidget *user, QString phone, QString text)
    : SendingDialog(nullptr), WidgetBase(db, user, nullptr)
{
    setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    numberEdit->setText(phone);
    textEdit->setPlainText(text);
    // A gateway's long word is cut at the window's edge instead of widening it.
    accountLabel->setSizePolicy(QSizePolicy::Ignored, accountLabel->sizePolicy().verticalPolicy());

    const std::unique_ptr<QSettings> store(Settings::openNative());
    m_gateway = new SmsGateway(store.get(), this);
    connect(m_gateway, &SmsGateway::infoFinished, this, &SmsDialog::infoReceived);
    connect(m_gateway, &SmsGateway::sendFinished, this, &SmsDialog::sendFinished);
    // Without an address and an account nothing could be sent: the account
    // line says where they are read from.
    sendButton->setEnabled(m_gateway->configured());
    connect(sendButton, &QPushButton::clicked, this, &SmsDialog::send);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    show();
    m_gateway->requestInfo();
}

SmsDialog::~SmsDialog() = default;

QString SmsDialog::numberFrom(const QString &phone)
{
    // Digits with blanks, dots, dashes and brackets between them; a line
    // break ends the number.
    static const QRegularExpression run(QStringLiteral("\\+?[\\d \\t().-]*\\d[\\d \\t().-]*"));
    static const QRegularExpression apart(QStringLiteral("[ \\t().-]"));
    return run.match(phone).captured().remove(apart);
}

void SmsDialog::send()
{
    const QString title = tr("Wysyłanie SMS");
    QString number = numberEdit->text();
    number.remove(separators);
    if (!QRegularExpression(QStringLiteral("^\\+?\\d{3,15}$")).match(number).hasMatch()) {
        MessageBox::warning(title, tr("Wpisz poprawny numer telefonu (same cyfry, "
                                      "na początku może stać \"+\")."), this);
        numberEdit->setFocus();
        return;
    }
    const QString text = textEdit->toPlainText();
    if (text.trimmed().isEmpty()) {
        MessageBox::warning(title, tr("Wpisz treść wiadomości."), this);
        textEdit->setFocus();
        return;
    }
    m_sending = {number, text};
    m_busy = true;
    sendButton->setEnabled(false);
    statusLabel->setText(tr("Wysyłanie wiadomości..."));
    m_gateway->send(number, text);
}

void SmsDialog::infoReceived(bool ok, const QString &text)
{
    if (ok) {
        accountLabel->setStyleSheet(QString());
        PlainText::show(accountLabel, text.isEmpty() ? tr("Konto w bramce SMS jest aktywne.")
                                                     : tr("Stan konta: %1").arg(text));
    } else {
        accountLabel->setStyleSheet(QStringLiteral("color: #c00000;"));
        PlainText::show(accountLabel, text);
    }
}

void SmsDialog::sendFinished(bool ok, const QString &text, bool unknown)
{
    if (sendEnded(ok, unknown, text, tr("Wysyłanie SMS"), statusLabel, sendButton))
        Q_EMIT sent(m_sending);
}
