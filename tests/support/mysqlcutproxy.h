#pragma once

#include <QString>
#include <QThread>

// A relay on 127.0.0.1 between the program and the MySQL test server that
// reads the program's commands and meets the armed statement with a fault:
// the connection cut (both sides closed, as a dropped network does), cut
// once the server has run it (its answer lost on the way back) or
// swallowed (nothing passed on and nothing answered, as a hung server). A
// prepared statement meets it when executed, COMMIT when the driver commits.
// The server's greeting is passed on without TLS or compression, so commands
// stay readable. It runs in a thread of its own, since the driver blocks the
// test's thread while it waits, takes at most a few connections and closes
// them all when it goes.
class MySqlCutProxy
{
public:
    enum Fault { Cut, CutAfterRun, Swallow };

    explicit MySqlCutProxy(quint16 serverPort);
    ~MySqlCutProxy();

    // The port the relay listens on; 0 when it could not listen.
    quint16 port() const { return m_port; }
    // From now on every statement whose SQL starts with sqlStart (case aside)
    // meets the fault, until letThrough(); with once, only the first one.
    void arm(const QString &sqlStart, Fault fault = Cut, bool once = false);
    void letThrough() { arm(QString()); }
    // Cuts every open connection at once, as a restarting server does.
    void cutAll();
    // While on, a new connection is taken and never answered, as by a host
    // that is not there; off, new connections are relayed again.
    void holdNew(bool on);
    // How many connections the program opened to the relay so far.
    int connections() const;
    // How many statements met a fault so far.
    int faults() const;

private:
    struct Relay;
    QThread m_thread;
    Relay *m_relay;
    quint16 m_port = 0;
};
