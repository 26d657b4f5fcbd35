// Helpers shared by the server tests: a temporary data folder with test schemas and a
// dispatcher driven in-process.
#ifndef TESSEL_SERVER_TESTSUPPORT_H
#define TESSEL_SERVER_TESTSUPPORT_H

#include "database.h"
#include "dispatcher.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace tessel::server::test {

/// Schema of Tessel.db in the tests: one table and a seed row.
extern const char* const kTesselSchema;

void writeFile(const QString& path, const QByteArray& content);

/// Parses an answer frame "<id>\n<json>"; fails the test when the id differs or the body is not
/// a JSON object.
QJsonObject parseAnswer(const QByteArray& frame, qint64 expectedId);

/// "data"."ret" of a query answer as rows of {key: value}.
QJsonArray rowsOf(const QJsonObject& answer);
/// Value of column `key` in row `row` of a query answer (undefined when absent).
QJsonValue cell(const QJsonObject& answer, int row, const QString& key);

/// Data folder + schema folder in a temporary directory.
class TempFolders
{
public:
    TempFolders();
    QString dataDir() const { return m_dir.filePath(QStringLiteral("data")); }
    QString schemaDir() const { return m_dir.filePath(QStringLiteral("schema")); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString databasePath(const QString& dbName) const
    {
        return dataDir() + QLatin1Char('/') + dbName + ".db";
    }

private:
    QTemporaryDir m_dir;
};

/// A dispatcher over a temporary data folder, called in-process.
class DispatchTest : public ::testing::Test
{
protected:
    DispatchTest();

    /// Sends a request frame built from the arguments; returns the parsed answer.
    QJsonObject call(const QByteArray& command, const QJsonObject& request, qint64 id = 7);
    QJsonObject call(const QByteArray& command, const QJsonObject& request, ConnectionCache& connections,
                     const ClientInfo& client = ClientInfo());
    QByteArray callRaw(const QByteArray& frame, const ClientInfo& client = ClientInfo());

    QJsonObject execute(const QString& sql, const QString& db = QStringLiteral("Tessel"));
    QJsonObject query(const QString& sql, const QJsonObject& binds = {},
                      const QString& db = QStringLiteral("Tessel"));
    /// The single value of a one-row, one-column query, as the answer gives it.
    QJsonValue scalar(const QString& sql, const QString& db = QStringLiteral("Tessel"));

    TempFolders m_folders;
    std::unique_ptr<DatabaseSet> m_databases;
    std::unique_ptr<Dispatcher> m_dispatcher;
    std::unique_ptr<ConnectionCache> m_connections;
};

}  // namespace tessel::server::test

#endif
