#include "window/FileMenu.h"

// Qt
#include <QAbstractListModel>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

class FileMenuModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void set(const QStringList& names, const std::vector<int>& accelerators) {
        beginResetModel();
        names_ = names;
        accelerators_ = accelerators;
        accelerators_.resize(size_t(names_.size()), -1);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(names_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= names_.size()) return {};
        if (role == Qt::DisplayRole) return captionWithMarker(index.row());
        return {};
    }
    // The name with "&" doubled and the accelerator marked, as menus write it.
    QString captionWithMarker(int row) const {
        const QString& name = names_[row];
        const int key = accelerators_[size_t(row)];
        QString text;
        text.reserve(name.size() + 4);
        for (int p = 0; p < name.size(); ++p) {
            if (p == key) text += QLatin1Char('&');
            if (name[p] == QLatin1Char('&')) text += QLatin1Char('&');
            text += name[p];
        }
        return text;
    }
    QChar accelerator(int row) const {
        const int key = accelerators_[size_t(row)];
        return key >= 0 ? names_[row][key].toUpper() : QChar();
    }

    QStringList names_;
    std::vector<int> accelerators_;
};

namespace {

// Draws the caption with its accelerator underlined.
class MnemonicDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        const bool selected = opt.state & QStyle::State_Selected;
        const QRect r = opt.rect.adjusted(6, 0, -6, 0);
        style->drawItemText(painter, r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                            opt.palette, true, text,
                            selected ? QPalette::HighlightedText : QPalette::Text);
    }
};

}  // namespace

TFileMenu::TFileMenu(QWidget* parent) : QWidget(parent, Qt::Popup) {
    setObjectName(QStringLiteral("pmFiles"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    list_ = new QListView(this);
    model_ = new FileMenuModel(this);
    list_->setModel(model_);
    list_->setUniformItemSizes(true);  // row heights are not measured one by one
    list_->setItemDelegate(new MnemonicDelegate(list_));
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setMouseTracking(true);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->viewport()->installEventFilter(this);
    list_->installEventFilter(this);
    layout->addWidget(list_);
    connect(list_, &QListView::entered, this, [this](const QModelIndex& i) {
        // The menu opens under the pointer: the item there becomes active
        // only once the pointer moves, as in a menu, so the file shown stays
        // the active entry until then.
        if (QCursor::pos() != openedAt_) list_->setCurrentIndex(i);
    });
    connect(list_, &QListView::activated, this, [this](const QModelIndex& i) { Choose(i.row()); });
}

TFileMenu::~TFileMenu() = default;

void TFileMenu::SetItems(const QStringList& names, const std::vector<int>& accelerators) {
    model_->set(names, accelerators);
}

void TFileMenu::Clear() {
    model_->set({}, {});
}

int TFileMenu::Count() const {
    return int(model_->names_.size());
}

QString TFileMenu::Name(int i) const {
    return model_->names_.value(i);
}

QChar TFileMenu::Accelerator(int i) const {
    return model_->accelerator(i);
}

int TFileMenu::ActiveItem() const {
    const QModelIndex index = list_->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void TFileMenu::Popup(const QPoint& topLeft, int active) {
    QScreen* screen = QGuiApplication::screenAt(topLeft);
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect area = screen->availableGeometry();

    // Width from the longest name (measured once each), height up to the screen.
    const QFontMetrics metrics(list_->font());
    int textWidth = 80;
    for (const QString& n : model_->names_)
        textWidth = qMax(textWidth, metrics.horizontalAdvance(n));
    const int rowHeight = qMax(metrics.height() + 4, list_->sizeHintForRow(0));
    const int rows = qMax(1, Count());
    const int scrollWidth =
        rows * rowHeight > area.height() ? list_->verticalScrollBar()->sizeHint().width() : 0;
    const QSize size(qMin(area.width(), textWidth + 16 + scrollWidth),
                     qMin(area.height(), rows * rowHeight + 2));

    // Left- and top-aligned at the point, moved back onto the screen if needed.
    QPoint at = topLeft;
    at.setX(qBound(area.left(), at.x(), area.right() - size.width() + 1));
    at.setY(qBound(area.top(), at.y(), area.bottom() - size.height() + 1));
    setGeometry(QRect(at, size));
    openedAt_ = QCursor::pos();
    list_->clearSelection();
    list_->scrollToTop();
    show();
    list_->setFocus();
    if (active >= 0 && active < Count()) {
        // Scrolled once the list has its size: in the middle where it can be.
        const QModelIndex index = model_->index(active);
        list_->setCurrentIndex(index);
        list_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    }
}

void TFileMenu::Choose(int i) {
    hide();
    if (i >= 0 && i < Count()) emit Chosen(i);
}

void TFileMenu::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TFileMenu::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    emit Hidden();
}

bool TFileMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        // Either button chooses, as in a popup menu that tracks both.
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex index = list_->indexAt(mouse->position().toPoint());
        if (index.isValid()) Choose(index.row());
        return true;
    }
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            hide();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Choose(list_->currentIndex().row());
            return true;
        }
        const QString text = key->text().toUpper();
        if (text.size() == 1 && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            for (int i = 0; i < Count(); ++i)
                if (Accelerator(i) == text[0]) {
                    Choose(i);
                    return true;
                }
        }
    }
    return false;
}
