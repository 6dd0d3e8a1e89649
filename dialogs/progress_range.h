#pragma once

// The guarded range and position of the progress form's bar, without a
// window. Each setter reports whether it took the value.
class TProgressRange {
public:
    int Max() const { return max_; }
    int Min() const { return min_; }
    int ActVal() const { return pos_; }

    // Ignored when negative. A maximum below the minimum pulls the minimum
    // (and the position) down with it, so the range stays ordered.
    bool SetMax(int value);
    // Taken only when 0 <= value < Max; the position moves into the range.
    bool SetMin(int value);
    // Taken only when Min <= value <= Max.
    bool SetActVal(int value);

private:
    int min_ = 0;
    int max_ = 100;
    int pos_ = 0;
};
