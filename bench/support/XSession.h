#pragma once

// A private X server (Xvfb) with a window manager (openbox) for the X11
// benchmarks, and the programs they start on it: each program is timed from
// its start to its top-level window being mapped and to the window's centre,
// read back from the server, showing a picture's colour; keys are typed into
// it through the XTEST extension, as a keyboard would; its peak memory is
// read from /proc.

// Qt's headers clash with Xlib's macros: include this after them.
#include <X11/Xlib.h>

// C
#include <sys/types.h>

// C++
#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace xbench {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0);
bool OnPath(const char* program);
double Median(std::vector<double> v);

/// Picture colour families, far apart and unlike any window chrome: every
/// pixel of a picture made for a benchmark lies in one of them.
enum class TColour { Green, Blue };
bool IsColour(TColour colour, int r, int g, int b);

class TXSession;

/** One program started on the session's display. */
class TXProgram {
public:
    TXProgram(TXSession& session, const std::vector<std::string>& argv,
              std::map<std::string, std::string> env);
    ~TXProgram();
    TXProgram(const TXProgram&) = delete;
    TXProgram& operator=(const TXProgram&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    Clock::time_point StartTime() const { return t0_; }
    /// Since the start, or -1 when not seen (yet).
    double MappedMs() const { return mapped_; }

    /// Waits until the centre of the program's window shows `colour`;
    /// returns the time since `from`, or -1 after `timeoutMs`.
    double WaitForColour(TColour colour, Clock::time_point from, double timeoutMs = 30000);
    /// Waits until the title of the program's window contains `part`;
    /// returns the time since `from`, or -1 after `timeoutMs`.
    double WaitForTitle(const std::string& part, Clock::time_point from, double timeoutMs = 30000);
    /// Presses and releases a key (an X keysym) with Control held when asked,
    /// on the program's focused window; returns the moment it was sent.
    Clock::time_point PressKey(unsigned long keysym, bool control = false);
    /// Lets events arrive for a while (the program settles, reads ahead).
    void Idle(double ms);

    /// Peak resident memory (VmHWM) and resident memory now (VmRSS), MiB.
    double PeakMiB() const;
    double ResidentMiB() const;

    void Stop();

private:
    void pump();
    bool centreShows(TColour colour);
    bool titleContains(const std::string& part);
    Window client();

    TXSession& session_;
    pid_t pid_ = -1;
    Clock::time_point t0_;
    double mapped_ = -1;
    std::set<Window> candidates_;
};

/** The server and the window manager, for the whole run. */
class TXSession {
public:
    TXSession();
    ~TXSession();
    TXSession(const TXSession&) = delete;
    TXSession& operator=(const TXSession&) = delete;

    bool Ok() const { return ok_; }
    const std::string& Error() const { return error_; }
    const std::string& DisplayName() const { return display_; }
    Display* Dpy() const { return dpy_; }
    bool HasXTest() const { return xtest_; }

    /// Discards pending events (between programs).
    void Drain();
    bool HasProperty(Window w, Atom property);

private:
    Display* dpy_ = nullptr;
    pid_t server_ = -1;
    pid_t wm_ = -1;
    std::string display_;
    std::string error_;
    bool ok_ = false;
    bool xtest_ = false;
};

/// Starts a program with the environment given as overrides of ours; its
/// output goes nowhere. Returns the process id, or -1.
pid_t Spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env);
void Kill(pid_t pid);

}  // namespace xbench
