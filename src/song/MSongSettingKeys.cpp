#include "song/MSongSettingKeys.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "cdg/CdgColour.h"
#include "cdg/IMAGE_STRUCT.h"
#include "cdg/MTransitionWriter.h"
#include "song/MPageGraphicEditor.h"
#include "song/MSongSettings.h"
#include "song/MSongSettingsRules.h"

namespace {

struct Key {
    QString name;
    std::function<QString(const MSongSettings&)> get;
    std::function<MStatus(MSongSettings&, const QString&)> set;
};

MStatus Bad(const QString& text) {
    return MStatus::Failure(text);
}

// Picks the code whose name matches text (case aside) among codes; -1 when none does.
int CodeOfName(const QString& text, const QList<int>& codes,
               const std::function<QString(int)>& name) {
    for (int code : codes) {
        if (name(code).compare(text.trimmed(), Qt::CaseInsensitive) == 0) {
            return code;
        }
    }
    return -1;
}

QString NameList(const QList<int>& codes, const std::function<QString(int)>& name) {
    QStringList names;
    for (int code : codes) {
        names << name(code);
    }
    return names.join(QStringLiteral(", "));
}

// A choice among named codes, read and written through field.
Key Choice(const QString& name, const QList<int>& codes, std::function<QString(int)> names,
           std::function<int&(MSongSettings&)> field) {
    return Key{name,
               [field, names](const MSongSettings& s) {
                   return names(field(const_cast<MSongSettings&>(s)));
               },
               [field, names, codes](MSongSettings& s, const QString& v) {
                   const int code = CodeOfName(v, codes, names);
                   if (code < 0) {
                       return Bad(QStringLiteral("choose one of: %1").arg(NameList(codes, names)));
                   }
                   field(s) = code;
                   MSongSettingsRules::ClampLinesPerPage(s);
                   return MStatus::Ok();
               }};
}

std::function<QString(int)> Names(const QStringList& names, const QList<int>& codes) {
    return [names, codes](int code) {
        const qsizetype i = codes.indexOf(code);
        return i < 0 ? QString::number(code) : names[i];
    };
}

int ColourChannel4Bits(int value8) {
    return (value8 + 8) / 17 * 17;
}

QString ColourText(MRgb c) {
    return QStringLiteral("#%1%2%3")
        .arg(CdgColour::Red(c), 2, 16, QLatin1Char('0'))
        .arg(CdgColour::Green(c), 2, 16, QLatin1Char('0'))
        .arg(CdgColour::Blue(c), 2, 16, QLatin1Char('0'));
}

// A palette colour of a page: entry gives the palette entry, and choosing a colour also makes
// the page use that entry where the dialog does so (pointAt).
Key Colour(const QString& name, int pageId, std::function<int(const IMAGE_STRUCT&)> entry,
           std::function<void(IMAGE_STRUCT&, int)> pointAt = {}) {
    return Key{name,
               [=](const MSongSettings& s) {
                   const IMAGE_STRUCT& p = *s.FindPage(pageId);
                   return ColourText(p.picture.Colour(entry(p) & 0x0F));
               },
               [=](MSongSettings& s, const QString& v) {
                   static const QRegularExpression hex(QStringLiteral("^#[0-9a-fA-F]{6}$"));
                   if (!hex.match(v.trimmed()).hasMatch()) {
                       return Bad(QStringLiteral("a colour is written #rrggbb"));
                   }
                   const uint32_t rgb = v.trimmed().mid(1).toUInt(nullptr, 16);
                   IMAGE_STRUCT& p = *s.FindPage(pageId);
                   const int index = entry(p) & 0x0F;
                   // The screen shows four bits of each primary.
                   p.picture.SetColour(index,
                                       CdgColour::Make(ColourChannel4Bits((rgb >> 16) & 0xFF),
                                                       ColourChannel4Bits((rgb >> 8) & 0xFF),
                                                       ColourChannel4Bits(rgb & 0xFF)));
                   if (pointAt) {
                       pointAt(p, index);
                   }
                   return MStatus::Ok();
               }};
}

void AddPageKeys(std::vector<Key>& keys, int pageId, const QString& prefix) {
    const bool lyrics = pageId == IMAGE_STRUCT::kLyricsPage;
    auto page = [pageId](MSongSettings& s) -> IMAGE_STRUCT& { return *s.FindPage(pageId); };
    auto cpage = [pageId](const MSongSettings& s) -> const IMAGE_STRUCT& {
        return *s.FindPage(pageId);
    };
    if (!lyrics) {
        keys.push_back({prefix + QStringLiteral("enabled"),
                        [=](const MSongSettings& s) {
                            return cpage(s).enabled ? QStringLiteral("on") : QStringLiteral("off");
                        },
                        [=](MSongSettings& s, const QString& v) {
                            static const QStringList on = {"on", "1", "true", "yes"};
                            static const QStringList off = {"off", "0", "false", "no"};
                            const QString t = v.trimmed().toLower();
                            if (!on.contains(t) && !off.contains(t)) {
                                return Bad(QStringLiteral("give on or off"));
                            }
                            page(s).enabled = on.contains(t);
                            return MStatus::Ok();
                        }});
        keys.push_back(
            {prefix + QStringLiteral("text"), [=](const MSongSettings& s) { return cpage(s).text; },
             [=](MSongSettings& s, const QString& v) {
                 if (v.count(QLatin1Char('\n')) >= MSongSettingsRules::kMaxPageTextLines) {
                     return Bad(QStringLiteral("a page holds at most %1 lines")
                                    .arg(MSongSettingsRules::kMaxPageTextLines));
                 }
                 page(s).text = v;
                 return MStatus::Ok();
             }});
    }
    keys.push_back({prefix + QStringLiteral("font"),
                    [=](const MSongSettings& s) { return cpage(s).textType.faceName; },
                    [=](MSongSettings& s, const QString& v) {
                        if (v.trimmed().isEmpty()) {
                            return Bad(QStringLiteral("give a font name"));
                        }
                        page(s).textType.faceName = MSongSettingsRules::FaceName(v.trimmed());
                        return MStatus::Ok();
                    }});
    keys.push_back(
        {prefix + QStringLiteral("size"),
         [=](const MSongSettings& s) { return QString::number(cpage(s).textType.fontHeight); },
         [=](MSongSettings& s, const QString& v) {
             const int size = MSongSettingsRules::ParseSize(v);
             if (size <= 0) {
                 return Bad(QStringLiteral("a font size is a whole number from 1 to 99"));
             }
             page(s).textType.fontHeight = size;
             return MStatus::Ok();
         }});
    keys.push_back(
        {prefix + QStringLiteral("style"),
         [=](const MSongSettings& s) {
             const MTextType& t = cpage(s).textType;
             QStringList on;
             if (t.IsBold())
                 on << QStringLiteral("bold");
             if (t.IsItalic())
                 on << QStringLiteral("italic");
             if (t.HasOutline())
                 on << QStringLiteral("shadow");
             return on.isEmpty() ? QStringLiteral("none") : on.join(QLatin1Char(','));
         },
         [=](MSongSettings& s, const QString& v) {
             int flags = 0;
             for (const QString& word : v.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                 const QString w = word.trimmed().toLower();
                 if (w == QLatin1String("bold")) {
                     flags |= MTextType::kBold;
                 } else if (w == QLatin1String("italic")) {
                     flags |= MTextType::kItalic;
                 } else if (w == QLatin1String("shadow")) {
                     flags |= MTextType::kOutline;
                 } else if (w != QLatin1String("none")) {
                     return Bad(QStringLiteral("a style is none or any of bold,italic,shadow"));
                 }
             }
             int& styles = page(s).textType.styleFlags;
             styles =
                 (styles & ~(MTextType::kBold | MTextType::kItalic | MTextType::kOutline)) | flags;
             return MStatus::Ok();
         }});
    const QList<int> hCodes = {MTextType::kHLeft, MTextType::kHCentre, MTextType::kHRight};
    keys.push_back(Choice(prefix + QStringLiteral("align"), hCodes,
                          Names({"Left", "Center", "Right"}, hCodes),
                          [=](MSongSettings& s) -> int& { return page(s).textType.hAlign; }));
    if (!lyrics) {
        const QList<int> vCodes = {MTextType::kVTop, MTextType::kVCentre, MTextType::kVBottom};
        keys.push_back(Choice(prefix + QStringLiteral("valign"), vCodes,
                              Names({"Top", "Middle", "Bottom"}, vCodes),
                              [=](MSongSettings& s) -> int& { return page(s).textType.vAlign; }));
    }
    auto fixed = [](int entry) { return [entry](const IMAGE_STRUCT&) { return entry; }; };
    keys.push_back(Colour(prefix + QStringLiteral("background"), pageId, fixed(15),
                          [](IMAGE_STRUCT& p, int i) { p.backgroundColorIndex = i; }));
    keys.push_back(Colour(prefix + QStringLiteral("border"), pageId, fixed(11),
                          [](IMAGE_STRUCT& p, int i) { p.borderColorIndex = i; }));
    if (lyrics) {
        keys.push_back(Colour(prefix + QStringLiteral("singer1"), pageId, fixed(12),
                              [](IMAGE_STRUCT& p, int i) { p.singerColors.singer1 = i; }));
        keys.push_back(Colour(prefix + QStringLiteral("singer2"), pageId, fixed(9),
                              [](IMAGE_STRUCT& p, int i) { p.singerColors.singer2 = i; }));
        keys.push_back(Colour(prefix + QStringLiteral("both"), pageId, fixed(10),
                              [](IMAGE_STRUCT& p, int i) { p.singerColors.both = i; }));
    } else {
        keys.push_back(Colour(prefix + QStringLiteral("textColour"), pageId,
                              [](const IMAGE_STRUCT& p) { return p.textType.colorIndex; }));
    }
    keys.push_back(Colour(prefix + QStringLiteral("outline"), pageId, fixed(13),
                          [](IMAGE_STRUCT& p, int i) { p.textType.outlineColorIndex = i; }));
    keys.push_back(
        {prefix + QStringLiteral("picture"),
         [=](const MSongSettings& s) {
             const IMAGE_STRUCT& p = cpage(s);
             return p.hasGraphic
                        ? QStringLiteral("%1x%2").arg(p.picture.Width()).arg(p.picture.Height())
                        : QStringLiteral("none");
         },
         [=](MSongSettings& s, const QString& v) {
             if (v.trimmed().compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) {
                 if (cpage(s).hasGraphic) {
                     MPageGraphicEditor::Remove(s, page(s));
                 }
                 return MStatus::Ok();
             }
             return MPageGraphicEditor::Load(s, page(s), v);
         }});
    const QList<int> placements = {0, 1, 2, 3, 4};
    keys.push_back(Choice(prefix + QStringLiteral("placement"), placements,
                          &MTransitionWriter::PlacementName,
                          [=](MSongSettings& s) -> int& { return page(s).placement; }));
    const QList<int> transitions =
        lyrics ? MSongSettingsRules::LyricsTransitions() : MSongSettingsRules::PageTransitions();
    keys.push_back(Choice(prefix + QStringLiteral("draw"), transitions,
                          &MTransitionWriter::TransitionName,
                          [=](MSongSettings& s) -> int& { return page(s).drawTransition; }));
    if (pageId == IMAGE_STRUCT::kTitlePage) {
        keys.push_back(Choice(prefix + QStringLiteral("erase"), transitions,
                              &MTransitionWriter::TransitionName,
                              [=](MSongSettings& s) -> int& { return page(s).eraseTransition; }));
    }
    if (!lyrics) {
        keys.push_back({prefix + QStringLiteral("displayTime"),
                        [=](const MSongSettings& s) {
                            return MSongSettingsRules::HoldText(cpage(s).displayTime);
                        },
                        [=](MSongSettings& s, const QString& v) {
                            const int hold = MSongSettingsRules::ParseHold(v);
                            if (hold < 0) {
                                return Bad(
                                    QStringLiteral("a display time is seconds, such as 2.50"));
                            }
                            page(s).displayTime = hold;
                            return MStatus::Ok();
                        }});
    }
}

const std::vector<Key>& AllKeys() {
    static const std::vector<Key> keys = [] {
        std::vector<Key> k;
        const QList<int> performances = {SongHeader::kSolo, SongHeader::kDuet};
        k.push_back(Choice(QStringLiteral("performance"), performances,
                           Names({"Solo", "Duet"}, performances),
                           [](MSongSettings& s) -> int& { return s.header.performance; }));
        k.push_back({QStringLiteral("linesPerPage"),
                     [](const MSongSettings& s) { return QString::number(s.header.linesPerPage); },
                     [](MSongSettings& s, const QString& v) {
                         bool ok = false;
                         const int n = v.trimmed().toInt(&ok);
                         if (!ok) {
                             return Bad(QStringLiteral("give a number of lines"));
                         }
                         s.SetLinesPerPage(MSongSettingsRules::LinesRange(s).Clamp(n));
                         return MStatus::Ok();
                     }});
        k.push_back(Choice(QStringLiteral("sweepMode"), {0, 1},
                           Names({"Text", "Background"}, {0, 1}),
                           [](MSongSettings& s) -> int& { return s.header.sweepMode; }));
        // The sweep colour is the lyrics page's palette entry 14, which the sweep then uses.
        Key sweep = Colour(QStringLiteral("sweepColour"), IMAGE_STRUCT::kLyricsPage,
                           [](const IMAGE_STRUCT&) { return 14; });
        sweep.set = [set = sweep.set](MSongSettings& s, const QString& v) {
            const MStatus status = set(s, v);
            if (status) {
                s.header.sweepColour = 14;
            }
            return status;
        };
        k.push_back(sweep);
        k.push_back({QStringLiteral("advance"),
                     [](const MSongSettings& s) {
                         return QString::number(
                             MSongSettingsRules::AdvanceSeconds(s.header.advanceSweep), 'f', 2);
                     },
                     [](MSongSettings& s, const QString& v) {
                         bool ok = false;
                         const double seconds = v.trimmed().toDouble(&ok);
                         if (!ok || !std::isfinite(seconds)) {
                             return Bad(
                                 QStringLiteral("give the advance in seconds, such as 0.20"));
                         }
                         s.header.advanceSweep = MSongSettingsRules::AdvanceFromSeconds(
                             std::clamp(seconds, 0.0, -MSongSettingsRules::kAdvanceLowest / 100.0));
                         return MStatus::Ok();
                     }});
        AddPageKeys(k, IMAGE_STRUCT::kTitlePage, QStringLiteral("title."));
        AddPageKeys(k, IMAGE_STRUCT::kLyricsPage, QStringLiteral("lyrics."));
        AddPageKeys(k, IMAGE_STRUCT::kCreditsPage, QStringLiteral("credits."));
        return k;
    }();
    return keys;
}

const Key* Find(const QString& name) {
    for (const Key& k : AllKeys()) {
        if (k.name.compare(name, Qt::CaseInsensitive) == 0) {
            return &k;
        }
    }
    return nullptr;
}

}  // namespace

QStringList MSongSettingKeys::Keys() {
    QStringList names;
    for (const Key& k : AllKeys()) {
        names << k.name;
    }
    return names;
}

QString MSongSettingKeys::Value(const MSongSettings& song, const QString& key) {
    const Key* k = Find(key);
    return k != nullptr ? k->get(song) : QString();
}

MStatus MSongSettingKeys::Set(MSongSettings& song, const QString& key, const QString& value) {
    const Key* k = Find(key);
    if (k == nullptr) {
        return MStatus::Failure(QStringLiteral("unknown setting '%1'").arg(key));
    }
    const MStatus s = k->set(song, value);
    if (s) {
        song.SetModified(true);
    }
    return s;
}
