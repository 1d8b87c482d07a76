#pragma once

#include <QMutex>
#include <QString>
#include <QThread>

class CutProxyWorker;

// A relay on 127.0.0.1 between the program and the MySQL test server that
// reads the program's commands and, when armed, meets a chosen statement with
// a fault: the connection cut (both sides closed, as a dropped network does)
// or swallowed (nothing passed on and nothing answered, as a server that
// hangs). A prepared statement meets it when it is executed, COMMIT when the
// driver commits. The server is told not to offer TLS or compression, so the
// commands stay readable. It runs in a thread of its own, since the driver
// blocks the test's thread while it waits for an answer, takes at most a few
// connections and closes everything when it goes.
class MySqlCutProxy
{
public:
    enum Fault { Cut, Swallow };

    MySqlCutProxy(const QString &serverHost, quint16 serverPort);
    ~MySqlCutProxy();

    // The port the relay listens on; 0 when it could not listen.
    quint16 port() const { return m_port; }

    // From now on every statement whose SQL text starts with sqlStart (case
    // aside) meets the fault, until letThrough().
    void arm(const QString &sqlStart, Fault fault = Cut);
    void letThrough() { arm(QString()); }
    // Cuts every open connection at once, as a restarting server does.
    void cutAll();
    // How many statements met a fault so far.
    int faults() const;

    // For the relay's thread: the fault a statement meets, if any (counted).
    bool faultFor(const QString &sql, Fault *fault);

private:
    QThread m_thread;
    CutProxyWorker *m_worker = nullptr;
    quint16 m_port = 0;
    mutable QMutex m_mutex;
    QString m_sqlStart;
    Fault m_fault = Cut;
    int m_faults = 0;
};
