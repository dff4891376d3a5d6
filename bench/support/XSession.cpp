#include "XSession.h"

// System
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

// C++
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

extern char** environ;

namespace xbench {

using namespace std::chrono_literals;

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

bool OnPath(const char* program) {
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

double Median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

bool IsColour(TColour colour, int r, int g, int b) {
    switch (colour) {
        case TColour::Green:
            return g - std::max(r, b) > 60;
        case TColour::Blue:
            return b - std::max(r, g) > 60;
    }
    return false;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env) {
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

void Kill(pid_t pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// ---- Session ------------------------------------------------------------------------

TXSession::TXSession() {
    if (!OnPath("Xvfb") || !OnPath("openbox")) {
        error_ = "needs Xvfb and openbox (scripts/install-deps installs them)";
        return;
    }
    int fds[2];
    if (::pipe(fds) != 0) return;
    // The server writes its display number to fds[1] once it is ready.
    server_ = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1920x1080x24",
                     "-nolisten", "tcp"},
                    {});
    ::close(fds[1]);
    char buf[32] = {};
    const ssize_t n = server_ > 0 ? ::read(fds[0], buf, sizeof buf - 1) : -1;
    ::close(fds[0]);
    if (n <= 0) {
        error_ = "Xvfb did not start";
        return;
    }
    display_.assign(1, ':');
    display_.append(buf, std::strcspn(buf, "\n"));
    dpy_ = XOpenDisplay(display_.c_str());
    if (!dpy_) {
        error_ = "cannot open " + display_;
        return;
    }
    int event = 0, error = 0, major = 0, minor = 0;
    xtest_ = XTestQueryExtension(dpy_, &event, &error, &major, &minor);
    wm_ = Spawn({"openbox", "--sm-disable"}, {{"DISPLAY", display_}});
    // Ready when the window manager announces itself on the root window.
    const Atom check = XInternAtom(dpy_, "_NET_SUPPORTING_WM_CHECK", False);
    const auto t0 = Clock::now();
    while (MsSince(t0) < 10000 && !HasProperty(DefaultRootWindow(dpy_), check))
        std::this_thread::sleep_for(10ms);
    if (!HasProperty(DefaultRootWindow(dpy_), check)) {
        error_ = "openbox did not start";
        return;
    }
    XSelectInput(dpy_, DefaultRootWindow(dpy_), SubstructureNotifyMask);
    ok_ = true;
}

TXSession::~TXSession() {
    if (dpy_) XCloseDisplay(dpy_);
    Kill(wm_);
    Kill(server_);
}

bool TXSession::HasProperty(Window w, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(dpy_, w, property, 0, 1, False, AnyPropertyType, &type,
                                          &format, &count, &after, &data);
    if (data) XFree(data);
    return status == Success && type != None;
}

void TXSession::Drain() {
    XSync(dpy_, False);
    while (XPending(dpy_)) {
        XEvent e;
        XNextEvent(dpy_, &e);
    }
}

// ---- Program ------------------------------------------------------------------------

TXProgram::TXProgram(TXSession& session, const std::vector<std::string>& argv,
                     std::map<std::string, std::string> env)
    : session_(session) {
    env["DISPLAY"] = session.DisplayName();
    env["QT_QPA_PLATFORM"] = "xcb";
    session.Drain();
    t0_ = Clock::now();
    pid_ = Spawn(argv, env);
}

TXProgram::~TXProgram() {
    Stop();
}

void TXProgram::Stop() {
    if (pid_ <= 0) return;
    Kill(pid_);
    pid_ = -1;
    // Let the server and the window manager forget the windows.
    std::this_thread::sleep_for(150ms);
    session_.Drain();
}

void TXProgram::pump() {
    Display* dpy = session_.Dpy();
    while (XPending(dpy)) {
        XEvent e;
        XNextEvent(dpy, &e);
        // Top-level windows are created on the root; the window manager then
        // reparents them into its frame and maps both.
        if (e.type == CreateNotify && !e.xcreatewindow.override_redirect)
            candidates_.insert(e.xcreatewindow.window);
        if (e.type == MapNotify && !e.xmap.override_redirect && mapped_ < 0) mapped_ = MsSince(t0_);
    }
}

double TXProgram::WaitForColour(TColour colour, Clock::time_point from, double timeoutMs) {
    while (pid_ > 0 && MsSince(from) < timeoutMs) {
        pump();
        if (mapped_ >= 0 && centreShows(colour)) return MsSince(from);
        std::this_thread::sleep_for(500us);
    }
    return -1;
}

double TXProgram::WaitForTitle(const std::string& part, Clock::time_point from, double timeoutMs) {
    while (pid_ > 0 && MsSince(from) < timeoutMs) {
        pump();
        if (mapped_ >= 0 && titleContains(part)) return MsSince(from);
        std::this_thread::sleep_for(500us);
    }
    return -1;
}

bool TXProgram::titleContains(const std::string& part) {
    Display* dpy = session_.Dpy();
    XErrorHandler old = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const Atom name = XInternAtom(dpy, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
    bool found = false;
    for (Window w : candidates_) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(dpy, w, name, 0, 4096, False, utf8, &type, &format, &count, &after,
                               &data) == Success &&
            data) {
            found =
                std::string(reinterpret_cast<char*>(data), count).find(part) != std::string::npos;
            XFree(data);
        }
        if (found) break;
    }
    XSync(dpy, False);
    XSetErrorHandler(old);
    return found;
}

void TXProgram::Idle(double ms) {
    const auto t0 = Clock::now();
    while (MsSince(t0) < ms) {
        pump();
        std::this_thread::sleep_for(2ms);
    }
}

bool TXProgram::centreShows(TColour colour) {
    Display* dpy = session_.Dpy();
    XErrorHandler old = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    bool shown = false;
    for (Window w : candidates_) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(dpy, w, &a) || a.map_state != IsViewable) continue;
        if (a.width < 64 || a.height < 64) continue;
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(dpy, w, DefaultRootWindow(dpy), a.width / 2, a.height / 2, &x, &y,
                              &child);
        XImage* image = XGetImage(dpy, DefaultRootWindow(dpy), x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) continue;
        const unsigned long p = XGetPixel(image, 0, 0);
        const int r = int((p & image->red_mask) >> 16), g = int((p & image->green_mask) >> 8),
                  b = int(p & image->blue_mask);
        XDestroyImage(image);
        if (IsColour(colour, r, g, b)) {
            shown = true;
            break;
        }
    }
    XSync(dpy, False);
    XSetErrorHandler(old);
    return shown;
}

