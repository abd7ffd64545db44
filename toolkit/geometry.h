#pragma once
// Rectangles and points in pixels. Right and Bottom are exclusive, as in GDI.

namespace tk {

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const TSize&) const = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Contains(TPoint p) const {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }
    TRect Inflated(int d) const { return {Left - d, Top - d, Right + d, Bottom + d}; }
    // Some pixel lies in both.
    bool Overlaps(const TRect& o) const {
        return Left < o.Right && o.Left < Right && Top < o.Bottom && o.Top < Bottom;
    }
    // The smallest rectangle holding both.
    TRect United(const TRect& o) const {
        return {Left < o.Left ? Left : o.Left, Top < o.Top ? Top : o.Top,
                Right > o.Right ? Right : o.Right, Bottom > o.Bottom ? Bottom : o.Bottom};
    }
    bool operator==(const TRect&) const = default;
};

} // namespace tk
