// Fuzz target: the server's request parsing and dispatch, in-process.
//
// Dispatcher::handleFrame takes a request frame and returns the answer frame; it is what a
// worker runs for every request. The input is used as:
//   byte 0 >= 0x20: the whole input is the frame ("<id> <command>\n<json>");
//   byte 0 <  0x20: a valid header for the request kind kRequests[byte 0 % kRequestKinds] (a
//                   command, with a loopback or remote peer, "\n" or "\r\n") followed by the
//                   rest of the input as the JSON body.
// Checks (abort on violation): the answer starts with the request id ("0" when the header is
// unreadable); the answer text as a client receives it (the server sends it as a WebSocket text
// frame, that is QString::fromUtf8) is a JSON object with "result" "OK" (and "data"."ret") or
// "ERROR" (with "reason" and a documented "code"); the header reads the same from bytes and from
// text; utf8Length() agrees with QString::toUtf8(). Crashes, sanitizer reports, leaks and hangs
// are libFuzzer's.
//
// Containment, all set up once per process:
// - the data, schema and backup folders live in a QTemporaryDir (BackupDatabase and
//   RestoreDatabase may only use the backup folder); the databases are recreated when they grow
//   past kMaxDataBytes (checked every kSizeCheckEvery runs);
// - SQLite may open and delete files only inside that folder: the harness's VFS becomes the only
//   registered one (ATTACH and VACUUM INTO elsewhere fail with SQLITE_CANTOPEN);
// - SQLite's heap is capped (sqlite3_hard_heap_limit64) and answers are capped at 1 MiB
//   (Dispatcher::setMaxAnswerBytes), so one request cannot eat the machine;
// - the server has no time limit on a statement by design; the harness gives every connection
//   a progress handler (sqlite3_progress_handler, which SQLite calls only while a statement
//   executes) that ends SQL still running kStatementSeconds after the request started, so that
//   an endless recursive query is not reported as a hang. Anything else that takes long is one:
//   libFuzzer's -timeout reports it. After each input the harness acquires the four databases
//   (DatabaseSet::acquire, as a request does) so that a connection the server opened or reopened
//   gets the handler before the next input.
//
// Fixed findings guarded here (docs/reliability.md; inputs in fuzz/corpus/fuzz_server_dispatch/
// regressions/): F-4, SQL text holding a NUL character made the server loop (now "bad-request";
// a loop again would be a libFuzzer timeout); F-5, Qt's JSON parser leaks when an object repeats
// a member name (such bodies are now refused with "bad-json" before Qt parses them; a leak again
// would be reported by LeakSanitizer); F-6, fts3_tokenizer() made SQLite call through a pointer
// the client chose (now denied by the authorizer; a call again would be an AddressSanitizer
// report).
// F-4 through PartitionExecute and PartitionExecuteEx is mended too:
// regressions/F-4-nul-in-partition-execute replays it.
#include "database.h"
#include "dispatcher.h"
#include "frame.h"
#include "FuzzSupport.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

#include <sqlite3.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace tessel::server;

