#pragma once

#include <array>
#include <string_view>

#include "cabinet/CabinetSlot.h"
#include "gui/Rect.h"

// The editor's window: every bitmap with its size, every control with its tag,
// kind, place, rectangle and picture, and the texts of the fixed menus.
namespace editor::layout {

inline constexpr int kWidth = 650;
inline constexpr int kHeight = 500;

// Tags 0..43 are parameter indices; the rest are the editor's commands.
namespace tag {
inline constexpr int kFirstCommand = 44;
inline constexpr int InputMeterMenu = 45;
inline constexpr int FileMenu = 46;
inline constexpr int ProgramMenu = 47;
inline constexpr int PreviousProgram = 48;
inline constexpr int NextProgram = 49;
inline constexpr int CabinetPanelSwitch = 50;
inline constexpr int Cab1Previous = 51;
inline constexpr int Cab1Next = 52;
inline constexpr int Mic1Previous = 53;
inline constexpr int Mic1Next = 54;
inline constexpr int Cab2Previous = 55;
inline constexpr int Cab2Next = 56;
inline constexpr int Mic2Previous = 57;
inline constexpr int Mic2Next = 58;
inline constexpr int AboutTrigger = 59;
inline constexpr int ResponseMenu = 62;
inline constexpr int ResponseLoad = 63;
inline constexpr int ResponseUnload = 64;
inline constexpr int ResponsePrevious = 65;
inline constexpr int ResponseNext = 66;
inline constexpr int ClipLed = 67;
inline constexpr int InputMeter = 68; // the meter itself reports nothing
inline constexpr int ResponseName = 69; // the label under the response menu
inline constexpr int Count = 70;
} // namespace tag

struct BitmapSize {
    std::string_view name;
    int width;
    int height;
};

inline constexpr std::array kBitmaps = {
    BitmapSize{"background.png", 650, 500},
    BitmapSize{"miclefton.png", 282, 23129},   BitmapSize{"micleftoff.png", 282, 23129},
    BitmapSize{"micrighton.png", 282, 23129},  BitmapSize{"micrightoff.png", 282, 23129},
    BitmapSize{"pad1on.png", 474, 23129},      BitmapSize{"pad1off.png", 474, 23129},
    BitmapSize{"pad2on.png", 474, 23129},      BitmapSize{"pad2off.png", 474, 23129},
    BitmapSize{"pad3on.png", 474, 23129},      BitmapSize{"pad3off.png", 474, 23129},
    BitmapSize{"pad4on.png", 474, 23129},      BitmapSize{"pad4off.png", 474, 23129},
    BitmapSize{"pad5on.png", 474, 23129},      BitmapSize{"pad5off.png", 474, 23129},
    BitmapSize{"michandle.png", 90, 150},
    BitmapSize{"gain.png", 47, 5353},   BitmapSize{"low.png", 47, 5353},    BitmapSize{"mid.png", 47, 5353},
    BitmapSize{"high.png", 47, 5353},   BitmapSize{"pres.png", 47, 5353},   BitmapSize{"master.png", 47, 5353},
    BitmapSize{"speed.png", 47, 5353},  BitmapSize{"depth.png", 47, 5353},  BitmapSize{"reverb.png", 47, 5353},
    BitmapSize{"knobbig.png", 26, 1326}, BitmapSize{"knobsmall.png", 15, 765},
    BitmapSize{"ampon.png", 52, 88},    BitmapSize{"fxonoff.png", 29, 44},  BitmapSize{"sync.png", 29, 44},
    BitmapSize{"gateonoff.png", 30, 20}, BitmapSize{"hiq.png", 26, 36},     BitmapSize{"lim.png", 26, 36},
    BitmapSize{"bypass.png", 20, 40},   BitmapSize{"cabset.png", 60, 36},   BitmapSize{"cabmiconoff.png", 20, 40},
    BitmapSize{"phase.png", 20, 40},    BitmapSize{"micaxis_left.png", 20, 40},
    BitmapSize{"micaxis_right.png", 20, 40}, BitmapSize{"monostereo.png", 24, 40},
    BitmapSize{"amptype.png", 34, 108}, BitmapSize{"ampchannel.png", 34, 48},
    BitmapSize{"arrow_left.png", 14, 32}, BitmapSize{"arrow_right.png", 14, 32},
    BitmapSize{"arrow_left_ir.png", 14, 40}, BitmapSize{"arrow_right_ir.png", 14, 40},
    BitmapSize{"irload.png", 20, 40},   BitmapSize{"irunload.png", 20, 40},
    BitmapSize{"file.png", 26, 18},     BitmapSize{"fileclicked.png", 26, 18},
    BitmapSize{"vuon.png", 42, 8},      BitmapSize{"vuoff.png", 42, 8},
    BitmapSize{"clipled.png", 12, 24},  BitmapSize{"slider.png", 10, 8},
    BitmapSize{"incontainer.png", 650, 30}, BitmapSize{"outcontainer.png", 650, 30},
    BitmapSize{"cabsetcontainer.png", 650, 100},
    BitmapSize{"monocontainer.png", 498, 25}, BitmapSize{"stereocontainer.png", 498, 25},
    BitmapSize{"about.png", 600, 414},
};

// The expected size of a bitmap by name; 0 × 0 for unknown names.
constexpr BitmapSize bitmapSize(std::string_view name)
{
    for (const auto& b : kBitmaps)
        if (b.name == name)
            return b;
    return {name, 0, 0};
}

// The microphone pads' pictures: one film strip per cabinet and axis, drawn
// for the left pad (the right pad shows them mirrored). The four "mic..."
// strips above are the first cabinet's pictures cut to the pad's width.
inline constexpr std::array<std::array<std::string_view, 2>, 5> kPadPictures = {{
    {"pad1on.png", "pad1off.png"}, {"pad2on.png", "pad2off.png"}, {"pad3on.png", "pad3off.png"},
    {"pad4on.png", "pad4off.png"}, {"pad5on.png", "pad5off.png"},
}};

// The cabinet 1..5 that plays for a "Cab N Type" value, as the engine picks
// it; codes outside the menu fall back to the first cabinet, as the engine's do.
inline int padCabinet(float cabType)
{
    const int cabinet = CabinetSlot::cabinetHundredsFor(cabType) / 100;
    return cabinet >= 1 && cabinet <= int(kPadPictures.size()) ? cabinet : 1;
}

// The pad picture for a cabinet type and axis, both as the engine picks them
// (the axis is on for 0 and for values too small to lift 1 + v above 1).
inline std::string_view padPictureName(float cabType, float axis)
{
    return kPadPictures[std::size_t(padCabinet(cabType) - 1)][CabinetSlot::axisUnitsFor(axis) == 1 ? 0 : 1];
}

// Where a control lives.
enum class Place { window, topBar, bottomBar, cabinetPanel, monoStrip, stereoStrip };

enum class Kind {
    onOff,        // two-state button
    verticalSwitch, // `count` positions
    knob,         // film-strip knob of `count` frames
    speedKnob,    // the tremolo speed knob with its note display
    padLeft,      // microphone pads
    padRight,
    menu,         // option menu of text entries
    fileMenu,     // option menu drawn as a button
    kick,         // kick button
    meter,        // the input level meter
    movie,        // film strip chosen by value, `count` frames
    slider,       // horizontal slider, handle travel `count`..`extra`
    label,        // the response name
    aboutTrigger, // invisible splash trigger
};

struct ControlRow {
    int tag;
    Kind kind;
    Place place;
    gui::Rect rect;
    std::string_view bitmap; // may be empty
    int count = 0;           // frames, positions or handle minimum
    int extra = 0;           // handle maximum
};

// The controls in the order they are created.
inline constexpr std::array kControls = {
    // Window
    ControlRow{8, Kind::onOff, Place::window, {32, 108, 84, 152}, "ampon.png"},
    ControlRow{9, Kind::verticalSwitch, Place::window, {390, 81, 424, 117}, "amptype.png", 3},
    ControlRow{10, Kind::verticalSwitch, Place::window, {390, 124, 424, 148}, "ampchannel.png", 2},
    ControlRow{11, Kind::knob, Place::window, {89, 89, 136, 142}, "gain.png", 101},
    ControlRow{12, Kind::knob, Place::window, {139, 89, 186, 142}, "low.png", 101},
    ControlRow{13, Kind::knob, Place::window, {190, 89, 237, 142}, "mid.png", 101},
    ControlRow{14, Kind::knob, Place::window, {240, 89, 287, 142}, "high.png", 101},
    ControlRow{15, Kind::knob, Place::window, {290, 89, 337, 142}, "pres.png", 101},
    ControlRow{16, Kind::knob, Place::window, {340, 89, 387, 136}, "master.png", 101},
    ControlRow{17, Kind::onOff, Place::window, {593, 120, 622, 142}, "fxonoff.png"},
    ControlRow{18, Kind::onOff, Place::window, {590, 95, 619, 117}, "sync.png"},
    ControlRow{19, Kind::speedKnob, Place::window, {436, 89, 483, 142}, "speed.png", 101},
    ControlRow{20, Kind::knob, Place::window, {487, 89, 534, 142}, "depth.png", 101},
    ControlRow{21, Kind::knob, Place::window, {537, 89, 584, 142}, "reverb.png", 101},
    ControlRow{27, Kind::padLeft, Place::window, {0, 271, 282, 520}, "michandle.png"},
    ControlRow{36, Kind::padRight, Place::window, {368, 271, 650, 520}, "michandle.png"},
    // Top bar
    ControlRow{1, Kind::menu, Place::topBar, {4, 5, 32, 25}, ""},
    ControlRow{2, Kind::knob, Place::topBar, {37, 3, 63, 29}, "knobbig.png", 51},
    ControlRow{tag::InputMeter, Kind::meter, Place::topBar, {71, 11, 113, 19}, "vuon.png", 14},
    ControlRow{tag::InputMeterMenu, Kind::menu, Place::topBar, {71, 11, 113, 19}, ""},
    ControlRow{tag::FileMenu, Kind::fileMenu, Place::topBar, {123, 6, 149, 24}, "file.png"},
    ControlRow{tag::ProgramMenu, Kind::menu, Place::topBar, {154, 6, 320, 24}, ""},
    ControlRow{tag::PreviousProgram, Kind::kick, Place::topBar, {321, 7, 335, 23}, "arrow_left.png"},
    ControlRow{tag::NextProgram, Kind::kick, Place::topBar, {335, 7, 349, 23}, "arrow_right.png"},
    ControlRow{3, Kind::onOff, Place::topBar, {373, 15, 403, 25}, "gateonoff.png"},
    ControlRow{4, Kind::knob, Place::topBar, {411, 12, 426, 27}, "knobsmall.png", 51},
    ControlRow{5, Kind::knob, Place::topBar, {435, 12, 450, 27}, "knobsmall.png", 51},
    ControlRow{6, Kind::knob, Place::topBar, {459, 12, 474, 27}, "knobsmall.png", 51},
    ControlRow{tag::CabinetPanelSwitch, Kind::onOff, Place::topBar, {493, 6, 553, 24}, "cabset.png"},
    ControlRow{7, Kind::onOff, Place::topBar, {571, 6, 597, 24}, "hiq.png"},
    ControlRow{0, Kind::onOff, Place::topBar, {613, 4, 633, 24}, "bypass.png"},
    // About box trigger
    ControlRow{tag::AboutTrigger, Kind::aboutTrigger, Place::window, {10, 480, 90, 490}, ""},
    // Bottom bar
    // Between the load / unload buttons (120..160) and the file arrows (502..530).
    ControlRow{tag::ResponseName, Kind::label, Place::bottomBar, {164, 6, 500, 24}, ""},
    ControlRow{tag::ResponseMenu, Kind::menu, Place::bottomBar, {120, 6, 530, 24}, ""},
    ControlRow{tag::ResponseLoad, Kind::kick, Place::bottomBar, {120, 5, 140, 25}, "irload.png"},
    ControlRow{tag::ResponseUnload, Kind::kick, Place::bottomBar, {140, 5, 160, 25}, "irunload.png"},
    ControlRow{tag::ResponsePrevious, Kind::kick, Place::bottomBar, {502, 5, 516, 25}, "arrow_left_ir.png"},
    ControlRow{tag::ResponseNext, Kind::kick, Place::bottomBar, {516, 5, 530, 25}, "arrow_right_ir.png"},
    ControlRow{43, Kind::onOff, Place::bottomBar, {536, 6, 562, 24}, "lim.png"},
    ControlRow{tag::ClipLed, Kind::movie, Place::bottomBar, {570, 15, 582, 27}, "clipled.png", 2},
    ControlRow{42, Kind::knob, Place::bottomBar, {587, 3, 613, 29}, "knobbig.png", 51},
    // Cabinet panel
    ControlRow{23, Kind::onOff, Place::cabinetPanel, {52, 4, 72, 24}, "cabmiconoff.png"},
    ControlRow{24, Kind::menu, Place::cabinetPanel, {79, 5, 273, 23}, ""},
    ControlRow{tag::Cab1Previous, Kind::kick, Place::cabinetPanel, {274, 6, 288, 22}, "arrow_left.png"},
    ControlRow{tag::Cab1Next, Kind::kick, Place::cabinetPanel, {288, 6, 302, 22}, "arrow_right.png"},
    ControlRow{25, Kind::menu, Place::cabinetPanel, {79, 29, 273, 47}, ""},
    ControlRow{tag::Mic1Previous, Kind::kick, Place::cabinetPanel, {274, 30, 288, 46}, "arrow_left.png"},
    ControlRow{tag::Mic1Next, Kind::kick, Place::cabinetPanel, {288, 30, 302, 46}, "arrow_right.png"},
    ControlRow{29, Kind::onOff, Place::cabinetPanel, {52, 28, 72, 48}, "phase.png"},
    ControlRow{26, Kind::onOff, Place::cabinetPanel, {52, 52, 72, 72}, "micaxis_left.png"},
    ControlRow{32, Kind::onOff, Place::cabinetPanel, {578, 4, 598, 24}, "cabmiconoff.png"},
    ControlRow{33, Kind::menu, Place::cabinetPanel, {377, 5, 571, 23}, ""},
    ControlRow{tag::Cab2Previous, Kind::kick, Place::cabinetPanel, {348, 6, 362, 22}, "arrow_left.png"},
    ControlRow{tag::Cab2Next, Kind::kick, Place::cabinetPanel, {362, 6, 376, 22}, "arrow_right.png"},
    ControlRow{34, Kind::menu, Place::cabinetPanel, {377, 29, 571, 47}, ""},
    ControlRow{tag::Mic2Previous, Kind::kick, Place::cabinetPanel, {348, 30, 362, 46}, "arrow_left.png"},
    ControlRow{tag::Mic2Next, Kind::kick, Place::cabinetPanel, {362, 30, 376, 46}, "arrow_right.png"},
    ControlRow{38, Kind::onOff, Place::cabinetPanel, {578, 28, 598, 48}, "phase.png"},
    ControlRow{35, Kind::onOff, Place::cabinetPanel, {578, 52, 598, 72}, "micaxis_right.png"},
    ControlRow{22, Kind::onOff, Place::cabinetPanel, {313, 76, 337, 96}, "monostereo.png"},
    // Mixer strips
    ControlRow{41, Kind::slider, Place::monoStrip, {127, 3, 371, 11}, "slider.png", 127, 361},
    ControlRow{30, Kind::slider, Place::stereoStrip, {3, 3, 103, 11}, "slider.png", 3, 93},
    ControlRow{31, Kind::slider, Place::stereoStrip, {127, 3, 227, 11}, "slider.png", 127, 217},
    ControlRow{40, Kind::slider, Place::stereoStrip, {271, 3, 371, 11}, "slider.png", 271, 361},
    ControlRow{39, Kind::slider, Place::stereoStrip, {395, 3, 495, 11}, "slider.png", 395, 485},
};

// Containers: their rectangle in the window and their picture.
struct ContainerSpec {
    Place place;
    gui::Rect rect;
    std::string_view bitmap;
};

inline constexpr std::array kContainers = {
    ContainerSpec{Place::topBar, {0, 0, 650, 30}, "incontainer.png"},
    ContainerSpec{Place::bottomBar, {0, 470, 650, 500}, "outcontainer.png"},
    ContainerSpec{Place::cabinetPanel, {0, 160, 650, 260}, "cabsetcontainer.png"},
    // Strips: in the cabinet panel's coordinates.
    ContainerSpec{Place::monoStrip, {76, 50, 574, 75}, "monocontainer.png"},
    ContainerSpec{Place::stereoStrip, {76, 50, 574, 75}, "stereocontainer.png"},
};

constexpr const ContainerSpec& container(Place place)
{
    for (const auto& c : kContainers)
        if (c.place == place)
            return c;
    return kContainers[0];
}

inline constexpr gui::Rect kAboutBox{25, 48, 625, 462};
inline constexpr gui::Rect kAboutVersion{476, 192, 531, 207};
inline constexpr std::string_view kVersionText = "Ver.1.0.0";
inline constexpr gui::Rect kNoteDisplay{443, 140, 483, 150};

inline constexpr std::array<const char*, 3> kInputChannels = {"IN L", "IN R", "IN LR"};
inline constexpr std::array<const char*, 2> kInputMeterEntries = {"Input Meter ON", "Input Meter OFF"};
inline constexpr std::array<const char*, 9> kFileEntries = {
    "Save Preset", "Load Preset", "-", "Save Bank", "Load Bank", "-", "User Manual", "-", "Doxaro Website"};
inline constexpr std::array<const char*, 5> kCabinets = {
    "Black Tolex (2 x 12)", "Red Tolex (1 x 12)", "Blonde Vintage (1 x 10)", "Iron Grill (1 x 10)",
    "Cloth Grill (1 x 8)"};
inline constexpr std::array<const char*, 4> kMicrophones = {"Dynamic 57", "Dynamic 441", "Condenser 1",
                                                            "Ribbon 1"};

namespace file {
inline constexpr int SavePreset = 0;
inline constexpr int LoadPreset = 1;
inline constexpr int SaveBank = 3;
inline constexpr int LoadBank = 4;
inline constexpr int Manual = 6;
inline constexpr int Website = 8;
} // namespace file

inline constexpr int kPrograms = 24;
inline constexpr int kParameters = 44;
inline constexpr std::string_view kWebsite = "https://www.doxaro.com";
inline constexpr std::string_view kManualName = "OrvandelSelvarine Manual.pdf";

} // namespace editor::layout
