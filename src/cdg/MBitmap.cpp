#include "cdg/MBitmap.h"

#include <QImageReader>
#include <QtEndian>
#include <cmath>
#include <cstring>

#include "cdg/MRandom.h"

namespace {

int32_t ReadInt(const QByteArray& b, int offset) {
    return qFromLittleEndian<int32_t>(b.constData() + offset);
}

void WriteInt(QByteArray& b, int offset, int32_t v) {
    qToLittleEndian<int32_t>(v, b.data() + offset);
}

double Distance(int r1, int g1, int b1, int r2, int g2, int b2) {
    const double dr = r1 - r2;
    const double dg = g1 - g2;
    const double db = b1 - b2;
    return std::sqrt(dr * dr + dg * dg + db * db);
}

double Distance(MRgb a, MRgb b) {
    return Distance(CdgColour::Red(a), CdgColour::Green(a), CdgColour::Blue(a), CdgColour::Red(b),
                    CdgColour::Green(b), CdgColour::Blue(b));
}

}  // namespace

MBitmap::MBitmap()
    : header(kHeaderBytes, '\0'),
      colourTable(16 * 4, '\0'),
      sourcePixels(kSourceBytes, '\0'),
      indexedPixels(kIndexedBytes, '\0') {}

int MBitmap::Width() const {
    return ReadInt(header, 4);
}
int MBitmap::Height() const {
    return ReadInt(header, 8);
}

MRgb MBitmap::Colour(int index) const {
    const auto* e = reinterpret_cast<const uint8_t*>(colourTable.constData()) + (index & 0x0F) * 4;
    return CdgColour::Make(e[2], e[1], e[0]);
}

void MBitmap::SetColour(int index, MRgb colour) {
    auto* e = reinterpret_cast<uint8_t*>(colourTable.data()) + (index & 0x0F) * 4;
    e[0] = static_cast<uint8_t>(CdgColour::Blue(colour));
    e[1] = static_cast<uint8_t>(CdgColour::Green(colour));
    e[2] = static_cast<uint8_t>(CdgColour::Red(colour));
    e[3] = 0;
}

std::array<MRgb, 16> MBitmap::Colours() const {
    std::array<MRgb, 16> c{};
    for (int i = 0; i < 16; ++i) {
        c[static_cast<size_t>(i)] = Colour(i);
    }
    return c;
}

void MBitmap::SetHeader(int width, int height) {
    header.fill('\0', kHeaderBytes);
    WriteInt(header, 0, kHeaderBytes);
    WriteInt(header, 4, width);
    WriteInt(header, 8, height);
    qToLittleEndian<uint16_t>(1, header.data() + 12);  // planes
    qToLittleEndian<uint16_t>(4, header.data() + 14);  // bits per pixel
    WriteInt(header, 16, 0);                           // no compression
    WriteInt(header, 32, 16);                          // colours used
}

MStatus MBitmap::LoadImage(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(false);
    // Refuse absurd sizes before decoding anything.
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxSourceSide || size.height() > kMaxSourceSide)) {
        LoadImage(QImage());
        return MStatus::Failure(QStringLiteral("%1: a picture of %2 x %3 pixels is too large")
                                    .arg(path)
                                    .arg(size.width())
                                    .arg(size.height()));
    }
    const QImage image = reader.read();
    if (!LoadImage(image)) {
        return MStatus::Failure(QStringLiteral("%1: not a picture that can be read (%2)")
                                    .arg(path, reader.errorString()));
    }
    return MStatus::Ok();
}

