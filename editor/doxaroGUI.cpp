#include "editor/doxaroGUI.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "editor/CAboutContainer.h"
#include "editor/NoteValues.h"
#include "editor/TremSpeedKnob.h"
#include "editor/XySlider.h"
#include "cabinet/CabinetSlot.h"
#include "gui/Font.h"
#include "plugin/Parameters.h"
#include "gui/AnimKnob.h"
#include "gui/HorizontalSlider.h"
#include "gui/KeyEvent.h"
#include "gui/KickButton.h"
#include "gui/MovieBitmap.h"
#include "gui/OnOffButton.h"
#include "gui/OptionMenu.h"
#include "gui/SplashScreen.h"
#include "gui/TextLabel.h"
#include "gui/VerticalSwitch.h"
#include "gui/VuMeter.h"

// The editor's bitmaps, linked into the library.
std::span<const gui::EmbeddedFile> editorBitmaps();

namespace editor {

namespace {

using layout::Kind;
using layout::Place;
namespace tag = layout::tag;

constexpr const char* kNoResponse = "empty";

bool isParameter(int t) { return t >= 0 && t < layout::kParameters; }

// The input channel entry the plug-in actually uses for a value: below 0.3
// left, below 0.6 right, else both.
int inputChannelEntry(float value)
{
    return value < 0.3f ? 0 : value < 0.6f ? 1 : 2;
}

// Colours of the response name: the placeholder is black on a cream label
// in the display's recess, a file name white on the recess itself.
constexpr gui::Color kPlaceholderInk{0, 0, 0, 255};
constexpr gui::Color kPlaceholderLabel{236, 226, 200, 255};
constexpr gui::Color kNameInk{255, 255, 255, 255};
constexpr const char* kPlaceholder = "(Load Impulse Response...)";
constexpr const char* kNotLoaded = " (not loaded)";

gui::TextStyle menuStyle()
{
    gui::TextStyle style;
    style.color = {236, 226, 200, 255};
    style.background = {0, 0, 0, 0};
    style.alignment = gui::Alignment::left;
    return style;
}

bool isWaveFile(const std::filesystem::path& p)
{
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".wav";
}

// The wave files of a folder, sorted by name.
std::vector<std::string> waveFilesBeside(const std::string& path)
{
    std::vector<std::string> files;
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty())
        return files;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && isWaveFile(it->path()))
            files.push_back(it->path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool hasResponse(const std::string& path) { return !path.empty() && path != kNoResponse; }

std::vector<std::string> fileNames(const std::vector<std::string>& paths)
{
    std::vector<std::string> names;
    for (const std::string& p : paths)
        names.push_back(std::filesystem::path(p).filename().string());
    return names;
}

// Replaces a menu's entries when they differ (an open list stays open otherwise).
void setEntries(gui::OptionMenu& menu, const std::vector<std::string>& entries)
{
    bool same = menu.entryCount() == int(entries.size());
    for (int i = 0; same && i < menu.entryCount(); ++i)
        same = menu.entry(i) == entries[std::size_t(i)];
    if (same)
        return;
    const int current = menu.currentIndex();
    menu.removeAllEntries();
    for (const std::string& e : entries)
        menu.addEntry(e);
    menu.setCurrent(current);
}

} // namespace

doxaroGUI::doxaroGUI(EditorPlugin& plugin, std::unique_ptr<PlatformServices> services)
    : plugin_(plugin), services_(std::move(services)), bitmaps_(editorBitmaps())
{
    // The window takes the background's size.
    const gui::Bitmap background = bitmap("background.png");
    rect_ = {0, 0, vst::VstInt16(background.height()), vst::VstInt16(background.width())};
}

doxaroGUI::~doxaroGUI() { destroyViews(); }

bool doxaroGUI::getRect(vst::ERect** rect)
{
    *rect = &rect_;
    return true;
}

gui::Bitmap doxaroGUI::bitmap(std::string_view name)
{
    const layout::BitmapSize size = layout::bitmapSize(name);
    return bitmaps_.get(name, size.width, size.height);
}

bool doxaroGUI::open(void* parentWindow)
{
    if (parentWindow == nullptr)
        return false;
    build();
    if (!frame_->open(parentWindow)) {
        destroyViews();
        return false;
    }
    systemWindow = parentWindow;
    return true;
}

void doxaroGUI::close()
{
    destroyViews();
    systemWindow = nullptr;
}

void doxaroGUI::destroyViews()
{
    if (!frame_)
        return;
    // Dialogs drawn in the frame go before it.
    services_->setFrame(nullptr);
    frame_->close();
    // The strip and the panel that are not shown go first; the rest go with the frame.
    detachedStrip_.reset();
    detachedPanel_.reset();
    frame_.reset();
    controls_.fill(nullptr);
    cabinetPanel_ = monoStrip_ = stereoStrip_ = nullptr;
    panelAttached_ = stereoAttached_ = false;
}

// ---- Building ---------------------------------------------------------------------

std::unique_ptr<gui::View> doxaroGUI::makeControl(const layout::ControlRow& row)
{
    const gui::Rect& r = row.rect;
    const gui::Bitmap bmp = row.bitmap.empty() ? gui::Bitmap{} : bitmap(row.bitmap);
    std::unique_ptr<gui::Control> c;
    switch (row.kind) {
    case Kind::onOff:
        c = std::make_unique<gui::OnOffButton>(r, this, row.tag, bmp);
        break;
    case Kind::verticalSwitch:
        c = std::make_unique<gui::VerticalSwitch>(r, this, row.tag, row.count, bmp);
        break;
    case Kind::knob:
        c = std::make_unique<gui::AnimKnob>(r, this, row.tag, row.count, bmp);
        break;
    case Kind::speedKnob: {
        auto display = std::make_unique<NoteDisplay>(layout::kNoteDisplay, row.tag);
        gui::TextStyle style;
        style.font = &gui::smallFontData();
        style.background = {16, 16, 16, 255};
        display->setStyle(style);
        display->setMouseEnabled(false);
        display->setFormatter([](float v) { return noteValueText(v); });
        c = std::make_unique<TremSpeedKnob>(r, this, row.tag, row.count, bmp, std::move(display));
        break;
    }
    case Kind::padLeft:
        c = std::make_unique<xySliderL>(r, this, row.tag, bmp);
        break;
    case Kind::padRight:
        c = std::make_unique<xySliderR>(r, this, row.tag, bmp);
        break;
    case Kind::menu:
    case Kind::fileMenu: {
        auto m = std::make_unique<gui::OptionMenu>(r, this, row.tag);
        m->setTransparent(true);
        gui::TextStyle style = menuStyle();
        // Menus laid over a meter or a label show only their list.
        if (row.tag == tag::InputMeterMenu || row.tag == tag::ResponseMenu)
            style.color = {0, 0, 0, 0};
        // "IN LR" has 28 pixels: the condensed font keeps the normal size (8 px capitals).
        if (row.tag == param::InputChannel) {
            style.font = &gui::condensedFontData();
            style.alignment = gui::Alignment::center;
            style.padding = 0;
        }
        m->setStyle(style);
        if (row.kind == Kind::fileMenu)
            m->setButtonBitmaps(bmp, bitmap("fileclicked.png"));
        auto fill = [&](const auto& entries) {
            for (const char* e : entries)
                m->addEntry(e);
        };
        switch (row.tag) {
        case param::InputChannel: fill(layout::kInputChannels); break;
        case tag::InputMeterMenu: fill(layout::kInputMeterEntries); break;
        case tag::FileMenu: fill(layout::kFileEntries); break;
        case param::Cab1Type:
        case param::Cab2Type: fill(layout::kCabinets); break;
        case param::Mic1Type:
        case param::Mic2Type: fill(layout::kMicrophones); break;
        case tag::ProgramMenu:
            for (int p = 0; p < layout::kPrograms; ++p)
                m->addEntry(plugin_.programName(p));
            break;
        default: break;
        }
        c = std::move(m);
        break;
    }
    case Kind::kick:
        c = std::make_unique<gui::KickButton>(r, this, row.tag, bmp);
        break;
    case Kind::meter: {
        auto meter = std::make_unique<gui::VuMeter>(r, bmp, bitmap("vuoff.png"), row.count);
        meter->setMouseEnabled(false);
        c = std::move(meter);
        break;
    }
    case Kind::movie:
        c = std::make_unique<gui::MovieBitmap>(r, nullptr, row.tag, row.count, bmp);
        c->setMouseEnabled(false);
        break;
    case Kind::slider:
        c = std::make_unique<gui::HorizontalSlider>(r, this, row.tag, row.count, row.extra, bmp);
        break;
    case Kind::label: {
        auto label = std::make_unique<gui::TextLabel>(r);
        label->setTransparent(true);
        label->setStyle(menuStyle());
        label->setMouseEnabled(false);
        c = std::move(label);
        break;
    }
    case Kind::aboutTrigger: {
        auto about = std::make_unique<CAboutContainer>(layout::kAboutBox);
        about->setBackground(bitmap("about.png"));
        auto version = std::make_unique<gui::TextLabel>(layout::kAboutVersion, std::string(layout::kVersionText));
        version->setTransparent(true);
        gui::TextStyle style = menuStyle();
        style.font = &gui::smallFontData();
        style.color = {72, 52, 40, 255}; // dark ink on the box's paper
        version->setStyle(style);
        about->addView(std::move(version));
        CAboutContainer* box = about.get();
        auto trigger = std::make_unique<gui::SplashScreen>(r, this, row.tag, std::move(about));
        box->setSplashTrigger(trigger.get());
        c = std::move(trigger);
        break;
    }
    }
    if (row.tag >= 0 && row.tag < tag::Count)
        controls_[std::size_t(row.tag)] = c.get();
    return c;
}

std::unique_ptr<gui::ViewContainer> doxaroGUI::makeContainer(Place place)
{
    const layout::ContainerSpec& row = layout::container(place);
    auto box = std::make_unique<gui::ViewContainer>(row.rect);
    box->setBackground(bitmap(row.bitmap));
    addControls(*box, place);
    return box;
}

void doxaroGUI::addControls(gui::ViewContainer& container, Place place)
{
    for (const auto& row : layout::kControls)
        if (row.place == place && row.kind != Kind::aboutTrigger)
            container.addView(makeControl(row));
}

void doxaroGUI::build()
{
    destroyViews();
    // Changes posted before now are read below with everything else.
    changed_.take();

    frame_ = std::make_unique<gui::Frame>(layout::kWidth, layout::kHeight);
    frame_->setBackground(bitmap("background.png"));

    addControls(*frame_, Place::window);
    frame_->addView(makeContainer(Place::topBar));
    for (const auto& row : layout::kControls)
        if (row.kind == Kind::aboutTrigger)
            frame_->addView(makeControl(row));
    frame_->addView(makeContainer(Place::bottomBar));

    auto panel = makeContainer(Place::cabinetPanel);
    cabinetPanel_ = panel.get();
    auto mono = makeContainer(Place::monoStrip);
    auto stereo = makeContainer(Place::stereoStrip);
    monoStrip_ = mono.get();
    stereoStrip_ = stereo.get();
    stereoAttached_ = plugin_.parameter(param::CabType) != 0.0f;
    if (stereoAttached_) {
        panel->addView(std::move(stereo));
        detachedStrip_ = std::move(mono);
    } else {
        panel->addView(std::move(mono));
        detachedStrip_ = std::move(stereo);
    }
    detachedPanel_ = std::move(panel);
    panelAttached_ = false;

    updateAllControls();
    refreshProgramState();
    refreshResponse();
    frame_->redrawAll();
    services_->setFrame(frame_.get());
}

gui::Control* doxaroGUI::control(int t) const
{
    if (t == param::Mic1Distance)
        t = param::Mic1Pos;
    if (t == param::Mic2Distance)
        t = param::Mic2Pos;
    return t >= 0 && t < tag::Count ? controls_[std::size_t(t)] : nullptr;
}

XySlider* doxaroGUI::pad(int t) const { return static_cast<XySlider*>(control(t)); }
TremSpeedKnob* doxaroGUI::speedKnob() const { return static_cast<TremSpeedKnob*>(control(param::TremoloSpeed)); }
gui::OptionMenu* doxaroGUI::menu(int t) const
{
    gui::Control* c = control(t);
    return c && c->isTypeOf("COptionMenu") ? static_cast<gui::OptionMenu*>(c) : nullptr;
}

// ---- Plug-in to controls ----------------------------------------------------------

void doxaroGUI::setParameter(vst::VstInt32 index, float)
{
    if (index >= 0 && index < layout::kParameters)
        changed_.post(int(index));
}

void doxaroGUI::updateAllControls()
{
    for (int i = 0; i < layout::kParameters; ++i)
        updateControl(i);
}

void doxaroGUI::updateControl(int index)
{
    if (!frame_ || !isParameter(index))
        return;
    const float v = plugin_.parameter(index);
    switch (index) {
    case param::Cab1Type:
    case param::Cab2Type:
        menu(index)->setCurrent(displayedEntry(index, v));
        padPicture(index);
        return;
    case param::InputChannel:
    case param::Mic1Type:
    case param::Mic2Type:
        menu(index)->setCurrent(displayedEntry(index, v));
        return;
    case param::TremoloSync:
        control(index)->setValue(v);
        speedKnob()->setSync(v);
        return;
    case param::CabType:
        control(index)->setValue(v);
        showStrip(v != 0.0f);
        return;
    case param::Mic1Axis:
    case param::Mic2Axis:
        // The switch shows the axis that plays (upper picture on axis).
        control(index)->setValue(float(displayedEntry(index, v)));
        padPicture(index);
        return;
    case param::Mic1Pos:
    case param::Mic2Pos:
        pad(index)->setValueX(v);
        return;
    case param::Mic1Distance:
    case param::Mic2Distance:
        pad(index)->setValueY(v);
        return;
    default:
        if (gui::Control* c = control(index))
            c->setValue(v);
        return;
    }
}

int doxaroGUI::displayedEntry(int parameterIndex, float value)
{
    switch (parameterIndex) {
    case param::InputChannel:
        return inputChannelEntry(value);
    case param::Cab1Type:
    case param::Cab2Type:
        return layout::padCabinet(value) - 1;
    case param::Mic1Type:
    case param::Mic2Type:
        return std::clamp(CabinetSlot::micTensFor(value) / 10 - 1, 0, int(layout::kMicrophones.size()) - 1);
    case param::Mic1Axis:
    case param::Mic2Axis:
        return std::clamp(CabinetSlot::axisUnitsFor(value) - 1, 0, 1);
    default:
        return 0;
    }
}

void doxaroGUI::padPicture(int index)
{
    // The pad shows the cabinet that plays, as the engine picks it from
    // "Cab N Type", on or off axis.
    const bool left = index < param::Cab2OnOff;
    const float type = plugin_.parameter(left ? param::Cab1Type : param::Cab2Type);
    const float axis = plugin_.parameter(left ? param::Mic1Axis : param::Mic2Axis);
    const std::string_view name = layout::padPictureName(type, axis);
    XySlider* p = pad(left ? param::Mic1Pos : param::Mic2Pos);
    gui::Bitmap& shown = padPictures_[left ? 0 : 1];
    if (shown.isNull() || shown.name() != name) {
        // The library holds pad pictures only while someone shows them:
        // dropping the old one first frees its pixels before the next one
        // is decoded.
        p->setBackground({});
        shown = {};
        const layout::BitmapSize size = layout::bitmapSize(name);
        shown = bitmaps_.getTransient(name, size.width, size.height, p->rightSide());
    }
    if (p->background().isNull() || p->background().name() != name) {
        p->setBackground(shown);
        p->invalid();
    }
}

void doxaroGUI::showStrip(bool stereo)
{
    if (stereo == stereoAttached_ || !cabinetPanel_)
        return;
    gui::ViewContainer* shown = stereo ? monoStrip_ : stereoStrip_;
    std::unique_ptr<gui::View> old = cabinetPanel_->removeView(shown);
    std::unique_ptr<gui::ViewContainer> next = std::move(detachedStrip_);
    detachedStrip_.reset(static_cast<gui::ViewContainer*>(old.release()));
    cabinetPanel_->addView(std::move(next));
    stereoAttached_ = stereo;
}

void doxaroGUI::showCabinetPanel(bool shown)
{
    if (!frame_ || shown == panelAttached_)
        return;
    if (shown) {
        frame_->addView(std::move(detachedPanel_));
    } else {
        std::unique_ptr<gui::View> panel = frame_->removeView(cabinetPanel_);
        detachedPanel_.reset(static_cast<gui::ViewContainer*>(panel.release()));
    }
    panelAttached_ = shown;
    frame_->invalid();
}

void doxaroGUI::refreshProgramNames()
{
    if (!frame_)
        return;
    std::vector<std::string> names;
    for (int p = 0; p < layout::kPrograms; ++p)
        names.push_back(plugin_.programName(p));
    setEntries(*menu(tag::ProgramMenu), names);
}

void doxaroGUI::refreshProgramState()
{
    if (!frame_)
        return;
    refreshProgramNames();
    menu(tag::ProgramMenu)->setCurrent(plugin_.currentProgram());
    menu(tag::InputMeterMenu)->setCurrent(plugin_.meterFlag() ? 0 : 1);
    const bool panel = plugin_.panelFlag();
    control(tag::CabinetPanelSwitch)->setValue(panel ? 0.0f : 1.0f);
    showCabinetPanel(panel);
}

std::string doxaroGUI::responseText() const
{
    const gui::Control* label = control(tag::ResponseName);
    return label ? static_cast<const gui::TextLabel*>(label)->text() : std::string();
}

void doxaroGUI::refreshResponse()
{
    if (!frame_)
        return;
    const std::string path = plugin_.responsePath();
    auto* label = static_cast<gui::TextLabel*>(control(tag::ResponseName));
    gui::TextStyle style = label->style();
    if (!hasResponse(path)) {
        style.color = kPlaceholderInk;
        style.background = kPlaceholderLabel;
        label->setTransparent(false);
        label->setStyle(style);
        label->setText(kPlaceholder);
    } else {
        // The name without folder and extension; one that did not load must
        // not look like a working one. A long name keeps its start and end.
        const std::string name = std::filesystem::path(path).stem().string();
        const std::string suffix = plugin_.responseLoaded() ? "" : kNotLoaded;
        const gui::Font font(*style.font);
        const int room = label->size().width() - 2 * style.padding - font.textWidth(suffix);
        style.color = kNameInk;
        label->setTransparent(true);
        label->setStyle(style);
        label->setText(font.fitMiddle(name, room) + suffix);
    }

    gui::OptionMenu* m = menu(tag::ResponseMenu);
    responseFiles_ = hasResponse(path) ? waveFilesBeside(path) : std::vector<std::string>{};
    setEntries(*m, fileNames(responseFiles_));
    // The current file's entry; the first when the folder's listing lacks it.
    const auto it = std::find(responseFiles_.begin(), responseFiles_.end(), path);
    m->setCurrent(it != responseFiles_.end() ? int(it - responseFiles_.begin()) : 0);
    m->setMouseEnabled(!responseFiles_.empty());
}

// ---- Idle -------------------------------------------------------------------------

void doxaroGUI::programStateChanged()
{
    programStateDirty_.store(true, std::memory_order_release);
}

void doxaroGUI::idle()
{
    // A host may answer a notice sent from inside idle (a display update)
    // with another idle call: that one has nothing to add.
    if (inIdle_)
        return;
    inIdle_ = true;
    services_->idle();
    if (!frame_) {
        inIdle_ = false;
        return;
    }
    std::uint64_t bits = changed_.take();
    while (bits) {
        const int index = __builtin_ctzll(bits);
        bits &= bits - 1;
        updateControl(index);
    }
    if (programStateDirty_.exchange(false, std::memory_order_acq_rel)) {
        refreshProgramState();
        refreshResponse();
        frame_->invalid();
    }
    control(tag::InputMeter)->setValue(plugin_.inputLevel());
    control(tag::ClipLed)->setValue(plugin_.clipLevel() != 0.0f ? 1.0f : 0.0f);
    if (frame_->isOpen())
        frame_->idle();
    else
        frame_->redrawDirty();
    inIdle_ = false;
}

// Keys the host passes on (effEditKeyDown) go to the open menu list or the
// box shown in the editor, if any.
// Virtual key numbers are those of the VST 2.4 interface.
bool doxaroGUI::onKeyDown(vst::VstKeyCode& code)
{
    if (!frame_)
        return false;
    gui::KeyEvent key;
    switch (code.virt) {
    case 0:
        if (code.character <= 0)
            return false;
        key.character = char32_t(code.character);
        break;
    case 4:  // return
    case 19: // enter
        key.key = gui::Key::enter;
        break;
    case 1: key.character = 8; break;    // backspace
    case 6: key.key = gui::Key::escape; break;
    case 22: key.character = 127; break; // delete
    case 9: key.key = gui::Key::end; break;
    case 10: key.key = gui::Key::home; break;
    case 11: key.key = gui::Key::left; break;
    case 12: key.key = gui::Key::up; break;
    case 13: key.key = gui::Key::right; break;
    case 14: key.key = gui::Key::down; break;
    case 15: key.key = gui::Key::pageUp; break;
    case 16: key.key = gui::Key::pageDown; break;
    default: return false;
    }
    return frame_->keyDown(key);
}

// ---- Controls to plug-in ----------------------------------------------------------

void doxaroGUI::beginEdit(gui::Control& c)
{
    const int t = c.tag();
    if (!isParameter(t))
        return;
    plugin_.beginEdit(t);
    if (t == param::Mic1Pos || t == param::Mic2Pos)
        plugin_.beginEdit(t + 1);
}

void doxaroGUI::endEdit(gui::Control& c)
{
    const int t = c.tag();
    if (!isParameter(t))
        return;
    if (t == param::Mic1Pos || t == param::Mic2Pos)
        plugin_.endEdit(t + 1);
    plugin_.endEdit(t);
}

void doxaroGUI::valueChanged(gui::Control& c)
{
    const int t = c.tag();
    if (!isParameter(t)) {
        command(c);
        return;
    }
    switch (t) {
    case param::InputChannel:
        plugin_.setParameterAutomated(t, float(static_cast<gui::OptionMenu&>(c).currentIndex()) * 0.5f);
        return;
    case param::Cab1Type:
    case param::Cab2Type:
        plugin_.setParameterAutomated(t, float(static_cast<gui::OptionMenu&>(c).currentIndex()) * 0.25f);
        return;
    case param::Mic1Type:
    case param::Mic2Type:
        plugin_.setParameterAutomated(t, float(static_cast<gui::OptionMenu&>(c).currentIndex()) / 3.0f);
        return;
    case param::Mic1Pos:
    case param::Mic2Pos: {
        const auto& p = static_cast<XySlider&>(c);
        plugin_.setParameterAutomated(t, p.valueX());
        plugin_.setParameterAutomated(t + 1, p.valueY());
        return;
    }
    default:
        plugin_.setParameterAutomated(t, c.value());
        return;
    }
}

// ---- Commands ---------------------------------------------------------------------

void doxaroGUI::command(gui::Control& c)
{
    const bool released = c.value() < 0.5f;
    switch (c.tag()) {
    case tag::InputMeterMenu:
        plugin_.setMeterFlag(static_cast<gui::OptionMenu&>(c).currentIndex() == 0);
        return;
    case tag::FileMenu:
        fileCommand(static_cast<gui::OptionMenu&>(c).currentIndex());
        return;
    case tag::ProgramMenu:
        plugin_.selectProgram(static_cast<gui::OptionMenu&>(c).currentIndex());
        programChanged();
        return;
    case tag::PreviousProgram:
        if (released)
            stepProgram(-1);
        return;
    case tag::NextProgram:
        if (released)
            stepProgram(+1);
        return;
    case tag::CabinetPanelSwitch: {
        const bool shown = c.value() == 0.0f;
        showCabinetPanel(shown);
        plugin_.setPanelFlag(shown);
        return;
    }
    case tag::Cab1Previous:
    case tag::Cab1Next:
    case tag::Cab2Previous:
    case tag::Cab2Next:
        if (released)
            stepMenu(c.tag() <= tag::Cab1Next ? param::Cab1Type : param::Cab2Type,
                     (c.tag() - tag::Cab1Previous) % 2 ? 1 : -1);
        return;
    case tag::Mic1Previous:
    case tag::Mic1Next:
    case tag::Mic2Previous:
    case tag::Mic2Next:
        if (released)
            stepMenu(c.tag() <= tag::Mic1Next ? param::Mic1Type : param::Mic2Type,
                     (c.tag() - tag::Cab1Previous) % 2 ? 1 : -1);
        return;
    case tag::ResponseMenu: {
        const int index = static_cast<gui::OptionMenu&>(c).currentIndex();
        if (index >= 0 && index < int(responseFiles_.size()))
            loadResponse(responseFiles_[std::size_t(index)]);
        return;
    }
    case tag::ResponseLoad:
        if (released)
            services_->chooseFile({false, "Load Impulse Response", "Wave File (*.wav)", "*.wav", "wav"},
                                  frame_ ? frame_->systemWindow() : nullptr,
                                  [this](std::optional<std::string> path) {
                                      if (path)
                                          loadResponse(*path);
                                  });
        return;
    case tag::ResponseUnload:
        if (released)
            loadResponse(kNoResponse);
        return;
    case tag::ResponsePrevious:
        if (released)
            stepResponseFile(-1);
        return;
    case tag::ResponseNext:
        if (released)
            stepResponseFile(+1);
        return;
    default:
        return;
    }
}

void doxaroGUI::stepMenu(int parameterIndex, int step)
{
    // From the newest value, not from the menu, which follows only at the
    // next idle: two clicks between idles step twice.
    const int entries = menu(parameterIndex)->entryCount();
    const int current = displayedEntry(parameterIndex, plugin_.parameter(parameterIndex));
    const int next = (current + step + entries) % entries;
    plugin_.beginEdit(parameterIndex);
    plugin_.setParameterAutomated(parameterIndex, float(next) / float(entries - 1));
    plugin_.endEdit(parameterIndex);
}

void doxaroGUI::stepProgram(int step)
{
    plugin_.selectProgram((plugin_.currentProgram() + step + layout::kPrograms) % layout::kPrograms);
    programChanged();
}

void doxaroGUI::programChanged()
{
    updateAllControls();
    refreshProgramState();
    refreshResponse();
    if (frame_)
        frame_->invalid();
}

void doxaroGUI::loadResponse(const std::string& path)
{
    if (!plugin_.setResponsePath(path))
        showMessage("The file path \"" + path + "\" is too long to be stored.");
    refreshResponse();
}

void doxaroGUI::stepResponseFile(int step)
{
    const std::string path = plugin_.responsePath();
    if (!hasResponse(path))
        return;
    const std::vector<std::string> files = waveFilesBeside(path);
    if (files.empty())
        return;
    // A file missing from its folder's listing counts as the first entry.
    const auto it = std::find(files.begin(), files.end(), path);
    const bool listed = it != files.end();
    const long from = listed ? long(it - files.begin()) : 0;
    const long index = std::clamp(from + step, 0L, long(files.size()) - 1);
    if (listed && index == from)
        return; // the first or the last already: no wrap-around
    loadResponse(files[std::size_t(index)]);
}

void doxaroGUI::showMessage(const std::string& text)
{
    services_->showMessage(text, frame_ ? frame_->systemWindow() : nullptr);
}

void doxaroGUI::fileCommand(int entry)
{
    void* owner = frame_ ? frame_->systemWindow() : nullptr;
    const FileDialog preset{false, "", "D-OrvandelSelvarine Preset (*.sxp)", "*.sxp", "sxp"};
    const FileDialog bank{false, "", "D-OrvandelSelvarine Bank (*.sxb)", "*.sxb", "sxb"};
    auto report = [this](const std::string& message) {
        if (!message.empty())
            showMessage(message);
    };
    switch (entry) {
    case layout::file::SavePreset: {
        FileDialog d = preset;
        d.save = true;
        d.title = "Save Preset";
        services_->chooseFile(d, owner, [this, report](std::optional<std::string> path) {
            if (!path)
                return;
            report(plugin_.savePreset(*path));
            refreshProgramState(); // the program took the file's name
        });
        return;
    }
    case layout::file::LoadPreset: {
        FileDialog d = preset;
        d.title = "Load Preset";
        services_->chooseFile(d, owner, [this, report](std::optional<std::string> path) {
            if (!path)
                return;
            report(plugin_.loadPreset(*path));
            programChanged();
        });
        return;
    }
    case layout::file::SaveBank: {
        FileDialog d = bank;
        d.save = true;
        d.title = "Save Bank";
        services_->chooseFile(d, owner, [this, report](std::optional<std::string> path) {
            if (path)
                report(plugin_.saveBank(*path));
        });
        return;
    }
    case layout::file::LoadBank: {
        FileDialog d = bank;
        d.title = "Load Bank";
        services_->chooseFile(d, owner, [this](std::optional<std::string> path) {
            if (!path)
                return;
            const std::string message = plugin_.loadBank(*path);
            if (!message.empty()) {
                showMessage(message);
                return;
            }
            // The host learns every value of the program now current.
            for (int i = 0; i < layout::kParameters; ++i)
                plugin_.setParameterAutomated(i, plugin_.parameter(i));
            programChanged();
        });
        return;
    }
    case layout::file::Manual:
        openManual();
        return;
    case layout::file::Website:
        services_->openUrl(std::string(layout::kWebsite));
        return;
    default:
        return;
    }
}

void doxaroGUI::openManual()
{
    const std::string path = plugin_.dataFolder() + std::string(layout::kManualName);
    if (!std::ifstream(path, std::ios::binary).is_open()) {
        showMessage("The file at \"" + path + "\" doesn't exist!");
        return;
    }
    services_->openDocument(path);
}

} // namespace editor
