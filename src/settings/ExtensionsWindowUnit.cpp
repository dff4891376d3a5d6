#include "settings/ExtensionsWindowUnit.h"

// ---- Qt ----
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

// ---- Standard library ----
#include <string>
#include <vector>

// ---- Project ----
#include "host/FileTypes.h"
#include "host/PushButton.h"
#include "settings/core/FileTypeOffer.h"
#include "settings/core/StoredText.h"

namespace {
constexpr QSize kButtonSize(75, 25);
}  // namespace

TExtensionsWindow::TExtensionsWindow(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("ExtensionsWindow"));
    setWindowTitle(QStringLiteral("Filter"));

    lstExtensions = new QListWidget(this);
    lstExtensions->setObjectName(QStringLiteral("lstExtensions"));
    lstExtensions->setSortingEnabled(false);
    // The list is as designed, whatever size its own hint asks for.
    lstExtensions->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    lstExtensions->setMinimumSize(233, 233);

    btnOk = new TPushButton(QStringLiteral("OK"), kButtonSize, this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new TPushButton(QStringLiteral("Cancel"), kButtonSize, this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    btnAll = new TPushButton(QStringLiteral("Select all"), kButtonSize, this);
    btnAll->setObjectName(QStringLiteral("btnAll"));
    btnAll->setAutoDefault(false);

    // One width for the column: the widest button's.
    for (QPushButton* button : {btnOk, btnCancel, btnAll})
        button->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);

    // The list on the left, the buttons in a column on the right (OK and
    // Cancel together, Select all apart); 334 x 249 as designed, not resizable.
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(7);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    buttons->addSpacing(16);
    buttons->addWidget(btnAll);
    buttons->addStretch(1);
    auto* dialog = new QHBoxLayout(this);
    dialog->setSizeConstraint(QLayout::SetFixedSize);
    dialog->setContentsMargins(8, 8, 3, 8);
    dialog->setSpacing(15);
    dialog->addWidget(lstExtensions, 1);
    dialog->addLayout(buttons);
    dialog->activate();

    // QDialog already rejects on Escape.
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnAll, &QPushButton::clicked, this, &TExtensionsWindow::btnAllClick);
    connect(lstExtensions, &QListWidget::itemChanged, this,
            &TExtensionsWindow::lstExtensionsItemChanged);
}

void TExtensionsWindow::SetExtensions(const QStringList& extensions) {
    filling_ = true;
    lstExtensions->clear();
    for (const QString& entry : extensions) {
        auto* item = new QListWidgetItem(TypeOfEntry(entry));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(IsDisabledType(entry) ? Qt::Unchecked : Qt::Checked);
        lstExtensions->addItem(item);
    }
    filling_ = false;
    // OK starts enabled whatever the boxes say.
    btnOk->setEnabled(true);
}

QStringList TExtensionsWindow::Extensions() const {
    QStringList extensions;
    for (int i = 0; i < lstExtensions->count(); ++i) {
        const QListWidgetItem* item = lstExtensions->item(i);
        extensions << TypeEntry(item->text(), item->checkState() == Qt::Checked);
    }
    return extensions;
}

void TExtensionsWindow::btnAllClick() {
    filling_ = true;
    for (int i = 0; i < lstExtensions->count(); ++i)
        lstExtensions->item(i)->setCheckState(Qt::Checked);
    filling_ = false;
    // Every box is now checked, so OK follows the same rule as for a toggle.
    updateOk();
}

void TExtensionsWindow::lstExtensionsItemChanged(QListWidgetItem*) {
    if (!filling_) updateOk();
}

void TExtensionsWindow::updateOk() {
    bool anyChecked = false;
    for (int i = 0; i < lstExtensions->count() && !anyChecked; ++i)
        anyChecked = lstExtensions->item(i)->checkState() == Qt::Checked;
    btnOk->setEnabled(anyChecked);
}

QString ExtensionsText(const QStringList& extensions) {
    std::vector<std::string> lines;
    lines.reserve(size_t(extensions.size()));
    for (const QString& entry : extensions) lines.push_back(entry.toStdString());
    return QString::fromStdString(StoredText::JoinLines(lines));
}

QStringList ExtensionsFromText(const QString& text) {
    QStringList extensions;
    for (const std::string& line : StoredText::SplitLines(text.toStdString()))
        extensions << QString::fromStdString(line);
    return extensions;
}

void OfferFileTypes(QStringList& extensions, QStringList& offered, const QStringList& shown) {
    const auto toStd = [](const QStringList& list) {
        std::vector<std::string> out;
        for (const QString& entry : list) out.push_back(entry.toStdString());
        return out;
    };
    std::vector<std::string> entries = toStd(extensions);
    std::vector<std::string> offeredTypes = toStd(offered);
    FileTypeOffer::Offer(entries, offeredTypes, toStd(shown));
    // Only appended: the entries already there stay as they were.
    for (std::size_t i = std::size_t(extensions.size()); i < entries.size(); ++i)
        extensions << QString::fromStdString(entries[i]);
    for (std::size_t i = std::size_t(offered.size()); i < offeredTypes.size(); ++i)
        offered << QString::fromStdString(offeredTypes[i]);
}

bool ExecuteExtensionsDialog(QWidget* owner, QStringList& extensions) {
    TExtensionsWindow dialog(owner);
    dialog.SetExtensions(extensions);
    // Centred on the desktop, not on the owner.
    if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    if (dialog.exec() != QDialog::Accepted) return false;
    extensions = dialog.Extensions();
    return true;
}
