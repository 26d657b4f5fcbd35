// decoders, add-decoder, delete-decoder, add-layout, layouts: the decoders with their outputs and the
// TV-wall layouts with their screens, through the mediator.
#include "CtlCommand.h"

#include "CLS_DecoderEntities.h"
#include "I_DataMediator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

namespace {

bool parseNumber(const QString& _strArg, int _iMin, int _iMax, int& _iValue)
{
    bool bOk = false;
    _iValue = _strArg.toInt(&bOk);
    return bOk && _iValue >= _iMin && _iValue <= _iMax;
}

void printRet(int _iRet, const QString& _strID)
{
    QJsonObject obj{{"ret", _iRet}};
    if (!_strID.isEmpty()) {
        obj.insert("id", _strID);
    }
    ctlOut() << QJsonDocument(obj).toJson(QJsonDocument::Compact) << "\n";
}

int runDecoders(CtlContext& _ctx)
{
    if (!_ctx.args.isEmpty()) {
        ctlErr() << "tesselctl: decoders takes no arguments\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    QVector<CLS_DecEntity*> vecDecs;
    QVector<CLS_DecOutEntity*> vecOuts;
    int iRet = _ctx.mediator->GetAllDecoders(vecDecs);
    if (iRet == 0) {
        iRet = _ctx.mediator->GetAllDecOuts(vecOuts);
    }
    if (iRet != 0) {
        ctlErr() << "tesselctl: decoders failed (" << iRet << ")\n";
        qDeleteAll(vecDecs);
        qDeleteAll(vecOuts);
        return 1;
    }
    QJsonArray decoders;
    if (!_ctx.json) {
        ctlOut() << vecDecs.size() << (vecDecs.size() == 1 ? " decoder\n" : " decoders\n");
    }
    for (const CLS_DecEntity* pDec : qAsConst(vecDecs)) {
        QJsonArray outputs;
        if (!_ctx.json) {
            ctlOut() << "  decoder " << pDec->S_IP << ":" << pDec->I_PORT << "  \"" << pDec->S_CAPTION << "\"  ["
                     << pDec->S_ID << "]  type " << pDec->I_DECODER_TYPE_ID << "  http " << pDec->I_HTTP_PORT << "\n";
        }
        for (const CLS_DecOutEntity* pOut : qAsConst(vecOuts)) {
            if (pOut->S_PARENT_ID != pDec->S_ID) {
                continue;
            }
            outputs.append(QJsonObject{{"id", pOut->S_ID}, {"number", pOut->I_NUM}, {"caption", pOut->S_CAPTION}});
            if (!_ctx.json) {
                ctlOut() << "    output " << pOut->I_NUM << "  \"" << pOut->S_CAPTION << "\"  [" << pOut->S_ID << "]\n";
            }
        }
        decoders.append(QJsonObject{{"id", pDec->S_ID},
                                    {"caption", pDec->S_CAPTION},
                                    {"ip", pDec->S_IP},
                                    {"port", pDec->I_PORT},
                                    {"type", pDec->I_DECODER_TYPE_ID},
                                    {"httpPort", pDec->I_HTTP_PORT},
                                    {"outputs", outputs}});
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"decoders", decoders}}).toJson(QJsonDocument::Indented);
    }
    qDeleteAll(vecDecs);
    qDeleteAll(vecOuts);
    return 0;
}

