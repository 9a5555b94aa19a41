#pragma once

// Pictures, PNG data and event helpers shared by the toolkit tests.

#include "gui/Bitmap.h"
#include "gui/Control.h"
#include "gui/Frame.h"

#include <string>
#include <vector>

namespace guitest {

// Colour of frame k of a test film strip: unique red channel per frame.
gui::Color frameColor(int k);
// A film strip of `frames` opaque pictures of w × h, frame k filled with frameColor(k).
gui::Bitmap filmStrip(int frames, int w, int h, const std::string& name = "strip");
// The frame index whose colour the frame picture shows at (x, y), or -1.
int frameShownAt(const gui::Image& image, int x, int y);
// An opaque bitmap of one colour.
gui::Bitmap solid(int w, int h, gui::Color c, const std::string& name = "solid");

// PNG encoding through libpng, for the decoder's tests. `rows` are the raw
// samples of the given colour type and bit depth, row by row.
std::vector<unsigned char> encodePng(int width, int height, int colorType, int bitDepth,
                                     const std::vector<std::vector<unsigned char>>& rows,
                                     bool interlaced = false,
                                     const std::vector<unsigned char>& palette = {});

// A listener that writes down what it hears: "begin 3", "change 3 0.5", "end 3".
class RecordingListener : public gui::ControlListener {
public:
    void valueChanged(gui::Control& c) override;
    void beginEdit(gui::Control& c) override;
    void endEdit(gui::Control& c) override;

    std::vector<std::string> log;
};

// Mouse gestures in frame coordinates.
void press(gui::Frame& f, int x, int y, unsigned mods = 0, bool doubleClick = false);
void move(gui::Frame& f, int x, int y, unsigned mods = 0);
void release(gui::Frame& f, int x, int y, unsigned mods = 0);
void click(gui::Frame& f, int x, int y, unsigned mods = 0);
void wheel(gui::Frame& f, int x, int y, float notches, unsigned mods = 0);

} // namespace guitest