bool MBitmap::LoadImage(const QImage& loaded) {
    sourcePixels.fill('\0', kSourceBytes);
    colourTable.fill('\0', 16 * 4);
    dirty = true;
    if (loaded.isNull() || loaded.width() <= 0 || loaded.height() <= 0) {
        SetHeader(0, 0);
        return false;
    }
    const int w = loaded.width();
    const int h = loaded.height();
    // The scale is a single-precision quotient; the products are truncated.
    const float sx = 288.0f / static_cast<float>(w);
    const float sy = 192.0f / static_cast<float>(h);
    const float s = sx < sy ? sx : sy;
    int nw = w;
    int nh = h;
    if (s < 1.0f) {
        nw = std::min(kMaxWidth, static_cast<int>(static_cast<double>(w) * s));
        nh = std::min(kMaxHeight, static_cast<int>(static_cast<double>(h) * s));
        nw = std::max(1, nw);
        nh = std::max(1, nh);
    }
    QImage scaled = loaded.convertToFormat(QImage::Format_RGB32);
    if (nw != w || nh != h) {
        scaled = scaled.scaled(nw, nh, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    SetHeader(nw, nh);

    // Entries 0-10 from the picture's colours, reduced to their upper four bits.
    std::vector<MRgb> entries;
    for (int y = 0; y < nh; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(scaled.constScanLine(y));
        for (int x = 0; x < nw; ++x) {
            const MRgb c =
                CdgColour::Make(qRed(row[x]) & 0xF0, qGreen(row[x]) & 0xF0, qBlue(row[x]) & 0xF0);
            if (std::find(entries.begin(), entries.end(), c) != entries.end()) {
                continue;
            }
            if (entries.size() < kImageColours) {
                entries.push_back(c);
                continue;
            }
            size_t nearest = 0;
            double best = -1;
            for (size_t i = 0; i < entries.size(); ++i) {
                const double d = Distance(c, entries[i]);
                if (best < 0 || d < best) {
                    best = d;
                    nearest = i;
                }
            }
            double spreadNow = 0;  // from the nearest entry to all others
            double spreadNew = 0;  // from the new colour to all but the nearest
            for (size_t i = 0; i < entries.size(); ++i) {
                if (i == nearest) {
                    continue;
                }
                spreadNow += Distance(entries[nearest], entries[i]);
                spreadNew += Distance(c, entries[i]);
            }
            if (spreadNew > spreadNow) {
                entries[nearest] = c;
            }
        }
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        SetColour(static_cast<int>(i), entries[i]);
    }
    auto* out = reinterpret_cast<uint8_t*>(sourcePixels.data());
    for (int y = 0; y < nh; ++y) {
        std::memcpy(out + static_cast<size_t>(y) * nw * 4, scaled.constScanLine(y),
                    static_cast<size_t>(nw) * 4);
    }
    return true;
}

std::unique_ptr<MIndexedPicture> MBitmap::ToDib(int ditherAmount) {
    const int w = Width();
    const int h = Height();
    if (w <= 0 || h <= 0 || w > kMaxWidth || h > kMaxHeight) {
        return nullptr;
    }
    const int stride = IndexedStrideBytes();
    auto* indexed = reinterpret_cast<uint8_t*>(indexedPixels.data());
    if (dirty || ditherAmount != lastDitherAmount) {
        indexedPixels.fill('\0', kIndexedBytes);
        MRandom random(1);
        const auto* src = reinterpret_cast<const uint8_t*>(sourcePixels.constData());
        const std::array<MRgb, 16> table = Colours();
        for (int y = 0; y < h; ++y) {
            uint8_t* dst = indexed + static_cast<size_t>(h - 1 - y) * stride;
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = src + (static_cast<size_t>(y) * w + x) * 4;
                const int b = p[0];
                const int g = p[1];
                const int r = p[2];
                int nearest = 0;
                double d1 = -1;
                for (int i = 0; i < kImageColours; ++i) {
                    const MRgb e = table[static_cast<size_t>(i)];
                    const double d = Distance(r, g, b, CdgColour::Red(e), CdgColour::Green(e),
                                              CdgColour::Blue(e));
                    if (d1 < 0 || d < d1) {
                        d1 = d;
                        nearest = i;
                    }
                }
                int chosen = nearest;
                if (ditherAmount > 0) {
                    int other = -1;
                    double d2 = -1;
                    for (int i = 0; i < kImageColours; ++i) {
                        if (i == nearest) {
                            continue;
                        }
                        const MRgb e = table[static_cast<size_t>(i)];
                        const double d = Distance(r, g, b, CdgColour::Red(e), CdgColour::Green(e),
                                                  CdgColour::Blue(e));
                        if (d2 < 0 || d < d2) {
                            d2 = d;
                            other = i;
                        }
                    }
                    const double limit =
                        random.Next() * (d1 + 100.0 * d2 / ditherAmount) / MRandom::kMax;
                    if (!(d1 < limit)) {
                        chosen = other;
                    }
                }
                if (x % 2 == 0) {
                    dst[x / 2] = static_cast<uint8_t>((dst[x / 2] & 0x0F) | (chosen << 4));
                } else {
                    dst[x / 2] = static_cast<uint8_t>((dst[x / 2] & 0xF0) | chosen);
                }
            }
        }
        dirty = false;
        lastDitherAmount = ditherAmount;
    }
    auto result = std::make_unique<MIndexedPicture>();
    result->width = w;
    result->height = h;
    result->colours = Colours();
    result->indices.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = indexed + static_cast<size_t>(h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            const uint8_t v = src[x / 2];
            result->indices[static_cast<size_t>(y) * w + x] =
                static_cast<uint8_t>(x % 2 == 0 ? v >> 4 : v & 0x0F);
        }
    }
    return result;
}

bool MBitmap::operator==(const MBitmap& o) const {
    return header == o.header && colourTable == o.colourTable && sourcePixels == o.sourcePixels &&
           indexedPixels == o.indexedPixels && dirty == o.dirty &&
           lastDitherAmount == o.lastDitherAmount;
}
