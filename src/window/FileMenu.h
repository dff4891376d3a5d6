#pragma once

#include <QStringList>
#include <QWidget>

#include <vector>

class QListView;
class FileMenuModel;

/**
 * The file menu (pmFiles): a popup list with one item per file, item i
 * captioned with the file's name and tagged i, each with its accelerator key
 * underlined. Unlike a QMenu it stays one scrollable column and opens in time
 * linear in the number of items, so folders of thousands of files work.
 * Keys: an item's accelerator chooses it; arrows, Home/End, Page keys, Enter
 * and Escape as in a menu. Both mouse buttons choose.
 */
class TFileMenu : public QWidget {
    Q_OBJECT
public:
    explicit TFileMenu(QWidget* parent);
    ~TFileMenu() override;

    /// Replaces the items: names (shown with "&" as itself) and the index of
    /// each item's accelerator character in its name, or -1.
    void SetItems(const QStringList& names, const std::vector<int>& accelerators);
    void Clear();

    int Count() const;
    QString Name(int i) const;
    /// The accelerator character of item i (upper case), or a null QChar.
    QChar Accelerator(int i) const;

    /// Shows the menu with its top-left corner at a screen point, kept on
    /// screen, with item `active` (the file shown) as its active entry,
    /// scrolled into view; -1: none, the list at its top.
    void Popup(const QPoint& topLeft, int active = -1);
    /// The active entry (where the arrow keys go on from), or -1.
    int ActiveItem() const;
    /// Chooses item i: hides the menu and emits Chosen(i).
    void Choose(int i);

signals:
    void Chosen(int tag);
    /// The menu went away, whether an item was chosen or not.
    void Hidden();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
public:
    QListView* List() const { return list_; }

private:
    QListView* list_;
    FileMenuModel* model_;
    QPoint openedAt_;  // where the pointer was when the menu opened
};
