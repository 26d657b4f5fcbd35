// The recording path grammar as a table of paths: what each decodes to, or which step refuses
// it (with its log line) while the output stays untouched.
#include "DataBase/EntityDao/Rec/CLS_RecPathDecoder.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

namespace {

struct RecCase
{
    const char* name;
    const char* path;
    int recType;
    int streamType;
    const char* start;
    const char* end;
    const char* saveDisk;
    const char* dir1;
    const char* dir2;
    const char* dir3;
    int dirNumber;
    const char* channel;
};

struct RefusedCase
{
    const char* name;
    const char* path;
    const char* failure;  // the failed condition of the log line
};

template <typename T>
std::string caseName(const ::testing::TestParamInfo<T>& _info)
{
    return _info.param.name;
}

const RecCase kDecoded[] = {
    {"main_35", "/mnt/disk1/rec/d1-d2-d3-7-ch01/h20240315100000_20240315110000m.mp4", 1, 0,
     "2024-03-15 10:00:00", "2024-03-15 11:00:00", "/mnt/disk1", "d1", "d2", "d3", 7, "ch01"},
    {"sub_35_motion", "/d/x/a-b-c-12-ch2/t20240101235959-20240102000001s.mp4", 2, 1, "2024-01-01 23:59:59",
     "2024-01-02 00:00:01", "/d", "a", "b", "c", 12, "ch2"},
    {"longer_name_alarm", "/disk/day/a-b-c-3-ch/a20240315100000_20240315110000_0001_extra_m.avi", 3, 0,
     "2024-03-15 10:00:00", "2024-03-15 11:00:00", "/disk", "a", "b", "c", 3, "ch"},
    {"six_dir_fields_use_last_five", "/r/s/zz-d1-d2-d3-8-ch3/h20240315100000_20240315110000m.mp4", 1, 0,
     "2024-03-15 10:00:00", "2024-03-15 11:00:00", "/r", "d1", "d2", "d3", 8, "ch3"},
    {"empty_dir_fields_count", "/r/s/---0-ch4/h20240315100000_20240315110000m.mp4", 1, 0,
     "2024-03-15 10:00:00", "2024-03-15 11:00:00", "/r", "", "", "", 0, "ch4"},
    {"backslash_dots_are_a_name", "/d\\..\\e/x/a-b-c-1-ch/h20240315100000_20240315110000m.mp4", 1, 0,
     "2024-03-15 10:00:00", "2024-03-15 11:00:00", "/d\\..\\e", "a", "b", "c", 1, "ch"},
    {"disk_with_slashes_digits_unchecked", "/a/b/c/any/d-e-f-1-ch/h2024ab15100000_20240315110000m.mp4", 1, 0,
     "2024-ab-15 10:00:00", "2024-03-15 11:00:00", "/a/b/c", "d", "e", "f", 1, "ch"},
};

const RefusedCase kRefused[] = {
    {"name_34", "/d/x/a-b-c-1-ch/h20240315100000_2024031511000m.mp4", "qstrFileName.size() < RECFILE_NAME_LEN"},
    {"no_slash", "h20240315100000_20240315110000m.mp4", "iIndex < 0"},
    {"no_channel_dir", "a-b-c-1-ch/h20240315100000_20240315110000m.mp4", "iIndex < 0"},
    {"no_save_disk", "x/a-b-c-1-ch/h20240315100000_20240315110000m.mp4", "iIndex < 0"},
    {"wrong_type_letter", "/d/x/a-b-c-1-ch/H20240315100000_20240315110000m.mp4", "qstrRecType error"},
    {"wrong_stream_letter", "/d/x/a-b-c-1-ch/h20240315100000_20240315110000x.mp4", "qstrStreamType error"},
    {"four_dir_fields", "/d/x/b-c-1-ch/h20240315100000_20240315110000m.mp4",
     "qstrlstOtherInfo.size() < RECFILE_DIR_INFO_COUNT"},
    {"parent_component", "/d/../a-b-c-1-ch/h20240315100000_20240315110000m.mp4", "path contains .."},
};

class RecPathDecodes : public ::testing::TestWithParam<RecCase>
{
};

TEST_P(RecPathDecodes, EveryFieldThePathCarries)
{
    const RecCase& c = GetParam();
    LogCapture log;
    STRCT_RecFileInfo info;
    info.m_strHostID = "kept host";
    info.m_uiLength = 4711;
    info.m_iLock = 2;
    ASSERT_TRUE(RecPath::DecodeRecFilePath(QString::fromUtf8(c.path), info)) << log.dump().toStdString();
    const QString strPath = QString::fromUtf8(c.path);
    EXPECT_EQ(info.m_iRecType, c.recType);
    EXPECT_EQ(info.m_iStreamType, c.streamType);
    EXPECT_EQ(info.m_strStartTime, c.start);
    EXPECT_EQ(info.m_strEndTime, c.end);
    EXPECT_EQ(info.m_strSaveDisk, c.saveDisk);
    EXPECT_EQ(info.m_strDirField1, c.dir1);
    EXPECT_EQ(info.m_strDirField2, c.dir2);
    EXPECT_EQ(info.m_strDirField3, c.dir3);
    EXPECT_EQ(info.m_iDirNumber, c.dirNumber);
    EXPECT_EQ(info.m_strChannelID, c.channel);
    EXPECT_EQ(info.m_strSavePath, strPath);
    EXPECT_EQ(info.m_strFileName, strPath.mid(strPath.lastIndexOf('/') + 1));
    // Host, length and lock are not the decoder's.
    EXPECT_EQ(info.m_strHostID, "kept host");
    EXPECT_EQ(info.m_uiLength, 4711u);
    EXPECT_EQ(info.m_iLock, 2);
}

INSTANTIATE_TEST_SUITE_P(Grammar, RecPathDecodes, ::testing::ValuesIn(kDecoded), caseName<RecCase>);

class RecPathRefuses : public ::testing::TestWithParam<RefusedCase>
{
};

TEST_P(RecPathRefuses, WithItsLineAndTheOutputUntouched)
{
    const RefusedCase& c = GetParam();
    LogCapture log;
    STRCT_RecFileInfo info;
    info.m_strChannelID = "untouched";
    EXPECT_FALSE(RecPath::DecodeRecFilePath(QString::fromUtf8(c.path), info));
    EXPECT_TRUE(log.has(3, QString("[CLS_DataMediator::DecodeFilePathToRecInfo]") + c.failure)) << log.dump().toStdString();
    EXPECT_EQ(info.m_strChannelID, "untouched");
    EXPECT_TRUE(info.m_strFileName.isEmpty());
    EXPECT_TRUE(info.m_strStartTime.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Grammar, RecPathRefuses, ::testing::ValuesIn(kRefused), caseName<RefusedCase>);

}  // namespace
