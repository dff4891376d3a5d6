#include "viewers/image/QtPictureFormats.h"

// Qt
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>

// C++ standard library
#include <memory>

// Project
#include "viewers/image/QtPicture.h"
#include "viewers/image/core/PictureFormats.h"

namespace {

// The formats QImageReader reads without a plugin (QtGui's own handlers).
const char* const kBuiltInFormats[] = {"png", "bmp", "pbm", "pgm", "ppm", "xbm", "xpm"};

// The common formats first, in the order the file-type list shows them.
const char* const kLeadingFormats[] = {"png", "webp", "svg", "svgz", "tif", "tiff", "ico"};

// Shown by views of their own.
const char* const kOtherViews[] = {"gif"};

}  // namespace

QStringList QtReadableFormats() {
    QStringList formats;
    for (const char* format : kBuiltInFormats) formats << QString::fromLatin1(format);
    const QString iid = QStringLiteral("org.qt-project.Qt.QImageIOHandlerFactoryInterface");
    for (const QString& folder : QCoreApplication::libraryPaths()) {
        const QDir plugins(folder + QStringLiteral("/imageformats"));
        for (const QString& file : plugins.entryList(QDir::Files, QDir::Name)) {
            // The description is read from the file; the library is not loaded.
            const QJsonObject meta = QPluginLoader(plugins.filePath(file)).metaData();
            if (meta.value(QStringLiteral("IID")).toString() != iid) continue;
            const QJsonArray keys = meta.value(QStringLiteral("MetaData"))
                                        .toObject()
                                        .value(QStringLiteral("Keys"))
                                        .toArray();
            for (const QJsonValue& key : keys) {
                const QString format = key.toString().toLower();
                if (!format.isEmpty() && !formats.contains(format)) formats << format;
            }
        }
    }
    return formats;
}

const TPictureFormats& ProgramPictureFormats() {
    static const TPictureFormats formats = [] {
        TPictureFormats list = TPictureFormats::Default();
        QStringList qt = QtReadableFormats();
        QStringList ordered;
        for (const char* format : kLeadingFormats)
            if (qt.removeAll(QString::fromLatin1(format)) > 0)
                ordered << QString::fromLatin1(format);
        qt.sort();
        ordered << qt;
        for (const QString& format : ordered) {
            const std::string name = format.toStdString();
            if (list.Find(name)) continue;
            bool elsewhere = false;
            for (const char* other : kOtherViews) elsewhere = elsewhere || name == other;
            if (elsewhere) continue;
            list.Add({name, format.toUpper().toStdString() + " image",
                      [name] { return std::make_unique<TQtPicture>(name); }});
        }
        return list;
    }();
    return formats;
}
