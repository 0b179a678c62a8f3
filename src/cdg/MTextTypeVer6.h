#pragma once

#include <QString>
#include <vector>

// Per-line text-type overrides for the second and later lines of a page text: line i (from 0)
// with i >= 1 uses element i - 1.
class MTextTypeVer6 {
public:
    struct t_MTextTypeVer6_s {
        int colorIndex = 0;
        int fontHeight = 0;
        int styleFlags = 0;
        QString faceName = QStringLiteral("Arial");
        int hAlign = 1;
        bool operator==(const t_MTextTypeVer6_s&) const = default;
    };

    MTextTypeVer6() = default;
    virtual ~MTextTypeVer6() = default;
    MTextTypeVer6(const MTextTypeVer6&) = default;
    MTextTypeVer6& operator=(const MTextTypeVer6&) = default;
    bool operator==(const MTextTypeVer6& o) const { return elements == o.elements; }

    int Count() const { return static_cast<int>(elements.size()); }
    bool IsEmpty() const { return elements.empty(); }
    // Element i, or the defaults (colour 0, default height, no style, "Arial", left) past the end.
    t_MTextTypeVer6_s At(int i) const {
        if (i >= 0 && i < Count()) {
            return elements[static_cast<size_t>(i)];
        }
        return t_MTextTypeVer6_s();
    }
    void Append(const t_MTextTypeVer6_s& e) { elements.push_back(e); }
    void Clear() { elements.clear(); }

    std::vector<t_MTextTypeVer6_s> elements;
};
