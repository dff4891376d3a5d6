#include "viewers/html/WebEngineSetup.h"

// System
#include <unistd.h>

// C++
#include <cstdio>

// Qt
#include <QByteArray>
#include <QGuiApplication>
#include <QOpenGLContext>
#include <QString>
#include <QSurfaceFormat>
#include <QtGlobal>

// Qt's own setter for the context that Qt::AA_ShareOpenGLContexts makes at
// start-up (QOpenGLContext::globalShareContext() reads it); exported by Qt
// GUI, declared only in its private headers.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE

namespace {

QtMessageHandler g_previousHandler = nullptr;

/// An environment variable as it was before the engine's set-up.
struct TSavedVariable {
    const char* name;
    bool set = false;
    QByteArray value;
};
TSavedVariable g_saved[] = {{"QTWEBENGINE_DISABLE_SANDBOX", false, {}},
                            {"QTWEBENGINE_CHROMIUM_FLAGS", false, {}},
                            {"MESA_SHADER_CACHE_DISABLE", false, {}}};
bool g_restorePending = false;

/// The engine reports its set-up on every start (sandbox off, no GPU found,
/// its whole configuration); none of it is for the user.
void QuietEngineStart(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (context.category && qstrcmp(context.category, "qt.webenginecontext") == 0) return;
    if (message.startsWith(QLatin1String("Sandboxing disabled by user")) ||
        message.startsWith(QLatin1String("No suitable graphics backend found"))) {
        return;
    }
    if (g_previousHandler) {
        g_previousHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

/// The engine reads the format of a global shared context when it starts,
/// even though it draws in software here, and fails without one. Made here,
/// when the first page comes, instead of at start-up: creating it loads the
/// GL driver (Mesa's with LLVM, about 100 MB), which a start on a picture or
/// a text never needs. It is the context Qt makes at start-up for
/// Qt::AA_ShareOpenGLContexts, made the same way (kept even when no GL is at
/// hand), and it goes with the application after the engine's own shutdown.
void CreateSharedGLContext() {
#if QT_CONFIG(opengl)
    if (QOpenGLContext::globalShareContext()) return;
    auto* context = new QOpenGLContext(qApp);
    context->setFormat(QSurfaceFormat::defaultFormat());
    context->create();
    qt_gl_set_global_share_context(context);
    QObject::connect(context, &QObject::destroyed, [] { qt_gl_set_global_share_context(nullptr); });
#endif
}

}  // namespace

void PrepareWebEngine() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    for (TSavedVariable& variable : g_saved) {
        variable.set = qEnvironmentVariableIsSet(variable.name);
        variable.value = qgetenv(variable.name);
    }
    g_restorePending = true;
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    // Chromium writes its own log lines straight to the terminal.
    if (!flags.contains("--log-level")) flags += " --log-level=3";
    // Pages are drawn in software (the browser plugin sets Qt Quick's
    // software scene graph), so Chromium has no use for the GPU either.
    if (!flags.contains("-gpu")) flags += " --disable-gpu";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
    g_previousHandler = qInstallMessageHandler(QuietEngineStart);
    // The shared context compiles nothing, but Mesa would still make its
    // shader cache under ~/.cache: the viewer writes nothing but its settings.
    qputenv("MESA_SHADER_CACHE_DISABLE", "true");
    CreateSharedGLContext();
}

void RestoreEnvironmentAfterWebEngineStart() {
    if (!g_restorePending) return;
    g_restorePending = false;
    for (const TSavedVariable& variable : g_saved) {
        if (variable.set) {
            qputenv(variable.name, variable.value);
        } else {
            qunsetenv(variable.name);
        }
    }
}
