// Start-up under a real X server: each program is started afresh on Xvfb with
// a window manager (openbox), and timed from its start to
//   mapped:  its top-level window is mapped on the screen (the window
//            manager's frame, or the window itself without a frame), and
//   painted: the pixel at the centre of its window, read back from the
//            server, shows the picture.
// The picture is made so that every pixel of it is a strong green that no
// part of a window's chrome has, so one pixel read tells "picture" from
// "background" soundly. Runs are interleaved (baseline, viewer, baseline,
// ...) and the medians are reported with their ratios.
//
// Cases: the viewer on a 1-megapixel JPEG against a bare Qt window (QLabel +
// QImage) showing the same file; the viewer started on an HTML page against
// a bare QWebEngineView showing it.
//
// Needs Xvfb and openbox on the PATH; skips without them. TARVEL_VIEWER in
// the environment names another build of the viewer to time instead.
#include <benchmark/benchmark.h>

// Qt (before Xlib, whose macros clash with Qt's names)
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

// System
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

// C++
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

bool onPath(const char* program) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::string all(path);
    size_t start = 0;
    while (start <= all.size()) {
        const size_t end = std::min(all.find(':', start), all.size());
        const std::string candidate = all.substr(start, end - start) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

/// Starts a program with the environment given as overrides of ours; its
/// output goes nowhere. Returns the process id, or -1.
pid_t spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env) {
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const std::string key = entry.substr(0, entry.find('='));
        if (!env.count(key)) envStrings.push_back(entry);
    }
    for (const auto& [key, value] : env)
        if (!value.empty()) envStrings.push_back(key + "=" + value);
    std::vector<char*> envp, args;
    for (auto& s : envStrings) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> argCopy = argv;
    for (auto& s : argCopy) args.push_back(s.data());
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void stop(pid_t pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

/** A private X server with a window manager, for the whole run. */
class TXSession {
public:
    TXSession() {
        if (!onPath("Xvfb") || !onPath("openbox")) {
            error_ = "needs Xvfb and openbox (scripts/install-deps installs them)";
            return;
        }
        int fds[2];
        if (::pipe(fds) != 0) return;
        // The server writes its display number to fds[1] once it is ready.
        server_ = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                         "1920x1080x24", "-nolisten", "tcp"},
                        {});
        ::close(fds[1]);
        char buf[32] = {};
        const ssize_t n = server_ > 0 ? ::read(fds[0], buf, sizeof buf - 1) : -1;
        ::close(fds[0]);
        if (n <= 0) {
            error_ = "Xvfb did not start";
            return;
        }
        display_ = ":" + std::string(buf, std::strcspn(buf, "\n"));
        dpy_ = XOpenDisplay(display_.c_str());
        if (!dpy_) {
            error_ = "cannot open " + display_;
            return;
        }
        wm_ = spawn({"openbox", "--sm-disable"}, {{"DISPLAY", display_}});
        // Ready when the window manager announces itself on the root window.
        const Atom check = XInternAtom(dpy_, "_NET_SUPPORTING_WM_CHECK", False);
        const auto t0 = Clock::now();
        while (msSince(t0) < 10000 && !hasProperty(DefaultRootWindow(dpy_), check))
            std::this_thread::sleep_for(10ms);
        if (!hasProperty(DefaultRootWindow(dpy_), check)) {
            error_ = "openbox did not start";
            return;
        }
        XSelectInput(dpy_, DefaultRootWindow(dpy_), SubstructureNotifyMask);
        ok_ = true;
    }
    ~TXSession() {
        if (dpy_) XCloseDisplay(dpy_);
        stop(wm_);
        stop(server_);
    }

    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    const std::string& display() const { return display_; }

    struct Times {
        double mapped = -1;
        double painted = -1;
    };

    /// Starts argv, waits until its window's centre shows the picture, ends it.
    Times Run(const std::vector<std::string>& argv, std::map<std::string, std::string> env) {
        env["DISPLAY"] = display_;
        env["QT_QPA_PLATFORM"] = "xcb";
        drain();
        Times times;
        std::set<Window> candidates;
        const auto t0 = Clock::now();
        const pid_t pid = spawn(argv, env);
        while (pid > 0 && msSince(t0) < 30000) {
            while (XPending(dpy_)) {
                XEvent e;
                XNextEvent(dpy_, &e);
                // Top-level windows are created on the root; the window manager
                // then reparents them into its frame and maps both.
                if (e.type == CreateNotify && !e.xcreatewindow.override_redirect)
                    candidates.insert(e.xcreatewindow.window);
                if (e.type == MapNotify && !e.xmap.override_redirect && times.mapped < 0)
                    times.mapped = msSince(t0);
            }
            if (times.mapped >= 0 && centreShowsPicture(candidates)) {
                times.painted = msSince(t0);
                break;
            }
            std::this_thread::sleep_for(500us);
        }
        stop(pid);
        // Let the server and the window manager forget the windows.
        std::this_thread::sleep_for(150ms);
        drain();
        return times;
    }

    /// The picture's colour family: strong green, nothing of a window's chrome.
    static bool IsPictureColour(int r, int g, int b) { return g - std::max(r, b) > 60; }

