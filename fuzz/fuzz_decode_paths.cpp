// Fuzz target: the recording and face-capture path decoders.
//
// Every input is taken as a UTF-8 path and given to both decoders as it is; a second time it
// is the file name below a real device folder "<tmp>/FaceCapture/d1-d2-d3-7-ch/", where a
// one-byte big picture of that name exists, so that the face decoder also reaches its end.
// Nothing may crash or read outside the path, and:
//   - a refused path leaves the output exactly as it was;
//   - a decoded recording has a type 1..3 and a stream 0..1, its file name ends the path, its
//     save disk begins it, and its times are 19 characters;
//   - a decoded face capture below the real folder names channel "ch", number 7, has no small
//     or extra picture (small path = big path, extra path empty) and a size of 0 KiB.
// A violation aborts.
#include "DataBase/EntityDao/FaceRecognition/CLS_IntelligentDataRecPathDecoder.h"
#include "DataBase/EntityDao/Rec/CLS_RecPathDecoder.h"
#include "FuzzSupport.h"
#include "ToolKits.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* _pszWhat, const QString& _strPath)
{
    std::fprintf(stderr, "fuzz_decode_paths: %s\n  path: %.300s\n", _pszWhat, _strPath.toUtf8().constData());
    std::abort();
}

#define CHECK(cond, path)                         \
    do {                                          \
        if (!(cond)) {                            \
            fail("check failed: " #cond, (path)); \
        }                                         \
    } while (0)

const QString& deviceDir()
{
    static QTemporaryDir* s_pDir = [] {
        auto* pDir = new QTemporaryDir();
        QDir().mkpath(pDir->path() + "/FaceCapture/d1-d2-d3-7-ch");
        return pDir;
    }();
    static const QString s_strDir = s_pDir->path() + "/FaceCapture/d1-d2-d3-7-ch/";
    return s_strDir;
}

void checkRec(const QString& _strPath)
{
    STRCT_RecFileInfo info;
    info.m_strChannelID = "sentinel";
    if (!RecPath::DecodeRecFilePath(_strPath, info)) {
        CHECK(info.m_strChannelID == "sentinel" && info.m_strSavePath.isEmpty(), _strPath);
        return;
    }
    CHECK(info.m_iRecType >= 1 && info.m_iRecType <= 3, _strPath);
    CHECK(info.m_iStreamType == 0 || info.m_iStreamType == 1, _strPath);
    CHECK(info.m_strSavePath == _strPath, _strPath);
    CHECK(_strPath.endsWith("/" + info.m_strFileName), _strPath);
    CHECK(_strPath.startsWith(info.m_strSaveDisk + "/"), _strPath);
    CHECK(info.m_strStartTime.size() == 19 && info.m_strEndTime.size() == 19, _strPath);
    CHECK(!RecPath::HasParentComponent(_strPath), _strPath);
}

bool checkFace(const QString& _strPath)
{
    STRCT_FaceParseResult result;
    result.m_strChannelID = "sentinel";
    if (!FaceCapturePath::DecodeFaceCapturePath(_strPath, result)) {
        CHECK(result.m_strChannelID == "sentinel" && result.m_strBigPicPath.isEmpty(), _strPath);
        return false;
    }
    CHECK(result.m_strBigPicPath == _strPath, _strPath);
    CHECK(result.m_strCaptureTime.size() == 19, _strPath);
    CHECK(!RecPath::HasParentComponent(_strPath), _strPath);
    return true;
}

void quietLog(int, const char*, int, const char*, ...) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* _pData, size_t _size)
{
    dy_libos_log_debug_ex = &quietLog;
    const QString strInput = QString::fromUtf8(reinterpret_cast<const char*>(_pData), static_cast<int>(_size));
    checkRec(strInput);
    checkFace(strInput);

    // The same text as a picture name in the real device folder.
    if (strInput.isEmpty() || strInput.size() > 200 || strInput.contains('/') || strInput.contains(QChar(0)) ||
        strInput == "." || strInput == "..") {
        return 0;
    }
    const QString strBig = deviceDir() + strInput;
    QFile file(strBig);
    if (!file.open(QIODevice::WriteOnly)) {
        return 0;
    }
    file.write("x", 1);
    file.close();
    STRCT_FaceParseResult result;
    const bool bOk = FaceCapturePath::DecodeFaceCapturePath(strBig, result);
    // A name that is itself a sibling of another name's picture is never left behind.
    QFile::remove(strBig);
    if (bOk) {
        CHECK(result.m_strChannelID == "ch" && result.m_iDirNumber == 7, strBig);
        CHECK(result.m_strDirField1 == "d1" && result.m_strDirField3 == "d3", strBig);
        CHECK(result.m_strSmallPicPath == strBig && result.m_strNegPicPath.isEmpty(), strBig);
        CHECK(result.m_i64FileSize == 0, strBig);
    }
    checkRec(strBig);
    return 0;
}
