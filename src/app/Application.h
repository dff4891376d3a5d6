#pragma once

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>

/**
 * The application: its title (the text of the task-bar entry and the caption
 * of every error box) and the default error handler. Every failure that
 * escapes an event handler ends up in ShowException: the error box with the
 * message, a full stop appended where it needs one, the title as caption, the
 * critical icon and one OK button. A silent abort (EAbort) shows nothing.
 * The application installs ShowException as the error handler of the
 * libraries below it (base/ErrorReport.h) for as long as it lives.
 */
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    static TApplication* instance();

    /// The program's own title (the product's name at start).
    static QString Title();

    /// Shows the error box for an exception (or nothing for EAbort). Inside
    /// a paint event the box is queued, so that no nested event loop runs
    /// while a painter is active.
    static void ShowException(std::exception_ptr error);

    /// Shows the error box for a message (full-stop rule applied).
    static void ShowError(const QString& message);

    /// The full-stop rule: a "." is appended when the message is not empty
    /// and its last character has a higher code than ".".
    static QString WithFullStop(const QString& message);

    /// Runs fn and reports a failure through ShowException. Handlers that
    /// are called from outside an event's normal delivery use this.
    template <class F>
    static void Guarded(F&& fn) {
        try {
            fn();
        } catch (...) {
            ShowException(std::current_exception());
        }
    }

    /// Tests replace the modal box with a sink that records (caption, text).
    using ErrorSink = std::function<void(const QString& caption, const QString& text)>;
    static void SetErrorSink(ErrorSink sink);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    static QString messageOf(std::exception_ptr error, bool* silent);
    void showBox(const QString& caption, const QString& text);

    int paintDepth_ = 0;
    std::function<void(std::exception_ptr)> previousHandler_;
};
