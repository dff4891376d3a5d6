#pragma once

#include <QString>

/// The program's name: its title until a file is shown, the main window's
/// caption over a message page, and the about box's first line.
inline constexpr char kProductName[] = "Tarvel HTML Viewer";

/// The version the build was configured with (the project's version in
/// CMakeLists.txt), as the about box shows it.
QString ProductVersion();

/// The face the windows, the about box and the text view start with. Stored
/// settings name it (a memo font saved unchanged keeps "MS Sans Serif"), so
/// the name stays as it always was; fontconfig substitutes a face that is
/// present, and the stored name is kept as it reads.
inline constexpr char kDefaultFaceName[] = "MS Sans Serif";
