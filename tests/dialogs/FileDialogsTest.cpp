// The file dialogs on a name that is not UTF-8, given as other programs show it: with U+FFFD for
// each byte that is not.

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QMessageBox>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

#include "base/MFileName.h"
#include "dialogs/DialogFixtures.h"
#include "dialogs/FileDialogs.h"

TEST(FileDialogs, ANameShownWithReplacementCharactersIsTheFileOnTheDisk) {
    QTemporaryDir dir;
    const QByteArray native = QFile::encodeName(dir.path()) + "/song\xff.wav";
    // QTemporaryDir cannot remove names that are not UTF-8.
    const auto removeAll =
        qScopeGuard([&] { std::filesystem::remove_all(QFile::encodeName(dir.path()).data()); });
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const QString shown = QFile::decodeName(native);
    ASSERT_TRUE(shown.contains(QChar::ReplacementCharacter));

    // Message boxes are counted and answered Yes (or closed) while the test runs.
    int asked = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&asked] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++asked;
            if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
                yes->click();
            } else {
                box->reject();
            }
        }
    });
    answer.start(10);
    const auto typeName = [&] {
        OnModal<QFileDialog>([&](QFileDialog* d) {
            d->selectFile(shown);
            static_cast<QDialog*>(d)->accept();
            if (d->isVisible()) {
                d->reject();
            }
        });
    };
    typeName();
    int filter = 0;
    const QString opened = FileDialogs::OpenFile(nullptr, QStringLiteral("Select Music File"),
                                                 dir.path(), {{"All Files", "*"}}, filter);
    EXPECT_EQ(MFileName::Encode(opened), native);
    EXPECT_EQ(asked, 0);
    // Saving over it: the same file, once the user has agreed to replace it.
    typeName();
    const QString saved = FileDialogs::SaveFile(nullptr, QStringLiteral("Export"), dir.path(),
                                                {{"All Files", "*"}}, QStringLiteral("wav"));
    EXPECT_EQ(MFileName::Encode(saved), native);
    EXPECT_EQ(asked, 1);

    // A project typed without its suffix is found with it.
    QFile project(dir.filePath(QStringLiteral("p.qlm")));
    ASSERT_TRUE(project.open(QIODevice::WriteOnly));
    project.close();
    OnModal<QFileDialog>([&](QFileDialog* d) {
        d->selectFile(QStringLiteral("p"));
        static_cast<QDialog*>(d)->accept();
        if (d->isVisible()) {
            d->reject();
        }
    });
    EXPECT_EQ(FileDialogs::OpenFile(nullptr, QStringLiteral("Open Quilm Project"), dir.path(),
                                    {{"Quilm Projects", "*.qlm"}}, filter, QStringLiteral("qlm")),
              project.fileName());
}
