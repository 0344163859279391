// Writing and reading whole files in tests.
#pragma once

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <string>

inline void writeFile(const QString& path, const std::string& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// The file's bytes, or "<missing>" when it cannot be read.
inline std::string fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll().toStdString();
}
