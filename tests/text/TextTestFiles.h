#pragma once

#include <QString>
#include <QTemporaryDir>

#include <string>

/** A private folder of test files, removed with the object. */
class TextTestFiles {
public:
    TextTestFiles();
    /// Writes bytes to a file of that name and returns its path.
    QString Write(const QString& name, const std::string& bytes) const;
    QString Path(const QString& name) const;

private:
    QTemporaryDir dir_;
};
