// Built only by the layering test, which expects the build to refuse it: a
// viewer sees its host interface, never the window that implements it.
#include "host/ViewerHost.h"
#include "viewers/text/TextViewer.h"
#include "window/MainWindowUnit.h"

TMemo* ProbeInstall(TMainWindow& window) {
    return InstallTextView(window);
}
