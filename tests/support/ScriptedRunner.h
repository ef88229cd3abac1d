#pragma once
// Test side of the modal seam: each modal dialog the code under test opens is
// handed, shown but not blocking, to the next scripted step, which acts on it
// as a person would and closes it.

#include "support/QtPrinters.h"
#include "ui/ModalSeam.h"

#include <QDialog>
#include <QMessageBox>
#include <QStringList>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

class QFileDialog;

class ScriptedRunner : public modal::Runner {
public:
    using Step = std::function<void(QDialog &)>;

    ScriptedRunner();
    ~ScriptedRunner() override;
    ScriptedRunner(const ScriptedRunner &) = delete;
    ScriptedRunner &operator=(const ScriptedRunner &) = delete;

    // Queues a step for the next dialog.
    void then(Step step);
    // Queues a step for a dialog of type D; a dialog of another type fails the test.
    template <class D>
    void thenDialog(std::function<void(D &)> step)
    {
        then([step](QDialog &d) {
            auto *typed = dynamic_cast<D *>(&d);
            if (!typed) {
                ADD_FAILURE() << "unexpected dialog " << d.metaObject()->className() << " \""
                              << d.windowTitle().toStdString() << "\"";
                d.reject();
                return;
            }
            step(*typed);
        });
    }
    // Queues: the next dialog is a message box; records it and presses `button`.
    void thenMessage(QMessageBox::StandardButton button = QMessageBox::Ok);
    // Queues: press Escape in the dialog's focus widget (or the dialog).
    void thenEscape();
    // Queues: accept the dialog (as OK would).
    void thenAccept();
    // Queues: the next dialog is a QFileDialog; types `path` and presses its
    // accept button (Open/Save/Choose).
    void thenFile(const QString &path);
    // The same, for a step that first looks at the dialog.
    static void chooseFileIn(QFileDialog &dialog, const QString &path);
    // The text of a file dialog's name field.
    static QString fileNameField(QFileDialog &dialog);

    int run(QDialog &dialog) override;

    // Every dialog shown, as "caption|text" for message boxes and the caption otherwise.
    const QStringList &seen() const { return m_seen; }
    int pending() const { return int(m_steps.size()); }

private:
    std::deque<Step> m_steps;
    QStringList m_seen;
    modal::Runner *m_previous;
};
