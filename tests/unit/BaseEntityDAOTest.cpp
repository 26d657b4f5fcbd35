#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "LogCapture.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkInterface>
#include <QProcess>
#include <QTemporaryDir>

#include <clocale>

#include <gtest/gtest.h>

TEST(SystemIdentity, HardwareAddressDigits)
{
    const unsigned char zeros[6] = {0, 0, 0, 0, 0, 0};
    const unsigned char ones[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(CLS_BaseEntityDAO::HardwareAddressDigits(zeros), QString("5029007013000020"));
    EXPECT_EQ(CLS_BaseEntityDAO::HardwareAddressDigits(ones), QString("401800600200f010"));
}

namespace {

const char* const kOtherMembers = R"("language":"EN","modules":[1,2,3])";

struct ClientIdCase
{
    const char* name;
    const char* fileContent;  // null: no file
    bool usesFileId;          // the id comes from "clientid" as it stands
    bool fileRewritten;       // the derived id is saved into the file
    bool refused;             // "clientid" is there but refused (level 3)
};

class ClientId : public ::testing::TestWithParam<ClientIdCase>
{
protected:
    QString path() const { return QCoreApplication::applicationDirPath() + "/StartConfiguration.json"; }
    void TearDown() override
    {
        QFile::remove(path());
        CLS_BaseEntityDAO::ResetSysIdForTest();
    }
};

// The id the system derives on this machine, or empty when no adapter qualifies.
QString derivedIdOfThisMachine()
{
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        if (iface.flags().testFlag(QNetworkInterface::IsLoopBack)) {
            continue;
        }
        const QStringList parts = iface.hardwareAddress().split(':');
        if (parts.size() != 6 || iface.hardwareAddress() == "00:00:00:00:00:00") {
            continue;
        }
        unsigned char address[6];
        for (int i = 0; i < 6; ++i) {
            address[i] = static_cast<unsigned char>(parts[i].toUInt(nullptr, 16));
        }
        return CLS_BaseEntityDAO::HardwareAddressDigits(address);
    }
    return QString();
}

}  // namespace

TEST_P(ClientId, SettlesTheSystemId)
{
    const ClientIdCase& c = GetParam();
    CLS_BaseEntityDAO::ResetSysIdForTest();
    QFile::remove(path());
    if (c.fileContent != nullptr) {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(c.fileContent).replace("OTHER", kOtherMembers));
    }
    const QString strDerived = derivedIdOfThisMachine();
    LogCapture log;
    const int iRet = CLS_BaseEntityDAO::InitSysId();
    QString strId;
    if (c.usesFileId) {
        ASSERT_EQ(iRet, 0);
        ASSERT_EQ(CLS_BaseEntityDAO::GetSysId(strId), 0);
        EXPECT_EQ(strId, QString("3f9A0c12d4e5b6a7890"));
    } else if (strDerived.isEmpty()) {
        EXPECT_EQ(iRet, -1);
        EXPECT_TRUE(log.has(4, "InitSysId. get_dev_id failed."));
        EXPECT_EQ(CLS_BaseEntityDAO::GetSysId(strId), -1);
    } else {
        ASSERT_EQ(iRet, 0);
        ASSERT_EQ(CLS_BaseEntityDAO::GetSysId(strId), 0);
        EXPECT_EQ(strId, strDerived);
        EXPECT_EQ(strId.size(), 16);
    }
    EXPECT_EQ(log.hasPart(3, "InitSysId. clientid"), c.refused) << log.dump().toStdString();

    QFile file(path());
    if (c.fileContent == nullptr) {
        EXPECT_FALSE(file.exists()) << "the start configuration must never be created";
        return;
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray after = file.readAll();
    if (c.fileRewritten && !strDerived.isEmpty()) {
        const QJsonObject obj = QJsonDocument::fromJson(after).object();
        EXPECT_EQ(obj.value("clientid").toString(), strDerived);
        EXPECT_EQ(obj.value("language").toString(), QString("EN")) << "other members must be kept";
        EXPECT_EQ(obj.value("modules").toArray().size(), 3);
    } else {
        EXPECT_EQ(after, QByteArray(c.fileContent).replace("OTHER", kOtherMembers));
    }
}

