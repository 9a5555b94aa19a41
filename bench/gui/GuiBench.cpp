// Cost of the toolkit's drawing on the user-interface thread: a whole
// 650 × 500 editor-sized frame, the redraw after one knob moved (what an idle
// call pays during a drag), a meter fed once per idle, and an open menu list.
#include "gui/AnimKnob.h"
#include "gui/Frame.h"
#include "gui/OptionMenu.h"
#include "gui/TextLabel.h"
#include "gui/VuMeter.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

using namespace gui;

Bitmap strip(int frames, int w, int h)
{
    auto image = std::make_shared<Image>(w, h * frames);
    for (int k = 0; k < frames; ++k)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image->setPixel(x, k * h + y, {std::uint8_t(2 * k), std::uint8_t(x * 4), std::uint8_t(y * 4),
                                               std::uint8_t(x < 4 ? 128 : 255)});
    return Bitmap("strip", image);
}

// An editor-like frame: background, a row of large knobs, small knobs, labels, a meter.
struct Editor {
    Frame frame{650, 500};
    std::vector<AnimKnob*> knobs;
    VuMeter* meter = nullptr;
    OptionMenu* menu = nullptr;

    Editor()
    {
        auto background = std::make_shared<Image>(650, 500);
        background->fill({40, 44, 48, 255});
        frame.setBackground(Bitmap("background", background));
        const Bitmap large = strip(101, 47, 53);
        const Bitmap small = strip(51, 26, 26);
        for (int i = 0; i < 10; ++i)
            knobs.push_back(frame.add(std::make_unique<AnimKnob>(Rect::fromSize(89 + 50 * i, 89, 47, 53), nullptr, i, 101, large)));
        for (int i = 0; i < 6; ++i)
            knobs.push_back(frame.add(std::make_unique<AnimKnob>(Rect::fromSize(40 + 100 * i, 300, 26, 26), nullptr, 20 + i, 51, small)));
        for (int i = 0; i < 4; ++i)
            frame.add(std::make_unique<TextLabel>(Rect::fromSize(120, 400 + 20 * i, 410, 18), "Black Tolex (2 x 12)"));
        meter = frame.add(std::make_unique<VuMeter>(Rect{71, 11, 113, 19}, strip(1, 42, 8), strip(1, 42, 8), 14));
        menu = frame.add(std::make_unique<OptionMenu>(Rect{154, 6, 320, 24}, nullptr, 47));
        for (int i = 0; i < 24; ++i)
            menu->addEntry("Program " + std::to_string(i));
        frame.redrawAll();
    }
};

void BM_FullRedraw(benchmark::State& state)
{
    Editor editor;
    for (auto _ : state) {
        editor.frame.redrawAll();
        benchmark::DoNotOptimize(editor.frame.image().bytes().data());
    }
    state.counters["pixels_per_second"] = benchmark::Counter(650.0 * 500.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FullRedraw);

void BM_OneKnobMoved(benchmark::State& state)
{
    Editor editor;
    float v = 0.0f;
    for (auto _ : state) {
        v = v > 0.99f ? 0.0f : v + 0.01f;
        editor.knobs[3]->setValue(v);
        benchmark::DoNotOptimize(editor.frame.redrawDirty());
    }
}
BENCHMARK(BM_OneKnobMoved);

void BM_MeterFedOncePerIdle(benchmark::State& state)
{
    Editor editor;
    int n = 0;
    for (auto _ : state) {
        editor.meter->setValue((n++ % 16) / 15.0f);
        benchmark::DoNotOptimize(editor.frame.redrawDirty());
    }
}
BENCHMARK(BM_MeterFedOncePerIdle);

void BM_OpenMenuList(benchmark::State& state)
{
    Editor editor;
    editor.menu->openPopup();
    for (auto _ : state) {
        editor.frame.modalView()->invalid();
        benchmark::DoNotOptimize(editor.frame.redrawDirty());
    }
}
BENCHMARK(BM_OpenMenuList);

} // namespace
