// Parameter changes from other threads reach the controls through idle
// without a data race (run under TSan).
#include <thread>

#include <gtest/gtest.h>

#include "FakePlugin.h"

namespace editor::test {
namespace {

TEST(ThreadHandover, AutomationThreadWhileTheEditorIdles)
{
    EditorFixture f;
    f.build();
    std::atomic<bool> done{false};
    std::thread automation([&] {
        for (int i = 0; i <= 2000; ++i) {
            const float v = float(i) / 2000.0f;
            f.plugin.values[param::AmpGain].store(v);
            f.gui->setParameter(param::AmpGain, v);
            f.plugin.values[param::Output].store(1.0f - v);
            f.gui->setParameter(param::Output, 1.0f - v);
        }
        done = true;
    });
    while (!done)
        f.gui->idle();
    automation.join();
    f.gui->idle();
    EXPECT_EQ(f.gui->control(param::AmpGain)->value(), 1.0f);
    EXPECT_EQ(f.gui->control(param::Output)->value(), 0.0f);
}

TEST(ThreadHandover, OutOfRangeIndicesAreIgnored)
{
    EditorFixture f;
    f.build();
    f.gui->setParameter(-1, 0.5f);
    f.gui->setParameter(44, 0.5f);
    f.gui->setParameter(63, 0.5f);
    f.gui->idle();
    SUCCEED();
}

} // namespace
} // namespace editor::test
