// Built only by the layering test, which expects the build to refuse it: the
// settings report failures through the error hook of the base layer, never
// through the application above them.
#include "app/Application.h"
#include "base/ErrorReport.h"
#include "settings/FormPlacement.h"

void ProbeReport() {
    TApplication::ShowError(QStringLiteral("probe"));
}
