// The console's tree models against a real server, checked by QAbstractItemModelTester: this
// station's changes made from the session's thread, another station's made at the same time
// from the test's thread (its own mediator and model), and nothing read from an item after the
// signal that named it returned.
#include "ConsoleSession.h"
#include "ConsoleTestSupport.h"
#include "IntegrationFixture.h"
#include "Panes.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>

#include <memory>

#include <gtest/gtest.h>

namespace {

using console::ItemTreeModel;
using console::TreeKind;
using ctest::rowsOf;
using ctest::waitUntil;

const auto* const g_env =
    ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment({"itconsole01", true, {}}));

// Failures QAbstractItemModelTester reports while a case runs.
class TesterFailures
{
public:
    TesterFailures() { s_pPrevious = qInstallMessageHandler(&TesterFailures::handle); }
    ~TesterFailures() { qInstallMessageHandler(s_pPrevious); }
    static QStringList& all()
    {
        static QStringList s_lst;
        return s_lst;
    }

private:
    static void handle(QtMsgType _type, const QMessageLogContext& _ctx, const QString& _strMsg)
    {
        if (_ctx.category != nullptr && QByteArray(_ctx.category) == "qt.modeltest" &&
            _type >= QtWarningMsg) {
            all() << _strMsg;
        }
        if (s_pPrevious != nullptr) {
            s_pPrevious(_type, _ctx, _strMsg);
        }
    }
    static inline QtMessageHandler s_pPrevious = nullptr;
};

QStringList sorted(QStringList _lst)
{
    _lst.sort();
    return _lst;
}

const QString kAdmin = IntegrationEnvironment::kAdminName;
const QString kPassword = IntegrationEnvironment::kAdminPassword;

class TreeModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TesterFailures::all().clear();
        ASSERT_TRUE(m_station.ready());
        m_pSession = std::make_unique<console::ConsoleSession>(m_station.get());
        m_pPane = std::make_unique<console::TreesPane>(*m_pSession);
        for (TreeKind kind : {TreeKind::Resource, TreeKind::Custom, TreeKind::PassengerFlow}) {
            m_vecTesters.push_back(std::make_unique<QAbstractItemModelTester>(
                m_pPane->model(kind), QAbstractItemModelTester::FailureReportingMode::Warning));
        }
        QSignalSpy loaded(m_pPane.get(), &console::TreesPane::loaded);
        m_pPane->load();
        ASSERT_TRUE(waitUntil([&] { return loaded.count() == 1; }));
        ASSERT_EQ(loaded.at(0).at(0).toInt(), 0);
    }
    void TearDown() override
    {
        EXPECT_TRUE(TesterFailures::all().isEmpty()) << TesterFailures::all().join('\n').toStdString();
        m_vecTesters.clear();
        m_pSession.reset();  // its thread stops before the pane and the models it feeds go
        m_pPane.reset();
    }

    /// Runs one of the pane's operations and waits for its result code.
    int run(const std::function<void()>& _fnOperation)
    {
        QSignalSpy finished(m_pPane.get(), &console::TreesPane::finished);
        _fnOperation();
        if (!waitUntil([&] { return finished.count() == 1; })) {
            return -1000;
        }
        return finished.at(0).at(1).toInt();
    }

    /// The station's tree as its mediator holds it, read on the session's thread.
    QStringList mediatorRows(TreeKind _kind)
    {
        QStringList lstRows;
        bool bDone = false;
        m_pSession->call(
            m_pPane.get(), [_kind](I_DataMediator& _m) { return console::snapshotTree(_m, _kind); },
            [&](const QVector<console::ItemSnapshot>& _vec) {
                lstRows = rowsOf(_vec);
                bDone = true;
            });
        EXPECT_TRUE(waitUntil([&] { return bDone; }));
        return lstRows;
    }

    /// Waits until the model shows what the mediator holds.
    /// (Siblings of equal order number may stand in either order, so the rows are compared sorted.)
    void expectInStep(TreeKind _kind)
    {
        const QStringList lstExpected = sorted(mediatorRows(_kind));
        const ItemTreeModel& model = *m_pPane->model(_kind);
        EXPECT_TRUE(waitUntil([&] { return sorted(rowsOf(model)) == lstExpected; }, 5000))
            << "model:\n"
            << rowsOf(model).join('\n').toStdString() << "\nmediator:\n"
            << lstExpected.join('\n').toStdString();
    }

    QString hostKey(const QString& _strCaption) const
    {
        const ItemTreeModel& model = *m_pPane->model(TreeKind::Resource);
        for (int i = 0; i < model.rowCount(); ++i) {
            if (model.index(i, 0).data().toString() == _strCaption) {
                return model.index(i, 0).data(ItemTreeModel::KeyRole).toString();
            }
        }
        return QString();
    }

    TesterFailures m_failures;
    ctest::Station m_station{kAdmin, kPassword};
    std::unique_ptr<console::ConsoleSession> m_pSession;
    std::unique_ptr<console::TreesPane> m_pPane;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> m_vecTesters;
};

