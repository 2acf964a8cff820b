#pragma once

#include "app/main_window.h"
#include "editing/file_list_widget.h"
#include "support/fake_file_dialogs.h"
#include "support/fake_program_starter.h"
#include "support/fake_prompter.h"
#include "support/fake_registry.h"
#include "support/gui_application.h"
#include "support/temporary_app_folder.h"
#include "support/widget_lookup.h"

#include <QAbstractButton>
#include <QLineEdit>

namespace test_support {

// A test of the main window: one QApplication for the test program, a fresh
// application folder, and the window with scripted messages, dialogs, registry
// and program starter.
class WindowTest : public TemporaryAppFolderTest {
  protected:
    static void SetUpTestSuite() { ensureGuiApplication(); }

    explicit WindowTest(const QString& appSubfolder = QString())
        : TemporaryAppFolderTest(appSubfolder) {}

    template <typename Widget> Widget* find(const QString& name) {
        return &findWidget<Widget>(m_window, name);
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

    FakePrompter m_prompter;
    FakeFileDialogs m_dialogs;
    FakeRegistry m_registry;
    FakeProgramStarter m_starter;
    MainWindow m_window{m_prompter, m_dialogs, m_registry, m_starter};
};

} // namespace test_support
