#include "viewers/image/ScrollBox.h"

// Qt
#include <QChildEvent>
#include <QEvent>
#include <QScrollBar>
#include <QVariant>

// Project
#include "viewers/image/ControlAlign.h"

namespace {

// Passes over the same placement until it no longer changes (scroll bars
// that come or go change the visible area once more).
constexpr int kMaxAlignPasses = 4;

TControlAlign::TAlign AlignOf(const QWidget* control) {
    const QVariant value = control->property("Align");
    if (!value.isValid()) return TControlAlign::alNone;
    return TControlAlign::TAlign(value.toInt());
}

}  // namespace

TScrollBox::TScrollBox(QWidget* parent) : QScrollArea(parent), client_(new QWidget) {
    setObjectName(QStringLiteral("sbImage"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    setBackgroundRole(QPalette::Window);
    viewport()->setBackgroundRole(QPalette::Window);
    viewport()->setAutoFillBackground(true);
    client_->setObjectName(QStringLiteral("sbImageClient"));
    client_->setBackgroundRole(QPalette::Window);
    client_->setAutoFillBackground(true);
    setWidget(client_);
    client_->installEventFilter(this);
    viewport()->installEventFilter(this);
}

QSize TScrollBox::RangeEnd() const {
    return client_->size();
}

QSize TScrollBox::sizeHint() const {
    const int frame = 2 * frameWidth();
    return client_->size() + QSize(frame, frame);
}

bool TScrollBox::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ChildAdded:
            if (watched == client_) {
                QObject* child = static_cast<QChildEvent*>(event)->child();
                if (child->isWidgetType()) child->installEventFilter(this);
                Realign();
            }
            break;
        case QEvent::ChildRemoved:
        case QEvent::LayoutRequest:
            if (watched == client_) Realign();
            break;
        case QEvent::Resize:
            if (watched == viewport() || watched->parent() == client_) Realign();
            break;
        case QEvent::Move:
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
            if (watched->parent() == client_) Realign();
            break;
        default:
            break;
    }
    return QScrollArea::eventFilter(watched, event);
}

void TScrollBox::Realign() {
    if (realigning_) {
        again_ = true;
        return;
    }
    realigning_ = true;
    int passes = 0;
    do {
        again_ = false;
        const QSize area = viewport()->size();
        int right = 0, bottom = 0;
        for (QObject* object : client_->children()) {
            if (!object->isWidgetType()) continue;
            auto* control = static_cast<QWidget*>(object);
            if (control->isHidden()) continue;
            const QRect g = control->geometry();
            switch (AlignOf(control)) {
                case TControlAlign::alClient:
                    control->setGeometry(0, 0, area.width(), area.height());
                    break;
                case TControlAlign::alTop:
                    control->setGeometry(0, 0, area.width(), g.height());
                    break;
                case TControlAlign::alBottom:
                    control->setGeometry(0, area.height() - g.height(), area.width(), g.height());
                    break;
                case TControlAlign::alLeft:
                    control->setGeometry(0, 0, g.width(), area.height());
                    break;
                case TControlAlign::alRight:
                    control->setGeometry(area.width() - g.width(), 0, g.width(), area.height());
                    break;
                default:
                    right = std::max(right, g.right() + 1);
                    bottom = std::max(bottom, g.bottom() + 1);
                    break;
            }
        }
        client_->resize(std::max(right, area.width()), std::max(bottom, area.height()));
    } while (again_ && ++passes < kMaxAlignPasses);
    realigning_ = false;
}
