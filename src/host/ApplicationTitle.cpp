#include "host/ApplicationTitle.h"

namespace {

QString& title() {
    static QString text = QStringLiteral("Tarvel HTML Viewer");
    return text;
}

}  // namespace

QString ApplicationTitle() {
    return title();
}

void SetApplicationTitle(const QString& text) {
    title() = text;
}
