// The Open and Save As dialogs: the real QFileDialog on the offscreen platform,
// driven by a timer or by the answer script, and what the caller gets back.
#include "platform/CommonDialogs.h"
#include "platform/testhooks/TestHooks.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "test_platform_shell";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

QFileDialog* OpenFileDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible())
            return d;
    return nullptr;
}

const char kFilter[] = "Talvo-filer (*.tlv)\0*.tlv\0Alla filer (*.*)\0*.*\0";

class FileDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        char pattern[] = "/tmp/talvo-dlg-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        m_dir = pattern;
        std::ofstream(m_dir + "/lista.tlv") << "Talvo_1.2\r\n";
        std::ofstream(m_dir + "/notes.txt") << "x";
        testhooks::ClearFileDialogs();
        testhooks::EnableMessageBoxHook(true);
        testhooks::ClearMessageBoxes();
        std::memset(m_buffer, 0, sizeof m_buffer);
        std::strcpy(m_buffer, "start.tlv");
        m_ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400;
        m_ofn.lpstrFilter = kFilter;
        m_ofn.nFilterIndex = 1;
        m_ofn.lpstrFile = m_buffer;
        m_ofn.nMaxFile = sizeof m_buffer;
        m_ofn.lpstrInitialDir = m_dir.c_str();
        m_ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    }
    void TearDown() override
    {
        testhooks::ClearFileDialogs();
        testhooks::EnableMessageBoxHook(false);
        std::system(("rm -rf '" + m_dir + "'").c_str());
    }
    std::string m_dir;
    char m_buffer[260];
    OPENFILENAMEA m_ofn;
};

TEST_F(FileDialogs, RealOpenDialogIsSwedishAndReturnsTheChosenFileAndType)
{
    QString title;
    QStringList filters;
    QTimer::singleShot(300, [&] {
        QFileDialog* d = OpenFileDialog();
        ASSERT_TRUE(d);
        title = d->windowTitle();
        filters = d->nameFilters();
        d->selectNameFilter(filters.value(1));
        auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_TRUE(name);
        name->setText(QStringLiteral("notes.txt"));  // as typed
        QMetaObject::invokeMethod(d, "accept", Qt::DirectConnection);
    });
    ASSERT_TRUE(GetOpenFileNameA(&m_ofn));
    EXPECT_EQ(title, QStringLiteral("Öppna"));
    EXPECT_EQ(filters, (QStringList{"Talvo-filer (*.tlv) (*.tlv)", "Alla filer (*.*) (*)"}));
    EXPECT_EQ(std::string(m_buffer), m_dir + "/notes.txt");
    EXPECT_EQ(m_ofn.nFilterIndex, 2u);
    EXPECT_EQ(m_ofn.nFileOffset, m_dir.size() + 1);
    EXPECT_EQ(std::string(m_buffer + m_ofn.nFileExtension), "txt");
}

