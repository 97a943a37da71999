#include "apptest.h"

#include "app/platform/endsignals.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <vector>

namespace {

bool handledByDefault(int signal) {
    struct sigaction current {};
    sigaction(signal, nullptr, &current);
    return current.sa_handler == SIG_DFL;
}

// Each signal arrives in the event loop once; the first one gives every one of them back its
// default effect, as does the end of the object.
TEST(EndSignals, FirstSignalArrivesInTheEventLoopOnce) {
    testApplication();
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        std::vector<int> received;
        {
            EndSignals ending;
            QObject::connect(&ending, &EndSignals::received, [&received](int s) { received.push_back(s); });
            EXPECT_FALSE(handledByDefault(signal)) << signal;
            ASSERT_EQ(raise(signal), 0);
            QElapsedTimer waited;
            waited.start();
            while (received.empty() && waited.elapsed() < 5000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
            ASSERT_EQ(received, std::vector<int>{signal});
            for (int other : {SIGTERM, SIGINT, SIGHUP})
                EXPECT_TRUE(handledByDefault(other)) << signal << " then " << other;
        }
        EXPECT_TRUE(handledByDefault(signal)) << signal;
    }
}

} // namespace
