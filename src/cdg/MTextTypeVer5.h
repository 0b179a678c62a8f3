#pragma once

// The three singer colour indices of a page: singer 1, singer 2 and both singers.
class MTextTypeVer5 {
public:
    MTextTypeVer5() = default;
    MTextTypeVer5(int singer1, int singer2, int both)
        : singer1(singer1), singer2(singer2), both(both) {}
    virtual ~MTextTypeVer5() = default;
    MTextTypeVer5(const MTextTypeVer5&) = default;
    MTextTypeVer5& operator=(const MTextTypeVer5&) = default;
    bool operator==(const MTextTypeVer5&) const = default;

    int singer1 = 12;
    int singer2 = 9;
    int both = 10;
};