namespace {

constexpr qint64 kMaxDataBytes = 8 << 20;
constexpr quint64 kSizeCheckEvery = 256;
constexpr qsizetype kMaxAnswerBytes = 1 << 20;
constexpr sqlite3_int64 kSqliteHeapLimit = 64 << 20;
constexpr int kStatementSeconds = 3;
constexpr int kProgressOps = 1000;

struct RequestKind
{
    const char* command;
    bool loopback;
    bool crlf;
};

const RequestKind kRequests[] = {
    {"Execute", true, false},
    {"ExecuteEx", true, false},
    {"ExecuteQuery", true, false},
    {"ExecuteQueryEx", true, false},
    {"ExecuteTransaction", true, false},
    {"ExecuteTransactionEx", true, false},
    {"Broadcast", true, false},
    {"PartitionExecute", true, false},
    {"PartitionExecuteEx", true, false},
    {"PartitionExecuteQuery", true, false},
    {"PartitionExecuteQueryEx", true, false},
    {"PartitionExecuteTransaction", true, false},
    {"PartitionExecuteTransactionEx", true, false},
    {"PartitionGetTables", true, false},
    {"DownLoadDB", true, false},
    {"UploadDB", true, false},
    {"BackupDatabase", true, false},
    {"RestoreDatabase", true, false},
    {"GetAllNetworkInfo", true, false},
    {"GetSystemStatusByName", true, false},
    {"NoSuchCommand", true, false},
    {"Broadcast", false, false},
    {"ExecuteQueryEx", true, true},
};
constexpr int kRequestKinds = int(sizeof(kRequests) / sizeof(kRequests[0]));

const char* const kErrorCodes[] = {"bad-frame",   "bad-json",     "unknown-command",
                                   "bad-request", "bad-database", "sql",
                                   "too-large",   "busy",         "internal"};

[[noreturn]] void fail(const char* what, const QByteArray& frame, const QByteArray& answer)
{
    std::fprintf(stderr, "fuzz_server_dispatch: %s\n  frame:  %.300s\n  answer: %.600s\n", what,
                 frame.constData(), answer.constData());
    std::abort();
}

#define CHECK(cond, frame, answer)                           \
    do {                                                     \
        if (!(cond)) {                                       \
            fail("check failed: " #cond, (frame), (answer)); \
        }                                                    \
    } while (0)

// ---- SQLite file sandbox ----

sqlite3_vfs* g_baseVfs = nullptr;
sqlite3_vfs g_sandboxVfs;
std::vector<QByteArray> g_allowedRoots;  // "<temporary folder>/" as given and canonical

bool allowedPath(const char* path)
{
    if (path == nullptr) {
        return true;  // a temporary file SQLite names itself
    }
    const QByteArray p(path);
    if (p.contains("/../") || p.endsWith("/..") || p.contains("/./")) {
        return false;
    }
    for (const QByteArray& root : g_allowedRoots) {
        if (p.startsWith(root)) {
            return true;
        }
    }
    return false;
}

int sandboxOpen(sqlite3_vfs* /*vfs*/, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    if (!allowedPath(name)) {
        file->pMethods = nullptr;
        return SQLITE_CANTOPEN;
    }
    return g_baseVfs->xOpen(g_baseVfs, name, file, flags, outFlags);
}

int sandboxDelete(sqlite3_vfs* /*vfs*/, const char* name, int syncDir)
{
    if (!allowedPath(name)) {
        return SQLITE_IOERR_DELETE;
    }
    return g_baseVfs->xDelete(g_baseVfs, name, syncDir);
}

void installSandbox(const QString& root)
{
    g_allowedRoots.push_back(QFile::encodeName(QDir(root).absolutePath()) + '/');
    g_allowedRoots.push_back(QFile::encodeName(QFileInfo(root).canonicalFilePath()) + '/');
    sqlite3_config(SQLITE_CONFIG_URI, 0);
    sqlite3_initialize();
    sqlite3_hard_heap_limit64(kSqliteHeapLimit);
    g_baseVfs = sqlite3_vfs_find(nullptr);
    if (g_baseVfs == nullptr) {
        std::fprintf(stderr, "fuzz_server_dispatch: SQLite has no default VFS\n");
        std::abort();
    }
    g_sandboxVfs = *g_baseVfs;
    g_sandboxVfs.zName = "tessel-fuzz-sandbox";
    g_sandboxVfs.pNext = nullptr;
    g_sandboxVfs.xOpen = sandboxOpen;
    g_sandboxVfs.xDelete = sandboxDelete;
    // Every other VFS goes away, so a URI cannot pick one that is not fenced ("?vfs=unix").
    std::vector<sqlite3_vfs*> others;
    for (sqlite3_vfs* v = sqlite3_vfs_find(nullptr); v != nullptr; v = v->pNext) {
        others.push_back(v);
    }
    sqlite3_vfs_register(&g_sandboxVfs, 1);
    for (sqlite3_vfs* v : others) {
        sqlite3_vfs_unregister(v);
    }
    if (sqlite3_vfs_find(nullptr) != &g_sandboxVfs) {
        std::fprintf(stderr, "fuzz_server_dispatch: the sandbox VFS is not the default\n");
        std::abort();
    }
}

// ---- the server objects ----

struct State
{
    QTemporaryDir root{QDir::tempPath() + QStringLiteral("/tessel-fuzz-dispatch-XXXXXX")};
    QString schemaDir;
    QString dataDir;
    QString backupDir;
    std::unique_ptr<DatabaseSet> databases;
    std::unique_ptr<Dispatcher> dispatcher;
    std::unique_ptr<ConnectionCache> connections;
    quint64 runs = 0;
    quint64 resets = 0;
    quint64 broadcasts = 0;
    quint64 strictUtf8Failures = 0;  // answers that are not valid UTF-8 before the text conversion
    std::chrono::steady_clock::time_point deadline;  // for the SQL of the running request
    std::array<sqlite3*, kDatabaseCount> armed{};    // connections that have the progress handler
    bool printAnswers = false;  // TESSEL_FUZZ_PRINT=1: each frame and answer on stderr (seed checks)
};

State* g_state = nullptr;

void discardMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(message));
    }
}