int runAddDecoder(CtlContext& _ctx)
{
    int iPort = 0;
    int iOutputs = 0;
    int iInputs = 0;
    if (_ctx.args.size() < 4 || _ctx.args.size() > 7 || !parseNumber(_ctx.args[1], 1, 65535, iPort) ||
        !parseNumber(_ctx.args[3], 0, 256, iOutputs) ||
        (_ctx.args.size() >= 5 && !parseNumber(_ctx.args[4], 0, 256, iInputs))) {
        ctlErr() << "tesselctl: add-decoder takes ADDRESS PORT CAPTION OUTPUTS [INPUTS [USER [PASSWORD]]] "
                    "(OUTPUTS and INPUTS 0..256)\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    CLS_DecEntity dec;
    dec.S_ID = QUuid::createUuid().toString(QUuid::Id128);
    dec.S_IP = _ctx.args[0];
    dec.I_PORT = iPort;
    dec.S_CAPTION = _ctx.args[2];
    dec.I_DECODER_IN_COUNT = iInputs;
    dec.S_USERNAME = _ctx.args.value(5);
    dec.S_PASSWORD = _ctx.args.value(6);
    int iRet = _ctx.mediator->InsertDecorder(dec);
    for (int i = 1; iRet == 0 && i <= iOutputs; ++i) {
        CLS_DecOutEntity out;
        out.S_ID = QUuid::createUuid().toString(QUuid::Id128);
        out.S_PARENT_ID = dec.S_ID;
        out.I_NUM = i;
        out.S_CAPTION = QStringLiteral("%1 Output %2").arg(dec.S_CAPTION).arg(i);
        iRet = _ctx.mediator->InsertDecOut(out);
    }
    if (_ctx.json) {
        printRet(iRet, dec.S_ID);
    } else if (iRet == 0) {
        ctlOut() << "decoder " << dec.S_ID << " added with " << iOutputs << " outputs and " << iInputs << " inputs\n";
    } else {
        ctlErr() << "tesselctl: add-decoder failed (" << iRet << ")\n";
    }
    return iRet == 0 ? 0 : 1;
}

int runDeleteDecoder(CtlContext& _ctx)
{
    if (_ctx.args.size() != 1) {
        ctlErr() << "tesselctl: delete-decoder takes ID\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    bool bExists = false;
    if (!ctlObjectExists(_ctx, _ctx.args[0], bExists)) {
        return 1;
    }
    if (!bExists) {
        return _ctx.fail(QStringLiteral("decoder %1 not found").arg(_ctx.args[0]));
    }
    const int iRet = _ctx.mediator->DeleteDecorder(_ctx.args[0]);
    if (_ctx.json) {
        printRet(iRet, QString());
    } else if (iRet == 0) {
        ctlOut() << "decoder " << _ctx.args[0] << " deleted with its outputs and their screens\n";
    } else {
        ctlErr() << "tesselctl: delete-decoder failed (" << iRet << ")\n";
    }
    return iRet == 0 ? 0 : 1;
}

int runLayouts(CtlContext& _ctx)
{
    if (!_ctx.args.isEmpty()) {
        ctlErr() << "tesselctl: layouts takes no arguments\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    QStringList lstIDs;
    const int iRet = _ctx.mediator->GetTVLayoutIds(lstIDs);
    if (iRet != 0) {
        ctlErr() << "tesselctl: layouts failed (" << iRet << ")\n";
        return 1;
    }
    QJsonArray layouts;
    if (!_ctx.json) {
        ctlOut() << lstIDs.size() << (lstIDs.size() == 1 ? " layout\n" : " layouts\n");
    }
    for (const QString& strID : qAsConst(lstIDs)) {
        CLS_TVLayoutEntity layout;
        if (_ctx.mediator->GetLayOutInfoById(strID, layout, 0) != 0) {
            ctlErr() << "tesselctl: layout " << strID << " could not be read\n";
            return 1;
        }
        QJsonArray screens;
        if (!_ctx.json) {
            ctlOut() << "  layout \"" << layout.S_CAPTION << "\"  [" << strID << "]  image \"" << layout.S_IMG
                     << "\"  screens " << layout.m_vecScreens.size() << "\n";
        }
        for (const CLS_ScreenUnitEntity& s : qAsConst(layout.m_vecScreens)) {
            screens.append(QJsonObject{{"id", s.S_ID},
                                       {"caption", s.S_CAPTION},
                                       {"joined", s.I_TYPE == 1},
                                       {"decoder", s.S_DECODER_ID},
                                       {"output", s.S_DECODER_OUT_ID},
                                       {"outputNumber", s.I_DECODER_OUT_NUM},
                                       {"x", s.F_X},
                                       {"y", s.F_Y},
                                       {"w", s.F_W},
                                       {"h", s.F_H},
                                       {"members", s.m_vecMembers.size()}});
            if (!_ctx.json) {
                ctlOut() << "    " << (s.I_TYPE == 1 ? "joined screen" : "screen") << " \"" << s.S_CAPTION << "\"  ["
                         << s.S_ID << "]  at " << s.F_X << "," << s.F_Y << "  output " << s.I_DECODER_OUT_NUM
                         << " of " << (s.S_DECODER_ID.isEmpty() ? QStringLiteral("-") : s.S_DECODER_ID)
                         << (s.I_TYPE == 1 ? QStringLiteral("  members %1").arg(s.m_vecMembers.size()) : QString())
                         << "\n";
            }
        }
        layouts.append(QJsonObject{
            {"id", strID}, {"caption", layout.S_CAPTION}, {"image", layout.S_IMG}, {"screens", screens}});
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"layouts", layouts}}).toJson(QJsonDocument::Indented);
    }
    return 0;
}