// Hosts and groups added, renamed and deleted from the window appear, change and go as the
// signals say, and the model stays equal to the mediator's tree after each step.
TEST_F(TreeModelTest, FollowsTheStationsOwnChanges)
{
    ItemTreeModel& resource = *m_pPane->model(TreeKind::Resource);
    const int iHostsBefore = resource.rowCount();

    ASSERT_EQ(run([&] { m_pPane->addHost("Gate A", "10.20.0.1", 3); }), 0);
    ASSERT_TRUE(waitUntil([&] { return !hostKey("Gate A").isEmpty(); }));
    const QModelIndex host = resource.indexOfKey(hostKey("Gate A"));
    EXPECT_EQ(resource.rowCount(), iHostsBefore + 1);
    EXPECT_TRUE(waitUntil([&] { return resource.rowCount(host) == 3; }));
    EXPECT_EQ(host.data(ItemTreeModel::TypeRole).toUInt(), static_cast<quint32>(vitHost));
    expectInStep(TreeKind::Resource);

    ASSERT_EQ(run([&] { m_pPane->renameHost(hostKey("Gate A"), "Gate A (north)"); }), 0);
    EXPECT_TRUE(waitUntil([&] { return !hostKey("Gate A (north)").isEmpty(); }));
    expectInStep(TreeKind::Resource);

    ItemTreeModel& custom = *m_pPane->model(TreeKind::Custom);
    ASSERT_EQ(run([&] { m_pPane->addGroup(QString(), "Lobby"); }), 0);
    QString strLobby;
    ASSERT_TRUE(waitUntil([&] {
        for (int i = 0; i < custom.rowCount(); ++i) {
            if (custom.index(i, 0).data().toString() == "Lobby") {
                strLobby = custom.index(i, 0).data(ItemTreeModel::KeyRole).toString();
            }
        }
        return !strLobby.isEmpty();
    }));
    ASSERT_EQ(run([&] { m_pPane->addGroup(strLobby, "Lifts"); }), 0);
    EXPECT_TRUE(waitUntil([&] { return custom.rowCount(custom.indexOfKey(strLobby)) == 1; }));
    ASSERT_EQ(run([&] { m_pPane->renameNode(strLobby, "Main lobby"); }), 0);
    EXPECT_TRUE(waitUntil([&] { return custom.indexOfKey(strLobby).data().toString() == "Main lobby"; }));
    expectInStep(TreeKind::Custom);
    ASSERT_EQ(run([&] { m_pPane->deleteNode(strLobby); }), 0);
    EXPECT_TRUE(waitUntil([&] { return !custom.indexOfKey(strLobby).isValid(); }));
    expectInStep(TreeKind::Custom);

    const QString strHost = hostKey("Gate A (north)");
    ASSERT_EQ(run([&] { m_pPane->deleteHost(strHost); }), 0);
    EXPECT_TRUE(waitUntil([&] { return !resource.indexOfKey(strHost).isValid(); }));
    EXPECT_EQ(resource.rowCount(), iHostsBefore);
    expectInStep(TreeKind::Resource);
}

// Failures reach the window as codes and leave the model as it was.
TEST_F(TreeModelTest, FailedOperationsReportTheirCodeAndChangeNothing)
{
    const QStringList lstBefore = rowsOf(*m_pPane->model(TreeKind::Resource));
    EXPECT_LT(run([&] { m_pPane->renameHost("no-such-host", "x"); }), 0);
    EXPECT_LT(run([&] { m_pPane->addGroup("no-such-node", "x"); }), 0);
    EXPECT_EQ(rowsOf(*m_pPane->model(TreeKind::Resource)), lstBefore);

    // With the server stopped every write fails with its code, and nothing is shown as done.
    ServerProcess& server = IntegrationEnvironment::instance().server();
    ASSERT_TRUE(server.stop());
    const int iAdd = run([&] { m_pPane->addHost("Offline", "10.20.0.9", 1); });
    const int iGroup = run([&] { m_pPane->addGroup(QString(), "Offline group"); });
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(itest::waitFor([] { return itest::scalar("Tessel", "SELECT 1") == 1; }, 20000));
    EXPECT_LT(iAdd, 0);
    EXPECT_LT(iGroup, 0);
    EXPECT_TRUE(hostKey("Offline").isEmpty());
    EXPECT_EQ(rowsOf(*m_pPane->model(TreeKind::Resource)), lstBefore);
    expectInStep(TreeKind::Custom);
}

