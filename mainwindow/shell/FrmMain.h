#pragma once

#include <QMainWindow>

namespace shell {

// The program's main window. It keeps the program running until it is closed.
class FrmMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit FrmMain(QWidget* parent = nullptr);

    // Loads the window on first use and shows it modeless; returns once it is visible.
    void Show();
    bool isLoaded() const { return loaded_; }

  private:
    void Form_Load();
    bool loaded_ = false;
};

}  // namespace shell
