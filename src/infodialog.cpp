#include "infodialog.h"

#include "plaintext.h"

#include <QCloseEvent>

InfoDialog::InfoDialog(QWidget *parent, const QString &text, InfoType type)
    : QWidget(parent, parent ? Qt::Widget : Qt::Window), m_type(type)
{
    setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    PlainText::show(textLabel, text);
    if (type == Error) {
        setWindowTitle(tr("Błąd"));
        iconLabel->setPixmap(QPixmap(QStringLiteral(":/general/error.png")));
    } else {
        iconLabel->setPixmap(QPixmap(QStringLiteral(":/general/info.png")));
    }
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
}

QString InfoDialog::text() const
{
    return textLabel->text();
}

void InfoDialog::closeEvent(QCloseEvent *event)
{
    Q_EMIT closed();
    QWidget::closeEvent(event);
}
