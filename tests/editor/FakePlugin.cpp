#include "FakePlugin.h"

#include "gui/MouseEvent.h"

namespace editor::test {

FakePlugin::FakePlugin()
{
    for (auto& v : values)
        v.store(0.0f);
}

void FakePlugin::setParameterAutomated(int index, float value)
{
    calls.push_back({"set", index, value});
    hostSets(index, value);
}

void FakePlugin::hostSets(int index, float value)
{
    values[std::size_t(index)].store(value);
    if (editor)
        editor->setParameter(index, value);
}

void FakePlugin::selectProgram(int p)
{
    program = p;
    // Each program here holds its number in "Amp Gain".
    hostSets(11, float(p) / 23.0f);
}

bool FakePlugin::setResponsePath(const std::string& path)
{
    if (path.size() > 259)
        return false;
    response = path;
    responseOk = !responseLoadFails;
    return true;
}

std::string FakePlugin::fileOp(const std::string& what, const std::string& path)
{
    fileOps.push_back(what + " " + path);
    return fileAnswer;
}

std::optional<float> FakePlugin::lastSent(int index) const
{
    for (auto it = calls.rbegin(); it != calls.rend(); ++it)
        if (it->what == "set" && it->index == index)
            return it->value;
    return std::nullopt;
}

EditorFixture::EditorFixture()
{
    auto s = std::make_unique<FakeServices>();
    services = s.get();
    gui = std::make_unique<doxaroGUI>(plugin, std::move(s));
    plugin.editor = gui.get();
}

void EditorFixture::press(int x, int y, unsigned modifiers)
{
    gui::MouseEvent e;
    e.where = {x, y};
    e.buttons = gui::buttons::left;
    e.modifiers = modifiers;
    gui->frame()->mouseMoved(e);
    gui->frame()->mouseDown(e);
}

void EditorFixture::move(int x, int y)
{
    gui::MouseEvent e;
    e.where = {x, y};
    e.buttons = gui::buttons::left;
    gui->frame()->mouseMoved(e);
}

void EditorFixture::release(int x, int y)
{
    gui::MouseEvent e;
    e.where = {x, y};
    e.buttons = gui::buttons::left;
    gui->frame()->mouseUp(e);
}

void EditorFixture::click(int x, int y, unsigned modifiers)
{
    press(x, y, modifiers);
    release(x, y);
}

void EditorFixture::drag(int x0, int y0, int x1, int y1)
{
    press(x0, y0);
    move((x0 + x1) / 2, (y0 + y1) / 2);
    move(x1, y1);
    release(x1, y1);
}

gui::Point EditorFixture::centreOf(int tag) const
{
    const gui::Rect r = gui->control(tag)->frameRect();
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

} // namespace editor::test