// Two stations at once: this one changes its tree from the session's thread while another
// (a mediator of its own, driven from the test's thread with a model of its own) adds and
// deletes hosts. Each model follows its own mediator's signals and ends equal to its tree;
// the other station's changes never show in this station's model, since no signal names them.
TEST_F(TreeModelTest, TwoStationsChangingAtOnceEachFollowItsOwnSignals)
{
    ctest::Station other(kAdmin, kPassword);
    ASSERT_TRUE(other.ready());
    ItemTreeModel otherModel(TreeKind::Resource);
    QAbstractItemModelTester otherTester(&otherModel,
                                         QAbstractItemModelTester::FailureReportingMode::Warning);
    console::ConsoleSession otherSession(other.get());
    otherSession.attachModels(&otherModel, nullptr, nullptr);
    otherModel.resetTo(console::snapshotTree(*other, TreeKind::Resource));

    ItemTreeModel& resource = *m_pPane->model(TreeKind::Resource);
    QSignalSpy finished(m_pPane.get(), &console::TreesPane::finished);
    constexpr int kRounds = 6;
    for (int i = 0; i < kRounds; ++i) {
        m_pPane->addHost(QStringLiteral("Mine %1").arg(i), QStringLiteral("10.30.0.%1").arg(i + 1), 2);
    }
    QStringList lstTheirs;
    for (int i = 0; i < kRounds; ++i) {
        // The other station's work, on this thread, interleaved with the session's.
        STRCT_VideoHost host;
        host.m_strID = QUuid::createUuid().toString(QUuid::Id128).toStdString();
        host.m_strNodeID = host.m_strID;
        host.m_strCaption = QStringLiteral("Theirs %1").arg(i).toStdString();
        host.m_strIP = QStringLiteral("10.40.0.%1").arg(i + 1).toStdString();
        host.m_iHostDevType = 1;
        host.m_iDevType = 1;
        ASSERT_EQ(other->InsertHost(&host), 0);
        lstTheirs << QString::fromStdString(host.m_strID);
        QCoreApplication::processEvents();
    }
    for (int i = 0; i < kRounds; i += 2) {
        ASSERT_EQ(other->DeleteHost(lstTheirs.at(i)), 0);
    }
    ASSERT_TRUE(waitUntil([&] { return finished.count() == kRounds; }, 30000));
    for (const QList<QVariant>& result : finished) {
        EXPECT_EQ(result.at(1).toInt(), 0) << result.at(0).toString().toStdString();
    }
    // This station deletes two of its own while the other's deletions are still being released.
    ASSERT_EQ(run([&] { m_pPane->deleteHost(hostKey("Mine 0")); }), 0);
    ASSERT_EQ(run([&] { m_pPane->deleteHost(hostKey("Mine 3")); }), 0);

    expectInStep(TreeKind::Resource);
    for (int i = 0; i < kRounds; ++i) {
        EXPECT_EQ(hostKey(QStringLiteral("Mine %1").arg(i)).isEmpty(), i == 0 || i == 3) << i;
        EXPECT_FALSE(resource.indexOfKey(lstTheirs.at(i)).isValid()) << "no signal of this station named it";
    }
    const QStringList lstOtherExpected = sorted(rowsOf(console::snapshotTree(*other, TreeKind::Resource)));
    EXPECT_TRUE(waitUntil([&] { return sorted(rowsOf(otherModel)) == lstOtherExpected; }))
        << rowsOf(otherModel).join('\n').toStdString();
    for (int i = 0; i < kRounds; ++i) {
        EXPECT_EQ(otherModel.indexOfKey(lstTheirs.at(i)).isValid(), i % 2 == 1) << i;
    }
    // Past the deferred deletion's delay: the models still answer from their own copies.
    QTest::qWait(700);
    EXPECT_EQ(sorted(rowsOf(otherModel)), lstOtherExpected);
}

// The model on its own: a reorder of custom-tree siblings moves rows under the tester, and
// a change naming a node under an unknown parent is left out.
TEST(ItemTreeModelTest, ReordersSiblingsAndSkipsOrphans)
{
    TesterFailures capture;
    TesterFailures::all().clear();
    ItemTreeModel model(TreeKind::Custom);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    auto node = [](const char* _pszKey, const char* _pszParent, int _iSort) {
        console::ItemSnapshot snap;
        snap.strKey = snap.strObjectID = _pszKey;
        snap.strParentKey = _pszParent;
        snap.strCaption = QString(_pszKey).toUpper();
        snap.uiType = vitGroup;
        snap.iSortNum = _iSort;
        return snap;
    };
    model.resetTo({node("g", "custom_root_id", 0), node("a", "g", 1), node("b", "g", 2), node("c", "g", 3)});
    const QPersistentModelIndex pinnedA = model.indexOfKey("a");

    model.apply({TreeKind::Custom, otSort, {node("a", "g", 9)}});
    EXPECT_EQ(rowsOf(model), QStringList({"/g G", "g/b B", "g/c C", "g/a A"}));
    EXPECT_EQ(pinnedA.row(), 2) << "persistent indexes follow the move";

    model.apply({TreeKind::Custom, otInsert, {node("x", "missing", 0), node("d", "g", 5)}});
    EXPECT_EQ(rowsOf(model), QStringList({"/g G", "g/b B", "g/c C", "g/d D", "g/a A"}));
    model.apply({TreeKind::Resource, otDelete, {node("g", "custom_root_id", 0)}});  // another tree's change
    EXPECT_EQ(model.itemCount(), 5);
    model.apply({TreeKind::Custom, otDelete, {node("g", "custom_root_id", 0), node("b", "g", 2)}});
    EXPECT_EQ(model.itemCount(), 0);
    EXPECT_FALSE(pinnedA.isValid());
    EXPECT_TRUE(TesterFailures::all().isEmpty()) << TesterFailures::all().join('\n').toStdString();
}

}  // namespace
