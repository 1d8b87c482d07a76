#include "mysqlcutproxy.h"

#include <QHash>
#include <QtEndian>
#include <QMutex>
#include <QTcpServer>
#include <QTcpSocket>
#include <atomic>
#include <list>
#include <optional>

namespace {

constexpr char ComQuery = 0x03, ComStmtPrepare = 0x16, ComStmtExecute = 0x17;

// The little-endian 32-bit number at position at.
quint32 number(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// Takes the complete packets (4-byte header and payload) from the front of
// buffer.
QList<QByteArray> takePackets(QByteArray &buffer)
{
    QList<QByteArray> packets;
    for (int size; buffer.size() >= 4 && buffer.size() >= (size = 4 + int(number(buffer, 0) & 0xffffff));) {
        packets << buffer.left(size);
        buffer.remove(0, size);
    }
    return packets;
}

} // namespace

// Lives in the relay's thread. A link is a program connection and its server
// connection.
struct MySqlCutProxy::Relay : QObject
{
    struct Link
    {
        QTcpSocket *client, *server;
        QByteArray fromClient = {}, fromServer = {};
        bool greeted = false, swallowed = false, cutOnAnswer = false;
        QString preparing = {};               // the prepare awaiting its answer
        QHash<quint32, QString> prepared = {}; // statement id -> SQL
    };

    quint16 serverPort = 0;
    QTcpServer listener{this};
    std::list<Link> links;
    QMutex mutex; // guards what the test's thread sets and reads
    QString sqlStart;
    Fault fault = Cut;
    bool once = false;
    int faults = 0;
    bool holding = false;
    std::atomic<int> connections = 0;

    void accept()
    {
        while (QTcpSocket *client = listener.nextPendingConnection()) {
            ++connections;
            if (holding) {
                // Kept open without a word until the program gives up.
                connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
                continue;
            }
            if (links.size() >= 16) {
                client->abort();
                continue;
            }
            links.push_back(Link{client, new QTcpSocket(this)});
            Link *link = &links.back();
            connect(client, &QTcpSocket::readyRead, this, [this, link] { fromClient(link); });
            connect(link->server, &QTcpSocket::readyRead, this, [this, link] { fromServer(link); });
            for (QTcpSocket *socket : {link->client, link->server}) {
                connect(socket, &QTcpSocket::disconnected, this, [this, link] { drop(link); });
                connect(socket, &QTcpSocket::errorOccurred, this, [this, link] { drop(link); });
            }
            link->server->connectToHost(QHostAddress::LocalHost, serverPort);
        }
    }

    // The fault that a statement meets, counted; none for sql empty.
    std::optional<Fault> faultFor(const QString &sql)
    {
        QMutexLocker lock(&mutex);
        if (sql.isEmpty() || sqlStart.isEmpty() || !sql.trimmed().startsWith(sqlStart, Qt::CaseInsensitive))
            return std::nullopt;
        ++faults;
        if (once)
            sqlStart.clear();
        return fault;
    }

    void fromClient(Link *link)
    {
        link->fromClient += link->client->readAll();
        for (const QByteArray &packet : takePackets(link->fromClient)) {
            if (link->swallowed)
                continue;
            // Every command starts an exchange numbered 0; the login packets
            // are numbered on from the server's greeting.
            const char command = packet.size() > 4 && packet.at(3) == 0 ? packet.at(4) : 0;
            if (command == ComStmtPrepare)
                link->preparing = QString::fromUtf8(packet.mid(5));
            const std::optional<Fault> met = faultFor(
                command == ComQuery                               ? QString::fromUtf8(packet.mid(5))
                : command == ComStmtExecute && packet.size() >= 9 ? link->prepared.value(number(packet, 5))
                                                                  : QString());
            if (met == Cut)
                return drop(link);
            link->swallowed = met == Swallow;
            link->cutOnAnswer = met == CutAfterRun;
            if (!link->swallowed)
                link->server->write(packet);
        }
    }

    void fromServer(Link *link)
    {
        // The server has run the statement: its answer goes nowhere.
        if (link->cutOnAnswer)
            return drop(link);
        link->fromServer += link->server->readAll();
        for (QByteArray packet : takePackets(link->fromServer)) {
            if (!std::exchange(link->greeted, true)) {
                // The greeting: protocol version, server version ending in
                // NUL, thread id, 8 bytes of the scramble, a filler, then the
                // capability flags: compression is 0x20, TLS 0x0800.
                const int flags = int(packet.indexOf('\0', 5)) + 1 + 4 + 8 + 1;
                if (flags > 14 && flags + 2 <= packet.size()) {
                    packet[flags] = char(packet.at(flags) & ~0x20);
                    packet[flags + 1] = char(packet.at(flags + 1) & ~0x08);
                }
            } else if (!link->preparing.isNull() && packet.size() > 4 && packet.at(3) == 1) {
                // The first answer to a prepare: OK, then the statement id.
                if (packet.at(4) == 0 && packet.size() >= 9)
                    link->prepared.insert(number(packet, 5), link->preparing);
                link->preparing = QString();
            }
            link->client->write(packet);
        }
    }

    // Closes both sides of a link, passing on what was already written.
    void drop(Link *link)
    {
        for (QTcpSocket *socket : {link->client, link->server})
            disconnect(socket, nullptr, this, nullptr);
        for (QTcpSocket *socket : {link->client, link->server}) {
            socket->flush();
            socket->abort();
            socket->deleteLater();
        }
        links.remove_if([link](const Link &held) { return &held == link; });
    }

    void dropAll()
    {
        while (!links.empty())
            drop(&links.front());
    }
};

MySqlCutProxy::MySqlCutProxy(quint16 serverPort) : m_relay(new Relay)
{
    m_relay->serverPort = serverPort;
    m_relay->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(m_relay, [this] {
        QObject::connect(&m_relay->listener, &QTcpServer::newConnection, m_relay, &Relay::accept);
        if (m_relay->listener.listen(QHostAddress::LocalHost))
            m_port = m_relay->listener.serverPort();
    }, Qt::BlockingQueuedConnection);
}

MySqlCutProxy::~MySqlCutProxy()
{
    QMetaObject::invokeMethod(m_relay, [this] {
        m_relay->dropAll();
        m_relay->listener.close();
    }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_relay;
}

void MySqlCutProxy::arm(const QString &sqlStart, Fault fault, bool once)
{
    QMutexLocker lock(&m_relay->mutex);
    m_relay->sqlStart = sqlStart;
    m_relay->fault = fault;
    m_relay->once = once;
}

void MySqlCutProxy::cutAll()
{
    QMetaObject::invokeMethod(m_relay, [this] { m_relay->dropAll(); }, Qt::BlockingQueuedConnection);
}

int MySqlCutProxy::faults() const
{
    QMutexLocker lock(&m_relay->mutex);
    return m_relay->faults;
}

void MySqlCutProxy::holdNew(bool on)
{
    QMetaObject::invokeMethod(m_relay, [this, on] { m_relay->holding = on; }, Qt::BlockingQueuedConnection);
}

int MySqlCutProxy::connections() const
{
    return m_relay->connections;
}
