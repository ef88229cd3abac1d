#pragma once
// Every modal thing (dialog exec, message box, file and folder dialog,
// question) runs through one runner, so tests can act on the real widget
// instead of blocking in a modal loop.

#include <QMessageBox>
#include <QString>

class QDialog;
class QWidget;
class QFileDialog;

namespace modal {

class Runner {
public:
    virtual ~Runner() = default;
    // Runs the dialog modally and returns its result code.
    virtual int run(QDialog &dialog) = 0;
};

// The runner in use; the application's one (QDialog::exec) unless a test
// installed another.
Runner &runner();
// Installs a runner; nullptr restores the application's runner. Returns the
// previous one (nullptr when it was the application's).
Runner *setRunner(Runner *r);

// Runs a dialog through the current runner.
int exec(QDialog &dialog);

// Message boxes. Captions and texts are shown as given.
void error(QWidget *parent, const QString &caption, const QString &text);
void warning(QWidget *parent, const QString &caption, const QString &text);
void information(QWidget *parent, const QString &caption, const QString &text);
// Returns the standard button that closed the box (NoButton on Escape
// without an escape button).
QMessageBox::StandardButton question(QWidget *parent, const QString &caption, const QString &text,
                                     QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// Sets up a QFileDialog that can be scripted (Qt's own, not the platform's).
void prepareFileDialog(QFileDialog &dialog);

// Shows a prepared file dialog; returns the chosen file or an empty text when
// cancelled. When the dialog saves and the file exists, asks before
// overwriting (the question goes through the runner as well); No shows the
// dialog again.
QString chooseFile(QFileDialog &dialog);

// Folder picker; returns an empty text when cancelled.
QString chooseFolder(QWidget *parent, const QString &title, const QString &startFolder = QString());

} // namespace modal
