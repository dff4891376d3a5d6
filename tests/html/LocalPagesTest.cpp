// What a local page may read: everything it shows works (its pictures, style
// sheets, scripts and modules, fonts, media, frames, anchors and links, also
// from parent and sibling folders), while hostile pages, each trying one way,
// never get the content of another file. The engine runs as it does for the
// tests' root user: without its sandbox.
#include <gtest/gtest.h>

// Qt
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QJsonObject>
#include <QRawFont>
#include <QTest>
#include <QUrl>

#include <utility>
#include <vector>

// Project
#include "HtmlTestSupport.h"

namespace {

QByteArray Png(QRgb colour) {
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

/// Half a second of 8-bit mono silence at 8 kHz.
QByteArray Wav() {
    const quint32 samples = 4000;
    QByteArray wav;
    auto u32 = [&](quint32 v) {
        for (int i = 0; i < 4; ++i) wav.append(char(v >> (8 * i)));
    };
    auto u16 = [&](quint16 v) { wav.append(char(v)).append(char(v >> 8)); };
    wav.append("RIFF");
    u32(36 + samples);
    wav.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(8000);
    u16(1);
    u16(8);
    wav.append("data");
    u32(samples);
    wav.append(QByteArray(samples, char(0x80)));
    return wav;
}

/// A font file rebuilt from the tables of the system's default font.
QByteArray FontFile() {
    const QRawFont raw = QRawFont::fromFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    std::vector<std::pair<QByteArray, QByteArray>> tables;  // in the order of their tags
    for (const char* tag : {"CFF ", "OS/2", "cmap", "cvt ", "fpgm", "gasp", "glyf", "head", "hhea",
                            "hmtx", "loca", "maxp", "name", "post", "prep"}) {
        const QByteArray data = raw.fontTable(tag);
        if (!data.isEmpty()) tables.emplace_back(QByteArray(tag), data);
    }
    QByteArray font;
    auto u32 = [](QByteArray& out, quint32 v) {
        for (int i = 3; i >= 0; --i) out.append(char(v >> (8 * i)));
    };
    auto u16 = [](QByteArray& out, quint16 v) { out.append(char(v >> 8)).append(char(v)); };
    const quint16 count = quint16(tables.size());
    quint16 power = 1, log2 = 0;
    while (power * 2 <= count) power *= 2, ++log2;
    u32(font, tables.front().first == "CFF " ? 0x4F54544F : 0x00010000);
    u16(font, count);
    u16(font, power * 16);
    u16(font, log2);
    u16(font, count * 16 - power * 16);
    QByteArray body;
    const quint32 start = 12 + 16 * count;
    for (auto& [tag, data] : tables) {
        QByteArray padded = data;
        while (padded.size() % 4) padded.append('\0');
        quint32 sum = 0;
        for (qsizetype i = 0; i < padded.size(); i += 4) {
            sum += quint32(quint8(padded[i])) << 24 | quint32(quint8(padded[i + 1])) << 16 |
                   quint32(quint8(padded[i + 2])) << 8 | quint8(padded[i + 3]);
        }
        font.append(tag);
        u32(font, sum);
        u32(font, start + quint32(body.size()));
        u32(font, quint32(data.size()));
        body.append(padded);
    }
    return font + body;
}

class LocalPagesTest : public HtmlViewFixture {
protected:
    /// Waits for the page's global `found` (what a hostile page got).
    QString Found() {
        QString found;
        WaitFor([&] {
            found = Eval(QStringLiteral("typeof found == 'string' ? 'R:' + found : ''"));
            return !found.isEmpty();
        });
        return found;
    }

    /// Opens each page in turn and expects nothing of the secret in what it found.
    void ExpectNothingFound(const std::vector<std::pair<QString, QByteArray>>& pages) {
        for (const auto& [name, body] : pages) {
            SCOPED_TRACE(name.toStdString());
            const QString path = files_.Write(QStringLiteral("hostile/") + name + ".html",
                                              Page(name.toUtf8(), kPrelude + body));
            const qsizetype before = captions_.size();
            view_.Open(path);
            ASSERT_TRUE(WaitForCaptions(before + 1));
            ASSERT_EQ(captions_.last(), name);
            const QString found = Found();
            ASSERT_TRUE(found.startsWith(QStringLiteral("R:"))) << "the page never finished";
            EXPECT_FALSE(found.contains(QStringLiteral("SECRETMARK"))) << found.toStdString();
        }
        EXPECT_TRUE(errors_.Boxes().empty());
    }

    /// Secrets in a folder beside the hostile pages, one for each way to read.
    void WriteSecrets() {
        files_.Write(QStringLiteral("private/secret.txt"), "TOKEN=\"SECRETMARK-text\"; SECRETMARK");
        files_.Write(QStringLiteral("private/secret.json"), "{\"k\": \"SECRETMARK-json\"}");
        files_.Write(QStringLiteral("private/secret.css"), "b { --k: \"SECRETMARK-css\"; }");
        files_.Write(QStringLiteral("private/secret.html"),
                     Page("Secret", "<p>SECRETMARK-html</p>"));
        files_.Write(QStringLiteral("private/secret.svg"),
                     "<svg xmlns='http://www.w3.org/2000/svg'><rect id='r' width='50' height='50'/>"
                     "<text id='t' y='20'>SECRETMARK-svg</text></svg>");
        files_.Write(QStringLiteral("private/secret.png"), Png(qRgb(83, 69, 67)));
        files_.Write(QStringLiteral("private/secret.wav"), Wav());
        files_.Write(QStringLiteral("hostile/reader.js"),
                     "fetch('../private/secret.txt').then(r => r.text()).then(t => postMessage(t),"
                     " e => postMessage('refused'));");
        QFile::link(files_.Path() + QStringLiteral("private/secret.txt"),
                    files_.Path() + QStringLiteral("hostile/helper.js"));
    }

    /// The helpers every hostile page starts with.
    static inline const QByteArray kPrelude = R"HTML(<script>
var found;
function report(parts) { found = parts.map(String).join(' | '); }
function settle(p, ms) {
  return Promise.race([Promise.resolve(p).then(v => typeof v == 'string' ? v : JSON.stringify(v),
                                               e => 'refused: ' + e),
                       new Promise(r => setTimeout(() => r('timeout'), ms || 3000))]);
}
function xhr(url) {
  return new Promise(done => {
    try { const x = new XMLHttpRequest(); x.open('GET', url);
          x.onload = () => done(x.responseText); x.onerror = () => done('refused'); x.send(); }
    catch (e) { done('refused: ' + e); }
  });
}
function whenLoaded(el) {
  return settle(new Promise(done => { el.onload = () => done('loaded'); el.onerror = () => done('error'); }));
}
function pixels(img) {
  try { const c = document.createElement('canvas'); c.width = c.height = 2;
        const g = c.getContext('2d'); g.drawImage(img, 0, 0);
        return 'SECRETMARK-pixels ' + g.getImageData(0, 0, 1, 1).data.join(','); }
  catch (e) { return 'refused: ' + e.name; }
}
function glPixels(img) {
  const gl = document.createElement('canvas').getContext('webgl');
  if (!gl) return 'no webgl';
  try { gl.bindTexture(gl.TEXTURE_2D, gl.createTexture());
        gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, gl.RGBA, gl.UNSIGNED_BYTE, img);
        return 'SECRETMARK-webgl'; }
  catch (e) { return 'refused: ' + e.name; }
}
function frameText(el) {
  try { const d = el.contentDocument || (el.getSVGDocument && el.getSVGDocument()) ||
                  el.contentWindow.document;
        return d ? d.documentElement.outerHTML : 'no document'; }
  catch (e) { return 'refused: ' + e.name; }
}
const secretDir = location.pathname.replace(/hostile\/[^/]*$/, 'private/');
const fileUrl = name => 'file://' + secretDir + name;
</script>)HTML";
};

