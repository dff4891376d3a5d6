#include "app/Application.h"

#include <QEvent>
#include <QMessageBox>
#include <QProxyStyle>
#include <QTimer>
#include <QWidget>

#include "base/Error.h"
#include "base/ErrorReport.h"
#include "host/ApplicationTitle.h"
#include "host/Product.h"

namespace {

// Tool tips come after 500 ms; a long file menu stays one scrollable column.
class TViewerStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return 500;
        if (hint == SH_Menu_Scrollable) return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

TApplication::ErrorSink g_errorSink;
}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    SetApplicationTitle(QLatin1String(kProductName));
    setStyle(new TViewerStyle);
    // Failures reported from anywhere below (timers, paints, queued calls) come here.
    previousHandler_ = SetErrorHandler([](std::exception_ptr error) { ShowException(error); });
}

TApplication::~TApplication() {
    SetErrorHandler(std::move(previousHandler_));
}

TApplication* TApplication::instance() {
    return qobject_cast<TApplication*>(QCoreApplication::instance());
}

QString TApplication::Title() {
    return ApplicationTitle();
}

void TApplication::SetErrorSink(ErrorSink sink) {
    g_errorSink = std::move(sink);
}

QString TApplication::WithFullStop(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.')) return message + QLatin1Char('.');
    return message;
}

QString TApplication::messageOf(std::exception_ptr error, bool* silent) {
    *silent = false;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        *silent = true;
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
    return {};
}

void TApplication::ShowException(std::exception_ptr error) {
    bool silent = false;
    const QString text = messageOf(error, &silent);
    if (silent) return;
    ShowError(text);
}

void TApplication::ShowError(const QString& message) {
    const QString text = WithFullStop(message);
    TApplication* app = instance();
    if (app && app->paintDepth_ > 0) {
        // Never open a modal loop while a painter is active: show it next.
        const QString caption = ApplicationTitle();
        QTimer::singleShot(0, app, [app, caption, text] { app->showBox(caption, text); });
        return;
    }
    if (app) {
        app->showBox(ApplicationTitle(), text);
    } else if (g_errorSink) {
        g_errorSink(ApplicationTitle(), text);
    }
}

void TApplication::showBox(const QString& caption, const QString& text) {
    if (g_errorSink) {
        g_errorSink(caption, text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    const bool paint = event->type() == QEvent::Paint;
    if (paint) ++paintDepth_;
    bool result = false;
    try {
        result = QApplication::notify(receiver, event);
    } catch (...) {
        if (paint) --paintDepth_;
        ShowException(std::current_exception());
        return false;
    }
    if (paint) --paintDepth_;
    return result;
}
