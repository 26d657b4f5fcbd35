// cars list|add|unsent: the managed vehicles of the entrance terminals, and the vehicles not yet
// sent to a terminal with their list period.
#include "CtlCommand.h"

#include "CLS_DataAccess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

namespace {

bool parseInt(const QString& _strArg, int _iMin, int& _iValue)
{
    bool bOk = false;
    _iValue = _strArg.toInt(&bOk);
    return bOk && _iValue >= _iMin;
}

int listCars(CtlContext& _ctx)
{
    int iPage = 1;
    int iSize = 20;
    if (_ctx.args.size() > 4 || (_ctx.args.size() >= 3 && !parseInt(_ctx.args[2], 1, iPage)) ||
        (_ctx.args.size() == 4 && !parseInt(_ctx.args[3], 1, iSize))) {
        ctlErr() << "tesselctl: cars list takes [PLATE [PAGE [SIZE]]], page and size from 1\n";
        return 2;
    }
    int iTotal = 0;
    QVector<CLS_SecurityCarEntity> vecCars;
    const int iRet =
        CLS_DataAccess::GetInstance().GetSecurityCarPage(_ctx.args.value(1), iSize, iPage - 1, iTotal, vecCars);
    if (iRet != 0) {
        ctlErr() << "tesselctl: cars list failed (" << iRet << ")\n";
        return 1;
    }
    QJsonArray array;
    for (const CLS_SecurityCarEntity& car : vecCars) {
        const QString strWhite = car.I_ALWAYSOK == 1 ? QString("always")
                                                     : car.S_WHITEBEGINTIME + " to " + car.S_WHITEENDTIME;
        if (_ctx.json) {
            array.append(QJsonObject{{"id", car.S_ID},
                                     {"plate", car.S_VLP},
                                     {"colour", car.I_VLPC},
                                     {"alwaysOk", car.I_ALWAYSOK},
                                     {"owner", car.S_USER},
                                     {"tel", car.S_TEL},
                                     {"whiteBegin", car.S_WHITEBEGINTIME},
                                     {"whiteEnd", car.S_WHITEENDTIME},
                                     {"blackBegin", car.S_BLACKBEGINTIME},
                                     {"blackEnd", car.S_BLACKENDTIME}});
        } else {
            ctlOut() << car.S_VLP << "  colour " << car.I_VLPC << "  owner " << car.S_USER << "  white " << strWhite
                     << "  black " << car.S_BLACKBEGINTIME << " to " << car.S_BLACKENDTIME << "\n";
        }
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"total", iTotal}, {"page", iPage}, {"cars", array}})
                        .toJson(QJsonDocument::Indented);
    } else {
        ctlOut() << iTotal << " vehicle(s), page " << iPage << " (" << iSize << " per page)\n";
    }
    return 0;
}

int addCar(CtlContext& _ctx)
{
    CLS_SecurityCarEntity car;
    if (_ctx.args.size() < 3 || _ctx.args.size() > 8 || _ctx.args[1].isEmpty() ||
        !parseInt(_ctx.args[2], 0, car.I_VLPC)) {
        ctlErr() << "tesselctl: cars add takes PLATE COLOUR [OWNER [WHITE_BEGIN WHITE_END|always "
                    "[BLACK_BEGIN BLACK_END]]]\n";
        return 2;
    }
    car.S_ID = QUuid::createUuid().toString(QUuid::Id128);
    car.S_VLP = _ctx.args[1];
    car.S_USER = _ctx.args.value(3);
    int iNext = 4;
    if (_ctx.args.value(4) == "always") {
        car.I_ALWAYSOK = 1;
        iNext = 5;
    } else if (_ctx.args.size() >= 6) {
        car.S_WHITEBEGINTIME = _ctx.args[4];
        car.S_WHITEENDTIME = _ctx.args[5];
        iNext = 6;
    }
    car.S_BLACKBEGINTIME = _ctx.args.value(iNext);
    car.S_BLACKENDTIME = _ctx.args.value(iNext + 1);
    const int iRet = CLS_DataAccess::GetInstance().AddSecurityCar(car);
    if (iRet != 0) {
        ctlErr() << "tesselctl: cars add failed (" << iRet << "; is that plate and colour stored already?)\n";
        return 1;
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"id", car.S_ID}, {"plate", car.S_VLP}, {"colour", car.I_VLPC}})
                        .toJson(QJsonDocument::Compact)
                 << "\n";
    } else {
        ctlOut() << "added " << car.S_VLP << " colour " << car.I_VLPC << " [" << car.S_ID << "]\n";
    }
    return 0;
}

int unsentCars(CtlContext& _ctx)
{
    int iListType = -1;
    if (_ctx.args.size() < 2 || _ctx.args.size() > 3 ||
        (_ctx.args.size() == 3 && (!parseInt(_ctx.args[2], -1, iListType) || iListType > 1))) {
        ctlErr() << "tesselctl: cars unsent takes TERMINAL [LISTTYPE] (0 white, 1 black, -1 either)\n";
        return 2;
    }
    QVector<CLS_SecurityCarSendEntity> vecCars;
    const int iRet = CLS_DataAccess::GetInstance().GetUnsentSecurityCars(_ctx.args[1], iListType, QString(),
                                                                         kSecurityCarAnyColour, vecCars);
    if (iRet != 0) {
        ctlErr() << "tesselctl: cars unsent failed (" << iRet << ")\n";
        return 1;
    }
    QJsonArray array;
    for (const CLS_SecurityCarSendEntity& car : vecCars) {
        if (_ctx.json) {
            array.append(QJsonObject{{"plate", car.S_VLP},
                                     {"colour", car.I_VLPC},
                                     {"begin", car.S_BEGINTIME},
                                     {"end", car.S_ENDTIME}});
        } else {
            ctlOut() << car.S_VLP << "  colour " << car.I_VLPC << "  " << car.S_BEGINTIME << " to " << car.S_ENDTIME
                     << "\n";
        }
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"terminal", _ctx.args[1]}, {"cars", array}})
                        .toJson(QJsonDocument::Indented);
    } else {
        ctlOut() << vecCars.size() << " vehicle(s) still to send to " << _ctx.args[1] << "\n";
    }
    return 0;
}

int runCars(CtlContext& _ctx)
{
    const QString strSub = _ctx.args.value(0);
    if (strSub != "list" && strSub != "add" && strSub != "unsent") {
        ctlErr() << "tesselctl: cars takes list, add or unsent\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    if (strSub == "list") {
        return listCars(_ctx);
    }
    return strSub == "add" ? addCar(_ctx) : unsentCars(_ctx);
}

}  // namespace

TESSELCTL_COMMAND("cars", "list [PLATE [PAGE [SIZE]]] | add PLATE COLOUR [...] | unsent TERMINAL [LISTTYPE]",
                  "managed vehicles of the entrance terminals and those still to send to a terminal",
                  &runCars,
                  "Examples:\n"
                  "  tesselctl cars list\n"
                  "  tesselctl cars add 'AB 123' blue\n");
