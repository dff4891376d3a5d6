#pragma once

#include <QCollator>
#include <QObject>
#include <QString>
#include <QStringList>

/**
 * The browsable files of the current folder (files_): full paths ordered by
 * the user's locale with letter case ignored. Two names that differ only in
 * case are both kept, next to each other in a stable order (on a
 * case-sensitive file system they are different files); a path given twice is
 * kept once. Changed() follows every Assign and Clear.
 */
class TFileList : public QObject {
    Q_OBJECT
public:
    TFileList();

    /// Replaces the list by these paths, sorted once.
    void Assign(QStringList paths);
    void Clear();

    const QStringList& Items() const { return items_; }
    int Count() const { return int(items_.size()); }
    bool IsEmpty() const { return items_.isEmpty(); }
    const QString& At(int i) const { return items_.at(i); }

    /// The index of a path: the exact path when listed, else the first entry
    /// equal to it under the list's comparison; -1 when there is none.
    int IndexOfPath(const QString& path) const;

    /// Where a path not listed would stand: the index of the first entry
    /// that comes after it in the list's order.
    int InsertionPoint(const QString& path) const;

    /// The list's comparison: the user's locale, case ignored.
    int Compare(const QString& a, const QString& b) const { return collator_.compare(a, b); }

signals:
    void Changed();

private:
    QCollator collator_;
    QStringList items_;
};
