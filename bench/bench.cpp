// Start-up, memory and Connect-to-exec figures for Lintara, side by side with the
// floor program, on an X display (a private Xvfb when none is given).
//
// Start-up is the time from exec to the MapNotify of the program's top-level window,
// seen by watching the root window's substructure events; RSS is read 300 ms after the
// map. Connect-to-exec clicks Connect through XTest and reads the time the stamping
// client, configured as the SSH program, wrote first thing. With --wine the programs are
// Windows ones (Lintara.exe, the Win32 floor, a stamping client) run under Wine; the
// caller sets up the prefix and keeps its server running, so each start is a warm one.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

double Now(clockid_t clock = CLOCK_MONOTONIC) {
    timespec t;
    clock_gettime(clock, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

pid_t Spawn(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // The programs' chatter would only blur the table.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

bool WaitExit(pid_t pid, double seconds) {
    const double deadline = Now() + seconds;
    while (Now() < deadline) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

void Stop(pid_t pid) {
    kill(pid, SIGTERM);
    if (!WaitExit(pid, 3)) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

long RssKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

// A private X server, when the caller has no display.
struct PrivateDisplay {
    pid_t pid = -1;
    ~PrivateDisplay() {
        if (pid > 0) Stop(pid);
    }
    bool Start() {
        for (int n = 87; n < 120; ++n) {
            if (fs::exists("/tmp/.X11-unix/X" + std::to_string(n))) continue;
            const std::string name = ":" + std::to_string(n);
            pid = Spawn({"/usr/bin/Xvfb", name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
            if (pid < 0) return false;
            for (int i = 0; i < 500; ++i) {
                if (Display* d = XOpenDisplay(name.c_str())) {
                    XCloseDisplay(d);
                    setenv("DISPLAY", name.c_str(), 1);
                    return true;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            return false;
        }
        return false;
    }
};

// CPU time all threads of pid have used so far, from the scheduler's own accounting
// (nanoseconds): far less disturbed by other load on the machine than wall time.
double CpuSeconds(pid_t pid) {
    double total = 0;
    std::error_code error;
    for (const auto& task :
         fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream stat(task.path() / "schedstat");
        double ns = 0;
        if (stat >> ns) total += ns / 1e9;
    }
    return total;
}

struct Run {
    double mapSeconds = 0;
    double mapCpuSeconds = 0;
    long rssKiB = 0;
    std::optional<double> connectSeconds;
    std::optional<double> unmapSeconds;
};

// Waits for the first event on the root's stream that matches; returns it.
template <typename Matches>
std::optional<XEvent> WaitForEvent(Display* display, double seconds, Matches matches) {
    const double deadline = Now() + seconds;
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    while (Now() < deadline) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (matches(event)) return event;
        }
        poll(&fd, 1, 1);
    }
    return std::nullopt;
}

// The process that says it owns a window (_NET_WM_PID), or -1.
long WindowPid(Display* display, Window window) {
    static const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data && format == 32 && count == 1) {
        pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data) XFree(data);
    return pid;
}

// The first ordinary top-level window of process pid to be mapped: a window of an earlier
// run's client that shows up late is not this program's. Wine, told to manage its windows
// itself (there is no window manager here), maps them as override-redirect ones.
std::optional<Window> WaitForMap(Display* display, double seconds, bool unmanaged, pid_t pid) {
    const auto event = WaitForEvent(display, seconds, [&](const XEvent& e) {
        return e.type == MapNotify && (unmanaged || !e.xmap.override_redirect) &&
               WindowPid(display, e.xmap.window) == pid;
    });
    return event ? std::optional<Window>(event->xmap.window) : std::nullopt;
}

// The wall-clock time window is unmapped.
std::optional<double> WaitForUnmap(Display* display, Window window, double seconds) {
    const auto event = WaitForEvent(display, seconds, [window](const XEvent& e) {
        return e.type == UnmapNotify && e.xunmap.window == window;
    });
    return event ? std::optional<double>(Now(CLOCK_REALTIME)) : std::nullopt;
}

std::optional<double> RecordedTime(const std::string& path, double seconds) {
    const double deadline = Now() + seconds;
    while (Now() < deadline) {
        if (fs::exists(path)) {
            std::ifstream in(path);
            std::string name, size, stamp;
            in >> name >> size >> stamp;
            if (name == "time") return std::stod(stamp);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return std::nullopt;
}

std::optional<Run> Measure(Display* display, const std::vector<std::string>& command,
                           const std::string& record, bool clickConnect, bool unmanaged) {
    Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, True);  // drop what earlier runs left
    fs::remove(record);

    Run run;
    const double start = Now();
    const pid_t pid = Spawn(command);
    if (pid < 0) return std::nullopt;
    const auto window = WaitForMap(display, 20, unmanaged, pid);
    if (!window) {
        Stop(pid);
        return std::nullopt;
    }
    run.mapSeconds = Now() - start;
    run.mapCpuSeconds = CpuSeconds(pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    run.rssKiB = RssKiB(pid);

    if (clickConnect) {
        int x = 0, y = 0;
        Window child;
        XTranslateCoordinates(display, *window, root, 0, 0, &x, &y, &child);
        if (unmanaged) {
            // Wine draws the frame inside the X window (the border all round, the caption
            // above a 453 x 245 client area) and, with no window manager, focuses nothing.
            XWindowAttributes a;
            XGetWindowAttributes(display, *window, &a);
            const int border = (a.width - 453) / 2;
            x += border;
            y += a.height - 245 - border;
            XSetInputFocus(display, *window, RevertToParent, CurrentTime);
            XSync(display, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        // The centre of the Connect button (312, 21, 73 x 25 in the client area).
        XTestFakeMotionEvent(display, -1, x + 312 + 36, y + 21 + 12, 0);
        XTestFakeButtonEvent(display, 1, True, 0);
        XSync(display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const double click = Now(CLOCK_REALTIME);
        XTestFakeButtonEvent(display, 1, False, 0);
        XFlush(display);
        if (const auto unmapped = WaitForUnmap(display, *window, 10))
            run.unmapSeconds = *unmapped - click;
        if (const auto stamped = RecordedTime(record, 10)) run.connectSeconds = *stamped - click;
        if (!WaitExit(pid, 5)) Stop(pid);
    } else {
        Stop(pid);
    }
    return run;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void Report(const char* what, const std::vector<double>& v, const char* unit, double scale) {
    std::printf("  %-28s median %9.2f %s   min %9.2f   max %9.2f   (n=%zu)\n", what,
                Median(v) * scale, unit, *std::min_element(v.begin(), v.end()) * scale,
                *std::max_element(v.begin(), v.end()) * scale, v.size());
}

int Usage() {
    std::fprintf(stderr,
                 "usage: lintara_bench --lintara EXE --floor EXE --recorder EXE [--runs N] "
                 "[--warmup N] [--wine WINE]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string lintara, floor, recorder, wine;
    int runs = 15, warmup = 2;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--lintara")
            lintara = argv[i + 1];
        else if (flag == "--floor")
            floor = argv[i + 1];
        else if (flag == "--recorder")
            recorder = argv[i + 1];
        else if (flag == "--runs")
            runs = std::atoi(argv[i + 1]);
        else if (flag == "--warmup")
            warmup = std::atoi(argv[i + 1]);
        else if (flag == "--wine")
            wine = argv[i + 1];
        else
            return Usage();
    }
    if (lintara.empty() || floor.empty() || recorder.empty() || runs < 1) return Usage();

    PrivateDisplay privateDisplay;
    if (!std::getenv("DISPLAY") && !privateDisplay.Start()) {
        std::fprintf(stderr, "no display, and Xvfb could not be started\n");
        return 1;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open display %s\n", std::getenv("DISPLAY"));
        return 1;
    }

    // Lintara runs from a folder of its own, with the recorder as its SSH client.
    const fs::path folder =
        fs::temp_directory_path() / ("lintara-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path exe = folder / (wine.empty() ? "Lintara" : "Lintara.exe");
    fs::copy_file(lintara, exe, fs::copy_options::overwrite_existing);
    const std::string record = (folder / "ssh.record").string();
    // Wine sees the Linux file system as drive Z:.
    const auto forPrograms = [&](const fs::path& path) {
        std::string text = fs::absolute(path).string();
        if (wine.empty()) return text;
        std::replace(text.begin(), text.end(), '/', '\\');
        return "Z:" + text;
    };
    std::ofstream(folder / "Lintara.ini", std::ios::binary)
        << "[SSH]\r\nProgram=" << forPrograms(recorder)
        << "\r\nOptions=-p PORT HOST\r\n[DefaultConnection]\r\nType=SSH\r\n";
    setenv("LINTARA_RECORD", forPrograms(record).c_str(), 1);
    std::vector<std::string> lintaraCommand = {exe.string(), "lintara://benchhost/"};
    std::vector<std::string> floorCommand = {fs::absolute(floor).string()};
    if (!wine.empty()) {
        lintaraCommand.insert(lintaraCommand.begin(), wine);
        floorCommand.insert(floorCommand.begin(), wine);
    }

    std::vector<double> lintaraCpu, floorCpu, cpuRatio;
    std::vector<double> lintaraMap, floorMap, mapRatio, lintaraRss, floorRss, rssRatio, connect,
        unmap;
    for (int i = 0; i < warmup + runs; ++i) {
        const auto a = Measure(display, lintaraCommand, record, true, !wine.empty());
        const auto b = Measure(display, floorCommand, record, false, !wine.empty());
        if (!a || !b) {
            std::fprintf(stderr, "run %d: a window never appeared\n", i);
            fs::remove_all(folder);
            return 1;
        }
        if (i < warmup) continue;
        lintaraMap.push_back(a->mapSeconds);
        floorMap.push_back(b->mapSeconds);
        mapRatio.push_back(a->mapSeconds / b->mapSeconds);
        lintaraCpu.push_back(a->mapCpuSeconds);
        floorCpu.push_back(b->mapCpuSeconds);
        cpuRatio.push_back(a->mapCpuSeconds / b->mapCpuSeconds);
        lintaraRss.push_back(a->rssKiB);
        floorRss.push_back(b->rssKiB);
        rssRatio.push_back(double(a->rssKiB) / b->rssKiB);
        if (a->connectSeconds) connect.push_back(*a->connectSeconds);
        if (a->unmapSeconds) unmap.push_back(*a->unmapSeconds);
    }
    XCloseDisplay(display);
    fs::remove_all(folder);

    std::printf("%s, %d interleaved runs each after %d warm-up\n",
                wine.empty() ? "Lintara vs floor" : "Lintara.exe vs Win32 floor, under Wine", runs,
                warmup);
    Report("start-up to map, Lintara", lintaraMap, "ms", 1e3);
    Report("start-up to map, floor", floorMap, "ms", 1e3);
    Report("start-up ratio (pairwise)", mapRatio, "x ", 1);
    Report("CPU to map, Lintara", lintaraCpu, "ms", 1e3);
    Report("CPU to map, floor", floorCpu, "ms", 1e3);
    Report("CPU ratio (pairwise)", cpuRatio, "x ", 1);
    Report("RSS after map, Lintara", lintaraRss, "MiB", 1.0 / 1024);
    Report("RSS after map, floor", floorRss, "MiB", 1.0 / 1024);
    Report("RSS ratio (pairwise)", rssRatio, "x ", 1);
    if (connect.empty()) {
        std::printf("  Connect to exec: the recorder never ran\n");
        return 1;
    }
    Report("Connect to exec", connect, "ms", 1e3);
    if (!unmap.empty()) Report("Connect to unmap", unmap, "ms", 1e3);
    return 0;
}
