#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "editor/EditorLayout.h"
#include "editor/EditorPlugin.h"
#include "editor/ParameterMailbox.h"
#include "editor/PlatformServices.h"
#include "gui/BitmapLibrary.h"
#include "gui/ControlListener.h"
#include "gui/Frame.h"
#include "vst/AEffEditor.h"

namespace gui {
class OptionMenu;
class TextLabel;
class VuMeter;
class MovieBitmap;
class SplashScreen;
} // namespace gui

namespace editor {

class XySlider;
class TremSpeedKnob;

// The plug-in's editor: builds the window from the layout tables, keeps the
// controls and the plug-in's parameters in step both ways, and runs the
// commands of the menus and buttons that are not parameters.
//
// Threads: everything runs on the host's user-interface thread except
// setParameter(), which any thread may call; it only marks the parameter in a
// lock-free mailbox, and the next idle() moves the control.
class doxaroGUI final : public vst::AEffEditor, public gui::ControlListener {
public:
    doxaroGUI(EditorPlugin& plugin, std::unique_ptr<PlatformServices> services);
    ~doxaroGUI() override;

    // ---- Editor opcodes ----
    bool getRect(vst::ERect** rect) override;
    // Builds the views and opens them in the host's window (X11 window id or HWND).
    bool open(void* parentWindow) override;
    void close() override;
    void idle() override;
    bool onKeyDown(vst::VstKeyCode& key) override;
    bool setKnobMode(vst::VstInt32 mode) override { return mode == 2; }
    // Any thread.
    void setParameter(vst::VstInt32 index, float value) override;
    // Any thread: the program menu, its names, the meter menu, the cabinet
    // panel and the response display follow at the next idle.
    void programStateChanged() override;

    // ---- Without a system window (tests, snapshots) ----
    // Builds the views as open() does, without a window.
    void build();
    bool isBuilt() const { return frame_ != nullptr; }
    gui::Frame* frame() const { return frame_.get(); }
    // The control carrying a tag (the pads carry 27 and 36), or null.
    gui::Control* control(int tag) const;
    XySlider* pad(int tag) const;
    TremSpeedKnob* speedKnob() const;
    gui::OptionMenu* menu(int tag) const;
    bool isCabinetPanelAttached() const { return panelAttached_; }
    bool isStereoStripAttached() const { return stereoAttached_; }
    // Text of the response name as shown (shortened to fit its place).
    std::string responseText() const;
    // The entry a cabinet, microphone or input-channel menu shows for a
    // value: the one the plug-in plays.
    static int displayedEntry(int parameterIndex, float value);
    // Problems met loading the bitmaps (empty when all is well).
    const std::vector<std::string>& bitmapProblems() const { return bitmaps_.problems(); }
    const gui::BitmapLibrary& bitmapLibrary() const { return bitmaps_; }

private:
    // gui::ControlListener
    void beginEdit(gui::Control& control) override;
    void valueChanged(gui::Control& control) override;
    void endEdit(gui::Control& control) override;

    gui::Bitmap bitmap(std::string_view name);
    std::unique_ptr<gui::View> makeControl(const layout::ControlRow& row);
    std::unique_ptr<gui::ViewContainer> makeContainer(layout::Place place);
    void addControls(gui::ViewContainer& container, layout::Place place);
    void destroyViews();

    // Plug-in to controls.
    void updateControl(int index);
    void updateAllControls();
    void showStrip(bool stereo);
    void showCabinetPanel(bool shown);
    void padPicture(int index); // index: a type or axis setting of either cabinet
    void refreshResponse();
    void refreshProgramState();
    void refreshProgramNames();

    // Commands.
    void command(gui::Control& control);
    void fileCommand(int entry);
    void stepMenu(int parameterIndex, int step);
    void stepProgram(int step);
    void programChanged();
    void stepResponseFile(int step);
    void loadResponse(const std::string& path);
    void showMessage(const std::string& text);
    void openManual();

    EditorPlugin& plugin_;
    std::unique_ptr<PlatformServices> services_;
    gui::BitmapLibrary bitmaps_;
    ParameterMailbox changed_; // parameters changed since the last idle (any thread posts)
    std::atomic<bool> programStateDirty_{false}; // program-level state changed since the last idle
    bool inIdle_ = false;      // idle() is running (hosts may call it again from a notice we send)
    vst::ERect rect_{0, 0, layout::kHeight, layout::kWidth};

    // Views, between build and close.
    std::unique_ptr<gui::Frame> frame_;
    std::array<gui::Control*, layout::tag::Count> controls_{};
    gui::ViewContainer* cabinetPanel_ = nullptr;
    gui::ViewContainer* monoStrip_ = nullptr;
    gui::ViewContainer* stereoStrip_ = nullptr;
    std::unique_ptr<gui::ViewContainer> detachedPanel_;  // the panel while not shown
    std::unique_ptr<gui::ViewContainer> detachedStrip_;  // the strip not shown
    bool panelAttached_ = false;
    bool stereoAttached_ = false;
    std::vector<std::string> responseFiles_; // the files of the response menu, full paths
    // The pads' pictures (left, right), kept while the window is closed so
    // that opening it again decodes nothing.
    std::array<gui::Bitmap, 2> padPictures_;
};

} // namespace editor
