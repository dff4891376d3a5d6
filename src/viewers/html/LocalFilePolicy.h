#pragma once

#include <string>

/** What kind of request the web engine makes for a local file. */
enum class TRequestKind {
    Navigation,   ///< the page itself: a file opened here or a link followed
    Frame,        ///< a frame, iframe, object or embed showing a document
    Subresource,  ///< an image, style sheet, script, font or media file of the page
    ScriptRead,   ///< XMLHttpRequest, fetch, workers, pings: what script reads itself
};

/** What a local path is on disk, seen through symbolic links. */
enum class TLocalTarget {
    Missing,    ///< nothing there, or not accessible
    Directory,  ///< a folder: the engine would show a listing
    Page,       ///< a regular file of the page's own kind (HTML), also behind links
    File,       ///< any other regular file
    Special,    ///< FIFO, socket or device: reading it may never end
};

/// Classifies a local path: folders, HTML pages (the name and, for a symbolic
/// link, the target's name both with an HTML extension), other files, others.
TLocalTarget ClassifyLocalPath(const std::string& path);

/// True when the name ends in .htm, .html, .xhtml or .xht, in any letter case.
bool HasPageExtension(const std::string& path);

/**
 * The local-file policy of the HTML view. A page keeps everything it needs
 * (its images, style sheets, scripts, frames and links, wherever they are on
 * disk), while script cannot read the user's files: requests that script
 * makes itself never reach local files, and a frame, whose content script may
 * read, shows only pages. Special files are refused everywhere.
 */
bool AllowLocalRequest(TRequestKind kind, TLocalTarget target);
