#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qeltest {

// A fresh folder per test, removed afterwards.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tempDir_.isValid()); }

    QString dir() const { return tempDir_.path(); }
    QString path(const QString& name) const { return QDir(tempDir_.path()).filePath(name); }

private:
    QTemporaryDir tempDir_;
};

// Where the source tree and the build tree are, as set by the test runner.
QString sourceDir();
QString binaryDir();

} // namespace qeltest
