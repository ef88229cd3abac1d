#include "support/ScriptedRunner.h"
#include "ui/ModalSeam.h"

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
