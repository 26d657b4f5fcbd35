// The face-capture path grammar as tables of paths over small picture files in a temporary
// folder: the decoded face fields and which sibling pictures count, and which step refuses a
// path (with its log line) while the output stays untouched.
#include "DataBase/EntityDao/FaceRecognition/CLS_IntelligentDataRecPathDecoder.h"
#include "LogCapture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct FaceCase
{
    const char* name;
    const char* relPath;  // of the big picture, below the temporary folder
    int bigSize;
    int smallSize;  // -1: no such file
    int negJpgSize;
    int negPngSize;
    int age, gender, masks, glasses, tempType;
    const char* temperature;
    int extra, similarity, faceKey;
    const char* negSuffix;  // "Neg.jpg", "Neg.png" or "" for none
    qint64 sizeKiB;
};

struct RefusedCase
{
    const char* name;
    const char* relPath;
    int bigSize;  // -1: no big picture
    const char* failure;  // part of the log line
};

template <typename T>
std::string caseName(const ::testing::TestParamInfo<T>& _info)
{
    return _info.param.name;
}

const FaceCase kDecoded[] = {
    {"eight_fields_big_only", "FaceCapture/f1-f2-f3-4-ch9/day/20240315T1103000-1-0-N1-0-1-3650-5b.jpg", 2048, -1, -1,
     -1, 1, 0, -1, 0, 1, "36.50", 5, 0, 0, "", 2},
    {"ten_fields_all_siblings", "FaceCapture/f1-f2-f3-4-ch9/day/20240315T1103000-4-1-1-2-0-3725-0-87-42b.jpg", 1024,
     1024, 1023, 4096, 4, 1, 1, 2, 0, "37.25", 0, 87, 42, "Neg.jpg", 2},
    {"neg_png_when_no_neg_jpg", "FaceCapture/f1-f2-f3-4-ch9/day/20240315T1103000-1-0-N1-0-1-3650-5b.jpg", 1000, 1000,
     -1, 100, 1, 0, -1, 0, 1, "36.50", 5, 0, 0, "Neg.png", 2},
    {"backslash_dots_are_a_name",
     "x\\..\\y/FaceCapture/f1-f2-f3-4-ch9/day/20240315T1103000-1-0-N1-0-1-3650-5b.jpg", 2048, -1, -1, -1, 1, 0,
     -1, 0, 1, "36.50", 5, 0, 0, "", 2},
    {"device_dir_holds_file", "x/FaceCapture/a-b-c-1-ch2/20240315T1103000-2-N1-0-N1-N1-3700-0b.jpg", 10, -1, -1, -1, 2,
     -1, 0, -1, -1, "37.00", 0, 0, 0, "", 0},
};

const RefusedCase kRefused[] = {
    {"seven_fields", "FaceCapture/f1-f2-f3-4-ch9/day/20240315T1103000-1-0-N1-0-1-3650b.jpg", 10,
     "qstrlstFaceParam.size() < FACECAPTURE_PARAM_COUNT"},
    {"no_face_capture_dir", "Faces/f1-f2-f3-4-ch9/day/20240315T1103000-1-0-N1-0-1-3650-5b.jpg", 10,
     "qstrDevInfo.indexOf(FaceCapture) < 0"},
    {"file_right_below_face_capture", "FaceCapture/20240315T1103000-1-0-N1-0-1-3650-5b.jpg", 10, "iIndex < 0"},
    {"small_picture_given", "FaceCapture/f1-f2-f3-4-ch9/day/20240315T1103000-1-0-N1-0-1-3650-5s.jpg", 10,
     "qstrPicType != b"},
    {"b_but_not_jpg", "FaceCapture/f1-f2-f3-4-ch9/day/20240315T1103000-1-0-N1-0-1-3650-5b.png", 10,
     "lastIndexOf(b.jpg) < 0"},
    {"name_too_short", "FaceCapture/f1-f2-f3-4-ch9/day/2024031-5b.jpg", 10, "qstrFileName.size() < FACECAPTURE_TIME_LEN"},
    {"four_device_fields", "FaceCapture/f2-f3-4-ch9/day/20240315T1103000-1-0-N1-0-1-3650-5b.jpg", 10,
     "qstrlstOtherInfo.size() < RECFILE_DIR_INFO_COUNT"},
    {"type_not_a_number", "FaceCapture/f1-f2-f3-4-ch9/day/20240315T1103000-1-X-N1-0-1-3650-5b.jpg", 10,
     "is not a number"},
    {"temperature_not_a_number", "FaceCapture/f1-f2-f3-4-ch9/day/20240315T1103000-1-0-N1-0-1-N365-5b.jpg", 10,
     "is not a number"},
    {"missing_big_picture", "FaceCapture/f1-f2-f3-4-ch9/day/20240315T1103000-1-0-N1-0-1-3650-5b.jpg", -1,
     "big picture not readable"},
    {"parent_component", "FaceCapture/f1-f2-f3-4-ch9/../day/20240315T1103000-1-0-N1-0-1-3650-5b.jpg", 10,
     "path contains .."},
};

