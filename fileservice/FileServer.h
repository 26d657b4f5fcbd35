// The HTTP side of the file service: routes, access token, request size limit.
#ifndef TESSEL_FILESERVICE_FILESERVER_H
#define TESSEL_FILESERVICE_FILESERVER_H

#include "FileStore.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace httplib {
class Server;
}

namespace tessel::files {

/// Header that carries the access token (the same as on the database server's channels).
inline constexpr const char kTokenHeader[] = "X-Tessel-Token";

/// Answers one request of the routes "/upload", "/download", "/delete", "/rename", "/mkdir":
/// _baBody is the parameter text, _strDir the "dir" query item of "/mkdir".
FileReply handleFileRequest(const FileStore& _store, const QString& _strRoute, const QByteArray& _baBody,
                            const QString& _strDir);

struct FileServerOptions
{
    QString listenAddress = QStringLiteral("127.0.0.1");
    int port = 9600;
    QString token;  ///< empty: no token asked for (loopback addresses only)
    qint64 maxRequestBytes = 256LL * 1024 * 1024;
};

class FileServer
{
public:
    FileServer(const FileStore& _store, FileServerOptions _options);
    ~FileServer();

    /// Binds the address; false with the reason when it cannot.
    bool bind(QString* _pError);
    /// Serves until stop(); returns when stopped.
    void run();
    /// Thread-safe; also safe from a signal-watching thread.
    void stop();

private:
    const FileStore& m_store;
    FileServerOptions m_options;
    std::unique_ptr<httplib::Server> m_pServer;
};

}  // namespace tessel::files

#endif  // TESSEL_FILESERVICE_FILESERVER_H
