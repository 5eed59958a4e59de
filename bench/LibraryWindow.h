#pragma once

#include <QApplication>
#include <functional>
#include <memory>

#include "mainwindow/shell/FrmMain.h"
#include "platform/Database.h"
#include "tests/support/WindowRig.h"

// A started main window over a program folder of its own, showing its library page.
struct LibraryWindow {
    testsupport::WindowRig rig;
    std::unique_ptr<shell::FrmMain> window;

    // `prepare` fills the program folder before the window starts.
    explicit LibraryWindow(const std::function<void(testsupport::WindowRig&)>& prepare = {}) {
        if (prepare) prepare(rig);
        window = std::make_unique<shell::FrmMain>(rig.services());
        window->uclVY5103.setTimerEnabled(false);
        window->Show();
        for (int i = 0; i < 100 && window->fields.ActivationPending; ++i)
            QApplication::processEvents();
        window->resize(1200, 800);
        window->cmdInst_Click(2);
        QApplication::processEvents();
    }
    ~LibraryWindow() {
        window.reset();
        platform::Database::close(rig.folder.paths().database());
    }
    LibraryWindow(const LibraryWindow&) = delete;
    LibraryWindow& operator=(const LibraryWindow&) = delete;

    platform::Database db() const {
        return platform::Database::open(rig.folder.paths().database());
    }
    library::LogLibrary& lib() { return *window->logLibrary; }
};