INSTANTIATE_TEST_SUITE_P(
    BaseEntityDAO, ClientId,
    ::testing::Values(ClientIdCase{"present", R"({"clientid":"3f9A0c12d4e5b6a7890",OTHER})", true, false, false},
                      ClientIdCase{"empty", R"({"clientid":"",OTHER})", false, true, false},
                      ClientIdCase{"missingMember", R"({OTHER})", false, true, false},
                      ClientIdCase{"unparsable", R"({"clientid":"x",)", false, false, false},
                      ClientIdCase{"noFile", nullptr, false, false, false},
                      // Ids that cannot name a table, or would add a statement to the one naming it.
                      ClientIdCase{"dash", R"({"clientid":"ab-cd",OTHER})", false, true, true},
                      ClientIdCase{"statement", R"({"clientid":"1 AS SELECT 1; DROP TABLE TAB_OBJ; --",OTHER})",
                                   false, true, true},
                      ClientIdCase{"quote", R"({"clientid":"ab\"cd",OTHER})", false, true, true}),
    [](const ::testing::TestParamInfo<ClientIdCase>& info) { return std::string(info.param.name); });

TEST(PasswordScrambling, RoundTripsAndKnownForm)
{
    // "abc": a^b^0x5C=95 -> "_~_"... each byte as three table digits.
    const QString strStored = CLS_BaseEntityDAO::EncodePassword("abc");
    EXPECT_EQ(strStored.size(), 9);
    // e0 = 'a'^'b'^92 = 97^98^92 = 95 -> "095"; e1 = 'b'^'c'^92 = 93 -> "093"; e2 = 'c'^0^92 = 63 -> "063"
    EXPECT_EQ(strStored, QString("#]_#]~#;~"));
    EXPECT_EQ(CLS_BaseEntityDAO::DecodePassword(strStored), QString("abc"));

    for (const QString& strPassword : {QString(""), QString("1"), QString("p@ss w0rd!"),
                                       QString::fromLatin1("\xe9\xff\x01x"), QString::fromLatin1("a\0b", 3), QString(QChar(0)),
                                       QString(1023, QChar('z'))}) {
        const QString strEncoded = CLS_BaseEntityDAO::EncodePassword(strPassword);
        EXPECT_EQ(strEncoded.size(), 3 * strPassword.size());
        EXPECT_EQ(CLS_BaseEntityDAO::DecodePassword(strEncoded), strPassword)
            << strPassword.left(20).toStdString();
    }
}

TEST(PasswordScrambling, RefusesWhatDoesNotFitTheBuffer)
{
    LogCapture log;
    EXPECT_TRUE(CLS_BaseEntityDAO::EncodePassword(QString(1024, QChar('z'))).isEmpty());
    EXPECT_TRUE(log.hasPart(3, "CLS_BaseEntityDAO::EncodePassword"));
    EXPECT_TRUE(CLS_BaseEntityDAO::DecodePassword(QString(3072, QChar('#'))).isEmpty());
    EXPECT_TRUE(CLS_BaseEntityDAO::DecodePassword("#]_#").isEmpty());
    EXPECT_TRUE(log.hasPart(3, "CLS_BaseEntityDAO::DecodePassword"));
    // Characters outside the table count as 0.
    EXPECT_EQ(CLS_BaseEntityDAO::DecodePassword("xxx"), QString(QChar(0x5C)));
}

TEST(NumberText, FloatToStringKeepsADecimalPointUnderACommaLocale)
{
    EXPECT_EQ(CLS_BaseEntityDAO::FloatToString(1.5), QString("1.500000"));
    EXPECT_EQ(CLS_BaseEntityDAO::IntToString(-42), QString("-42"));
    EXPECT_EQ(CLS_BaseEntityDAO::UIntToString(4294967295u), QString("4294967295"));
    EXPECT_EQ(CLS_BaseEntityDAO::TrimRight("ab  "), QString("ab"));
    EXPECT_EQ(CLS_BaseEntityDAO::TrimRight("  "), QString(""));

    // Build a German locale (decimal comma) into a temporary folder.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const int rc =
        QProcess::execute("localedef", {"-i", "de_DE", "-f", "UTF-8", dir.filePath("de_DE.UTF-8")});
    ASSERT_EQ(rc, 0) << "localedef failed (package locales)";
    qputenv("LOCPATH", dir.path().toUtf8());
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
    char probe[32];
    std::snprintf(probe, sizeof(probe), "%f", 1.5);
    EXPECT_STREQ(probe, "1,500000") << "the locale must really write a comma";
    EXPECT_EQ(CLS_BaseEntityDAO::FloatToString(1.5), QString("1.500000"));
    EXPECT_EQ(CLS_BaseEntityDAO::FloatToString(-0.25), QString("-0.250000"));
    std::setlocale(LC_NUMERIC, previous.c_str());
    qunsetenv("LOCPATH");
}
