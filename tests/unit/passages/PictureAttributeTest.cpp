// The picture attribute readers of the four kinds over pictures made here: a JSON description in
// the image text "attribute" fills the record (only the keys present), while a picture without
// that text, with text that is not a JSON object, or a file that is not an image is refused with
// its log line and leaves the record as it was.
#include "CLS_DataMediator.h"
#include "DataBase/EntityDao/InAndOut/CLS_PictureAttribute.h"
#include "LogCapture.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A small PNG with the given "attribute" text (none when null); the path.
QString makePicture(const QTemporaryDir& _dir, const char* _pszName, const char* _pszAttribute)
{
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    if (_pszAttribute != nullptr) {
        image.setText("attribute", QString::fromUtf8(_pszAttribute));
    }
    const QString strPath = _dir.filePath(_pszName);
    EXPECT_TRUE(image.save(strPath, "PNG"));
    return strPath;
}

TEST(PictureAttribute, ValidDescriptionsFillTheirRecords)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CLS_DataMediator mediator;

    CLS_BehaviorAnalysisEntity behaviour;
    behaviour.S_EXTRA = "kept";
    ASSERT_TRUE(mediator.ParseBehaviorPictAttribute(
        makePicture(dir, "b.png",
                    R"({"DevId":"d1","ChannelId":"c1","ChannelName":"Hall","Type":7,"SnapPath":"/s/1.jpg",)"
                    R"("FileSize":5000000000,"SnapTimeStamp":"2024-01-02 03:04:05","Seq":2,"Other":1})"),
        behaviour));
    EXPECT_EQ(behaviour.S_DEV_ID, "d1");
    EXPECT_EQ(behaviour.S_CHANNEL_NAME, "Hall");
    EXPECT_EQ(behaviour.I_TYPE, 7);
    EXPECT_EQ(behaviour.I_FILE_SIZE, 5000000000LL);
    EXPECT_EQ(behaviour.DT_SNAP_TIMESTAMP, "2024-01-02 03:04:05");
    EXPECT_EQ(behaviour.I_SEQ, 2);
    EXPECT_EQ(behaviour.S_EXTRA, "kept");

    // Keys are taken exactly as written: "Terminalname" for cars, "TerminalName" for pads.
    CLS_CarDataRecvEntity car;
    car.S_TerminalName = "before";
    ASSERT_TRUE(mediator.ParseCarPictureAttribute(
        makePicture(
            dir, "c.png",
            R"({"Vlp":"粤B12345","Vlpc":"1","PassTime":"2024-02-03 04:05:06","SN":"sn9","TerminalName":"x"})"),
        car));
    EXPECT_EQ(car.S_Vlp, QString::fromUtf8("粤B12345"));
    EXPECT_EQ(car.S_PassTime, "2024-02-03 04:05:06");
    EXPECT_EQ(car.S_SN, "sn9");
    EXPECT_EQ(car.S_TerminalName, "before");

    CLS_PadDataRecvEntity pad;
    ASSERT_TRUE(mediator.ParsePadPictureAttribute(
        makePicture(dir, "p.png",
                    R"({"UserCode":"u1","Passtime":"2024-03-04 05:06:07","TerminalSN":"padA",)"
                    R"("TerminalName":"North"})"),
        pad));
    EXPECT_EQ(pad.S_UserCode, "u1");
    EXPECT_EQ(pad.S_PassTime, "2024-03-04 05:06:07");
    EXPECT_EQ(pad.S_TerminalSn, "padA");
    EXPECT_EQ(pad.S_TerminalName, "North");

    CLS_WayDataRecEntity way;
    ASSERT_TRUE(mediator.ParseWayPictureAttribute(
        makePicture(dir, "w.png",
                    R"({"VLP":"W1","passtime":"2024-04-05 06:07:08","lane":2,"runingdirection":"N"})"),
        way));
    EXPECT_EQ(way.S_VLP, "W1");
    EXPECT_EQ(way.S_passtime, "2024-04-05 06:07:08");
    EXPECT_EQ(way.S_lane, "2");
    EXPECT_EQ(way.S_runingdirection, "N");
}

struct RefusedCase
{
    const char* name;
    const char* attribute;  // null: no text
    bool image;             // false: a text file named .png
    const char* line;       // ending of the log line
};

TEST(PictureAttribute, RefusedPicturesLeaveTheRecordAndLog)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const RefusedCase cases[] = {
        {"not_json", "Vlp=A1", true, "jsonError"},
        {"json_array", R"(["Vlp","A1"])", true, "jsonError"},
        {"truncated_json", R"({"Vlp":"A1")", true, "jsonError"},
        {"no_attribute", nullptr, true, "jsonError"},
        {"not_an_image", R"({"Vlp":"A1"})", false, "image unreadable"},
    };
    CLS_DataMediator mediator;
    for (const RefusedCase& c : cases) {
        const QString strName = QString(c.name) + ".png";
        QString strPath;
        if (c.image) {
            strPath = makePicture(dir, qPrintable(strName), c.attribute);
        } else {
            strPath = dir.filePath(strName);
            QFile file(strPath);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.attribute);
        }
        LogCapture log;
        CLS_CarDataRecvEntity car;
        car.S_Vlp = "kept";
        EXPECT_FALSE(mediator.ParseCarPictureAttribute(strPath, car)) << c.name;
        EXPECT_EQ(car.S_Vlp, "kept") << c.name;
        EXPECT_TRUE(log.has(3, QString("CLS_DataMediator::ParseCarPictureAttribute ") + c.line))
            << c.name << log.dump().toStdString();
        CLS_PadDataRecvEntity pad;
        EXPECT_FALSE(mediator.ParsePadPictureAttribute(strPath, pad)) << c.name;
        EXPECT_TRUE(log.has(3, QString("CLS_DataMediator::ParsePadPictureAttribute ") + c.line)) << c.name;
        CLS_BehaviorAnalysisEntity behaviour;
        EXPECT_FALSE(mediator.ParseBehaviorPictAttribute(strPath, behaviour)) << c.name;
        EXPECT_TRUE(log.has(3, QString("CLS_DataMediator::ParseBehaviorPictAttribute ") + c.line)) << c.name;
    }
    CLS_WayDataRecEntity way;
    EXPECT_FALSE(mediator.ParseWayPictureAttribute(dir.filePath("missing.png"), way));
}

TEST(PictureAttribute, PicturesInMemoryAndTruncatedFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(makePicture(dir, "t.png", R"({"Vlp":"A1"})"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray baPicture = file.readAll();
    QString strText;
    ASSERT_TRUE(PictureAttribute::ReadDataText(baPicture, strText));
    EXPECT_EQ(strText, R"({"Vlp":"A1"})");
    // Cut inside the pixel data: refused as a whole, not read half-way.
    EXPECT_FALSE(PictureAttribute::ReadDataText(baPicture.left(baPicture.size() - 20), strText));
    EXPECT_FALSE(PictureAttribute::ReadDataText(QByteArray(), strText));
    // A chunk after the header that claims 1.9 GB it does not hold: refused before the PNG
    // library allocates the claimed length.
    const QByteArray baClaim = baPicture.left(33) + QByteArray::fromHex("73657649") + "tEXtattribute" +
                               QByteArray(1, '\0') + "Vlp=A1" + baPicture.mid(33);
    EXPECT_FALSE(PictureAttribute::ReadDataText(baClaim, strText));
}

}  // namespace
