#include "ui/ModalSeam.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace modal {
namespace {

class AppRunner final : public Runner {
public:
    int run(QDialog &dialog) override { return dialog.exec(); }
};

AppRunner g_appRunner;
Runner *g_runner = nullptr;

QMessageBox::StandardButton showBox(QWidget *parent, QMessageBox::Icon icon, const QString &caption,
                                    const QString &text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, caption, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    const int r = exec(box);
    if (box.clickedButton())
        return box.standardButton(box.clickedButton());
    return static_cast<QMessageBox::StandardButton>(r == QDialog::Rejected ? QMessageBox::NoButton : r);
}

} // namespace

Runner &runner() { return g_runner ? *g_runner : static_cast<Runner &>(g_appRunner); }

Runner *setRunner(Runner *r)
{
    Runner *old = g_runner;
    g_runner = r;
    return old;
}

int exec(QDialog &dialog) { return runner().run(dialog); }

void error(QWidget *parent, const QString &caption, const QString &text)
{
    showBox(parent, QMessageBox::Critical, caption, text, QMessageBox::Ok, QMessageBox::Ok);
}

void warning(QWidget *parent, const QString &caption, const QString &text)
{
    showBox(parent, QMessageBox::Warning, caption, text, QMessageBox::Ok, QMessageBox::Ok);
}

void information(QWidget *parent, const QString &caption, const QString &text)
{
    showBox(parent, QMessageBox::Information, caption, text, QMessageBox::Ok, QMessageBox::Ok);
}

QMessageBox::StandardButton question(QWidget *parent, const QString &caption, const QString &text,
                                     QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton defaultButton)
{
    return showBox(parent, QMessageBox::Question, caption, text, buttons, defaultButton);
}

void prepareFileDialog(QFileDialog &dialog)
{
    // Qt's own dialog: scriptable in tests and the same on every desktop.
    // Overwrite is confirmed by chooseFile so that the question goes through
    // the runner too.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
}

QString chooseFile(QFileDialog &dialog)
{
    prepareFileDialog(dialog);
    // Answering No to the overwrite question goes back to the dialog, so the
    // user can pick another name.
    for (;;) {
        if (exec(dialog) != QDialog::Accepted)
            return QString();
        const QStringList files = dialog.selectedFiles();
        if (files.isEmpty())
            return QString();
        const QString file = files.first();
        if (dialog.acceptMode() != QFileDialog::AcceptSave || !QFileInfo::exists(file))
            return file;
        const auto answer = question(dialog.parentWidget(), dialog.windowTitle(),
                                     QObject::tr("%1 already exists.\nDo you want to replace it?")
                                         .arg(QDir::toNativeSeparators(file)),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer == QMessageBox::Yes)
            return file;
    }
}

QString chooseFolder(QWidget *parent, const QString &title, const QString &startFolder)
{
    QFileDialog dialog(parent, title, startFolder);
    prepareFileDialog(dialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (exec(dialog) != QDialog::Accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

} // namespace modal
