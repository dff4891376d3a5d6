#pragma once

// ---- Qt
#include <QDialog>
#include <QString>

// ---- Standard library
#include <functional>

class QFrame;
class QLabel;
class QPushButton;

/**
 * The about box: product name, version, the maker's notice and a link to the
 * maker's web page, in a small fixed-size modal dialog. A click on the link
 * hands the address to the desktop and leaves the box open.
 */
class TAboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit TAboutWindow(QWidget* owner = nullptr);
    ~TAboutWindow() override;

    /// The texts the box shows.
    static QString productNameText();
    static QString versionText();
    static QString noticeText();
    static QString webPageAddress();

    /// Hands a web address to the desktop. Tests replace it; the default asks
    /// the desktop through QDesktopServices and returns at once.
    static std::function<void(const QString&)> OpenUrl;

    /// The link's click: the web page address goes to OpenUrl; a failing
    /// hand-off shows nothing and the box stays open.
    void CommentsClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void centreOnScreen();

    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* Comments = nullptr;
    QPushButton* OKButton = nullptr;
};

/// The HelpAbout command: shows the about box modally, owned by owner, and
/// frees it when it closes.
void HelpAboutExecute(QWidget* owner);
