#include "loginwidget.h"

#include "db/dbwidget.h"
#include "settings.h"
#include "startup.h"

#include <QCryptographicHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

#include <utility>

namespace {
const QString lastLoginKey = QStringLiteral("config/lastlogin");

// Levels run from 0, the administrator, to this one with the fewest rights.
constexpr int FewestRightsLevel = 7;

// Users are added by hand with a database tool: a level that is missing, not
// a number or out of range gets the fewest rights, never the administrator's.
int storedLevel(const QVariant &value)
{
    bool ok = false;
    const int level = value.toInt(&ok);
    return !value.isNull() && ok && level >= 0 && level <= FewestRightsLevel ? level
                                                                             : FewestRightsLevel;
}
} // namespace

LoginWidget::LoginWidget(QWidget *parent, DbWidget *db, Settings *settings)
    : QWidget(parent), WidgetBase(db, nullptr, settings), ui(new Ui::loginWidget),
      m_noticeTimer(new QTimer(this))
{
    ui->setupUi(this);
    m_noticeTimer->setSingleShot(true);
    m_noticeTimer->setInterval(NoticeTime);
    connect(m_noticeTimer, &QTimer::timeout, this, &LoginWidget::hideNotice);
    // The notice keeps its place while hidden, so the form does not jump.
    QSizePolicy policy = ui->noticeLabel->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    ui->noticeLabel->setSizePolicy(policy);
    ui->noticeLabel->hide();

    loadDatabases();
    loadUsers();

    connect(ui->loginButton, &QPushButton::clicked, this, &LoginWidget::login);
    connect(ui->passwordEdit, &QLineEdit::returnPressed, this, &LoginWidget::login);
    connect(ui->databaseBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &LoginWidget::changeDatabase);
    connect(ui->databaseBox, qOverload<int>(&QComboBox::activated), this,
            &LoginWidget::databaseChosen);
    ui->passwordEdit->setFocus();
}

LoginWidget::~LoginWidget()
{
    delete ui;
}

QString LoginWidget::passwordHash(const QString &typed)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(typed.toUtf8(), QCryptographicHash::Sha1).toHex());
}

bool LoginWidget::passwordMatches(const QString &stored, const QString &typed)
{
    return stored == typed || stored == passwordHash(typed);
}

void LoginWidget::loadDatabases()
{
    const QSignalBlocker blocker(ui->databaseBox);
    ui->databaseBox->clear();
    const QList<int> numbers = settings->connectionNumbers();
    for (int n : numbers) {
        const QString group = QStringLiteral("db_%1").arg(n);
        // A description the INI syntax would change shows as the group's name.
        QString description = CheckedGroup(settings->ini, group).label(QStringLiteral("description")).toString();
        if (description.isEmpty())
            description = group;
        ui->databaseBox->addItem(QIcon(QStringLiteral(":/configurationWidget/database.png")),
                                 description, n);
    }
    // No choice is shown when the default names no connection: picking one
    // then opens it.
    ui->databaseBox->setCurrentIndex(ui->databaseBox->findData(settings->defaultDb()));
}

void LoginWidget::loadUsers()
{
    ui->userBox->clear();
    ui->loginButton->setEnabled(false);
    hideNotice();
    // A connection that failed is tried again when its database is chosen
    // again.
    if (!db->isOpen()) {
        showNotice(tr("Brak połączenia z bazą danych !"), true);
        return;
    }
    QSqlQuery q = db->query(
        QStringLiteral("SELECT iId, sUser, iLevel FROM users WHERE bActive <> 0 ORDER BY sUser"));
    if (!q.isActive()) {
        // Stays until another database is chosen.
        const bool lost = DbWidget::isConnectionLost(q.lastError()) || db->connectionLost();
        showNotice(lost                    ? tr("Brak połączenia z bazą danych !")
                   : db->isEmptyDatabase() ? tr("Baza danych nie ma struktury programu.")
                                           : tr("Nie można odczytać użytkowników z bazy danych."),
                   true);
        return;
    }
    const QIcon icon(QStringLiteral(":/loginWidget/users.png"));
    while (q.next())
        ui->userBox->addItem(icon, q.value(1).toString(), q.value(0).toInt());
    const int last = ui->userBox->findText(settings->ini->value(lastLoginKey).toString(),
                                           Qt::MatchExactly);
    if (last >= 0)
        ui->userBox->setCurrentIndex(last);
    ui->loginButton->setEnabled(ui->userBox->count() > 0);
}

void LoginWidget::changeDatabase(int index)
{
    if (index < 0)
        return;
    // A choice made by the user sends activated() right after this; one made
    // by the program does not, hence the flag ends with the event.
    m_choiceHandled = true;
    QMetaObject::invokeMethod(this, [this] { m_choiceHandled = false; }, Qt::QueuedConnection);
    Startup::openDatabase(db, settings->ini, ui->databaseBox->itemData(index).toInt(), window());
    loadUsers();
}

void LoginWidget::databaseChosen(int index)
{
    if (std::exchange(m_choiceHandled, false) || index < 0)
        return;
    // The database shown chosen again: a server started only after this
    // workstation is reached now. An open one reads its users again, as a
    // lost connection is taken anew by the next statement.
    if (!db->isOpen())
        Startup::openDatabase(db, settings->ini, ui->databaseBox->itemData(index).toInt(), window());
    else if (ui->userBox->count() > 0)
        return;
    loadUsers();
}

void LoginWidget::login()
{
    if (ui->userBox->currentIndex() < 0)
        return;
    const int id = ui->userBox->currentData().toInt();
    // The user's row is read again: the account may have been switched off
    // since the list was filled.
    QSqlQuery q = db->query(
        QStringLiteral("SELECT sUser, sPassword, iLevel FROM users WHERE iId = %1 AND bActive <> 0")
            .arg(id));
    if (!q.isActive()) {
        showNotice(tr("Brak połączenia z bazą danych !"));
        return;
    }
    if (!q.first()) {
        // Switched off, or removed, since the list was filled: the list
        // drops it.
        loadUsers();
        showNotice(tr("To konto jest nieaktywne."));
        return;
    }
    if (!passwordMatches(q.value(1).toString(), ui->passwordEdit->text())) {
        showNotice(tr("Nieprawidłowe hasło !"));
        return;
    }
    const QString name = q.value(0).toString();
    const int level = storedLevel(q.value(2));
    // Done with the read before the pages of the user are built.
    q.finish();
    rememberLogin(name);
    Q_EMIT loggedIn(id, name, level);
}

void LoginWidget::rememberLogin(const QString &name)
{
    // A file with a hand-written value that a write would change is left as
    // it is until mended.
    if (settings->ini->value(lastLoginKey).toString() == name)
        return;
    QStringList groups;
    for (int n : settings->connectionNumbers())
        groups << QStringLiteral("db_%1").arg(n);
    if (!Settings::rewriteProblem(settings->ini, groups).isEmpty())
        return;
    settings->ini->setValue(lastLoginKey, name);
    settings->ini->sync();
}

void LoginWidget::showNotice(const QString &text, bool stays)
{
    ui->noticeLabel->setText(text);
    ui->noticeLabel->show();
    if (stays) {
        m_noticeTimer->stop();
        return;
    }
    ui->passwordEdit->selectAll();
    ui->passwordEdit->setFocus();
    m_noticeTimer->start();
}

void LoginWidget::hideNotice()
{
    ui->noticeLabel->hide();
}
