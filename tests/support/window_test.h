#pragma once

#include "app/main_window.h"
#include "editing/file_list_widget.h"
#include "files/app_folder.h"
#include "support/fake_file_dialogs.h"
#include "support/fake_program_starter.h"
#include "support/fake_prompter.h"
#include "support/fake_registry.h"
#include "support/gui_application.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTemporaryDir>

// A test of the main window: one QApplication for the test program, a fresh
// application folder, and the window with scripted messages and dialogs.
class WindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ensureGuiApplication(); }

    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        setAppFolderForTesting(m_dir.path());
    }
    void TearDown() override { setAppFolderForTesting(QString()); }

    QString path(const QString& name) const { return m_dir.path() + "/" + name; }

    template <typename Widget> Widget* find(const QString& name) {
        auto* widget = m_window.findChild<Widget*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    FileListWidget* list() { return find<FileListWidget>("list_File"); }
    QLineEdit* box(int i) { return find<QLineEdit>(QString("Text1_%1").arg(i)); }
    void click(const QString& name) { find<QAbstractButton>(name)->click(); }

    QStringList entries() {
        QStringList texts;
        for (int i = 0; i < list()->count(); ++i)
            texts.append(list()->item(i)->text());
        return texts;
    }

    QTemporaryDir m_dir;
    FakePrompter m_prompter;
    FakeFileDialogs m_dialogs;
    FakeRegistry m_registry;
    FakeProgramStarter m_starter;
    MainWindow m_window{m_prompter, m_dialogs, m_registry, m_starter};
};
