#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <string_view>

#include "base/AsciiCase.h"
#include "base/PathRules.h"

/**
 * The path rules of base/PathRules.h on Qt's strings, as overloads in the
 * same namespace: the same code, run on their UTF-16 code units.
 */
namespace pathrules {

namespace detail {
inline std::u16string_view View(QStringView text) {
    return {text.utf16(), std::size_t(text.size())};
}

inline QString FromView(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}
}  // namespace detail

inline QString ExtractFileExt(const QString& path) {
    return detail::FromView(ExtractFileExt(detail::View(path)));
}

inline QString ExtractFilePath(const QString& path) {
    return detail::FromView(ExtractFilePath(detail::View(path)));
}

inline QString ExtractFileName(const QString& path) {
    return detail::FromView(ExtractFileName(detail::View(path)));
}

inline QString IncludeTrailingSeparator(const QString& folder) {
    return detail::FromView(IncludeTrailingSeparator(detail::View(folder)));
}

inline QString LowerAscii(const QString& text) {
    return detail::FromView(::LowerAscii(detail::View(text)));
}

/// The extension by which a file is sent to its viewer: in ASCII lower
/// case with its dot, so that "IMG_0001.JPG" goes where ".jpg" goes.
inline QString DispatchExtension(const QString& path) {
    return LowerAscii(ExtractFileExt(path));
}

}  // namespace pathrules
