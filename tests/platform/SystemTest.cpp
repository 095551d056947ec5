// The tray icon, the alarm sound and the claim on a data file.

#include "CoreTestSupport.h"

#include "platform/Instance.h"
#include "platform/qt/QtHandles.h"
#include "platform/Sound.h"
#include "platform/testhooks/TestHooks.h"
#include "platform/Tray.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <future>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace coretest;

namespace {

constexpr UINT kTrayMessage = WM_APP + 100;

class CTrayHost : public CWnd {
public:
    std::vector<LPARAM> clicks;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kTrayMessage)
            clicks.push_back(lParam);
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(TrayTest, KeepsIconTipAndCallbackAndDeliversClicks)
{
    EnsureStarted();
    QWidget widget;
    CTrayHost host;
    host.Attach(HandleFromWidget(&widget));
    testhooks::SetTrayAvailable(1);

    NOTIFYICONDATA nid;
    nid.cbSize = sizeof nid;
    nid.hWnd = host.m_hWnd;
    nid.uID = 1;
    nid.uFlags = NIF_MESSAGE | NIF_TIP;
    nid.uCallbackMessage = kTrayMessage;
    std::strcpy(nid.szTip, "Talvo");
    EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &nid));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &nid));  // already there
    testhooks::TrayState s = testhooks::Tray();
    EXPECT_TRUE(s.present);
    EXPECT_EQ(s.tip, "Talvo");
    EXPECT_EQ(s.callbackMessage, kTrayMessage);

    testhooks::ClickTray(WM_LBUTTONDOWN);
    testhooks::ClickTray(WM_RBUTTONDOWN);
    ASSERT_EQ(host.clicks.size(), 2u);
    EXPECT_EQ(host.clicks[0], LPARAM(WM_LBUTTONDOWN));
    EXPECT_EQ(host.clicks[1], LPARAM(WM_RBUTTONDOWN));

    // A tip cut to fit by its caller may end in half a letter: the half is
    // dropped, the rest kept. A tip filling its field is cut at 63 bytes in
    // the first, 88-byte layout, and at 127 in the later one.
    nid.cbSize = 88;
    std::string tip(62, 'x');
    tip += '\xC3';
    std::strcpy(nid.szTip, tip.c_str());
    nid.uFlags = NIF_TIP;
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &nid));
    EXPECT_EQ(testhooks::Tray().tip, std::string(62, 'x'));
    tip = std::string(59, 'x') + "\xC3\xA4\xE2\x82";
    std::strcpy(nid.szTip, tip.c_str());
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &nid));
    EXPECT_EQ(testhooks::Tray().tip, std::string(59, 'x') + "\xC3\xA4");
    std::memset(nid.szTip, 'y', sizeof nid.szTip);
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &nid));
    EXPECT_EQ(testhooks::Tray().tip, std::string(63, 'y'));
    nid.cbSize = sizeof nid;
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &nid));
    EXPECT_EQ(testhooks::Tray().tip, std::string(127, 'y'));

    // A balloon: shown with its title, clicked, and withdrawn by an empty
    // text. The first layout has no balloon fields, so it shows none.
    nid.uFlags = NIF_INFO;
    std::strcpy(nid.szInfo, "Det finns 2 meddelanden att l\xC3\xA4sa.\nA");
    std::strcpy(nid.szInfoTitle, "Talvo");
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &nid));
    EXPECT_EQ(testhooks::Tray().info, "Det finns 2 meddelanden att l\xC3\xA4sa.\nA");
    EXPECT_EQ(testhooks::Tray().infoTitle, "Talvo");
    EXPECT_EQ(testhooks::Tray().tip, std::string(127, 'y'));  // not named in uFlags
    testhooks::ClickTray(NIN_BALLOONUSERCLICK);
    ASSERT_EQ(host.clicks.size(), 3u);
    EXPECT_EQ(host.clicks[2], LPARAM(NIN_BALLOONUSERCLICK));
    nid.szInfo[0] = '\0';
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &nid));
    EXPECT_EQ(testhooks::Tray().info, "");
    nid.cbSize = 88;
    std::strcpy(nid.szInfo, "inte med");
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &nid));
    EXPECT_EQ(testhooks::Tray().info, "");
    nid.uFlags = NIF_TIP;

    // Without a tray the state is kept, and the call says it failed.
    testhooks::SetTrayAvailable(0);
    std::strcpy(nid.szTip, "3 meddelanden");
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &nid));
    EXPECT_EQ(testhooks::Tray().tip, "3 meddelanden");
    EXPECT_FALSE(IsSystemTrayAvailable());

    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid));
    EXPECT_FALSE(testhooks::Tray().present);
    host.clicks.clear();
    testhooks::ClickTray(WM_LBUTTONDOWN);
    EXPECT_TRUE(host.clicks.empty());
    testhooks::SetTrayAvailable(-1);
    host.Detach();
}

