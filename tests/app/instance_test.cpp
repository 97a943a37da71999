#include "apptest.h"

#include "app/platform/instance.h"
#include "app/platform/platformchoice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <future>
#include <string>

namespace {

TEST(PlatformChoice, XcbOnlyWhereWaylandOffersX11AndTheUserChoseNothing) {
    struct Row {
        const char *name, *wayland, *display, *qpa, *chosen;
    };
    const Row rows[] = {
        {"wayland with XWayland", "wayland-0", ":0", nullptr, "xcb"},
        {"empty platform is unset", "wayland-0", ":0", "", "xcb"},
        {"user chose wayland", "wayland-0", ":0", "wayland", nullptr},
        {"user chose xcb", "wayland-0", ":0", "xcb", nullptr},
        {"user chose offscreen", "wayland-0", ":0", "offscreen", nullptr},
        {"X11 session", nullptr, ":0", nullptr, nullptr},
        {"empty wayland display is unset", "", ":0", nullptr, nullptr},
        {"wayland without XWayland", "wayland-0", nullptr, nullptr, nullptr},
        {"empty X display is unset", "wayland-0", "", nullptr, nullptr},
        {"no display at all", nullptr, nullptr, nullptr, nullptr},
    };
    for (const Row &row : rows) {
        const char *chosen = chosenQtPlatform(row.wayland, row.display, row.qpa);
        EXPECT_EQ(std::string(chosen ? chosen : "(none)"), std::string(row.chosen ? row.chosen : "(none)"))
            << row.name;
    }
}

TEST(InstanceServerName, UserAndDisplayInTheRuntimeFolderElseInAPrivateOne) {
    struct Row {
        const char *name;
        unsigned uid;
        QString display, wayland, runtime, expected;
    };
    const Row rows[] = {
        {"X11", 1000, ":0", "", "/run/user/1000", "/run/user/1000/remarkist-1000-:0"},
        {"XWayland: the X display", 1000, ":1", "wayland-0", "/run/user/1000",
         "/run/user/1000/remarkist-1000-:1"},
        {"Wayland alone", 1000, "", "wayland-0", "/run/user/1000", "/run/user/1000/remarkist-1000-wayland-0"},
        {"no runtime folder: the user's own folder", 1001, "localhost:10.0", "", "",
         "/tmp/remarkist-1001/remarkist-1001-localhost:10.0"},
        {"a display path stays one file", 0, "unix/:0", "", "/run/user/0", "/run/user/0/remarkist-0-unix_:0"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(instanceServerName(row.uid, row.display, row.wayland, row.runtime, "/tmp"), row.expected)
            << row.name;
}

void folder(const char *path, mode_t mode) {
    EXPECT_EQ(mkdir(path, 0700), 0);
    EXPECT_EQ(chmod(path, mode), 0);
}

// The folder is made where it is missing, and trusted only as a real folder of the user that
// no one else may write to. A folder of another uid is seen by asking for it with uid + 1.
TEST(PrivateFolder, TrustedOnlyWhenTheUsersAlone) {
    QTemporaryDir temporary;
    ASSERT_TRUE(temporary.isValid());
    const QByteArray base = QFile::encodeName(temporary.path());
    const unsigned uid = getuid();
    struct Row {
        const char *name;
        // Shapes the path before the check; null leaves it missing.
        void (*make)(const char *path);
        unsigned uid;
        QString problem;
    };
    const Row rows[] = {
        {"missing: made", nullptr, uid, ""},
        {"a folder 0700", [](const char *p) { folder(p, 0700); }, uid, ""},
        {"readable by others", [](const char *p) { folder(p, 0755); }, uid, ""},
        {"writable by the group", [](const char *p) { folder(p, 0770); }, uid, "writable by group or others"},
        {"writable by others", [](const char *p) { folder(p, 01777); }, uid, "writable by group or others"},
        {"another user's", [](const char *p) { folder(p, 0700); }, uid + 1,
         QStringLiteral("owned by uid %1").arg(uid)},
        {"a link to a folder 0700",
         [](const char *p) {
             const std::string target = std::string(p) + "-target";
             folder(target.c_str(), 0700);
             EXPECT_EQ(symlink(target.c_str(), p), 0);
         },
         uid, "a symbolic link"},
        {"a file", [](const char *p) { EXPECT_EQ(close(open(p, O_CREAT | O_WRONLY, 0600)), 0); }, uid,
         "not a folder"},
    };
    int number = 0;
    for (const Row &row : rows) {
        const QByteArray path = base + "/remarkist-" + QByteArray::number(++number);
        if (row.make)
            row.make(path.constData());
        EXPECT_EQ(privateFolderProblem(QFile::decodeName(path), row.uid), row.problem) << row.name;
    }
    struct stat made {};
    ASSERT_EQ(lstat(base + "/remarkist-1", &made), 0);
    EXPECT_EQ(made.st_mode & 07777, 0700u);
    EXPECT_EQ(privateFolderProblem(QFile::decodeName(base + "/missing/remarkist-0"), uid),
              "No such file or directory");
}

// The first and the second start within one test process: the second one's blocking calls run
// on a thread of their own while the first one's event loop answers.
class Instance : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        ASSERT_TRUE(runtime.isValid());
        name = runtime.filePath("remarkist-test");
    }

    // Runs `call` on another thread while this one handles events; its result.
    template <class Call> static auto meanwhile(Call call) {
        auto result = std::async(std::launch::async, call);
        while (result.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return result.get();
    }

    bool secondStart() const {
        return meanwhile([this] { return SingleInstance(name).activateRunning(); });
    }

    sockaddr_un address() const {
        const QByteArray path = QFile::encodeName(name);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
        return address;
    }

    // A socket file that nobody listens on, as a program that crashed leaves it.
    void leaveStaleSocket() const {
        const sockaddr_un at = address();
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr *>(&at), sizeof at), 0);
        ASSERT_EQ(::listen(fd, 1), 0);
        close(fd);
        ASSERT_TRUE(QFile::exists(name));
    }