Window TXProgram::client() {
    Display* dpy = session_.Dpy();
    const Atom wmState = XInternAtom(dpy, "WM_STATE", False);
    XErrorHandler old = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    Window found = 0;
    for (Window w : candidates_) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(dpy, w, &a) || a.map_state != IsViewable) continue;
        if (a.width < 64 || a.height < 64 || !session_.HasProperty(w, wmState)) continue;
        found = w;
        break;
    }
    XSync(dpy, False);
    XSetErrorHandler(old);
    return found;
}

Clock::time_point TXProgram::PressKey(unsigned long keysym, bool control) {
    Display* dpy = session_.Dpy();
    pump();
    if (const Window w = client()) {
        XErrorHandler old = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        XSetInputFocus(dpy, w, RevertToParent, CurrentTime);
        XSync(dpy, False);
        XSetErrorHandler(old);
    }
    const KeyCode key = XKeysymToKeycode(dpy, keysym);
    const KeyCode ctrl = XKeysymToKeycode(dpy, XK_Control_L);
    const Clock::time_point sent = Clock::now();
    if (control) XTestFakeKeyEvent(dpy, ctrl, True, 0);
    XTestFakeKeyEvent(dpy, key, True, 0);
    XTestFakeKeyEvent(dpy, key, False, 0);
    if (control) XTestFakeKeyEvent(dpy, ctrl, False, 0);
    XFlush(dpy);
    return sent;
}

namespace {
double statusMiB(pid_t pid, const char* field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    const size_t n = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, n, field) == 0 && line.size() > n && line[n] == ':')
            return std::strtod(line.c_str() + n + 1, nullptr) / 1024;  // kB
    return -1;
}
}  // namespace

double TXProgram::PeakMiB() const {
    return statusMiB(pid_, "VmHWM");
}

double TXProgram::ResidentMiB() const {
    return statusMiB(pid_, "VmRSS");
}

}  // namespace xbench