TEST(SoundTest, MissingOrForeignFilesFailAtOnce)
{
    EnsureStarted();
    testhooks::ClearSounds();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string missing = QDir(dir.path()).filePath("borta.wav").toStdString();
    EXPECT_FALSE(PlaySoundA(missing.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT));

    QString textPath = QDir(dir.path()).filePath("text.wav");
    QFile text(textPath);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a sound at all");
    text.close();
    EXPECT_FALSE(PlaySoundA(textPath.toUtf8().constData(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT));

    // A real (silent) wave file starts playing.
    QString wavPath = QDir(dir.path()).filePath("tyst.wav");
    QFile wav(wavPath);
    ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
    const int samples = 800;
    auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
    auto le16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
    QByteArray data(samples * 2, '\0');
    wav.write("RIFF" + le32(36 + quint32(data.size())) + "WAVE");
    wav.write("fmt " + le32(16) + le16(1) + le16(1) + le32(8000) + le32(16000) + le16(2) + le16(16));
    wav.write("data" + le32(quint32(data.size())) + data);
    wav.close();
    EXPECT_TRUE(PlaySoundA(wavPath.toUtf8().constData(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT));

    ASSERT_EQ(testhooks::SoundsPlayed().size(), 3u);
    EXPECT_EQ(testhooks::SoundsPlayed()[0], missing);
    PlaySoundA(nullptr, nullptr, 0);  // stops
    AfxSettleSound();                 // the file goes with the folder; the loader must be done
}

// The sound file is the user's choice: a FIFO that no writer opens, a device
// or a folder is refused at once and never holds the caller.
TEST(SoundTest, FilesThatAreNoFilesAreRefusedWithoutWaiting)
{
    EnsureStarted();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string fifo = dir.path().toStdString() + "/larm.wav";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero"), dir.path().toStdString()}) {
        auto played = std::async(std::launch::async, [&path] {
            return PlaySoundA(path.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
        });
        const bool ended = played.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        if (!ended) {
            // A writer comes and goes, so that the waiting call and the test end.
            const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            close(writer);
        }
        EXPECT_TRUE(ended) << path << " held the caller";
        EXPECT_FALSE(played.get()) << path;
    }
}

}  // namespace

namespace {

UINT g_nComeForwardMsg = RegisterWindowMessageA("TALVO_TEST_COME_FORWARD");

class CMainHost : public CWnd {
public:
    int requests = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == g_nComeForwardMsg)
            ++requests;
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// Claims from another thread, as a later start in another process would,
// while this thread runs the holder's event loop.
InstanceClaim ClaimFromAnotherThread(const std::string& path)
{
    auto claim = std::async(std::launch::async, [&path] { return AfxClaimInstance(path.c_str(), g_nComeForwardMsg); });
    (void)QTest::qWaitFor([&] { return claim.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 10000);
    return claim.get();
}

}  // namespace

// One program per data file: a second claim of the same file, by any of its
// names, fails and asks the holder's main window to come forward; another
// file is a claim of its own.
TEST(InstanceTest, ASecondClaimOfTheSameFileFailsAndReachesTheHolder)
{
    EnsureStarted();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString();
    const std::string file = folder + "/lista.tlv";
    ASSERT_TRUE(QFile::link(QString::fromStdString(file), QString::fromStdString(folder + "/länk.tlv")));

    QWidget widget;
    CMainHost host;
    host.Attach(HandleFromWidget(&widget));
    CWinApp* app = AfxGetApp();
    CWnd* saved = app->m_pMainWnd;
    app->m_pMainWnd = &host;

    EXPECT_EQ(AfxClaimInstance(file.c_str(), g_nComeForwardMsg), InstanceClaim::Claimed);
    EXPECT_EQ(ClaimFromAnotherThread(file), InstanceClaim::Forwarded);
    EXPECT_TRUE(QTest::qWaitFor([&] { return host.requests == 1; }, 5000));
    EXPECT_EQ(ClaimFromAnotherThread(folder + "/./länk.tlv"), InstanceClaim::Forwarded);
    EXPECT_TRUE(QTest::qWaitFor([&] { return host.requests == 2; }, 5000));
    EXPECT_EQ(AfxClaimInstance((folder + "/annan.tlv").c_str(), g_nComeForwardMsg), InstanceClaim::Claimed);

    app->m_pMainWnd = saved;
    host.Detach();
}

// A holder whose event loop does not run (stopped, hung) is told apart in a
// bounded time, also by more later starts than its queue of connections
// takes; running again, it answers and takes the requests left queued.
TEST(InstanceTest, AHolderThatDoesNotAnswerIsToldApartInBoundedTime)
{
    EnsureStarted();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string file = dir.path().toStdString() + "/lista.tlv";
    QWidget widget;
    CMainHost host;
    host.Attach(HandleFromWidget(&widget));
    CWinApp* app = AfxGetApp();
    CWnd* saved = app->m_pMainWnd;
    app->m_pMainWnd = &host;
    ASSERT_EQ(AfxClaimInstance(file.c_str(), g_nComeForwardMsg), InstanceClaim::Claimed);

    const auto start = std::chrono::steady_clock::now();
    std::vector<std::future<InstanceClaim>> askers;
    for (int i = 0; i < 8; ++i)
        askers.push_back(std::async(std::launch::async, [&file] { return AfxClaimInstance(file.c_str(), g_nComeForwardMsg); }));
    bool allEnded = true;
    for (auto& asker : askers)
        allEnded = asker.wait_until(start + std::chrono::seconds(6)) == std::future_status::ready && allEnded;
    const auto took = std::chrono::steady_clock::now() - start;
    // Running again lets any asker that still waits go, so that a failure ends.
    (void)QTest::qWaitFor([&] {
        for (auto& asker : askers)
            if (asker.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
                return false;
        return true;
    },
                          10000);
    EXPECT_TRUE(allEnded) << "a later start waited for the holder without end";
    EXPECT_LT(took, std::chrono::seconds(4));
    for (auto& asker : askers)
        EXPECT_EQ(asker.get(), InstanceClaim::NotAnswering);

    EXPECT_EQ(ClaimFromAnotherThread(file), InstanceClaim::Forwarded);
    EXPECT_TRUE(QTest::qWaitFor([&] { return host.requests >= 1; }, 5000));

    app->m_pMainWnd = saved;
    host.Detach();
}

namespace {

// A holder in another process: a child that claims path with env set as
// given (unset when value is null) and then waits, without an event loop,
// until it is killed. Returns its pid once the claim is taken, or -1.
pid_t HoldInChild(const std::string& path, const char* variable, const char* value)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        if (value)
            ::setenv(variable, value, 1);
        else
            ::unsetenv(variable);
        const char result = AfxClaimInstance(path.c_str(), g_nComeForwardMsg) == InstanceClaim::Claimed ? 'C' : 'F';
        (void)!::write(ready[1], &result, 1);
        while (true)
            ::pause();
    }
    ::close(ready[1]);
    char result = 0;
    const bool claimed = child > 0 && ::read(ready[0], &result, 1) == 1 && result == 'C';
    ::close(ready[0]);
    if (child > 0 && !claimed) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        return -1;
    }
    return child;
}

void EndChild(pid_t child)
{
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

// Ends the child however the test ends: it shares our X connection.
struct CEndAtEnd {
    pid_t pid;
    ~CEndAtEnd()
    {
        if (pid > 0)
            EndChild(pid);
    }
};

}  // namespace

// The claim is the list's, not the spelling of its path nor the session's:
// ".." and a relative path name the same list, and a holder in another
// session (another XDG_RUNTIME_DIR, or none) holds it for this one too.
TEST(InstanceTest, OneClaimPerListWhateverThePathOrSession)
{
    EnsureStarted();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString();
    ASSERT_TRUE(QDir(dir.path()).mkpath("under/runtime"));
    ::chmod((folder + "/under/runtime").c_str(), 0700);
    const std::string file = folder + "/lista.tlv";

    CEndAtEnd other{HoldInChild(file, "XDG_RUNTIME_DIR", (folder + "/under/runtime").c_str())};
    ASSERT_GT(other.pid, 0);
    // The holder runs no event loop: held, but not answering.
    EXPECT_EQ(ClaimFromAnotherThread(file), InstanceClaim::NotAnswering);
    EXPECT_EQ(ClaimFromAnotherThread(folder + "/under/../lista.tlv"), InstanceClaim::NotAnswering);
    char cwd[PATH_MAX];
    ASSERT_TRUE(::getcwd(cwd, sizeof cwd));
    ASSERT_EQ(::chdir((folder + "/under").c_str()), 0);
    EXPECT_EQ(ClaimFromAnotherThread("../lista.tlv"), InstanceClaim::NotAnswering);
    ASSERT_EQ(::chdir(cwd), 0);
    EndChild(other.pid);
    other.pid = -1;

    CEndAtEnd noSession{HoldInChild(file, "XDG_RUNTIME_DIR", nullptr)};
    ASSERT_GT(noSession.pid, 0);
    EXPECT_EQ(ClaimFromAnotherThread(file), InstanceClaim::NotAnswering);
}

// A holder that is killed leaves no claim behind: the next claim is taken
// at once, and by a program that may move it on to another list.
TEST(InstanceTest, AKilledHolderLeavesNoStaleClaim)
{
    EnsureStarted();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string file = dir.path().toStdString() + "/lista.tlv";
    const std::string other = dir.path().toStdString() + "/annan.tlv";
    CEndAtEnd holder{HoldInChild(file, "TALVO_UNUSED", "1")};
    ASSERT_GT(holder.pid, 0);
    EXPECT_EQ(ClaimFromAnotherThread(file), InstanceClaim::NotAnswering);
    EndChild(holder.pid);
    holder.pid = -1;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(AfxClaimInstance(file.c_str(), g_nComeForwardMsg), InstanceClaim::Claimed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));

    // Moved to another list, this one is free again; moved back, it is ours.
    EXPECT_EQ(AfxMoveInstanceClaim(other.c_str()), InstanceClaim::Claimed);
    CEndAtEnd taker{HoldInChild(file, "TALVO_UNUSED", "1")};
    EXPECT_GT(taker.pid, 0);
    EXPECT_EQ(AfxMoveInstanceClaim(other.c_str()), InstanceClaim::Claimed);
    EXPECT_EQ(AfxMoveInstanceClaim(file.c_str()), InstanceClaim::NotAnswering);
    EXPECT_EQ(ClaimFromAnotherThread(other), InstanceClaim::Forwarded);
}
