// Large pictures under a real X server (Xvfb with openbox), each program
// started afresh, runs interleaved, medians and ratios in one run:
//
//  BM_X11Paint12MP: start-up to the window's centre showing a 12-megapixel
//    JPEG (alone in its folder), and the peak resident memory (VmHWM) once
//    it is shown: the viewer against a bare Qt window (QLabel + QImage, the
//    same window size as the viewer's first one).
//  BM_X11NextPicture: in a folder of four 12-megapixel JPEGs whose colours
//    alternate (green, blue, ...), the time from the key for the next or
//    previous file to the window's centre showing the other colour; each key
//    comes after the program has had 800 ms with the picture shown (a person
//    looking at it). The viewer with its read-ahead of neighbours, the same
//    window without it, and the image viewers installed beside it (qimgv,
//    feh, nsxiv; each is left out when absent). Also the resident memory
//    after the steps, with and without read-ahead.
//  BM_X11Paint12MPPeers: the peers on the 12-megapixel start-up, for
//    reference.
//  BM_X11NextOfEveryKind: the next and previous file in folders of four
//    1,200 x 900 JPEGs, four 4.7 MB texts (100,000 lines) and four 115 KB
//    pages (300 paragraphs and a style sheet), key to the window's centre
//    showing the next colour (pictures and pages, whose backgrounds
//    alternate green and blue) and key to the caption naming the next file
//    (every kind); the viewer against the same window without read-ahead,
//    and the resident memory of each after the steps.
//
// The pictures are made here (bench/image/PhotoJpeg.h). Needs Xvfb, openbox
// and the XTEST extension; skips without them. TARVEL_VIEWER in the
// environment names another build of the viewer to time instead.
#include <benchmark/benchmark.h>