void copyFolder(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(path);
        if (it.fileInfo().isDir()) {
            QDir().mkpath(target);
        } else {
            QFile::copy(path, target);
        }
    }
}

qint64 folderBytes(const QString& folder)
{
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

int progressHandler(void* state)
{
    return std::chrono::steady_clock::now() > static_cast<State*>(state)->deadline ? 1 : 0;
}

/// Opens (or reopens, after a replacement) the four databases as a request does, and gives every
/// connection the progress handler that ends SQL past the deadline.
void armConnections(State& s)
{
    for (int i = 0; i < kDatabaseCount; ++i) {
        try {
            const Lease lease = s.databases->acquire(i, *s.connections);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "fuzz_server_dispatch: database %d cannot be opened: %s\n", i, e.what());
        }
        Connection& c = s.connections->connection(i);
        if (c.isOpen() && s.armed[size_t(i)] != c.handle()) {
            sqlite3_progress_handler(c.handle(), kProgressOps, progressHandler, &s);
            s.armed[size_t(i)] = c.handle();
        }
    }
}

void createServer(State& s)
{
    QDir(s.dataDir).removeRecursively();
    QDir(s.backupDir).removeRecursively();
    QDir().mkpath(s.dataDir);
    QDir().mkpath(s.backupDir);
    s.databases = std::make_unique<DatabaseSet>(s.dataDir, s.schemaDir);
    s.dispatcher = std::make_unique<Dispatcher>(*s.databases);
    s.dispatcher->setMaxAnswerBytes(kMaxAnswerBytes);
    s.dispatcher->setBroadcaster([&s](const QString&) { ++s.broadcasts; });
    s.dispatcher->setBackupRoots({s.backupDir});
    s.connections = std::make_unique<ConnectionCache>(*s.databases);
    s.armed.fill(nullptr);
    armConnections(s);
}

void destroyServer(State& s)
{
    s.connections.reset();
    s.dispatcher.reset();
    s.databases.reset();
}

/// Recreates the databases. Every other time the server objects stay and only the files are
/// deleted: the server must notice and create them again from the schema.
void resetData(State& s)
{
    ++s.resets;
    if (s.resets % 2 == 0) {
        destroyServer(s);
        createServer(s);
        return;
    }
    QDir data(s.dataDir);
    const QStringList files = data.entryList(QDir::Files | QDir::Hidden);
    for (const QString& f : files) {
        data.remove(f);
    }
    QDir(s.backupDir).removeRecursively();
    QDir().mkpath(s.backupDir);
    armConnections(s);
}

void atExit()
{
    State& s = *g_state;
    std::fprintf(
        stderr,
        "fuzz_server_dispatch: %llu runs, %llu data resets, %llu broadcasts, %llu answers not valid UTF-8 "
        "before the text conversion\n",
        s.runs, s.resets, s.broadcasts, s.strictUtf8Failures);
    destroyServer(s);
    s.root.remove();
}

