// Start-up cost of the desktop program, as ratios to a minimal Qt window with four tabs
// (startup_baseline) measured in the same run, the two started in turn on a private Xvfb:
// the time from fork to the first top-level window being mapped (seen as a MapNotify on the
// root window), and the peak resident memory of the whole run (ru_maxrss after it closes).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto launchTimeout = std::chrono::seconds(60);

struct Sample {
    double startMs;
    double peakMiB;
};

pid_t spawn(const char *program, std::vector<const char *> args, const char *directory,
            const std::vector<std::string> &environment, int keepFd = -1) {
    pid_t pid = fork();
    if (pid != 0)
        return pid;
    int null = open("/dev/null", O_RDWR);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    if (keepFd >= 0)
        dup2(keepFd, 3);
    if (directory && chdir(directory) != 0)
        _exit(127);
    for (const std::string &entry : environment)
        putenv(const_cast<char *>(entry.c_str()));
    args.insert(args.begin(), program);
    args.push_back(nullptr);
    execvp(program, const_cast<char *const *>(args.data()));
    _exit(127);
}

// Waits for the next event for at most until `deadline`; null on time-out.
xcb_generic_event_t *nextEvent(xcb_connection_t *c, Clock::time_point deadline) {
    for (;;) {
        if (xcb_generic_event_t *event = xcb_poll_for_event(c))
            return event;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return nullptr;
        pollfd entry{xcb_get_file_descriptor(c), POLLIN, 0};
        poll(&entry, 1, static_cast<int>(left));
    }
}

xcb_atom_t intern(xcb_connection_t *c, const char *name) {
    auto *reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(strlen(name)), name), nullptr);
    xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    free(reply);
    return atom;
}

class Desktop {
public:
    Desktop() {
        int fds[2];
        if (pipe(fds) != 0)
            throw std::runtime_error("pipe");
        m_server = spawn("Xvfb", {"-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
                         nullptr, {}, fds[1]);
        close(fds[1]);
        // Read up to the line end: Xvfb gives up if the pipe closes before it has written all.
        int number = -1;
        char byte;
        while (read(fds[0], &byte, 1) == 1 && byte >= '0' && byte <= '9')
            number = std::max(number, 0) * 10 + (byte - '0');
        close(fds[0]);
        if (number < 0)
            throw std::runtime_error("Xvfb did not start");
        char name[16];
        std::snprintf(name, sizeof name, ":%d", number);
        m_display = name;
        m_c = xcb_connect(m_display.c_str(), nullptr);
        if (xcb_connection_has_error(m_c))
            throw std::runtime_error("cannot connect to " + m_display);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_c, m_root, XCB_CW_EVENT_MASK, &events);
        m_protocols = intern(m_c, "WM_PROTOCOLS");
        m_deleteWindow = intern(m_c, "WM_DELETE_WINDOW");
        xcb_flush(m_c);
    }

    ~Desktop() {
        xcb_disconnect(m_c);
        kill(m_server, SIGTERM);
        waitpid(m_server, nullptr, 0);
    }

    // Starts `program` in a fresh directory, times it to its window's map, closes the
    // window as a user would and collects the process's peak memory.
    Sample launch(const char *program) {
        std::string directory =
            (std::filesystem::temp_directory_path() / "remarkist-startup.XXXXXX").string();
        if (!mkdtemp(directory.data()))
            throw std::runtime_error("mkdtemp");
        const auto start = Clock::now();
        pid_t pid = spawn(program, {}, directory.c_str(),
                          {"DISPLAY=" + m_display, "QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + directory});
        xcb_window_t window = waitForMap(start + launchTimeout);
        const double startMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (window != XCB_WINDOW_NONE)
            requestClose(window);
        rusage usage{};
        reap(pid, usage);
        std::filesystem::remove_all(directory);
        if (window == XCB_WINDOW_NONE)
            throw std::runtime_error(std::string(program) + " showed no window");
        return {startMs, static_cast<double>(usage.ru_maxrss) / 1024.0};
    }

private:
    xcb_window_t waitForMap(Clock::time_point deadline) {
        while (xcb_generic_event_t *event = nextEvent(m_c, deadline)) {
            xcb_window_t mapped = XCB_WINDOW_NONE;
            if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
                auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
                if (!map->override_redirect)
                    mapped = map->window;
            }
            free(event);
            if (mapped != XCB_WINDOW_NONE)
                return mapped;
        }
        return XCB_WINDOW_NONE;
    }

    void requestClose(xcb_window_t window) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = m_protocols;
        message.data.data32[0] = m_deleteWindow;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&message));
        xcb_flush(m_c);
    }

    static void reap(pid_t pid, rusage &usage) {
        const auto deadline = Clock::now() + launchTimeout;
        while (wait4(pid, nullptr, WNOHANG, &usage) == 0) {
            if (Clock::now() > deadline) {
                kill(pid, SIGKILL);
                wait4(pid, nullptr, 0, &usage);
                return;
            }
            usleep(10000);
        }
    }

    pid_t m_server;
    std::string m_display;
    xcb_connection_t *m_c;
    xcb_window_t m_root;
    xcb_atom_t m_protocols;
    xcb_atom_t m_deleteWindow;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void BM_Startup(benchmark::State &state) {
    Desktop desktop;
    // Once each untimed: the first start fills the font and shader caches.
    desktop.launch(BASELINE_PATH);
    desktop.launch(REMARKIST_PATH);
    std::vector<double> appMs, baseMs, appMiB, baseMiB;
    for (auto _ : state) {
        const Sample base = desktop.launch(BASELINE_PATH);
        const Sample app = desktop.launch(REMARKIST_PATH);
        state.SetIterationTime(app.startMs / 1000.0);
        appMs.push_back(app.startMs);
        baseMs.push_back(base.startMs);
        appMiB.push_back(app.peakMiB);
        baseMiB.push_back(base.peakMiB);
    }
    state.counters["baseline_ms"] = median(baseMs);
    state.counters["time_ratio"] = median(appMs) / median(baseMs);
    state.counters["peak_MiB"] = median(appMiB);
    state.counters["baseline_MiB"] = median(baseMiB);
    state.counters["memory_ratio"] = median(appMiB) / median(baseMiB);
}
BENCHMARK(BM_Startup)->UseManualTime()->Iterations(15)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
