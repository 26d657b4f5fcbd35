#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

namespace tessel::server::test {

const char* const kTesselSchema =
    "-- test schema\n"
    "CREATE TABLE TAB_ITEM (S_ID INTEGER PRIMARY KEY, S_NAME TEXT NOT NULL, I_COUNT INTEGER, F_SCORE REAL,\n"
    "                       B_DATA BLOB);\n"
    "INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (1, 'seed');\n";

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    ASSERT_EQ(f.write(content), content.size());
}

QJsonObject parseAnswer(const QByteArray& frame, qint64 expectedId)
{
    const int newline = frame.indexOf('\n');
    EXPECT_GT(newline, 0) << frame.left(200).constData();
    EXPECT_EQ(frame.left(newline), QByteArray::number(expectedId)) << frame.left(200).constData();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(frame.mid(newline + 1), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError)
        << qPrintable(error.errorString()) << ": " << frame.left(300).constData();
    EXPECT_TRUE(doc.isObject()) << frame.left(300).constData();
    return doc.object();
}

QJsonArray rowsOf(const QJsonObject& answer)
{
    return answer.value("data").toObject().value("ret").toArray();
}

QJsonValue cell(const QJsonObject& answer, int row, const QString& key)
{
    const QJsonArray record = rowsOf(answer).at(row).toObject().value("record").toArray();
    for (const QJsonValue& column : record) {
        if (column.toObject().value("key").toString() == key) {
            return column.toObject().value("value");
        }
    }
    return QJsonValue(QJsonValue::Undefined);
}

TempFolders::TempFolders()
{
    EXPECT_TRUE(m_dir.isValid());
    writeFile(schemaDir() + "/Tessel.sql", kTesselSchema);
    writeFile(schemaDir() + "/Tessel-record.sql",
              "CREATE TABLE T_RECORD (ID INTEGER PRIMARY KEY, V TEXT);\n");
    writeFile(schemaDir() + "/Tessel-intelligent.sql", "-- empty\n");
    writeFile(schemaDir() + "/Tessel-passengerFlow.sql", "-- empty\n");
    QDir().mkpath(dataDir());
}

DispatchTest::DispatchTest()
    : m_databases(std::make_unique<DatabaseSet>(m_folders.dataDir(), m_folders.schemaDir())),
      m_dispatcher(std::make_unique<Dispatcher>(*m_databases)),
      m_connections(std::make_unique<ConnectionCache>(*m_databases))
{
}

QByteArray DispatchTest::callRaw(const QByteArray& frame, const ClientInfo& client)
{
    return m_dispatcher->handleFrame(frame, client, *m_connections);
}

QJsonObject DispatchTest::call(const QByteArray& command, const QJsonObject& request, qint64 id)
{
    const QByteArray frame =
        QByteArray::number(id) + ' ' + command + '\n' + QJsonDocument(request).toJson(QJsonDocument::Compact);
    return parseAnswer(callRaw(frame), id);
}

QJsonObject DispatchTest::call(const QByteArray& command, const QJsonObject& request,
                               ConnectionCache& connections, const ClientInfo& client)
{
    const QByteArray frame = "3 " + command + '\n' + QJsonDocument(request).toJson(QJsonDocument::Compact);
    return parseAnswer(m_dispatcher->handleFrame(frame, client, connections), 3);
}

QJsonObject DispatchTest::execute(const QString& sql, const QString& db)
{
    return call("Execute", {{"DbName", db}, {"sqlexec", sql}});
}

QJsonObject DispatchTest::query(const QString& sql, const QJsonObject& binds, const QString& db)
{
    return call("ExecuteQueryEx", {{"DbName", db}, {"sqlexec", sql}, {"bindValue", binds}});
}

QJsonValue DispatchTest::scalar(const QString& sql, const QString& db)
{
    const QJsonObject answer = query(sql, {}, db);
    EXPECT_EQ(answer.value("result").toString(), "OK") << qPrintable(answer.value("reason").toString());
    const QJsonArray rows = rowsOf(answer);
    EXPECT_EQ(rows.size(), 1);
    const QJsonArray record = rows.at(0).toObject().value("record").toArray();
    EXPECT_EQ(record.size(), 1);
    return record.at(0).toObject().value("value");
}

}  // namespace tessel::server::test