void WriteFile(const QString& _strPath, int _iSize)
{
    if (_iSize < 0) {
        return;
    }
    QDir().mkpath(_strPath.left(_strPath.lastIndexOf('/')));
    QFile file(_strPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << _strPath.toStdString();
    file.write(QByteArray(_iSize, 'x'));
}

class FacePathDecodes : public ::testing::TestWithParam<FaceCase>
{
};

TEST_P(FacePathDecodes, FaceFieldsAndThePicturesThatExist)
{
    const FaceCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString strBig = dir.path() + "/" + QString::fromUtf8(c.relPath);
    const QString strStem = strBig.left(strBig.size() - 5);
    WriteFile(strBig, c.bigSize);
    WriteFile(strStem + "s.jpg", c.smallSize);
    WriteFile(strStem + "Neg.jpg", c.negJpgSize);
    WriteFile(strStem + "Neg.png", c.negPngSize);

    LogCapture log;
    STRCT_FaceParseResult result;
    result.m_strHostID = "kept host";
    result.m_strName = "stale";
    ASSERT_TRUE(FaceCapturePath::DecodeFaceCapturePath(strBig, result)) << log.dump().toStdString();
    EXPECT_EQ(result.m_strCaptureTime, "2024-03-15 10:30:00");
    EXPECT_EQ(result.m_iAgeType, c.age);
    EXPECT_EQ(result.m_iGenderType, c.gender);
    EXPECT_EQ(result.m_iMasksType, c.masks);
    EXPECT_EQ(result.m_iGlassesType, c.glasses);
    EXPECT_EQ(result.m_iTemperatureType, c.tempType);
    EXPECT_EQ(result.m_strTemperatureValue, c.temperature);
    EXPECT_EQ(result.m_iExtra, c.extra);
    EXPECT_EQ(result.m_iSimilarity, c.similarity);
    EXPECT_EQ(result.m_iFaceKey, c.faceKey);
    EXPECT_EQ(result.m_strBigPicPath, strBig);
    EXPECT_EQ(result.m_strSmallPicPath, c.smallSize >= 0 ? strStem + "s.jpg" : strBig);
    EXPECT_EQ(result.m_strNegPicPath, *c.negSuffix != '\0' ? strStem + c.negSuffix : QString());
    EXPECT_EQ(result.m_i64FileSize, c.sizeKiB);
    EXPECT_EQ(result.m_strHostID, "kept host");
    EXPECT_TRUE(result.m_strName.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Grammar, FacePathDecodes, ::testing::ValuesIn(kDecoded), caseName<FaceCase>);

class FacePathRefuses : public ::testing::TestWithParam<RefusedCase>
{
};

TEST_P(FacePathRefuses, WithItsLineAndTheOutputUntouched)
{
    const RefusedCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString strBig = dir.path() + "/" + QString::fromUtf8(c.relPath);
    // The picture of a ".." path is made where the path really leads.
    WriteFile(QDir::cleanPath(strBig), c.bigSize);

    LogCapture log;
    STRCT_FaceParseResult result;
    result.m_strChannelID = "untouched";
    EXPECT_FALSE(FaceCapturePath::DecodeFaceCapturePath(strBig, result));
    EXPECT_TRUE(log.hasPart(3, QString::fromUtf8(c.failure))) << log.dump().toStdString();
    EXPECT_EQ(result.m_strChannelID, "untouched");
    EXPECT_TRUE(result.m_strBigPicPath.isEmpty());
    EXPECT_TRUE(result.m_strCaptureTime.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Grammar, FacePathRefuses, ::testing::ValuesIn(kRefused), caseName<RefusedCase>);

TEST(FacePath, DeviceFieldsAreTheLastFiveOfTheDirectoryAfterFaceCapture)
{
    QTemporaryDir dir;
    const QString strBig = dir.path() + "/FaceCapture/zz-f1-f2-f3-4-ch9/day/20240315T1103000-1-0-N1-0-1-3650-5b.jpg";
    WriteFile(strBig, 1);
    STRCT_FaceParseResult result;
    ASSERT_TRUE(FaceCapturePath::DecodeFaceCapturePath(strBig, result));
    EXPECT_EQ(result.m_strDirField1, "f1");
    EXPECT_EQ(result.m_strDirField2, "f2");
    EXPECT_EQ(result.m_strDirField3, "f3");
    EXPECT_EQ(result.m_iDirNumber, 4);
    EXPECT_EQ(result.m_strChannelID, "ch9");
}

}  // namespace
