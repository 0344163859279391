// The template insert window: a borderless list of the templates, centred over the main window
// at every opening; Enter takes the selected line (the first one until another was chosen),
// Escape closes.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QListWidget;

namespace zorvan {

class TSuportForm : public QDialog {
    Q_OBJECT
public:
    explicit TSuportForm(const std::vector<std::string>& templates, QWidget* parent = nullptr);

    QListWidget* ListBox1 = nullptr;
    // The line taken by the last Enter (UTF-8); read after an OK result.
    const std::string& chosenText() const { return chosen_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Enter takes the selected line and closes with OK; with no line selected it does nothing.
    // Escape closes with Cancel. Returns whether the key was handled.
    bool ListBox1KeyDown(int key);

    std::string chosen_;
};

}  // namespace zorvan
