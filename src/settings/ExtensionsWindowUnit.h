#pragma once

// ---- Qt ----
#include <QDialog>
#include <QString>
#include <QStringList>

class QListWidget;
class QListWidgetItem;
class QPushButton;

/**
 * The file-type filter dialog: one check box per entry of the file-type list,
 * checked when the entry is enabled. OK is enabled exactly when at least one
 * box is checked, recomputed when the user toggles a box and by "Select all".
 * Entries are never added, removed or reordered here.
 */
class TExtensionsWindow : public QDialog {
    Q_OBJECT
public:
    explicit TExtensionsWindow(QWidget* owner);

    /// Fills the list: a disabled entry ("\txt") appears unchecked without
    /// its backslash, an enabled one checked.
    void SetExtensions(const QStringList& extensions);
    /// The entries in list order, unchecked ones with a backslash before them.
    QStringList Extensions() const;

    QListWidget* lstExtensions = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnAll = nullptr;

    void btnAllClick();

private:
    void lstExtensionsItemChanged(QListWidgetItem* item);
    void updateOk();

    bool filling_ = false;
};

/// The stored text of a file-type list: each entry followed by CR LF.
QString ExtensionsText(const QStringList& extensions);
/// A file-type list from its stored text (CR LF, CR or LF end an entry; a NUL ends the text).
QStringList ExtensionsFromText(const QString& text);

/// Appends to extensions, enabled, each type of shown that was never offered
/// and that the list lacks (enabled or disabled), and records the types of
/// shown as offered (FileTypeOffer::Offer). offered is stored beside the list.
void OfferFileTypes(QStringList& extensions, QStringList& offered, const QStringList& shown);

/// Runs the dialog on a file-type list; on OK the list is rebuilt in place
/// and true is returned.
bool ExecuteExtensionsDialog(QWidget* owner, QStringList& extensions);

/// The OptionsExtensions command on a window with the file-type list
/// (Extensions()), the current folder (CurrentFolder()) and ScanFolder: the
/// dialog, then, on OK, a rescan of the current folder, which shows its first
/// file. Before any folder was scanned there is nothing to rescan: the changed
/// list is kept and used by the first scan.
template <class Window>
void OptionsExtensionsExecute(Window& window) {
    if (!ExecuteExtensionsDialog(&window, window.Extensions())) return;
    const QString folder = window.CurrentFolder();
    if (!folder.isEmpty()) window.ScanFolder(folder);
}
