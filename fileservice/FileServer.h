// The HTTP side of the file service on Boost.Beast/Asio: routes, access token, Origin and Host
// rules, request size limit, and the bounds on what one client can hold (connections, time-outs,
// kept-alive requests). Connections cost no thread while they wait; the file work runs on a
// small pool of its own.
#ifndef TESSEL_FILESERVICE_FILESERVER_H
#define TESSEL_FILESERVICE_FILESERVER_H

#include "FileStore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace tessel::files {

/// Header that carries the access token (the same as on the database server's channels).
inline constexpr const char kTokenHeader[] = "X-Tessel-Token";

/// Answers one request of the routes "/upload", "/download", "/delete", "/rename", "/mkdir":
/// _baBody is the parameter text, _strDir the "dir" query item of "/mkdir".
FileReply handleFileRequest(const FileStore& _store, const QString& _strRoute, const QByteArray& _baBody,
                            const QString& _strDir);

/// Largest body of the routes other than "/upload" (a path or two).
inline constexpr qint64 kMaxSmallBodyBytes = 1024 * 1024;

struct FileServerOptions
{
    QString listenAddress = QStringLiteral("127.0.0.1");
    int port = 9600;  ///< 0: any free port (see FileServer::port())
    QString token;    ///< empty: no token asked for (loopback addresses only)
    qint64 maxRequestBytes = 256LL * 1024 * 1024;
    /// Origins a request may carry (web consoles); a request with any other Origin is refused.
    QStringList allowedOrigins;
    /// Host names a request's Host may give besides the addresses served (and "localhost" on
    /// loopback).
    QStringList allowedHosts;
    int networkThreads = 2;
    int workerThreads = 4;  ///< file work: reading, writing, encoding
    int maxConnections = 256;
    /// Connections from one peer address. Loopback peers (every local process shares one
    /// address) are held by maxConnections alone unless capLoopbackPeers.
    int maxConnectionsPerAddress = 32;
    bool capLoopbackPeers = false;
    int headerTimeoutMs = 10000;  ///< a request's head; also the wait for the next one
    int idleTimeoutMs = 10000;    ///< longest wait for more of a body, or for the answer to drain
    /// After idleTimeoutMs, a body (or the reading of an answer) slower than this on average is cut off.
    qint64 minBytesPerSecond = 16 * 1024;
    int keepAliveMax = 100;  ///< requests on one connection
    int stopWaitMs = 10000;  ///< how long stop() lets requests under way finish
};

class FileServer
{
public:
    FileServer(const FileStore& _store, FileServerOptions _options);
    ~FileServer();

    FileServer(const FileServer&) = delete;
    FileServer& operator=(const FileServer&) = delete;

    /// Binds the address; false with the reason when it cannot.
    bool bind(QString* _pError);
    /// The port bound (after bind()).
    int port() const;
    /// Serves until stop(); returns when stopped. Call once.
    void run();
    /// Stops accepting, lets requests under way finish (up to stopWaitMs) and makes run()
    /// return. Thread-safe; also safe from a signal-watching thread.
    void stop();

    class Impl;

private:
    std::unique_ptr<Impl> m_pImpl;
};

/// Whether a request's Origin may be let in: none at all (native clients), or one of _lstAllowed
/// (compared without case and trailing slashes).
bool originAllowed(const QString& _strOrigin, const QStringList& _lstAllowed);
/// Whether a request's Host names what _strListen serves: an address served (any on a wildcard
/// address, any loopback one on a loopback address), "localhost" on loopback or wildcard, or
/// one of _lstAllowedHosts. The port, if any, is ignored.
bool hostAllowed(const QString& _strHost, const QString& _strListen, const QStringList& _lstAllowedHosts);

}  // namespace tessel::files

#endif  // TESSEL_FILESERVICE_FILESERVER_H