    // Sends bytes as a client that trusts anyone would, and reads until the program closes the
    // connection (after its answer, or without one); with `wait` false it closes at once.
    QByteArray request(const QByteArray &bytes, bool wait = true) const {
        const sockaddr_un at = address();
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        const timeval limit{2, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        QByteArray got;
        if (connect(fd, reinterpret_cast<const sockaddr *>(&at), sizeof at) == 0 &&
            write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size() && wait) {
            char buffer[64];
            for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
                got.append(buffer, n);
        }
        close(fd);
        return got;
    }

    QTemporaryDir runtime;
    QString name;
    int activations = 0;
};

TEST_F(Instance, SecondStartActivatesTheFirst) {
    SingleInstance first(name);
    QObject::connect(&first, &SingleInstance::activationRequested, [this] { ++activations; });
    EXPECT_FALSE(SingleInstance(name).activateRunning()) << "nothing runs yet";
    first.listen();
    ASSERT_TRUE(first.isListening());

    EXPECT_TRUE(secondStart());
    EXPECT_EQ(activations, 1);
    EXPECT_TRUE(secondStart());
    EXPECT_EQ(activations, 2);

    // Once the window has closed, a start opens its own window.
    first.close();
    EXPECT_FALSE(secondStart());
    EXPECT_EQ(activations, 2);
    EXPECT_FALSE(QFile::exists(name));
}

TEST_F(Instance, StaleSocketIsTakenOver) {
    leaveStaleSocket();
    SingleInstance first(name);
    QObject::connect(&first, &SingleInstance::activationRequested, [this] { ++activations; });
    QElapsedTimer refused;
    refused.start();
    EXPECT_FALSE(SingleInstance(name).activateRunning());
    EXPECT_LT(refused.elapsed(), 100) << "a refused connect must not cost start-up time";

    first.listen();
    ASSERT_TRUE(first.isListening());
    EXPECT_TRUE(secondStart());
    EXPECT_EQ(activations, 1);
}

// Two programs started at the same moment: the later one finds the other listening and runs
// on alone; finding out must not bring the other forward.
TEST_F(Instance, LaterListenerLeavesTheSocketAlone) {
    SingleInstance first(name);
    QObject::connect(&first, &SingleInstance::activationRequested, [this] { ++activations; });
    first.listen();
    SingleInstance later(name);
    meanwhile([&later] {
        later.listen();
        return true;
    });
    EXPECT_FALSE(later.isListening());
    EXPECT_EQ(activations, 0);
    EXPECT_TRUE(secondStart());
    EXPECT_EQ(activations, 1);
}

TEST_F(Instance, OnlyTheActivationRequestIsAnswered) {
    struct Row {
        const char *name;
        QByteArray request;
        int activations;
        QByteArray answer;
    };
    const Row rows[] = {
        {"activate", "activate\n", 1, "ok\n"},
        {"another word", "hello\n", 0, ""},
        {"activate without the line end, then more", "activate" + QByteArray(100, 'x'), 0, ""},
    };
    SingleInstance first(name);
    QObject::connect(&first, &SingleInstance::activationRequested, [this] { ++activations; });
    first.listen();
    for (const Row &row : rows) {
        activations = 0;
        EXPECT_EQ(meanwhile([this, &row] { return request(row.request); }), row.answer) << row.name;
        EXPECT_EQ(activations, row.activations) << row.name;
    }
}

// Another user's program is seen here as one that runs for a uid other than the one trusted.
TEST_F(Instance, AnotherUsersSocketCountsAsAbsent) {
    SingleInstance others(name);
    QObject::connect(&others, &SingleInstance::activationRequested, [this] { ++activations; });
    others.listen();
    ASSERT_TRUE(others.isListening());
    const unsigned ownUid = getuid() + 1;
    EXPECT_FALSE(meanwhile([this, ownUid] { return SingleInstance(name, ownUid).activateRunning(); }));
    EXPECT_EQ(activations, 0) << "the other program got the request";

    // Where the folder is the user's own, the socket is taken over.
    SingleInstance own(name, ownUid);
    meanwhile([&own] {
        own.listen();
        return true;
    });
    EXPECT_TRUE(own.isListening());
}

TEST_F(Instance, AnotherUsersRequestIsNotAnswered) {
    SingleInstance first(name, getuid() + 1);
    QObject::connect(&first, &SingleInstance::activationRequested, [this] { ++activations; });
    first.listen();
    ASSERT_TRUE(first.isListening());
    EXPECT_EQ(meanwhile([this] { return request("activate\n"); }), "");
    EXPECT_EQ(activations, 0);
}

// Regression: a start that gave up waiting has closed its end before the answer is written;
// writing it must not end the running program with SIGPIPE.
TEST_F(Instance, ClientGoneBeforeTheAnswer) {
    SingleInstance first(name);
    QObject::connect(&first, &SingleInstance::activationRequested, [this] { ++activations; });
    first.listen();
    EXPECT_EQ(request("activate\n", false), "");
    while (activations == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    EXPECT_TRUE(secondStart());
}

} // namespace
