#include "mysqlcutproxy.h"

#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <list>
#include <memory>

namespace {

constexpr int MaxLinks = 16;
constexpr char ComQuery = 0x03;
constexpr char ComStmtPrepare = 0x16;
constexpr char ComStmtExecute = 0x17;
constexpr quint32 ClientCompress = 0x0020;
constexpr quint32 ClientSsl = 0x0800;

// A little-endian number of size bytes at position at.
quint32 number(const QByteArray &bytes, int at, int size)
{
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes.at(at + i));
    return value;
}

// Takes the complete packets (4-byte header and payload) from the front of
// buffer.
QList<QByteArray> takePackets(QByteArray &buffer)
{
    QList<QByteArray> packets;
    while (buffer.size() >= 4) {
        const int size = 4 + int(number(buffer, 0, 3));
        if (buffer.size() < size)
            break;
        packets << buffer.left(size);
        buffer.remove(0, size);
    }
    return packets;
}

} // namespace

// A program connection and its server connection.
struct CutProxyLink
{
    QTcpSocket *client = nullptr;
    QTcpSocket *server = nullptr;
    QByteArray fromClient;
    QByteArray fromServer;
    bool greeted = false;
    bool swallowed = false;
    bool preparing = false;
    QString preparedSql;              // of the prepare awaiting its reply
    QHash<quint32, QString> prepared; // statement id -> SQL text
};

class CutProxyWorker : public QObject
{
public:
    CutProxyWorker(MySqlCutProxy *proxy, const QString &host, quint16 port)
        : m_proxy(proxy), m_host(host), m_port(port), m_server(new QTcpServer(this))
    {
        connect(m_server, &QTcpServer::newConnection, this, &CutProxyWorker::accept);
    }

    quint16 listen()
    {
        return m_server->listen(QHostAddress::LocalHost) ? m_server->serverPort() : 0;
    }

    void closeAll(bool stop)
    {
        std::list<CutProxyLink *> links;
        for (const auto &link : m_links)
            links.push_back(link.get());
        for (CutProxyLink *link : links)
            drop(link, false);
        if (stop)
            m_server->close();
    }

private:
    void accept()
    {
        while (QTcpSocket *client = m_server->nextPendingConnection()) {
            if (m_links.size() >= MaxLinks) {
                client->abort();
                client->deleteLater();
                continue;
            }
            m_links.push_back(std::make_unique<CutProxyLink>());
            CutProxyLink *link = m_links.back().get();
            link->client = client;
            link->server = new QTcpSocket(this);
            connect(client, &QTcpSocket::readyRead, this, [this, link] { fromClient(link); });
            connect(link->server, &QTcpSocket::readyRead, this, [this, link] { fromServer(link); });
            for (QTcpSocket *socket : {link->client, link->server}) {
                connect(socket, &QTcpSocket::disconnected, this, [this, link] { drop(link, true); });
                connect(socket, &QTcpSocket::errorOccurred, this, [this, link] { drop(link, true); });
            }
            link->server->connectToHost(m_host, m_port);
        }
    }

    void fromClient(CutProxyLink *link)
    {
        link->fromClient += link->client->readAll();
        for (const QByteArray &packet : takePackets(link->fromClient)) {
            if (link->swallowed)
                continue;
            // Every command starts a new exchange, numbered 0; the login
            // packets are numbered on from the server's greeting.
            if (packet.size() > 4 && packet.at(3) == 0) {
                const char command = packet.at(4);
                QString sql;
                if (command == ComQuery)
                    sql = QString::fromUtf8(packet.mid(5));
                else if (command == ComStmtExecute && packet.size() >= 9)
                    sql = link->prepared.value(number(packet, 5, 4));
                link->preparing = command == ComStmtPrepare;
                if (link->preparing)
                    link->preparedSql = QString::fromUtf8(packet.mid(5));
                MySqlCutProxy::Fault fault = MySqlCutProxy::Cut;
                if (!sql.isEmpty() && m_proxy->faultFor(sql, &fault)) {
                    if (fault == MySqlCutProxy::Cut) {
                        drop(link, false);
                        return;
                    }
                    link->swallowed = true;
                    continue;
                }
            }
            link->server->write(packet);
        }
    }

    void fromServer(CutProxyLink *link)
    {
        link->fromServer += link->server->readAll();
        for (QByteArray packet : takePackets(link->fromServer)) {
            if (!link->greeted) {
                // The greeting: protocol version, server version ending in
                // NUL, thread id, 8 bytes of the scramble, a filler, then the
                // lower half of the capability flags.
                link->greeted = true;
                const int end = int(packet.indexOf('\0', 5));
                const int flags = end + 1 + 4 + 8 + 1;
                if (end > 0 && flags + 2 <= packet.size()) {
                    const quint32 offered = number(packet, flags, 2) & ~(ClientSsl | ClientCompress);
                    packet[flags] = char(offered & 0xff);
                    packet[flags + 1] = char(offered >> 8);
                }
            } else if (link->preparing && packet.size() > 4 && packet.at(3) == 1) {
                // The first answer to a prepare: OK, the statement id.
                if (packet.at(4) == 0 && packet.size() >= 9)
                    link->prepared.insert(number(packet, 5, 4), link->preparedSql);
                link->preparing = false;
            }
            link->client->write(packet);
        }
    }

    // Closes both sides of a link: at once when cut, after passing on what
    // was read when one side ended.
    void drop(CutProxyLink *link, bool flush)
    {
        for (QTcpSocket *socket : {link->client, link->server}) {
            disconnect(socket, nullptr, this, nullptr);
            if (flush)
                socket->flush();
            socket->abort();
            socket->deleteLater();
        }
        m_links.remove_if([link](const auto &held) { return held.get() == link; });
    }

    MySqlCutProxy *m_proxy;
    QString m_host;
    quint16 m_port;
    QTcpServer *m_server;
    std::list<std::unique_ptr<CutProxyLink>> m_links;
};

MySqlCutProxy::MySqlCutProxy(const QString &serverHost, quint16 serverPort)
    : m_worker(new CutProxyWorker(this, serverHost, serverPort))
{
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(m_worker, [this] { m_port = m_worker->listen(); },
                              Qt::BlockingQueuedConnection);
}

MySqlCutProxy::~MySqlCutProxy()
{
    QMetaObject::invokeMethod(m_worker, [this] { m_worker->closeAll(true); },
                              Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

void MySqlCutProxy::arm(const QString &sqlStart, Fault fault)
{
    QMutexLocker lock(&m_mutex);
    m_sqlStart = sqlStart;
    m_fault = fault;
}

void MySqlCutProxy::cutAll()
{
    QMetaObject::invokeMethod(m_worker, [this] { m_worker->closeAll(false); },
                              Qt::BlockingQueuedConnection);
}

int MySqlCutProxy::faults() const
{
    QMutexLocker lock(&m_mutex);
    return m_faults;
}

bool MySqlCutProxy::faultFor(const QString &sql, Fault *fault)
{
    QMutexLocker lock(&m_mutex);
    if (m_sqlStart.isEmpty() || !sql.trimmed().startsWith(m_sqlStart, Qt::CaseInsensitive))
        return false;
    *fault = m_fault;
    ++m_faults;
    return true;
}
