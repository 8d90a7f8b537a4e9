#pragma once
// A frame the game saved (its capture hooks write PNG files), read back as RGB rows from the top,
// and the share of a box's pixels that look a given way.
#include <algorithm>
#include <string>
#include <vector>

namespace testsupport {

struct SavedFrame {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    // False when the file is missing or not an image.
    bool Load(const std::string& path);

    // The share of the pixels of the box [x0, x1) x [y0, y1), in pixels (a fraction of one is
    // dropped) and cut to the frame, that `test` accepts; 0 for a box wholly outside.
    template <class Test>
    double Share(double x0, double y0, double x1, double y1, Test test) const
    {
        int hits = 0;
        int total = 0;
        for (int y = std::max(int(y0), 0); y < std::min(int(y1), height); ++y) {
            for (int x = std::max(int(x0), 0); x < std::min(int(x1), width); ++x) {
                const unsigned char* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
                hits += test(p[0], p[1], p[2]) ? 1 : 0;
                ++total;
            }
        }
        return total > 0 ? double(hits) / double(total) : 0.0;
    }

    // The same with the box given in fractions of the frame's width and height.
    template <class Test>
    double ShareOfFraction(double x0, double y0, double x1, double y1, Test test) const
    {
        return Share(x0 * width, y0 * height, x1 * width, y1 * height, test);
    }
};

}  // namespace testsupport
