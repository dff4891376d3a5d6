#include "window/FileList.h"

#include <QLocale>

#include <algorithm>
#include <vector>

namespace {

QCollator makeCollator() {
    QLocale locale;
    // The C collator ignores case in compare() but not in its sort keys, so
    // under C or POSIX use the language-neutral rules instead.
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    collator.setIgnorePunctuation(false);
    return collator;
}

}  // namespace

TFileList::TFileList() : collator_(makeCollator()) {}

void TFileList::Assign(QStringList paths) {
    struct Entry {
        QCollatorSortKey key;
        int index;
    };
    // The paths of one folder share everything up to the last "/": keys of
    // the names alone order them the same way and take half the work.
    qsizetype common = paths.isEmpty() ? 0 : paths.first().lastIndexOf(QLatin1Char('/')) + 1;
    for (const QString& p : paths)
        if (p.size() < common ||
            QStringView(p).left(common) != QStringView(paths.first()).left(common) ||
            p.indexOf(QLatin1Char('/'), common) >= 0) {
            common = 0;
            break;
        }
    std::vector<Entry> entries;
    entries.reserve(paths.size());
    for (int i = 0; i < paths.size(); ++i)
        entries.push_back({collator_.sortKey(common ? paths[i].mid(common) : paths[i]), i});
    std::sort(entries.begin(), entries.end(), [&paths](const Entry& a, const Entry& b) {
        const int c = a.key.compare(b.key);
        if (c != 0) return c < 0;
        return paths[a.index] < paths[b.index];  // same letters, other case: a stable order
    });
    QStringList sorted;
    sorted.reserve(paths.size());
    for (const Entry& e : entries)
        if (sorted.isEmpty() || sorted.back() != paths[e.index]) sorted.append(paths[e.index]);
    items_ = std::move(sorted);
    emit Changed();
}

void TFileList::Clear() {
    items_.clear();
    emit Changed();
}

int TFileList::IndexOfPath(const QString& path) const {
    const int exact = int(items_.indexOf(path));
    if (exact >= 0) return exact;
    for (int i = 0; i < items_.size(); ++i)
        if (collator_.compare(items_[i], path) == 0) return i;
    return -1;
}

int TFileList::InsertionPoint(const QString& path) const {
    const auto before = [this](const QString& entry, const QString& p) {
        const int c = collator_.compare(entry, p);
        return c != 0 ? c < 0 : entry < p;  // the tie rule of Assign
    };
    return int(std::lower_bound(items_.begin(), items_.end(), path, before) - items_.begin());
}
