#pragma once

// Pictures in the formats read through Qt, made by the tests: encoded with
// Qt's own writers, an SVG written out, gzip around it for .svgz, and an
// animated WebP put together from still WebP frames.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <cstdint>
#include <vector>

inline QByteArray Encode(const QImage& image, const char* format, int quality = -1) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QImageWriter writer(&out, format);
    writer.setQuality(quality);
    writer.write(image);
    return out.data();
}

/// w x h, the left half opaque `colour`, the right half transparent.
inline QImage HalfTransparent(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(0, 0, w / 2, h, colour);
    return image;
}

/// The same picture as SVG: a rectangle over the left half.
inline QByteArray HalfTransparentSvg(int w, int h, const char* colour) {
    return QStringLiteral(
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\">"
               "<rect width=\"%3\" height=\"%2\" fill=\"%4\"/></svg>")
        .arg(w)
        .arg(h)
        .arg(w / 2)
        .arg(QLatin1String(colour))
        .toUtf8();
}

inline uint32_t Crc32(const QByteArray& data) {
    uint32_t crc = 0xFFFFFFFFu;
    for (char c : data) {
        crc ^= uint8_t(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void PutLe(QByteArray& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.append(char((value >> (8 * i)) & 0xFF));
}

/// gzip around data (the deflate stream of qCompress, without zlib's frame).
inline QByteArray Gzip(const QByteArray& data) {
    const QByteArray zlib = qCompress(data, 9);
    QByteArray out("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\xFF", 10);
    out.append(zlib.mid(6, zlib.size() - 6 - 4));  // size prefix, zlib header, Adler-32
    PutLe(out, Crc32(data), 4);
    PutLe(out, uint32_t(data.size()), 4);
    return out;
}

/// An animated WebP of the given opaque frames (all of one size), each shown
/// for `delayMs`, looping forever.
inline QByteArray AnimatedWebp(const std::vector<QImage>& frames, int delayMs) {
    const auto chunk = [](const char* tag, const QByteArray& payload) {
        QByteArray c(tag, 4);
        PutLe(c, uint32_t(payload.size()), 4);
        c.append(payload);
        if (payload.size() % 2) c.append('\0');
        return c;
    };
    const int w = frames.front().width(), h = frames.front().height();
    QByteArray body("WEBP", 4);
    QByteArray vp8x;
    PutLe(vp8x, 0x02, 4);  // animation
    PutLe(vp8x, uint32_t(w - 1), 3);
    PutLe(vp8x, uint32_t(h - 1), 3);
    body.append(chunk("VP8X", vp8x));
    QByteArray anim;
    PutLe(anim, 0xFFFFFFFFu, 4);  // background
    PutLe(anim, 0, 2);            // loop forever
    body.append(chunk("ANIM", anim));
    for (const QImage& frame : frames) {
        // A still WebP's image chunks (after "RIFF", size, "WEBP") go inside.
        const QByteArray still = Encode(frame.convertToFormat(QImage::Format_RGB32), "webp", 100);
        QByteArray anmf;
        PutLe(anmf, 0, 3);
        PutLe(anmf, 0, 3);
        PutLe(anmf, uint32_t(w - 1), 3);
        PutLe(anmf, uint32_t(h - 1), 3);
        PutLe(anmf, uint32_t(delayMs), 3);
        anmf.append(char(0x02));  // no blending
        anmf.append(still.mid(12));
        body.append(chunk("ANMF", anmf));
    }
    QByteArray file("RIFF", 4);
    PutLe(file, uint32_t(body.size()), 4);
    file.append(body);
    return file;
}

/// An APNG of two frames: the default image (the PNG's own IDAT, `first`)
/// and a second frame in fdAT (`second`), as an animating reader shows them.
inline QByteArray AnimatedPng(const QImage& first, const QImage& second) {
    const auto idat = [](const QByteArray& png) {
        QByteArray data;
        for (qsizetype at = 8; at + 8 <= png.size();) {
            const uint32_t length = uint32_t(uint8_t(png[at])) << 24 |
                                    uint32_t(uint8_t(png[at + 1])) << 16 |
                                    uint32_t(uint8_t(png[at + 2])) << 8 | uint8_t(png[at + 3]);
            if (png.mid(at + 4, 4) == "IDAT") data += png.mid(at + 8, length);
            at += 12 + qsizetype(length);
        }
        return data;
    };
    const auto be = [](QByteArray& out, uint32_t v, int bytes) {
        for (int i = bytes - 1; i >= 0; --i) out.append(char((v >> (8 * i)) & 0xFF));
    };
    const auto chunk = [&](const char* type, const QByteArray& body) {
        QByteArray c;
        be(c, uint32_t(body.size()), 4);
        const QByteArray typed = QByteArray(type, 4) + body;
        c += typed;
        be(c, Crc32(typed), 4);
        return c;
    };
    const auto frameControl = [&](uint32_t sequence) {
        QByteArray f;
        be(f, sequence, 4);
        be(f, uint32_t(first.width()), 4);
        be(f, uint32_t(first.height()), 4);
        be(f, 0, 4);
        be(f, 0, 4);
        be(f, 10, 2);  // 10/100 s
        be(f, 100, 2);
        f.append('\0').append('\0');  // no disposal, source over
        return f;
    };
    const QByteArray a = Encode(first, "png"), b = Encode(second, "png");
    QByteArray out = a.left(33);  // signature and IHDR
    QByteArray actl;
    be(actl, 2, 4);  // frames
    be(actl, 0, 4);  // loop forever
    out += chunk("acTL", actl);
    out += chunk("fcTL", frameControl(0));
    out += chunk("IDAT", idat(a));
    out += chunk("fcTL", frameControl(1));
    QByteArray fdat;
    be(fdat, 2, 4);
    out += chunk("fdAT", fdat + idat(b));
    out += chunk("IEND", {});
    return out;
}