TEST_F(FileDialogs, CancelLeavesTheBufferAndTheFilterIndexAlone)
{
    m_ofn.nFilterIndex = 2;
    QTimer::singleShot(50, [] {
        if (QFileDialog* d = OpenFileDialog())
            d->reject();
    });
    EXPECT_FALSE(GetSaveFileNameA(&m_ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_STREQ(m_buffer, "start.tlv");
    EXPECT_EQ(m_ofn.nFilterIndex, 2u);

    testhooks::QueueFileDialogCancel();
    EXPECT_FALSE(GetOpenFileNameA(&m_ofn));
    EXPECT_STREQ(m_buffer, "start.tlv");
    EXPECT_EQ(m_ofn.nFilterIndex, 2u);
}

TEST_F(FileDialogs, RequestIsRecordedAsAsked)
{
    m_ofn.lpstrDefExt = "tlv";
    m_ofn.lpstrTitle = "Spara lista";
    testhooks::QueueFileDialogCancel();
    GetSaveFileNameA(&m_ofn);
    ASSERT_EQ(testhooks::FileDialogRequests().size(), 1u);
    const testhooks::FileDialogRequest& r = testhooks::FileDialogRequests()[0];
    EXPECT_FALSE(r.open);
    EXPECT_EQ(r.title, "Spara lista");
    EXPECT_EQ(r.initialDir, m_dir);
    EXPECT_EQ(r.initialFile, "start.tlv");
    ASSERT_EQ(r.filters.size(), 2u);
    EXPECT_EQ(r.filters[1], (std::pair<std::string, std::string>{"Alla filer (*.*)", "*.*"}));
    EXPECT_EQ(r.defaultExt, "tlv");
    EXPECT_EQ(r.flags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
}

TEST_F(FileDialogs, SaveAddsTheDefaultExtensionAndAsksBeforeReplacing)
{
    m_ofn.lpstrDefExt = "tlv";
    testhooks::QueueFileDialogPath("ny");
    ASSERT_TRUE(GetSaveFileNameA(&m_ofn));
    EXPECT_EQ(std::string(m_buffer), m_dir + "/ny.tlv");
    EXPECT_TRUE(testhooks::MessageBoxes().empty()) << "nothing to replace";

    // "lista" exists as lista.tlv: No keeps the dialog, the next name is taken.
    testhooks::QueueFileDialogPath("lista", 2);
    testhooks::QueueFileDialogPath("annan");
    testhooks::QueueMessageBoxAnswer(IDNO);
    ASSERT_TRUE(GetSaveFileNameA(&m_ofn));
    EXPECT_EQ(std::string(m_buffer), m_dir + "/annan.tlv");
    ASSERT_EQ(testhooks::MessageBoxes().size(), 1u);
    EXPECT_EQ(testhooks::MessageBoxes()[0].text, "lista.tlv finns redan.\nVill du ersätta den?");
    EXPECT_EQ(testhooks::MessageBoxes()[0].type & MB_TYPEMASK, MB_YESNO);

    testhooks::ClearMessageBoxes();
    testhooks::QueueFileDialogPath(m_dir + "/lista.tlv");
    testhooks::QueueMessageBoxAnswer(IDYES);
    ASSERT_TRUE(GetSaveFileNameA(&m_ofn));
    EXPECT_EQ(std::string(m_buffer), m_dir + "/lista.tlv");

    // Without the flag nobody asks.
    testhooks::ClearMessageBoxes();
    m_ofn.Flags = OFN_HIDEREADONLY;
    testhooks::QueueFileDialogPath("lista.tlv");
    ASSERT_TRUE(GetSaveFileNameA(&m_ofn));
    EXPECT_TRUE(testhooks::MessageBoxes().empty());
}

TEST_F(FileDialogs, OverwriteRefusedWithNothingElseQueuedCancels)
{
    testhooks::QueueFileDialogPath("lista.tlv");
    testhooks::QueueMessageBoxAnswer(IDNO);
    EXPECT_FALSE(GetSaveFileNameA(&m_ofn));
    EXPECT_STREQ(m_buffer, "start.tlv");
}

TEST_F(FileDialogs, MultipleSelectionLaysOutFolderAndNames)
{
    m_ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST;
    testhooks::FileDialogAnswer answer;
    answer.paths = {m_dir + "/lista.tlv", m_dir + "/notes.txt"};
    testhooks::QueueFileDialogAnswer(answer);
    ASSERT_TRUE(GetOpenFileNameA(&m_ofn));
    std::string expected = m_dir + '\0' + "lista.tlv" + '\0' + "notes.txt" + '\0' + '\0';
    EXPECT_EQ(std::string(m_buffer, expected.size()), expected);
    EXPECT_EQ(m_ofn.nFileOffset, m_dir.size() + 1);
}

TEST_F(FileDialogs, BadStructuresAndSmallBuffersFail)
{
    m_ofn.lStructSize = 12;
    EXPECT_FALSE(GetOpenFileNameA(&m_ofn));
    EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
    m_ofn.lStructSize = sizeof(OPENFILENAMEA);
    char tiny[8] = "x";
    m_ofn.lpstrFile = tiny;
    m_ofn.nMaxFile = sizeof tiny;
    testhooks::QueueFileDialogPath("lista.tlv");
    testhooks::QueueMessageBoxAnswer(IDYES);
    EXPECT_FALSE(GetSaveFileNameA(&m_ofn));
    EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
    EXPECT_STREQ(tiny, "x");
}

}  // namespace
