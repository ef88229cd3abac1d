#include "support/ScriptedRunner.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

ScriptedRunner::ScriptedRunner()
    : m_previous(modal::setRunner(this))
{
}

ScriptedRunner::~ScriptedRunner()
{
    modal::setRunner(m_previous);
    EXPECT_TRUE(m_steps.empty()) << m_steps.size() << " scripted dialog step(s) never ran";
}

void ScriptedRunner::then(Step step) { m_steps.push_back(std::move(step)); }

void ScriptedRunner::thenMessage(QMessageBox::StandardButton button)
{
    then([button](QDialog &d) {
        auto *box = qobject_cast<QMessageBox *>(&d);
        if (!box) {
            ADD_FAILURE() << "expected a message box, got " << d.metaObject()->className() << " \""
                          << d.windowTitle().toStdString() << "\"";
            d.reject();
            return;
        }
        QAbstractButton *b = box->button(button);
        if (!b) {
            ADD_FAILURE() << "message box \"" << box->text().toStdString() << "\" has no such button";
            box->reject();
            return;
        }
        b->click();
    });
}

void ScriptedRunner::thenEscape()
{
    then([](QDialog &d) {
        QWidget *target = d.focusWidget() ? d.focusWidget() : &d;
        QTest::keyClick(target, Qt::Key_Escape);
    });
}

void ScriptedRunner::thenAccept()
{
    then([](QDialog &d) { d.accept(); });
}

void ScriptedRunner::chooseFileIn(QFileDialog &d, const QString &path)
{
    // As a person does: a folder is chosen by going into it; a file by typing
    // its full path into the name field and pressing the accept button.
    const QFileInfo info(path);
    if (d.fileMode() == QFileDialog::Directory) {
        d.setDirectory(info.absoluteFilePath());
        d.selectFile(QString());
    } else if (auto *edit = d.findChild<QLineEdit *>("fileNameEdit")) {
        edit->setText(info.absoluteFilePath());
    } else {
        d.selectFile(info.absoluteFilePath());
    }
    static_cast<QDialog &>(d).accept(); // QFileDialog::accept checks the choice as its button does
}

QString ScriptedRunner::fileNameField(QFileDialog &d)
{
    auto *edit = d.findChild<QLineEdit *>("fileNameEdit");
    return edit ? edit->text() : QString();
}

void ScriptedRunner::thenFile(const QString &path)
{
    thenDialog<QFileDialog>([path](QFileDialog &d) { chooseFileIn(d, path); });
}

int ScriptedRunner::run(QDialog &dialog)
{
    if (auto *box = qobject_cast<QMessageBox *>(&dialog))
        m_seen << box->windowTitle() + "|" + box->text();
    else
        m_seen << dialog.windowTitle();
    if (m_steps.empty()) {
        ADD_FAILURE() << "unexpected modal dialog: " << m_seen.last().toStdString();
        return QDialog::Rejected;
    }
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    QApplication::processEvents();
    step(dialog);
    QApplication::processEvents();
    if (dialog.isVisible()) {
        ADD_FAILURE() << "scripted step left the dialog open: " << m_seen.last().toStdString();
        dialog.reject();
    }
    return dialog.result();
}
