// tessel-station: one simulated operator station for scripts/capacity.sh. Connects through
// DbServerConfig.json next to the binary like a GUI client, starts up, runs the mix for the
// given time and writes its counts and latencies as JSON.
//
//   tessel-station --user op01 --password pw --site site.json --duration 60 --out result.json
//                  [--receiver] [--rate-scale 1] [--seed 1] [--startup-only]
#include "FreeTree.h"
#include "Station.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

#include <cstdio>
#include <thread>

int main(int _argc, char** _argv)
{
    QCoreApplication app(_argc, _argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions({
        {"user", "Operator's name.", "name"},
        {"password", "Operator's password.", "password"},
        {"site", "The seeder's site.json.", "path"},
        {"duration", "Seconds of the mix.", "seconds", "60"},
        {"out", "Result file (JSON).", "path"},
        {"receiver", "Also write alarm records and passenger-flow reports."},
        {"rate-scale", "Multiplies every rate.", "factor", "1"},
        {"seed", "Random seed.", "number", "1"},
        {"startup-only", "Start up, report, and stop."},
    });
    parser.process(app);
    station::SiteFacts site;
    if (!site.load(parser.value("site")) || parser.value("out").isEmpty() || parser.value("user").isEmpty()) {
        std::fprintf(stderr, "tessel-station: --user, --out and a readable --site are needed\n");
        return 2;
    }
    station::Options options;
    options.strUser = parser.value("user");
    options.strPassword = parser.value("password");
    options.dDurationS = parser.value("duration").toDouble();
    options.bReceiver = parser.isSet("receiver");
    options.dRateScale = parser.value("rate-scale").toDouble();
    options.uSeed = parser.value("seed").toUInt();
    const bool bStartupOnly = parser.isSet("startup-only");

    QJsonObject result;
    // The mediator blocks its caller; the main thread keeps the application's event loop.
    std::thread worker([&] {
        I_DataMediator* pMediator = CreateMediator();
        pMediator->InitData();
        station::Station st(*pMediator, site, options);
        QElapsedTimer timer;
        timer.start();
        const int iStatus = pMediator->CreateDBConnection();
        const double dConnectMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        bool bStarted = false;
        if (iStatus != 1) {
            st.addError("connect");
        } else {
            bStarted = st.startUp();
            if (bStarted && !bStartupOnly) {
                st.runMix();
            }
        }
        result = st.report();
        result.insert("connect_status", iStatus);
        result.insert("connect_ms", dConnectMs);
        result.insert("started", bStarted);
        benchsite::freeTree(*pMediator);
        DeleteMediator(pMediator);
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    app.exec();
    worker.join();

    QSaveFile out(parser.value("out"));
    if (!out.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "tessel-station: cannot write %s\n", qPrintable(parser.value("out")));
        return 1;
    }
    out.write(QJsonDocument(result).toJson(QJsonDocument::Compact));
    return out.commit() ? 0 : 1;
}