private:
    bool hasProperty(Window w, Atom property) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        const int status = XGetWindowProperty(dpy_, w, property, 0, 1, False, AnyPropertyType,
                                              &type, &format, &count, &after, &data);
        if (data) XFree(data);
        return status == Success && type != None;
    }

    void drain() {
        XSync(dpy_, False);
        while (XPending(dpy_)) {
            XEvent e;
            XNextEvent(dpy_, &e);
        }
    }

    bool centreShowsPicture(const std::set<Window>& candidates) {
        XErrorHandler old = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        bool shown = false;
        for (Window w : candidates) {
            XWindowAttributes a{};
            if (!XGetWindowAttributes(dpy_, w, &a) || a.map_state != IsViewable) continue;
            if (a.width < 64 || a.height < 64) continue;
            int x = 0, y = 0;
            Window child = 0;
            XTranslateCoordinates(dpy_, w, DefaultRootWindow(dpy_), a.width / 2, a.height / 2, &x,
                                  &y, &child);
            XImage* image =
                XGetImage(dpy_, DefaultRootWindow(dpy_), x, y, 1, 1, AllPlanes, ZPixmap);
            if (!image) continue;
            const unsigned long p = XGetPixel(image, 0, 0);
            const int r = int((p & image->red_mask) >> 16), g = int((p & image->green_mask) >> 8),
                      b = int(p & image->blue_mask);
            XDestroyImage(image);
            if (IsPictureColour(r, g, b)) {
                shown = true;
                break;
            }
        }
        XSync(dpy_, False);
        XSetErrorHandler(old);
        return shown;
    }

    Display* dpy_ = nullptr;
    pid_t server_ = -1;
    pid_t wm_ = -1;
    std::string display_;
    std::string error_;
    bool ok_ = false;
};

TXSession& session() {
    static TXSession s;
    return s;
}

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

/// A 1000 x 1000 photograph-like JPEG (texture and noise, about 90 quality)
/// whose every pixel is in the picture's colour family.
std::string picture() {
    static std::string path;
    if (!path.empty()) return path;
    QImage image(1000, 1000, QImage::Format_RGB32);
    std::mt19937 rng(17);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int noise = int(rng() % 40);
            const int g = 170 + (x * 7 + y * 3) % 50 + noise / 2;
            const int r = (x / 4 + y / 9) % 50 + noise / 4;
            const int b = (y / 5) % 60 + noise / 3;
            line[x] = qRgb(r, std::min(g, 255), b);
        }
    }
    path = folder().filePath(QStringLiteral("IMG_0001.jpg")).toStdString();
    image.save(QString::fromStdString(path), "JPEG", 90);
    return path;
}

std::string page() {
    static std::string path;
    if (!path.empty()) return path;
    path = folder().filePath(QStringLiteral("index.html")).toStdString();
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::WriteOnly);
    file.write(
        "<!DOCTYPE html><html><head><title>Start</title></head>"
        "<body style=\"background:#20c030;margin:0\"><p>A page.</p></body></html>");
    return path;
}

std::map<std::string, std::string> probeEnvironment() {
    std::map<std::string, std::string> env;
    env["XDG_CONFIG_HOME"] = folder().filePath(QStringLiteral("config")).toStdString();
    // The same engine settings for the viewer and the bare view: the viewer
    // adds these itself under Xvfb and as root.
    env["QTWEBENGINE_CHROMIUM_FLAGS"] = "--disable-gpu --log-level=3";
    if (::geteuid() == 0) env["QTWEBENGINE_DISABLE_SANDBOX"] = "1";
    return env;
}

double median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

/// Interleaves baseline and viewer runs; one untimed run of each first
/// fills the page cache for both.
void compare(benchmark::State& state, const std::vector<std::string>& baseline,
             const std::vector<std::string>& viewer) {
    TXSession& x = session();
    if (!x.ok()) {
        state.SkipWithError(x.error().c_str());
        return;
    }
    const auto env = probeEnvironment();
    x.Run(baseline, env);
    x.Run(viewer, env);
    std::vector<double> bm, bp, vm, vp;
    for (auto _ : state) {
        const auto b = x.Run(baseline, env);
        const auto v = x.Run(viewer, env);
        if (b.painted < 0 || v.painted < 0) {
            state.SkipWithError(b.painted < 0 ? "the baseline never showed its picture"
                                              : "the viewer never showed its picture");
            return;
        }
        bm.push_back(b.mapped);
        bp.push_back(b.painted);
        vm.push_back(v.mapped);
        vp.push_back(v.painted);
        state.SetIterationTime(v.painted / 1000);
    }
    state.counters["viewer_mapped_ms"] = median(vm);
    state.counters["viewer_painted_ms"] = median(vp);
    state.counters["bare_mapped_ms"] = median(bm);
    state.counters["bare_painted_ms"] = median(bp);
    state.counters["mapped_over_bare"] = median(vm) / median(bm);
    state.counters["painted_over_bare"] = median(vp) / median(bp);
}

std::string viewer() {
    const char* other = std::getenv("TARVEL_VIEWER");
    return other && *other ? other : TARVEL_VIEWER;
}

void BM_X11StartupJpeg(benchmark::State& state) {
    compare(state, {TARVEL_BARE_WINDOW_PROBE, picture()}, {viewer(), picture()});
}
BENCHMARK(BM_X11StartupJpeg)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

#ifdef TARVEL_BARE_WEB_PROBE
void BM_X11StartupHtml(benchmark::State& state) {
    compare(state, {TARVEL_BARE_WEB_PROBE, page()}, {viewer(), page()});
}
BENCHMARK(BM_X11StartupHtml)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
#endif

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
