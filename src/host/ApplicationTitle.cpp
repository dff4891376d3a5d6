#include "host/ApplicationTitle.h"

#include "host/Product.h"

namespace {

QString& title() {
    static QString text = QLatin1String(kProductName);
    return text;
}

}  // namespace

QString ApplicationTitle() {
    return title();
}

void SetApplicationTitle(const QString& text) {
    title() = text;
}