// add-layout CAPTION [OUTPUT-ID...]: a layout of the current user with one screen per output,
// two to a row.
int runAddLayout(CtlContext& _ctx)
{
    if (_ctx.args.isEmpty() || _ctx.args[0].isEmpty()) {
        ctlErr() << "tesselctl: add-layout takes CAPTION [OUTPUT-ID...]\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    if (_ctx.mediator->IsTVLayoutNameExist(_ctx.args[0], QString())) {
        ctlErr() << "tesselctl: a layout \"" << _ctx.args[0] << "\" exists already\n";
        return 1;
    }
    CLS_TVLayoutEntity layout;
    layout.S_CAPTION = _ctx.args[0];
    int iRet = _ctx.mediator->InsertTVLayout(layout);
    QVector<CLS_ScreenUnitEntity> vecUnits;
    for (int i = 1; iRet == 0 && i < _ctx.args.size(); ++i) {
        CLS_DecOutEntity out;
        iRet = _ctx.mediator->DecOutSync(_ctx.args[i], &out);
        if (iRet != 0) {
            ctlErr() << "tesselctl: no decoder output " << _ctx.args[i] << "\n";
            break;
        }
        CLS_ScreenUnitEntity unit;
        unit.S_ID = QUuid::createUuid().toString(QUuid::Id128);
        unit.I_NUM = i;
        unit.S_DECODER_OUT_ID = out.S_ID;
        unit.I_DECODER_OUT_NUM = out.I_NUM;
        unit.S_CAPTION = out.S_CAPTION;
        unit.S_PARAM = QStringLiteral("{\"order\":\"%1\"}").arg(i);
        unit.F_X = ((i - 1) % 2) * 0.5;
        unit.F_Y = ((i - 1) / 2) * 0.5;
        unit.F_W = 0.5;
        unit.F_H = 0.5;
        vecUnits.append(unit);
    }
    if (iRet == 0 && !vecUnits.isEmpty()) {
        iRet = _ctx.mediator->InsertScreens(layout.S_ID, vecUnits);
    }
    if (_ctx.json) {
        printRet(iRet, layout.S_ID);
    } else if (iRet == 0) {
        ctlOut() << "layout " << layout.S_ID << " added with " << vecUnits.size() << " screens\n";
    } else {
        ctlErr() << "tesselctl: add-layout failed (" << iRet << ")\n";
    }
    return iRet == 0 ? 0 : 1;
}

}  // namespace

TESSELCTL_COMMAND("decoders", "", "the decoders with their outputs", &runDecoders,
                  "Examples:\n"
                  "  tesselctl --user admin decoders\n");
TESSELCTL_COMMAND("add-decoder", "ADDR PORT CAPTION OUTPUTS [INPUTS [USER [PW]]]",
                  "a decoder with that many outputs (and numbered inputs)", &runAddDecoder,
                  "Examples:\n"
                  "  tesselctl --user admin add-decoder 192.168.1.90 8000 'Wall decoder' 4\n");
TESSELCTL_COMMAND("delete-decoder", "ID", "delete a decoder with its outputs and their screens",
                  &runDeleteDecoder,
                  "A decoder that does not exist is a failure (\"not found\", exit status 1).\n"
                  "\n"
                  "Examples:\n"
                  "  tesselctl --user admin delete-decoder 4f0c...\n");
TESSELCTL_COMMAND("add-layout", "CAPTION [OUTPUT-ID...]",
                  "a TV-wall layout with one screen per decoder output", &runAddLayout,
                  "Examples:\n"
                  "  tesselctl --user admin add-layout 'Control room' 9a1b... 9a1c...\n");
TESSELCTL_COMMAND("layouts", "", "the TV-wall layouts with their screens by row, then column", &runLayouts,
                  "Examples:\n"
                  "  tesselctl --user admin layouts\n");