bool isValidUtf8(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

/// The answer as a client reads it: checked against the documented answer format.
void checkAnswer(const QByteArray& frame, const QByteArray& answer, const ClientInfo& client)
{
    const FrameHeader header = parseFrameHeader(frame);
    const QByteArray prefix = QByteArray::number(header.id) + '\n';
    CHECK(answer.startsWith(prefix), frame, answer);

    const QByteArray wire = QString::fromUtf8(answer).toUtf8();  // what the text frame carries
    if (wire != answer) {
        ++g_state->strictUtf8Failures;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(wire.mid(wire.indexOf('\n') + 1), &error);
    CHECK(error.error == QJsonParseError::NoError, frame, answer);
    CHECK(doc.isObject(), frame, answer);
    const QJsonObject obj = doc.object();
    const QJsonValue result = obj.value(QLatin1String("result"));
    CHECK(result.isString(), frame, answer);
    if (result.toString() == QLatin1String("OK")) {
        CHECK(header.ok(), frame, answer);
        CHECK(obj.value(QLatin1String("data")).isObject(), frame, answer);
        const QJsonObject data = obj.value(QLatin1String("data")).toObject();
        if (header.command == "BackupDatabase") {
            CHECK(data.value(QLatin1String("backupResult")).isArray(), frame, answer);
        } else if (header.command == "RestoreDatabase") {
            CHECK(data.value(QLatin1String("restoreResult")).isArray(), frame, answer);
        } else {
            CHECK(data.contains(QLatin1String("ret")), frame, answer);
        }
        if (header.command == "Broadcast") {
            CHECK(client.loopback, frame, answer);
        }
        return;
    }
    CHECK(result.toString() == QLatin1String("ERROR"), frame, answer);
    CHECK(obj.value(QLatin1String("reason")).isString(), frame, answer);
    const QJsonValue codeValue = obj.value(QLatin1String("code"));
    CHECK(codeValue.isString(), frame, answer);
    bool known = false;
    for (const char* c : kErrorCodes) {
        known = known || codeValue.toString() == QLatin1String(c);
    }
    CHECK(known, frame, answer);
    if (!header.ok()) {
        CHECK(codeValue.toString() == QLatin1String("bad-frame"), frame, answer);
    }
    if (obj.contains(QLatin1String("sqliteCode"))) {
        CHECK(obj.value(QLatin1String("sqliteCode")).isDouble(), frame, answer);
    }
    if (obj.contains(QLatin1String("failedStatement"))) {
        CHECK(obj.value(QLatin1String("failedStatement")).toDouble(-1) >= 0, frame, answer);
    }
}

/// The header reads the same from the bytes and from the text of a valid UTF-8 frame.
void checkHeaderForms(const QByteArray& frame)
{
    const QString text = QString::fromUtf8(frame);
    CHECK(utf8Length(text) == text.toUtf8().size(), frame, QByteArray());
    if (!isValidUtf8(frame)) {
        return;
    }
    const FrameHeader fromBytes = parseFrameHeader(frame);
    const FrameHeader fromText = parseFrameHeader(QStringView(text));
    CHECK(fromBytes.id == fromText.id, frame, QByteArray());
    CHECK(fromBytes.command == fromText.command, frame, QByteArray());
    CHECK(fromBytes.error == fromText.error, frame, QByteArray());
    CHECK(fromBytes.bodyOffset == utf8Length(QStringView(text).left(fromText.bodyOffset)), frame,
          QByteArray());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    qInstallMessageHandler(discardMessages);
    g_state = new State();  // lives as long as the process; atExit closes the databases
    State& s = *g_state;
    if (!s.root.isValid()) {
        std::fprintf(stderr, "fuzz_server_dispatch: cannot create a temporary folder: %s\n",
                     qUtf8Printable(s.root.errorString()));
        std::abort();
    }
    s.schemaDir = s.root.filePath(QStringLiteral("schema"));
    s.dataDir = s.root.filePath(QStringLiteral("data"));
    s.backupDir = s.root.filePath(QStringLiteral("backups"));
    copyFolder(QStringLiteral(TESSEL_FUZZ_SCHEMA_DIR), s.schemaDir);
    installSandbox(s.root.path());
    createServer(s);
    const char* print = std::getenv("TESSEL_FUZZ_PRINT");
    s.printAnswers = print != nullptr && std::strcmp(print, "1") == 0;
    std::atexit(atExit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    State& s = *g_state;
    ClientInfo client;
    client.connectionId = 1;
    QByteArray frame;
    if (size > 0 && data[0] < 0x20) {
        const RequestKind& kind = kRequests[data[0] % kRequestKinds];
        client.loopback = kind.loopback;
        frame = QByteArray("7 ") + kind.command + (kind.crlf ? "\r\n" : "\n");
        frame.append(reinterpret_cast<const char*>(data) + 1, int(size - 1));
    } else {
        frame = QByteArray(reinterpret_cast<const char*>(data), int(size));
    }

    checkHeaderForms(frame);
    s.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kStatementSeconds);
    const QByteArray answer = s.dispatcher->handleFrame(frame, client, *s.connections);
    armConnections(s);

    if (s.printAnswers) {
        std::fprintf(stderr, "frame:  %.400s\nanswer: %.400s\n\n", frame.constData(), answer.constData());
    }
    checkAnswer(frame, answer, client);

    if (++s.runs % kSizeCheckEvery == 0 &&
        folderBytes(s.dataDir) + folderBytes(s.backupDir) > kMaxDataBytes) {
        resetData(s);
    }
    return 0;
}
