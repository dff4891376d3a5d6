#include "window/FolderScan.h"

#include <QFile>

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "base/PathRules.h"
#include "host/FileTypes.h"

bool IsRegularFile(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &st) == 0 &&
           S_ISREG(st.st_mode);
}

bool IsFolder(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &st) == 0 &&
           S_ISDIR(st.st_mode);
}

QStringList ScanFolderFiles(const QString& folder, const QStringList& extensions) {
    std::vector<std::string> enabled;
    for (const QString& e : BrowsedTypes(extensions))
        enabled.push_back(QFile::encodeName(e).toStdString());
    QStringList result;
    if (enabled.empty()) return result;

    const QByteArray folderBytes = QFile::encodeName(folder);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folderBytes.constData()), ::closedir);
    if (!dir) return result;  // unreadable folders count as empty

    std::string fullPath(folderBytes.constData(), folderBytes.size());
    const size_t folderLength = fullPath.size();
    while (const dirent* entry = ::readdir(dir.get())) {
        const char* name = entry->d_name;
        if (name[0] == '.') continue;  // hidden, "." and ".."
        const std::string_view nameView(name);
        bool wanted = false;
        for (const std::string& ext : enabled)
            if (pathrules::MatchesExtension(nameView, ext)) {
                wanted = true;
                break;
            }
        if (!wanted) continue;
        if (entry->d_type != DT_REG) {
            if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) continue;
            struct stat st {};
            fullPath.resize(folderLength);
            fullPath.append(nameView);
            if (::stat(fullPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        }
        result.append(folder + QFile::decodeName(name));
    }
    return result;
}
