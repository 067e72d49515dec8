#pragma once
// The files a test writes for itself: documents, settings, desktop entries, sound and disc images.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

// Writes `bytes` to `path` in place of what was there, making its folder first; false when it cannot.
inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// What `path` holds; empty when it cannot be read.
inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
