// The price of the local-file policy: a page with many resources of its own
// (pictures, style sheets, classic and module scripts in sibling folders),
// opened in the HTML view (page scheme, gate and request guard) against the
// same page from a file URL in a plain web view of the same engine, no guard.
// Both run warm, one after the other in each iteration.
#include <benchmark/benchmark.h>

// Qt
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWidget>

#include <memory>

// Project
#include "BenchMain.h"
#include "app/Application.h"
#include "viewers/html/HtmlView.h"

namespace {

void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(path.left(path.lastIndexOf(QLatin1Char('/'))));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

/// A page using 100 pictures, 10 style sheets, 10 classic scripts and a
/// module importing 10 others, all beside its folder.
QString WritePage(const QString& root) {
    QByteArray body;
    for (int i = 0; i < 100; ++i) {
        Write(root + QStringLiteral("/images/p%1.svg").arg(i),
              "<svg xmlns='http://www.w3.org/2000/svg' width='8' height='8'><rect width='8' "
              "height='8' fill='#" +
                  QByteArray::number(0x102030 + i * 997, 16).right(6) + "'/></svg>");
        body += "<img src='../images/p" + QByteArray::number(i) + ".svg'>";
    }
    QByteArray head, module;
    for (int i = 0; i < 10; ++i) {
        const QByteArray n = QByteArray::number(i);
        Write(root + "/styles/s" + n + ".css", "p.c" + n + " { color: rgb(" + n + ", 0, 0); }");
        Write(root + "/scripts/c" + n + ".js", "window.c" + n + " = " + n + ";");
        Write(root + "/scripts/m" + n + ".mjs", "export const v = " + n + ";");
        head += "<link rel='stylesheet' href='../styles/s" + n + ".css'>";
        head += "<script src='../scripts/c" + n + ".js'></script>";
        module += "import {v as v" + n + "} from '../scripts/m" + n + ".mjs';";
    }
    Write(root + "/docs/main.mjs", module + "window.modules = true;");
    const QString page = root + QStringLiteral("/docs/index.html");
    Write(page, "<!doctype html><html><head><title>Loaded</title>" + head +
                    "<script type='module' src='main.mjs'></script></head><body>" + body +
                    "</body></html>");
    return page;
}

template <class Cond>
bool WaitFor(Cond cond) {
    QDeadlineTimer deadline(60000);
    while (!cond() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return cond();
}

void BM_PageWithManyResources(benchmark::State& state) {
    QTemporaryDir dir;
    const QString page = WritePage(dir.path());
    QWidget host;
    host.resize(800, 600);
    host.show();
    int captions = 0;
    THtmlView view(&host, [&](const QString&) { ++captions; });
    // The viewer first: its scheme must be known before the engine starts.
    view.Open(page);
    if (!WaitFor([&] { return captions > 0; })) {
        state.SkipWithError("the viewer did not load the page");
        return;
    }
    auto* profile = new QWebEngineProfile(&host);
    profile->setHttpCacheType(QWebEngineProfile::NoCache);
    QWebEngineView plain;
    plain.setPage(new QWebEnginePage(profile, &plain));
    plain.resize(800, 600);
    plain.show();
    bool plainDone = false;
    QObject::connect(plain.page(), &QWebEnginePage::loadFinished, [&](bool) { plainDone = true; });

    double viewerSeconds = 0, plainSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        const int before = captions;
        timer.start();
        view.Open(page);
        WaitFor([&] { return captions > before; });
        const double viewer = timer.nsecsElapsed() / 1e9;
        plainDone = false;
        timer.restart();
        plain.load(QUrl::fromLocalFile(page));
        WaitFor([&] { return plainDone; });
        const double baseline = timer.nsecsElapsed() / 1e9;
        viewerSeconds += viewer;
        plainSeconds += baseline;
        state.SetIterationTime(viewer);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["viewer_ms"] = viewerSeconds / n * 1e3;
    state.counters["plain_file_ms"] = plainSeconds / n * 1e3;
    state.counters["viewer_over_plain"] = viewerSeconds / plainSeconds;
}
BENCHMARK(BM_PageWithManyResources)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    return RunBenchmarks<TApplication>(argc, argv, TBenchPlatform::AsSet);
}