// A documentation tree saved from the web, its page using resources from its
// own, parent and sibling folders, in a folder whose name needs escaping.
TEST_F(LocalPagesTest, APageKeepsEverythingItShows) {
    TTestWebServer web;
    web.Serve(QStringLiteral("/web.html"), Page("Web page"));
    const QString root = QStringLiteral("Saved page #1 \u00e9/");
    files_.Write(root + "images/dot.png", Png(qRgb(10, 20, 30)));
    files_.Write(root + "media/tone.wav", Wav());
    files_.Write(root + "fonts/own.ttf", FontFile());
    files_.Write(root + "shared/style.css",
                 "@import 'more.css'; p#styled { color: rgb(1, 2, 3); }"
                 "@font-face { font-family: own; src: url(../fonts/own.ttf); }");
    files_.Write(root + "shared/more.css", "p#more { color: rgb(4, 5, 6); }");
    files_.Write(root + "shared/lib.js", "window.classic = 'classic';");
    files_.Write(root + "shared/util.js", "export const util = 'parent';");
    files_.Write(root + "other/sib.mjs", "export const sib = 'sibling';");
    files_.Write(root + "docs/own.js", "export const own = 'own';");
    files_.Write(root + "docs/index_files/jquery.min.js.download", "window.saved = 'saved';");
    files_.Write(root + "docs/app.mjs",
                 "import {own} from './own.js'; import {util} from '../shared/util.js';"
                 "import {sib} from '../other/sib.mjs'; window.modules = [own, util, sib].join();");
    files_.Write(
        root + "other/part.htm",
        Page("Part", "<script>parent.postMessage('shown ' + document.title, '*');</script>"));
    files_.Write(root + "docs/next.html",
                 Page("Next", "<a id='web' href='" + web.Url("/web.html").toUtf8() + "'>web</a>"));
    const QByteArray absoluteDot =
        QUrl::fromLocalFile(files_.Path() + root + "images/dot.png").toEncoded();
    const QString index = files_.Write(root + "docs/index.html", Page("Index", R"HTML(
<link rel="stylesheet" href="../shared/style.css">
<p id="styled" style="font-family: own">styled</p><p id="more">more</p>
<img id="img" src="../images/dot.png"><img id="abs" src=")HTML" + absoluteDot + R"HTML(">
<audio id="audio" src="../media/tone.wav" preload="auto"></audio>
<iframe src="../other/part.htm"></iframe>
<a id="anchor" href="#target">down</a><a id="next" href="next.html?v=1#top">next</a>
<div style="height: 3000px"></div><p id="target">target</p>
<script src="../shared/lib.js"></script><script src="index_files/jquery.min.js.download"></script>
<script type="module" src="app.mjs"></script>
<script>
var results = {};
var shown = new Promise(r => addEventListener('message', e => r(String(e.data))));
function within(p) { return Promise.race([p, new Promise(r => setTimeout(() => r('timeout'), 5000))]); }
function poll(f) { return within(new Promise(r => { const t = setInterval(() => { const v = f(); if (v) { clearInterval(t); r(v); } }, 20); })); }
addEventListener('load', () => {
  results.image = document.getElementById('img').naturalWidth;
  results.absolute = document.getElementById('abs').naturalWidth;
  results.style = getComputedStyle(document.getElementById('styled')).color;
  results.imported = getComputedStyle(document.getElementById('more')).color;
  results.classic = (window.classic || '') + ' ' + (window.saved || '');
  const audio = document.getElementById('audio');
  Promise.all([
    poll(() => audio.readyState >= 1 && audio.duration),
    within(document.fonts.load('16px own').then(f => f.length)),
    within(import('../shared/util.js').then(m => m.util, e => String(e))),
    poll(() => window.modules),
    within(shown),
  ]).then(([duration, fonts, dynamic, modules, frame]) => {
    Object.assign(results, {duration, fonts, dynamic, modules, frame});
    results.done = true;
  });
});
</script>)HTML"));

    view_.Open(index);
    ASSERT_TRUE(WaitForCaptions(1));
    EXPECT_EQ(captions_.last(), QStringLiteral("Index"));
    const QJsonObject results = WaitForResults();
    ASSERT_FALSE(results.isEmpty());
    EXPECT_EQ(results.value(QStringLiteral("image")).toInt(), 2);
    EXPECT_EQ(results.value(QStringLiteral("absolute")).toInt(), 2);
    EXPECT_EQ(results.value(QStringLiteral("style")).toString(), QStringLiteral("rgb(1, 2, 3)"));
    EXPECT_EQ(results.value(QStringLiteral("imported")).toString(), QStringLiteral("rgb(4, 5, 6)"));
    EXPECT_EQ(results.value(QStringLiteral("classic")).toString(), QStringLiteral("classic saved"));
    EXPECT_NEAR(results.value(QStringLiteral("duration")).toDouble(), 0.5, 0.01);
    EXPECT_EQ(results.value(QStringLiteral("fonts")).toInt(), 1);
    EXPECT_EQ(results.value(QStringLiteral("dynamic")).toString(), QStringLiteral("parent"));
    EXPECT_EQ(results.value(QStringLiteral("modules")).toString(),
              QStringLiteral("own,parent,sibling"));
    EXPECT_EQ(results.value(QStringLiteral("frame")).toString(), QStringLiteral("shown Part"));

    // An anchor scrolls within the page.
    EXPECT_EQ(Eval(QStringLiteral("document.getElementById('anchor').click();"
                                  "location.hash + ' ' + (scrollY > 0)")),
              QStringLiteral("#target true"));
    // Links lead to other local pages and to the web, each title in the caption.
    Eval(QStringLiteral("document.getElementById('next').click(); 'ok'"));
    ASSERT_TRUE(WaitFor([&] { return captions_.last() == QLatin1String("Next"); }));
    EXPECT_EQ(Eval(QStringLiteral("location.search + location.hash")), QStringLiteral("?v=1#top"));
    Eval(QStringLiteral("document.getElementById('web').click(); 'ok'"));
    ASSERT_TRUE(WaitFor([&] { return captions_.last() == QLatin1String("Web page"); }));
    EXPECT_TRUE(errors_.Boxes().empty());
}

// Requests, module imports, script loads, workers and windows: whatever a
// page's script fetches itself never reaches a local file, and data never runs.
TEST_F(LocalPagesTest, ScriptReadsNoOtherFile) {
    WriteSecrets();
    ExpectNothingFound({
        {QStringLiteral("xhr"), R"JS(<script>
Promise.all([xhr('../private/secret.txt'), xhr(fileUrl('secret.txt')),
             xhr(location.origin + secretDir + 'secret.txt'), xhr('../private/')]).then(report);
</script>)JS"},
        {QStringLiteral("fetch"), R"JS(<script>
const text = p => settle(p.then(r => r.text()));
Promise.all([text(fetch('../private/secret.txt')), text(fetch(fileUrl('secret.txt'))),
             text(fetch(location.origin + secretDir + 'secret.txt')),
             text(fetch('../private/secret.txt', {mode: 'no-cors'})),
             settle(new Promise(done => { const s = new EventSource('../private/secret.txt');
                 s.onmessage = e => done(e.data); s.onerror = () => done('refused'); }))]).then(report);
</script>)JS"},
        {QStringLiteral("json-module"), R"JS(<script>
Promise.all([settle(import('../private/secret.json', {assert: {type: 'json'}})),
             settle(import(fileUrl('secret.json'), {assert: {type: 'json'}}))]).then(report);
</script>)JS"},
        {QStringLiteral("css-module"), R"JS(<script>
settle(import('../private/secret.css', {assert: {type: 'css'}})
  .then(m => [...m.default.cssRules].map(r => r.cssText).join())).then(v => report([v]));
</script>)JS"},
        {QStringLiteral("data-as-module"),
         R"JS(<script type="module" src="../private/secret.json"></script>
<script>
Promise.all([settle(import('../private/secret.txt')), settle(import('./helper.js'))]).then(report);
</script>)JS"},
        {QStringLiteral("data-as-script"), R"JS(<script>
var messages = [];
addEventListener('error', e => messages.push(e.message), true);
</script>
<script src="../private/secret.txt"></script><script src="helper.js"></script>
<script src="../private/secret.json"></script>
<script>
addEventListener('load', () => report([window.TOKEN, messages.join()]));
</script>)JS"},
        {QStringLiteral("worker"), R"JS(<script>
function run(make) {
  return settle(new Promise(done => {
    try { const w = make(); const port = w.port || w;
          port.onmessage = e => done(e.data); w.onerror = () => done('refused'); }
    catch (e) { done('refused: ' + e); }
  }));
}
Promise.all([run(() => new Worker('reader.js')), run(() => new Worker('../private/secret.txt')),
             run(() => new SharedWorker('reader.js'))]).then(report);
</script>)JS"},
        {QStringLiteral("history"), R"JS(<script>
history.pushState(null, '', '../private/secret.txt');
Promise.all([xhr(location.href), settle(fetch(location.href).then(r => r.text()))]).then(report);
</script>)JS"},
        {QStringLiteral("preload"),
         R"JS(<link rel="preload" as="fetch" href="../private/secret.json" crossorigin>
<link rel="prefetch" href="../private/secret.txt">
<script>
addEventListener('load', () => settle(fetch('../private/secret.json').then(r => r.text()))
  .then(v => report([v])));
</script>)JS"},
        {QStringLiteral("window"), R"JS(<script>
const w = window.open('../private/secret.html');
setTimeout(() => { let text = 'no window';
  try { text = w ? w.document.documentElement.outerHTML : 'no window'; } catch (e) { text = 'refused'; }
  report([text]); }, 500);
</script>)JS"},
    });
}

// Frames and objects show other files but do not let the page in; pictures,
// style sheets, SVG and media from other files are shown but not read.
TEST_F(LocalPagesTest, ShownFilesAreNotRead) {
    WriteSecrets();
    ExpectNothingFound({
        {QStringLiteral("frames"), R"JS(
<iframe id="html" src="../private/secret.html"></iframe>
<iframe id="text" src="../private/secret.txt"></iframe>
<iframe id="file" src="file:///dev/null"></iframe>
<iframe id="listing" src="../private/"></iframe>
<object id="object" data="../private/secret.txt" type="text/plain"></object>
<embed id="embed" src="../private/secret.svg" type="image/svg+xml">
<script>
addEventListener('load', () => setTimeout(() => {
  document.getElementById('file').src = fileUrl('secret.html');
  setTimeout(() => report(['html', 'text', 'file', 'listing', 'object', 'embed'].map(
      id => frameText(document.getElementById(id)))), 500);
}, 200));
</script>)JS"},
        {QStringLiteral("canvas"), R"JS(
<img id="plain" src="../private/secret.png">
<img id="cors" crossorigin="anonymous" src="../private/secret.png">
<img id="file" crossorigin="anonymous" src="">
<script>
document.getElementById('file').src = fileUrl('secret.png');
addEventListener('load', () => {
  const out = [];
  for (const id of ['plain', 'cors', 'file']) {
    const img = document.getElementById(id);
    out.push(id + ' ' + (img.naturalWidth ? pixels(img) + ' ' + glPixels(img) : 'not shown'));
  }
  report(out);
});
</script>)JS"},
        {QStringLiteral("style-sheets"), R"JS(
<link rel="stylesheet" href="../private/secret.css">
<link rel="stylesheet" crossorigin="anonymous" href="../private/secret.css">
<script>
addEventListener('load', () => report([...document.styleSheets].map(s => {
  try { return [...s.cssRules].map(r => r.cssText).join(); } catch (e) { return 'refused: ' + e.name; }
})));
</script>)JS"},
        {QStringLiteral("svg"), R"JS(
<svg width="100" height="100"><use id="use" href="../private/secret.svg#t"/></svg>
<script>
function xslt() {
  try {
    const sheet = new DOMParser().parseFromString('<xsl:stylesheet version="1.0" ' +
      'xmlns:xsl="http://www.w3.org/1999/XSL/Transform"><xsl:template match="/"><out>' +
      '<xsl:value-of select="document(\'../private/secret.svg\')"/></out></xsl:template>' +
      '</xsl:stylesheet>', 'application/xml');
    const p = new XSLTProcessor(); p.importStylesheet(sheet);
    return new XMLSerializer().serializeToString(
      p.transformToDocument(new DOMParser().parseFromString('<a/>', 'application/xml')));
  } catch (e) { return 'refused: ' + e; }
}
addEventListener('load', () => setTimeout(() => {
  const box = document.getElementById('use').getBBox();
  report([box.width ? 'SECRETMARK-use ' + box.width : 'not shown', xslt()]);
}, 300));
</script>)JS"},
        {QStringLiteral("media"), R"JS(
<audio id="cors" crossorigin="anonymous" src="../private/secret.wav" preload="auto"></audio>
<script>
const audio = document.getElementById('cors');
settle(new Promise(done => { audio.onloadedmetadata = () => done('SECRETMARK-samples readable');
                             audio.onerror = () => done('refused'); })).then(v => report([v]));
</script>)JS"},
    });
}

// A page on the web, reached by a link, reaches no local file at all.
TEST_F(LocalPagesTest, AWebPageReachesNoLocalFile) {
    WriteSecrets();
    const QString dir = files_.Path() + QStringLiteral("private/");
    TTestWebServer web;
    web.Serve(QStringLiteral("/hostile.html"), Page("Web", R"HTML(
<img id="file" src="file://)HTML" + dir.toUtf8() + R"HTML(secret.png">
<img id="gate" src="tarvel-file://gate)HTML" + dir.toUtf8() + R"HTML(secret.png">
<iframe id="frame" src="tarvel-file://gate)HTML" + dir.toUtf8() +
                                                               R"HTML(secret.html"></iframe>
<script src="file://)HTML" + files_.Path().toUtf8() + R"HTML(hostile/helper.js"></script>
<script>
var found;
addEventListener('load', () => {
  const shown = ['file', 'gate'].map(id => document.getElementById(id).naturalWidth);
  found = (shown.some(w => w > 0) || window.TOKEN ? 'SECRETMARK ' : '') + shown.join();
});
</script>)HTML"));
    const QString start = files_.Write(
        QStringLiteral("start.html"),
        Page("Start", "<a id='web' href='" + web.Url("/hostile.html").toUtf8() + "'>web</a>"));
    view_.Open(start);
    ASSERT_TRUE(WaitForCaptions(1));
    Eval(QStringLiteral("document.getElementById('web').click(); 'ok'"));
    ASSERT_TRUE(WaitFor([&] { return captions_.last() == QLatin1String("Web"); }));
    const QString found = Found();
    EXPECT_EQ(found, QStringLiteral("R:0,0"));
    EXPECT_TRUE(errors_.Boxes().empty());
}

// Redirects from the web, and links into new windows from a web frame, open
// no local file: neither at the top nor in a frame, whatever address the web
// names (even the local page's own key, which a framed web page can see).
TEST_F(LocalPagesTest, NothingFromTheWebOpensALocalFile) {
    const QString secret =
        files_.Write(QStringLiteral("private/secret.html"),
                     Page("Secret",
                          "<script>top.postMessage('SECRETMARK opened ' + location.search, '*');"
                          "</script>"));
    const QByteArray secretPath = QUrl::toPercentEncoding(secret, "/");
    TTestWebServer web;
    const QString start =
        files_.Write(QStringLiteral("start.html"),
                     Page("Start",
                          "<script>var opened = []; addEventListener('message', e => "
                          "opened.push(String(e.data)));</script>"));
    view_.Open(start);
    ASSERT_TRUE(WaitForCaptions(1));
    const QByteArray key = Eval(QStringLiteral("location.host")).toUtf8();
    ASSERT_FALSE(key.isEmpty());
    web.Redirect(QStringLiteral("/any"), "tarvel-file://x" + secretPath + "?q=1#f");
    web.Redirect(QStringLiteral("/key"), "tarvel-file://" + key + secretPath + "?q=2");
    web.Redirect(QStringLiteral("/file"), "file://" + secretPath + "?q=3");
    web.Serve(
        QStringLiteral("/frame.html"),
        Page("Frame", "<a target='_blank' href='tarvel-file://" + key + secretPath +
                          "' style='display:block;width:100%;height:100px'>key</a>"
                          "<a target='_blank' href='file://" +
                          secretPath + "' style='display:block;width:100%;height:100px'>file</a>"));
    const auto openedNothing = [&] {
        // A refused step leaves nothing to wait for: the time a shown file takes.
        return !WaitFor([&] { return captions_.contains(QStringLiteral("Secret")); }, 2000) &&
               Eval(QStringLiteral("opened.join()")).isEmpty();
    };
    // In frames.
    Eval(QStringLiteral("for (const p of ['/any', '/key', '/file']) {"
                        "  const f = document.createElement('iframe'); f.src = '%1' + p;"
                        "  document.body.append(f); } 'ok'")
             .arg(web.Url(QString())));
    EXPECT_TRUE(openedNothing());
    // A link into a new window from a web frame, clicked by the person.
    Eval(QStringLiteral("document.body.innerHTML = \"<iframe src='%1' style='position:absolute;"
                        "left:0;top:0;width:380px;height:250px;border:0'></iframe>\"; 'ok'")
             .arg(web.Url(QStringLiteral("/frame.html"))));
    ASSERT_TRUE(WaitFor([&] {
        return Eval(QStringLiteral("String(frames.length && document.querySelector('iframe')"
                                   ".contentWindow.length === 0)")) == QLatin1String("true");
    }));
    RunEventsFor(500);  // the frame's links laid out under the clicks
    QWidget* target = WebView()->focusProxy() ? WebView()->focusProxy() : WebView();
    for (int y : {50, 150}) QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(100, y));
    EXPECT_TRUE(openedNothing());
    // At the top, as a local page's script or link takes it to the web.
    for (const char* path : {"/any", "/key", "/file"}) {
        SCOPED_TRACE(path);
        Eval(QStringLiteral("location.href = '%1'; 'ok'").arg(web.Url(QString::fromLatin1(path))));
        EXPECT_FALSE(WaitFor([&] { return captions_.contains(QStringLiteral("Secret")); }, 2000));
    }
    EXPECT_EQ(captions_, QStringList{QStringLiteral("Start")});
    EXPECT_TRUE(errors_.Boxes().empty());
}

}  // namespace
