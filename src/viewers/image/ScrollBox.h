#pragma once

#include <QScrollArea>

/**
 * The scroll box of the IMAGE page (sbImage). Controls go into Client(), at
 * positions in the scrolled area. A control whose "Align" property is
 * alClient fills the visible area (alTop, alBottom, alLeft and alRight dock
 * it to that side); the others keep their place, and the scroll range ends
 * exactly at the right and bottom edges of the visible ones, no margin.
 */
class TScrollBox : public QScrollArea {
    Q_OBJECT
public:
    explicit TScrollBox(QWidget* parent = nullptr);

    /// The widget the controls are children of.
    QWidget* Client() const { return client_; }

    /// Places the aligned controls and sets the scroll range.
    void Realign();

    /// Where the scroll ranges end (the scrolled area's width and height).
    QSize RangeEnd() const;

    /// The scrolled area as it stands. (Qt's scroll area bounds its hint by
    /// a multiple of the font height, which would load the fonts for a page
    /// that shows no text.)
    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* client_;
    bool realigning_ = false;
    bool again_ = false;
};
