#pragma once

// The main of a benchmark program that needs a Qt application object.

#include <QByteArray>
#include <QtGlobal>

#include <benchmark/benchmark.h>

enum class TBenchPlatform {
    AsSet,               // what the environment says (X11 benchmarks start their own server)
    OffscreenUnlessSet,  // offscreen, unless QT_QPA_PLATFORM names another
    Offscreen,           // offscreen always
};

template <class TApp>
int RunBenchmarks(int argc, char** argv, TBenchPlatform platform) {
    if (platform == TBenchPlatform::Offscreen || (platform == TBenchPlatform::OffscreenUnlessSet &&
                                                  qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApp app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
