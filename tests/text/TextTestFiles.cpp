#include "TextTestFiles.h"

#include <QFile>

TextTestFiles::TextTestFiles() = default;

QString TextTestFiles::Path(const QString& name) const {
    return dir_.filePath(name);
}

QString TextTestFiles::Write(const QString& name, const std::string& bytes) const {
    const QString path = Path(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes.data(), qint64(bytes.size()));
    return path;
}
