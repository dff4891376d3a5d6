#pragma once

#include <QString>

#include <functional>

/**
 * The seam through which a viewer plugs into the display dispatch: a load
 * operation for the files of one extension. It raises EError on failure and
 * then leaves its previous content; after a successful load it has made
 * itself the visible control of its page where the page has several.
 */
using TViewerLoad = std::function<void(const QString& path)>;
