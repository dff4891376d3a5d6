#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>

#include "viewers/image/core/PictureReadAhead.h"

class QTimer;
class QToolButton;
class QWidget;
class TStillPictureControl;
class TScrollBox;
class TZoomable;

/**
 * The IMAGE page: the scroll box sbImage with the image controls, and the
 * toolbar panImageToolbar with the zoom buttons "Actual size" (btnZooomFull)
 * and "Stretch" (btnZoom). The still image control imgImageDisplay is the
 * first image control; another view (the animated GIF view) joins by adding
 * its control with AddImageControl: the buttons then run their steps on it
 * too, in order, and exactly one image control is visible after a load.
 */
class TImageView : public QObject {
    Q_OBJECT
public:
    /// Builds the page's content into page (which becomes this view's parent).
    explicit TImageView(QWidget* page);
    ~TImageView() override;

    /// The view built into a page, or nullptr.
    static TImageView* OfPage(QWidget* page);

    /// Loads a picture file (any format of ProgramPictureFormats) into
    /// imgImageDisplay and makes it the visible image control. On failure
    /// the previous picture and visibility stay.
    /// A picture read ahead is taken as it is (see TPictureReadAhead).
    void LoadPictureFile(const QString& path);

    /// The files next to the one shown, most likely next first: those this
    /// view shows are read ahead once the window has painted what it shows.
    void ReadAhead(const QStringList& paths);
    TPictureReadAhead& PictureReadAhead() { return *readAhead_; }

    /// Starts reading a picture file ahead before any window exists (the
    /// file the program was started on); the first view made takes it over.
    static void ReadAheadAtStart(const std::string& path);

    /// An arrow key (Qt::Key_Left, ...) scrolls the picture one step where it
    /// is larger than the page along that arrow; false when it cannot.
    bool ScrollKey(int key);

    /// Actual-size mode on every image control.
    void ShowActualSize();
    /// Stretch mode on every image control.
    void StretchToFit();

    /// Adds a control (a child of the scroll box's Client()) to the zoom list.
    void AddImageControl(TZoomable* control);
    /// Shows one image control and hides the others.
    void ShowImageControl(TZoomable* control);

    TScrollBox* sbImage() const { return sbImage_; }
    TStillPictureControl* imgImageDisplay() const { return imgImageDisplay_; }
    QWidget* panImageToolbar() const { return panImageToolbar_; }
    QToolButton* btnZooomFull() const { return btnZooomFull_; }
    QToolButton* btnZoom() const { return btnZoom_; }
    const QList<TZoomable*>& ImageControls() const { return controls_; }

private:
    void startReadAhead();

    std::unique_ptr<TPictureReadAhead> readAhead_;
    std::string shownPath_;  // imgImageDisplay's file, as it was when loaded
    TPictureReadAhead::TStamp shownStamp_;
    QStringList wanted_;
    bool readAheadPending_ = false;
    QTimer* readAheadLatest_ = nullptr;
    TScrollBox* sbImage_ = nullptr;
    TStillPictureControl* imgImageDisplay_ = nullptr;
    QWidget* panImageToolbar_ = nullptr;
    QToolButton* btnZooomFull_ = nullptr;
    QToolButton* btnZoom_ = nullptr;
    QList<TZoomable*> controls_;
};
