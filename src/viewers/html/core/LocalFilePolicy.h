#pragma once

#include <string>

/**
 * The local-file policy of the HTML view: a local page keeps everything it
 * shows, and its script reads nothing but the page itself.
 *
 * Every local file that is shown as a document (the page, a frame, an object,
 * a link followed) lives at an address of the viewer's page scheme whose host
 * is a key of that file's path: each file is an origin of its own, so a frame
 * or a window showing another file is cross-origin to the page. The page's
 * other resources are read by the engine from file URLs, whose loader marks a
 * resource of another origin opaque: pictures taint a canvas, style sheets
 * keep their rules, media their samples. Pictures, style sheets and media
 * first pass the scheme's gate, which lets only requests without CORS
 * through, so that a "crossorigin" attribute cannot turn them readable.
 * Scripts and fonts go to file URLs directly (module scripts and fonts need
 * CORS, which the file loader grants a local page), scripts only from files
 * named as scripts. Everything else that reaches a local file (XMLHttpRequest,
 * fetch, workers, pings, prefetches and whatever a later engine adds) is
 * refused, and so is any local request that a page on the web makes.
 */

/** What kind of request the web engine makes for a local file. */
enum class TRequestKind {
    Document,  ///< the page itself, a frame, an object or embed, a link followed
    Script,    ///< a classic or module script, also a JSON or CSS module import
    Font,      ///< a web font
    Passive,   ///< a picture, a style sheet, audio or video: shown, never read
    Other,     ///< XMLHttpRequest, fetch, workers, pings and anything unknown
};

/** Where a request for a local file is addressed. */
enum class TLocalAddress {
    File,         ///< a file URL as a page wrote it
    PassedFile,   ///< a file URL that the gate issued for this one request
    OwnOrigin,    ///< the page scheme at the origin of the file it names
    OtherOrigin,  ///< the page scheme at another origin (a URL relative to a page)
    Gate,         ///< the page scheme's gate for pictures, style sheets and media
};

/** What a local path is on disk, seen through symbolic links. */
enum class TLocalTarget {
    Missing,    ///< nothing there, or not accessible
    Directory,  ///< a folder: the engine would show a listing
    File,       ///< a regular file
    Special,    ///< FIFO, socket, device, or a file of a kernel pseudo file system
                ///< (/proc, /sys, tracing): reading it may never end
};

/** What becomes of a request. */
enum class TLocalRoute {
    Pass,         ///< goes on as it is
    ToOwnOrigin,  ///< redirected to the file's own origin in the page scheme
    ToGate,       ///< redirected through the gate
    ToFile,       ///< redirected to the plain file URL
    Block,        ///< refused before anything is read
};

/** One request for a local file, as the policy sees it. */
struct TLocalRequest {
    TRequestKind kind = TRequestKind::Other;
    TLocalAddress address = TLocalAddress::File;
    TLocalTarget target = TLocalTarget::Missing;
    /// Made by a local page, or by the viewer itself for a top-level page.
    bool fromLocalPage = false;
    /// The file is named as a script (IsScriptFile).
    bool scriptName = false;
    /// For an address of the page scheme at another origin: it carries the
    /// key of the document that made the request, as a URL resolved against
    /// that document does. An address with any other key was made elsewhere
    /// (a redirect from the web names whatever it likes).
    bool keyOfInitiator = false;
};

/// Classifies a local path by what it is on disk. A path with a control
/// character (a NUL decoded from %00 among them) is Missing before anything
/// is looked up: the system would read a NUL as the end of the name.
TLocalTarget ClassifyLocalPath(const std::string& path);

/// True when the text holds a byte below 0x20 or DEL.
bool HasControlCharacter(const std::string& text);

/// True for a descriptor's or path's file system type whose files are made
/// by the kernel on demand (proc, sysfs, debugfs, tracefs and the like):
/// their sizes say nothing and a read may block for ever.
bool IsPseudoFileSystem(long type);

/// The MIME type a local document is served with: pages, pictures and PDF by
/// their extension, anything else as plain text, so that no file's name can
/// make it run as a page when it is not named as one.
const char* DocumentTypeOf(const std::string& path);

/// True when the name ends in .js, .mjs or .cjs, in any letter case, also
/// followed by ".download" as browsers save the scripts of a page. Data files
/// (JSON, CSS, text, keys) never run as a script or load as a module.
bool HasScriptName(const std::string& path);

/// HasScriptName for the path and, behind symbolic links, for its target:
/// a link named like a script may point at any file.
bool IsScriptFile(const std::string& path);

/// The policy's decision for one request.
TLocalRoute RouteLocalRequest(const TLocalRequest& request);
