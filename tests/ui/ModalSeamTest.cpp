#include "support/ScriptedRunner.h"
#include "ui/ModalSeam.h"
#include "ui/OkCancelFrame.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>

TEST(ModalSeam, QuestionReturnsTheButtonPressed)
{
    ScriptedRunner script;
    script.thenMessage(QMessageBox::No);
    script.thenMessage(QMessageBox::Yes);
    EXPECT_EQ(modal::question(nullptr, "Q", "first?"), QMessageBox::No);
    EXPECT_EQ(modal::question(nullptr, "Q", "second?"), QMessageBox::Yes);
    EXPECT_EQ(script.seen(), QStringList({"Q|first?", "Q|second?"}));
}

TEST(ModalSeam, SaveOverExistingFileAsksAndNoGoesBackToTheDialog)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.log");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        ScriptedRunner script;
        script.thenFile(path);
        script.thenMessage(answer);
        if (answer == QMessageBox::No)
            script.thenEscape(); // the dialog comes back; the user gives up
        QFileDialog dialog(nullptr, "Save Log", dir.path());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        const QString chosen = modal::chooseFile(dialog);
        EXPECT_EQ(chosen, answer == QMessageBox::Yes ? path : QString());
    }
}

TEST(ModalSeam, EscapeCancelsAFolderChoice)
{
    ScriptedRunner script;
    script.thenEscape();
    EXPECT_EQ(modal::chooseFolder(nullptr, ""), QString());
}

TEST(ModalSeam, FolderChoiceReturnsTheFolder)
{
    QTemporaryDir dir;
    ScriptedRunner script;
    script.thenFile(dir.path());
    EXPECT_EQ(modal::chooseFolder(nullptr, "", dir.path()), dir.path());
}

TEST(OkCancelStrip, EnterChoosesOkUnlessCancelHasTheFocus)
{
    for (bool onCancel : {false, true}) {
        QDialog dialog;
        auto *edit = new QLineEdit(&dialog);
        auto *strip = new T_frmOkCancel(&dialog);
        auto *layout = new QVBoxLayout(&dialog);
        layout->addWidget(edit);
        layout->addWidget(strip);
        ScriptedRunner script;
        script.then([&](QDialog &d) {
            QWidget *target = onCancel ? static_cast<QWidget *>(strip->cancelButton()) : edit;
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Return);
            EXPECT_FALSE(d.isVisible());
        });
        EXPECT_EQ(modal::exec(dialog), onCancel ? QDialog::Rejected : QDialog::Accepted);
    }
}
