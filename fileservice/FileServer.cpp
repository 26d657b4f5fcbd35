#include "FileServer.h"

#include "FileRequest.h"

#include <httplib.h>

#include <QCryptographicHash>
#include <QUrlQuery>

namespace tessel::files {

namespace {

FileReply badRequest(const QString& _strWhy)
{
    return FileReply{400, QStringLiteral("bad request: %1").arg(_strWhy).toUtf8()};
}

// Digests of equal length compared in constant time: the comparison tells nothing about the
// token's length or content.
bool tokenMatches(const QString& _strToken, const std::string& _strPresented)
{
    const QByteArray a = QCryptographicHash::hash(_strToken.toUtf8(), QCryptographicHash::Sha256);
    const QByteArray b = QCryptographicHash::hash(QByteArray::fromStdString(_strPresented).trimmed(),
                                                  QCryptographicHash::Sha256);
    unsigned char diff = 0;
    for (int i = 0; i < a.size(); ++i) {
        diff |= static_cast<unsigned char>(a.at(i) ^ b.at(i));
    }
    return diff == 0;
}

void setReply(httplib::Response& _response, const FileReply& _reply)
{
    _response.status = _reply.status;
    _response.set_content(_reply.body.toStdString(), _reply.status == 200 && _reply.body.startsWith('{')
                                                    ? "application/json"
                                                    : "text/plain; charset=utf-8");
}

}  // namespace

FileReply handleFileRequest(const FileStore& _store, const QString& _strRoute, const QByteArray& _baBody,
                            const QString& _strDir)
{
    QStringList lstValues;
    QString strError;
    if (_strRoute == QLatin1String("/mkdir")) {
        return _store.mkdir(_strDir);
    }
    if (_strRoute == QLatin1String("/upload")) {
        if (!parseFields(_baBody, {QStringLiteral("filename"), QStringLiteral("data")}, &lstValues, &strError)) {
            return badRequest(strError);
        }
        QByteArray baContent;
        if (!decodeUploadData(lstValues.at(1), &baContent, &strError)) {
            return badRequest(strError);
        }
        return _store.upload(lstValues.at(0), baContent);
    }
    if (_strRoute == QLatin1String("/rename")) {
        if (!parseFields(_baBody, {QStringLiteral("filename"), QStringLiteral("newname")}, &lstValues, &strError)) {
            return badRequest(strError);
        }
        return _store.rename(lstValues.at(0), lstValues.at(1));
    }
    if (_strRoute == QLatin1String("/download") || _strRoute == QLatin1String("/delete")) {
        if (!parseFields(_baBody, {QStringLiteral("filename")}, &lstValues, &strError)) {
            return badRequest(strError);
        }
        return _strRoute == QLatin1String("/download") ? _store.download(lstValues.at(0))
                                                       : _store.remove(lstValues.at(0));
    }
    return FileReply{404, QByteArrayLiteral("unknown route")};
}

FileServer::FileServer(const FileStore& _store, FileServerOptions _options)
    : m_store(_store), m_options(std::move(_options)), m_pServer(std::make_unique<httplib::Server>())
{
    m_pServer->set_payload_max_length(static_cast<size_t>(m_options.maxRequestBytes));
    m_pServer->set_pre_routing_handler([this](const httplib::Request& _request, httplib::Response& _response) {
        if (!m_options.token.isEmpty() && !tokenMatches(m_options.token, _request.get_header_value(kTokenHeader))) {
            setReply(_response, FileReply{401, QByteArrayLiteral("token refused")});
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
    // Failures found by the HTTP layer itself (size limit, malformed request) get a text too.
    m_pServer->set_error_handler(httplib::Server::HandlerWithResponse([this](const httplib::Request&,
                                                                             httplib::Response& _response) {
        if (!_response.body.empty()) {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        if (_response.status == 413) {
            setReply(_response, FileReply{413, QStringLiteral("request too large (limit %1 bytes)")
                                              .arg(m_options.maxRequestBytes)
                                              .toUtf8()});
        } else {
            setReply(_response, FileReply{_response.status, QStringLiteral("http error %1").arg(_response.status).toUtf8()});
        }
        return httplib::Server::HandlerResponse::Handled;
    }));
    m_pServer->set_exception_handler([](const httplib::Request&, httplib::Response& _response, std::exception_ptr) {
        setReply(_response, FileReply{500, QByteArrayLiteral("internal error")});
    });
    const auto handler = [this](const httplib::Request& _request, httplib::Response& _response) {
        QString strDir;
        const std::string::size_type iQuery = _request.target.find('?');
        if (iQuery != std::string::npos) {
            // QUrlQuery keeps '+' as it stands: the client encodes a blank as %20.
            const QUrlQuery query(QString::fromUtf8(_request.target.substr(iQuery + 1).c_str()));
            strDir = query.queryItemValue(QStringLiteral("dir"), QUrl::FullyDecoded);
        }
        setReply(_response, handleFileRequest(m_store, QString::fromStdString(_request.path),
                                         QByteArray::fromStdString(_request.body), strDir));
    };
    for (const char* pszRoute : {"/upload", "/download", "/delete", "/rename", "/mkdir"}) {
        m_pServer->Post(pszRoute, handler);
        m_pServer->Get(pszRoute, handler);
    }
}

FileServer::~FileServer() = default;

bool FileServer::bind(QString* _pError)
{
    if (!m_pServer->bind_to_port(m_options.listenAddress.toStdString(), m_options.port)) {
        *_pError = QStringLiteral("cannot listen on %1:%2").arg(m_options.listenAddress).arg(m_options.port);
        return false;
    }
    return true;
}

void FileServer::run()
{
    m_pServer->listen_after_bind();
}

void FileServer::stop()
{
    m_pServer->stop();
}

}  // namespace tessel::files
