#pragma once

#include "ui_loginWidget.h"
#include "widgetbase.h"

#include <QWidget>

class QTimer;

// The login page: the active users of the open database, the password and the
// database connections of config.ini to choose from.
class LoginWidget : public QWidget, public WidgetBase
{
    Q_OBJECT
public:
    LoginWidget(QWidget *parent, DbWidget *db, Settings *settings);
    ~LoginWidget() override;

    static constexpr int NoticeTime = 1500;

    // A stored password matches the typed text itself or its lower-case hex
    // SHA-1.
    static bool passwordMatches(const QString &stored, const QString &typed);
    static QString passwordHash(const QString &typed);

Q_SIGNALS:
    void loggedIn(int id, const QString &name, int level);

public Q_SLOTS:
    void login();
    void loadUsers();

private Q_SLOTS:
    void changeDatabase(int index);
    // Any choice in the list, also of the entry shown.
    void databaseChosen(int index);
    void hideNotice();

private:
    void loadDatabases();
    // A notice that stays is hidden only when another database is chosen.
    void showNotice(const QString &text, bool stays = false);
    // Keeps the name for the next start, unless that would write config.ini
    // over a value it holds written otherwise.
    void rememberLogin(const QString &name);

    Ui::loginWidget *ui;
    // Hides the failure notice; a further failure starts it afresh.
    QTimer *m_noticeTimer;
    // Set while a choice that changed the entry is handled: its activated(),
    // which follows, opens nothing a second time.
    bool m_choiceHandled = false;
};
