#pragma once

#include "files/app_folder.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace test_support {

// A fresh temporary folder holding the application folder that the program's
// code in this test process uses (GetAppFolder points there while the object
// lives): the temporary folder itself, or a named folder inside it, with room
// beside it for the files a job works on. One at a time per test.
class TemporaryAppFolder {
  public:
    explicit TemporaryAppFolder(const QString& appSubfolder = QString())
        : m_appFolder(m_root.path() + u'/' + appSubfolder) {
        if (!m_appFolder.endsWith(u'/'))
            m_appFolder += u'/';
        m_valid = m_root.isValid() && QDir().mkpath(m_appFolder);
        setAppFolderForTesting(m_appFolder);
    }
    ~TemporaryAppFolder() { setAppFolderForTesting(QString()); }
    TemporaryAppFolder(const TemporaryAppFolder&) = delete;
    TemporaryAppFolder& operator=(const TemporaryAppFolder&) = delete;

    bool isValid() const { return m_valid; }

    // The temporary folder; everything of a test lies below it.
    QString root() const { return m_root.path(); }
    QString path(const QString& relative) const { return root() + u'/' + relative; }
    // The application folder, ending in "/".
    QString appFolder() const { return m_appFolder; }

  private:
    QTemporaryDir m_root;
    QString m_appFolder;
    bool m_valid = false;
};

// The fixture of a test that needs a temporary application folder; path()
// names files below the temporary folder.
class TemporaryAppFolderTest : public ::testing::Test {
  protected:
    explicit TemporaryAppFolderTest(const QString& appSubfolder = QString())
        : m_folder(appSubfolder) {}

    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    QString path(const QString& relative) const { return m_folder.path(relative); }

    TemporaryAppFolder m_folder;
};

} // namespace test_support