// Qt
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// C++
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Benchmark harness (after Qt: Xlib's macros)
#include <X11/keysym.h>
#include "BenchMain.h"
#include "PhotoJpeg.h"
#include "XSession.h"

namespace {

using namespace xbench;
using benchphoto::TFamily;

constexpr int kWidth = 4000, kHeight = 3000;
// The viewer's first window, without stored settings.
constexpr int kWindowWidth = 696, kWindowHeight = 480;
constexpr double kLookMs = 800;

TXSession& session() {
    static TXSession s;
    return s;
}

QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

/// IMG_0001.JPG .. IMG_0004.JPG in one folder, green and blue in turn, and
/// the first of them alone in another.
struct TPictures {
    std::string alone;
    std::string folder;
    std::vector<std::string> files;
};

const TPictures& pictures() {
    static const TPictures p = [] {
        TPictures made;
        QDir root(scratch().path());
        root.mkpath(QStringLiteral("four"));
        root.mkpath(QStringLiteral("alone"));
        made.folder = root.filePath(QStringLiteral("four")).toStdString();
        for (int i = 1; i <= 4; ++i) {
            const TFamily family = i % 2 ? TFamily::Green : TFamily::Blue;
            const auto bytes = benchphoto::PhotoJpeg(kWidth, kHeight, family, unsigned(i));
            char name[32];
            std::snprintf(name, sizeof name, "/IMG_%04d.JPG", i);
            made.files.push_back(made.folder + name);
            benchphoto::WriteFile(made.files.back(), bytes);
            if (i == 1) {
                made.alone = root.filePath(QStringLiteral("alone")).toStdString() + name;
                benchphoto::WriteFile(made.alone, bytes);
            }
        }
        return made;
    }();
    return p;
}

std::map<std::string, std::string> environment() {
    std::map<std::string, std::string> env;
    // Never the user's settings, for the viewer and the peers alike.
    env["XDG_CONFIG_HOME"] =
        QDir(scratch().path()).filePath(QStringLiteral("config")).toStdString();
    env["XDG_CACHE_HOME"] = QDir(scratch().path()).filePath(QStringLiteral("cache")).toStdString();
    env["HOME"] = scratch().path().toStdString();
    return env;
}

std::string viewer() {
    const char* other = std::getenv("TARVEL_VIEWER");
    return other && *other ? other : TARVEL_VIEWER;
}

bool ready(benchmark::State& state) {
    if (!session().Ok()) {
        state.SkipWithError(session().Error().c_str());
        return false;
    }
    if (!session().HasXTest()) {
        state.SkipWithError("the X server has no XTEST extension");
        return false;
    }
    return true;
}

struct TStart {
    double painted = -1;
    double peakMiB = -1;
};

TStart startOn(const std::vector<std::string>& argv) {
    TXProgram program(session(), argv, environment());
    TStart s;
    s.painted = program.WaitForColour(TColour::Green, program.StartTime());
    if (s.painted < 0) return s;
    program.Idle(300);
    s.peakMiB = program.PeakMiB();
    return s;
}

void BM_X11Paint12MP(benchmark::State& state) {
    if (!ready(state)) return;
    const std::string file = pictures().alone;
    const std::vector<std::string> bare = {TARVEL_BARE_WINDOW_PROBE, file,
                                           std::to_string(kWindowWidth),
                                           std::to_string(kWindowHeight)};
    const std::vector<std::string> ours = {viewer(), file};
    startOn(bare);  // the page cache, for both
    startOn(ours);
    std::vector<double> bp, vp, bm, vm;
    for (auto _ : state) {
        const TStart b = startOn(bare);
        const TStart v = startOn(ours);
        if (b.painted < 0 || v.painted < 0) {
            state.SkipWithError(b.painted < 0 ? "the bare window never showed its picture"
                                              : "the viewer never showed its picture");
            return;
        }
        bp.push_back(b.painted), vp.push_back(v.painted);
        bm.push_back(b.peakMiB), vm.push_back(v.peakMiB);
        state.SetIterationTime(v.painted / 1000);
    }
    state.counters["viewer_painted_ms"] = Median(vp);
    state.counters["bare_painted_ms"] = Median(bp);
    state.counters["painted_over_bare"] = Median(vp) / Median(bp);
    state.counters["viewer_peak_MiB"] = Median(vm);
    state.counters["bare_peak_MiB"] = Median(bm);
    state.counters["peak_over_bare"] = Median(vm) / Median(bm);
}
BENCHMARK(BM_X11Paint12MP)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);

/** A program that browses the four-picture folder, and its keys. */
struct TBrowser {
    std::string name;
    std::vector<std::string> argv;
    unsigned long next, previous;
    bool control;
};

std::vector<TBrowser> browsers() {
    const std::string first = pictures().files.front();
    std::vector<TBrowser> all = {
        {"viewer", {viewer(), first}, XK_w, XK_q, true},
        {"no_read_ahead", {TARVEL_PICTURE_PROBE, "--no-read-ahead", first}, XK_w, XK_q, true},
    };
    if (OnPath("qimgv")) all.push_back({"qimgv", {"qimgv", first}, XK_Right, XK_Left, false});
    // Given the four files in order: feh does not sort a folder by name.
    const std::vector<std::string>& files = pictures().files;
    if (OnPath("feh"))
        all.push_back(
            {"feh", {"feh", files[0], files[1], files[2], files[3]}, XK_Right, XK_Left, false});
    if (OnPath("nsxiv"))
        all.push_back(
            {"nsxiv", {"nsxiv", files[0], files[1], files[2], files[3]}, XK_n, XK_p, false});
    return all;
}

struct TSteps {
    std::vector<double> ms;  // one per key
    double residentMiB = -1;
    double peakMiB = -1;
    bool ok = false;
};

// Next, next, next, previous, previous, previous: green and blue in turn.
TSteps browse(const TBrowser& b) {
    TSteps steps;
    TXProgram program(session(), b.argv, environment());
    if (program.WaitForColour(TColour::Green, program.StartTime()) < 0) return steps;
    TColour shown = TColour::Green;
    for (int i = 0; i < 6; ++i) {
        program.Idle(kLookMs);
        const auto sent = program.PressKey(i < 3 ? b.next : b.previous, b.control);
        shown = shown == TColour::Green ? TColour::Blue : TColour::Green;
        const double ms = program.WaitForColour(shown, sent, 10000);
        if (ms < 0) return steps;
        steps.ms.push_back(ms);
    }
    program.Idle(kLookMs);
    steps.residentMiB = program.ResidentMiB();
    steps.peakMiB = program.PeakMiB();
    steps.ok = true;
    return steps;
}

void BM_X11NextPicture(benchmark::State& state) {
    if (!ready(state)) return;
    const std::vector<TBrowser> all = browsers();
    std::map<std::string, std::vector<double>> ms, resident, peak;
    for (const TBrowser& b : all) browse(b);  // the page cache, and first-run files
    for (auto _ : state) {
        for (const TBrowser& b : all) {
            const TSteps s = browse(b);
            if (!s.ok) {
                const std::string why = b.name + " never showed the next picture";
                state.SkipWithError(why.c_str());
                return;
            }
            ms[b.name].insert(ms[b.name].end(), s.ms.begin(), s.ms.end());
            resident[b.name].push_back(s.residentMiB);
            peak[b.name].push_back(s.peakMiB);
            if (b.name == "viewer") state.SetIterationTime(Median(s.ms) / 1000);
        }
    }
    for (const TBrowser& b : all) state.counters[b.name + "_next_ms"] = Median(ms[b.name]);
    const double ours = Median(ms["viewer"]);
    state.counters["over_no_read_ahead"] = ours / Median(ms["no_read_ahead"]);
    if (ms.count("qimgv")) state.counters["over_qimgv"] = ours / Median(ms["qimgv"]);
    state.counters["viewer_resident_MiB"] = Median(resident["viewer"]);
    state.counters["no_read_ahead_resident_MiB"] = Median(resident["no_read_ahead"]);
    state.counters["read_ahead_resident_ratio"] =
        Median(resident["viewer"]) / Median(resident["no_read_ahead"]);
    state.counters["read_ahead_peak_ratio"] =
        Median(peak["viewer"]) / Median(peak["no_read_ahead"]);
    if (resident.count("qimgv")) state.counters["qimgv_resident_MiB"] = Median(resident["qimgv"]);
}
BENCHMARK(BM_X11NextPicture)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_X11Paint12MPPeers(benchmark::State& state) {
    if (!ready(state)) return;
    const std::string file = pictures().alone;
    std::vector<std::pair<std::string, std::vector<std::string>>> peers;
    for (const char* peer : {"qimgv", "feh", "nsxiv"})
        if (OnPath(peer)) peers.push_back({peer, {peer, file}});
    if (peers.empty()) {
        state.SkipWithError("no peer viewer installed (qimgv, feh, nsxiv)");
        return;
    }
    const std::vector<std::string> bare = {TARVEL_BARE_WINDOW_PROBE, file,
                                           std::to_string(kWindowWidth),
                                           std::to_string(kWindowHeight)};
    std::map<std::string, std::vector<double>> painted, peakMiB;
    for (auto& [name, argv] : peers) startOn(argv);
    for (auto _ : state) {
        const TStart b = startOn(bare);
        painted["bare"].push_back(b.painted);
        peakMiB["bare"].push_back(b.peakMiB);
        for (auto& [name, argv] : peers) {
            const TStart s = startOn(argv);
            painted[name].push_back(s.painted);
            peakMiB[name].push_back(s.peakMiB);
        }
        state.SetIterationTime(b.painted / 1000);
    }
    for (auto& [name, v] : painted) {
        state.counters[name + "_painted_ms"] = Median(v);
        state.counters[name + "_peak_MiB"] = Median(peakMiB[name]);
    }
}
BENCHMARK(BM_X11Paint12MPPeers)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

/// One folder of four files of a kind, and how a step in it is seen.
struct TKindFolder {
    std::string kind;
    std::vector<std::string> files;
    std::vector<std::string> titles;  // what the caption shows for each
    bool coloured = true;             // the centre alternates green and blue
};

std::string writeText(const std::string& path, const std::string& text) {
    QFile file(QString::fromStdString(path));
    if (file.open(QIODevice::WriteOnly)) file.write(text.data(), qint64(text.size()));
    return path;
}

const std::vector<TKindFolder>& kindFolders() {
    static const std::vector<TKindFolder> all = [] {
        std::vector<TKindFolder> made;
        QDir root(scratch().path());
        for (const char* kind : {"pictures", "texts", "pages"})
            root.mkpath(QString::fromLatin1(kind));
        const std::string base = root.path().toStdString();
        TKindFolder pictures{"picture", {}, {}, true};
        TKindFolder texts{"text", {}, {}, false};
        TKindFolder pages{"page", {}, {}, true};
        std::string line = "The quick brown fox jumps over the lazy dog, line ";
        writeText(base + "/pages/style.css",
                  "body.green { background: rgb(20, 200, 40); } "
                  "body.blue { background: rgb(20, 40, 220); } p { font: 14px sans-serif; }");
        for (int i = 1; i <= 4; ++i) {
            const TFamily family = i % 2 ? TFamily::Green : TFamily::Blue;
            char name[32];
            std::snprintf(name, sizeof name, "/photo-%d.jpg", i);
            pictures.files.push_back(base + "/pictures" + name);
            benchphoto::WriteFile(pictures.files.back(),
                                  benchphoto::PhotoJpeg(1200, 900, family, unsigned(i)));
            pictures.titles.push_back(name + 1);

            std::string text;
            text.reserve(4'800'000);
            for (int n = 0; n < 100000; ++n)
                text += line + std::to_string(n) + " of file " + std::to_string(i) + "\n";
            std::snprintf(name, sizeof name, "/log-%d.txt", i);
            texts.files.push_back(writeText(base + "/texts" + name, text));
            texts.titles.push_back(name + 1);

            std::string page = "<!doctype html><html><head><title>Page " + std::to_string(i) +
                               "</title><link rel=stylesheet href=style.css></head><body class=" +
                               (i % 2 ? "green" : "blue") + ">";
            for (int n = 0; page.size() < 115'000; ++n)
                page += "<p>Paragraph " + std::to_string(n) + ": " + line + line + line + "</p>\n";
            page += "</body></html>";
            std::snprintf(name, sizeof name, "/page-%d.html", i);
            pages.files.push_back(writeText(base + "/pages" + name, page));
            pages.titles.push_back("Page " + std::to_string(i));
        }
        made = {pictures, texts, pages};
        return made;
    }();
    return all;
}

struct TKindSteps {
    std::vector<double> captionMs, paintedMs;
    double residentMiB = -1;
    bool ok = false;
};

// Next, next, next, previous, previous, previous, a look at each file first.
TKindSteps stepThrough(const TKindFolder& folder, bool readAhead) {
    TKindSteps steps;
    std::vector<std::string> argv{TARVEL_PICTURE_PROBE};
    if (!readAhead) argv.push_back("--no-read-ahead");
    argv.push_back(folder.files.front());
    TXProgram program(session(), argv, environment());
    if (program.WaitForTitle(folder.titles[0], program.StartTime()) < 0) return steps;
    int index = 0;
    for (int i = 0; i < 6; ++i) {
        program.Idle(kLookMs);
        const auto sent = program.PressKey(i < 3 ? XK_w : XK_q, true);
        index = i < 3 ? index + 1 : index - 1;
        const double caption = program.WaitForTitle(folder.titles[std::size_t(index)], sent, 10000);
        if (caption < 0) return steps;
        steps.captionMs.push_back(caption);
        if (folder.coloured) {
            const double painted =
                program.WaitForColour(index % 2 ? TColour::Blue : TColour::Green, sent, 10000);
            if (painted < 0) return steps;
            steps.paintedMs.push_back(painted);
        }
    }
    program.Idle(kLookMs);
    steps.residentMiB = program.ResidentMiB();
    steps.ok = true;
    return steps;
}

void BM_X11NextOfEveryKind(benchmark::State& state) {
    if (!ready(state)) return;
    const auto& folders = kindFolders();
    std::map<std::string, std::vector<double>> caption, painted, resident;
    for (const TKindFolder& f : folders) stepThrough(f, true);  // the page cache
    for (auto _ : state) {
        double iteration = 0;
        for (const TKindFolder& f : folders) {
            for (bool readAhead : {true, false}) {
                const TKindSteps s = stepThrough(f, readAhead);
                if (!s.ok) {
                    const std::string why = "the " + f.kind + " folder never showed its next file";
                    state.SkipWithError(why.c_str());
                    return;
                }
                const std::string key = f.kind + (readAhead ? "" : "_no_read_ahead");
                caption[key].insert(caption[key].end(), s.captionMs.begin(), s.captionMs.end());
                painted[key].insert(painted[key].end(), s.paintedMs.begin(), s.paintedMs.end());
                resident[key].push_back(s.residentMiB);
                if (readAhead) iteration += Median(s.captionMs);
            }
        }
        state.SetIterationTime(iteration / 1000);
    }
    for (const TKindFolder& f : folders) {
        for (const std::string& key : {f.kind, f.kind + "_no_read_ahead"}) {
            state.counters[key + "_caption_ms"] = Median(caption[key]);
            if (!painted[key].empty()) state.counters[key + "_painted_ms"] = Median(painted[key]);
            state.counters[key + "_resident_MiB"] = Median(resident[key]);
        }
        state.counters[f.kind + "_read_ahead_resident_ratio"] =
            Median(resident[f.kind]) / Median(resident[f.kind + "_no_read_ahead"]);
    }
    state.counters["next_page_over_next_picture_painted"] =
        Median(painted["page"]) / Median(painted["picture"]);
    state.counters["next_text_over_next_picture_caption"] =
        Median(caption["text"]) / Median(caption["picture"]);
}
BENCHMARK(BM_X11NextOfEveryKind)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<QCoreApplication>(argc, argv, TBenchPlatform::AsSet);
}
