// The boxes drawn inside the editor: the message box (wrapping, answers by
// mouse and keys, nothing below takes clicks) and the file chooser (folders
// and filtered files, navigation by mouse and keys, open and save names, the
// replace question, cancelling, scrolling long lists).
#include "TestBitmaps.h"

#include "gui/FileChooserView.h"
#include "gui/Font.h"
#include "gui/Frame.h"
#include "gui/KickButton.h"
#include "gui/MessageBoxView.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include <gtest/gtest.h>

using namespace gui;
namespace fs = std::filesystem;

namespace {

void key(Frame& f, Key k, char32_t c = 0)
{
    KeyEvent e;
    e.key = k;
    e.character = c;
    f.keyDown(e);
}

void type(Frame& f, std::string_view text)
{
    for (char c : text)
        key(f, Key::character, char32_t(c));
}

Point middle(const Rect& r) { return {r.left + r.width() / 2, r.top + r.height() / 2}; }

void clickAt(Frame& f, const Rect& r)
{
    const Point p = middle(r);
    guitest::click(f, p.x, p.y);
}

void doubleClickAt(Frame& f, const Rect& r)
{
    const Point p = middle(r);
    guitest::click(f, p.x, p.y);
    guitest::press(f, p.x, p.y, 0, true);
    guitest::release(f, p.x, p.y);
}

// --- Message box -----------------------------------------------------------------------

struct BoxFixture {
    Frame frame{650, 500};
    std::unique_ptr<MessageBoxView> box;
    std::vector<int> answers;

    BoxFixture(std::string text, std::vector<std::string> buttons)
    {
        box = std::make_unique<MessageBoxView>(frame.size(), std::move(text), std::move(buttons),
                                               [this](int b) { answers.push_back(b); });
        frame.setModalView(box.get(), nullptr);
        frame.redrawDirty();
    }
    ~BoxFixture() { frame.clearModalView(); }
};

TEST(MessageBoxView, WrapsBetweenWordsAtLineBreaksAndInsideOverlongWords)
{
    const Font font = Font::normal();
    const std::string longWord(80, 'w');
    const auto lines = MessageBoxView::wrap("The file at \"/home/user/a rather long folder name/OrvandelSelvarine "
                                            "Manual.pdf\" doesn't exist!\nSecond paragraph " + longWord,
                                            200);
    ASSERT_GE(lines.size(), 4u);
    for (const auto& line : lines)
        EXPECT_LE(font.textWidth(line), 200) << line;
    EXPECT_EQ(lines.front().rfind("The file at", 0), 0u);
    // Nothing is lost: the words come back in order.
    std::string joined;
    for (const auto& line : lines)
        joined += line;
    EXPECT_NE(joined.find(longWord), std::string::npos);
    EXPECT_NE(joined.find("exist!Second paragraph"), std::string::npos) << "the line break starts a new line";
}

TEST(MessageBoxView, BoxFitsTheWindowAndTheTextFitsTheBox)
{
    BoxFixture f(std::string(3000, 'x') + " end", {"OK"});
    EXPECT_TRUE(f.frame.size().contains(f.box->box().topLeft()));
    EXPECT_LE(f.box->box().right, 650);
    EXPECT_LE(f.box->box().bottom, 500);
    const Rect ok = f.box->buttonRect(0);
    EXPECT_GE(ok.top, f.box->box().top + int(f.box->lines().size()) * Font::normal().lineHeight());
    EXPECT_LE(ok.bottom, f.box->box().bottom);
}

TEST(MessageBoxView, ShadesTheWindowAroundTheBox)
{
    Frame frame(650, 500);
    frame.setBackground(guitest::solid(650, 500, colors::white));
    frame.redrawDirty();
    const std::uint32_t before = frame.image().pixel(5, 5);
    MessageBoxView box(frame.size(), "Shade", {"OK"}, [](int) {});
    frame.setModalView(&box, nullptr);
    frame.redrawDirty();
    const std::uint32_t after = frame.image().pixel(5, 5);
    EXPECT_LT(after >> 24, before >> 24) << "darker outside the box";
    EXPECT_GT(after >> 24, 0u) << "but the editor still shows through";
    frame.clearModalView();
}

TEST(MessageBoxView, AnswersByClickEnterAndEscape)
{
    struct Case {
        std::vector<std::string> buttons;
        std::string gesture; // "click N", "enter", "escape", "right enter"
        int answer;
    };
    const Case cases[] = {
        {{"OK"}, "click 0", 0},    {{"OK"}, "enter", 0},          {{"OK"}, "escape", 0},
        {{"Yes", "No"}, "click 1", 1}, {{"Yes", "No"}, "enter", 0}, {{"Yes", "No"}, "escape", 1},
        {{"Yes", "No"}, "right enter", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gesture + " with " + std::to_string(c.buttons.size()) + " buttons");
        BoxFixture f("Question?", c.buttons);
        if (c.gesture.rfind("click", 0) == 0)
            clickAt(f.frame, f.box->buttonRect(std::stoi(c.gesture.substr(6))));
        else if (c.gesture == "enter")
            key(f.frame, Key::enter);
        else if (c.gesture == "escape")
            key(f.frame, Key::escape);
        else {
            key(f.frame, Key::right);
            key(f.frame, Key::enter);
        }
        ASSERT_EQ(f.answers.size(), 1u);
        EXPECT_EQ(f.answers[0], c.answer);
        // Told once only.
        key(f.frame, Key::enter);
        EXPECT_EQ(f.answers.size(), 1u);
    }
}

TEST(MessageBoxView, PressOnAButtonReleasedElsewhereDoesNotAnswer)
{
    BoxFixture f("Text", {"OK"});
    const Point p = middle(f.box->buttonRect(0));
    guitest::press(f.frame, p.x, p.y);
    guitest::move(f.frame, 5, 5);
    guitest::release(f.frame, 5, 5);
    EXPECT_TRUE(f.answers.empty());
}

TEST(MessageBoxView, ControlsBelowTakeNoClicksWhileItIsUp)
{
    Frame frame(650, 500);
    guitest::RecordingListener listener;
    // A button under the box's text and one in a corner outside the box.
    auto* under = frame.add(std::make_unique<KickButton>(Rect{300, 240, 350, 260}, &listener, 1,
                                                         guitest::solid(50, 40, {200, 0, 0, 255})));
    auto* corner = frame.add(std::make_unique<KickButton>(Rect{0, 0, 40, 40}, &listener, 2,
                                                          guitest::solid(40, 80, {0, 200, 0, 255})));
    std::vector<int> answers;
    MessageBoxView box(frame.size(), "Blocking", {"OK"}, [&](int b) { answers.push_back(b); });
    frame.setModalView(&box, nullptr);
    guitest::click(frame, 320, 250);
    guitest::click(frame, 10, 10);
    EXPECT_TRUE(listener.log.empty());
    EXPECT_TRUE(answers.empty());
    frame.clearModalView();
    guitest::click(frame, 10, 10);
    EXPECT_FALSE(listener.log.empty()) << "the controls work again once the box is down";
    (void)under;
    (void)corner;
}

// --- File chooser ----------------------------------------------------------------------------

// A folder of the test process: sub-folders, matching and other files, hidden ones.
struct ChooserFixture {
    fs::path root = fs::temp_directory_path() /
                    ("selvarine-chooser-" + std::to_string(getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    Frame frame{650, 500};
    std::unique_ptr<FileChooserView> chooser;
    std::vector<std::optional<std::string>> answers;

    ChooserFixture()
    {
        fs::remove_all(root);
        for (const char* folder : {"Amps", "banks", ".hidden"})
            fs::create_directories(root / folder);
        for (const char* file : {"clean.sxp", "Lead.SXP", "notes.txt", "crunch.sxp", ".secret.sxp", "Amps/deep.sxp"})
            std::ofstream(root / file) << "x";
    }
    ~ChooserFixture()
    {
        frame.clearModalView();
        chooser.reset();
        fs::remove_all(root);
    }
    void open(bool save, fs::path folder = {})
    {
        FileChooserView::Options o{save ? "Save Preset" : "Load Preset", "D-OrvandelSelvarine Preset (*.sxp)",
                                   "*.sxp", "sxp", save, folder.empty() ? root : folder};
        chooser = std::make_unique<FileChooserView>(frame.size(), o,
                                                    [this](std::optional<std::string> p) { answers.push_back(p); });
        frame.setModalView(chooser.get(), nullptr);
        frame.redrawDirty();
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto& e : chooser->entries())
            out.push_back(e.folder ? e.name + "/" : e.name);
        return out;
    }
    int row(const std::string& name) const
    {
        for (int i = 0; i < int(chooser->entries().size()); ++i)
            if (chooser->entries()[std::size_t(i)].name == name)
                return i;
        return -1;
    }
};

TEST(FileChooserView, GlobPatternsIgnoreCase)
{
    struct Case {
        const char* name;
        const char* pattern;
        bool match;
    };
    const Case cases[] = {
        {"clean.sxp", "*.sxp", true}, {"CLEAN.SXP", "*.sxp", true}, {"clean.sxpx", "*.sxp", false},
        {"clean.sxb", "*.sxp", false}, {".sxp", "*.sxp", true},      {"a.b.wav", "*.wav", true},
        {"x1.wav", "x?.wav", true},    {"x12.wav", "x?.wav", false}, {"anything", "*", true},
        {"", "*", true},               {"sxp", "*.sxp", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileChooserView::matches(c.name, c.pattern), c.match) << c.name << " ~ " << c.pattern;
}

TEST(FileChooserView, ListsFoldersFirstThenMatchingFilesHiddenOnesLeftOut)
{
    ChooserFixture f;
    f.open(false);
    EXPECT_EQ(f.chooser->folder(), fs::canonical(f.root));
    EXPECT_EQ(f.names(), (std::vector<std::string>{"Amps/", "banks/", "clean.sxp", "crunch.sxp", "Lead.SXP"}));
    EXPECT_FALSE(f.chooser->scrolls());
}

TEST(FileChooserView, FoldersOpenByDoubleClickAndUpComesBackWithTheFolderSelected)
{
    ChooserFixture f;
    f.open(false);
    doubleClickAt(f.frame, f.chooser->rowRect(f.row("Amps")));
    EXPECT_EQ(f.chooser->folder(), fs::canonical(f.root / "Amps"));
    EXPECT_EQ(f.names(), (std::vector<std::string>{"deep.sxp"}));
    clickAt(f.frame, f.chooser->upButtonRect());
    EXPECT_EQ(f.chooser->folder(), fs::canonical(f.root));
    EXPECT_EQ(f.chooser->selected(), f.row("Amps"));
    EXPECT_TRUE(f.answers.empty());
}

TEST(FileChooserView, OpenTakesAClickedFileWithOkOrADoubleClickedOne)
{
    ChooserFixture f;
    f.open(false);
    clickAt(f.frame, f.chooser->rowRect(f.row("crunch.sxp")));
    EXPECT_EQ(f.chooser->name(), "crunch.sxp");
    EXPECT_TRUE(f.answers.empty());
    clickAt(f.frame, f.chooser->okButtonRect());
    ASSERT_EQ(f.answers.size(), 1u);
    EXPECT_EQ(f.answers[0], (fs::canonical(f.root) / "crunch.sxp").string());

    ChooserFixture g;
    g.open(false);
    doubleClickAt(g.frame, g.chooser->rowRect(g.row("Lead.SXP")));
    ASSERT_EQ(g.answers.size(), 1u);
    EXPECT_EQ(g.answers[0], (fs::canonical(g.root) / "Lead.SXP").string());
}

TEST(FileChooserView, OpenRefusesANameThatIsNotThereAndTakesTypedPaths)
{
    ChooserFixture f;
    f.open(false);
    type(f.frame, "missing.sxp");
    key(f.frame, Key::enter);
    EXPECT_TRUE(f.answers.empty());
    EXPECT_NE(f.chooser->status().find("missing.sxp"), std::string::npos);
    // Backspace all of it, then a path relative to the folder.
    for (int i = 0; i < 11; ++i)
        key(f.frame, Key::character, 8);
    EXPECT_EQ(f.chooser->name(), "");
    type(f.frame, "Amps/deep.sxp");
    key(f.frame, Key::enter);
    ASSERT_EQ(f.answers.size(), 1u);
    EXPECT_EQ(f.answers[0], (fs::canonical(f.root) / "Amps/deep.sxp").string());
}

TEST(FileChooserView, TypingAFolderNameOpensIt)
{
    ChooserFixture f;
    f.open(true);
    type(f.frame, "banks");
    key(f.frame, Key::enter);
    EXPECT_EQ(f.chooser->folder(), fs::canonical(f.root / "banks"));
    EXPECT_EQ(f.chooser->name(), "");
    EXPECT_TRUE(f.answers.empty());
}

TEST(FileChooserView, SaveAddsTheDefaultExtensionBeforeLookingForAnExistingFile)
{
    struct Case {
        std::string typed;
        std::string saved; // "" when the replace question comes up
    };
    const Case cases[] = {
        {"new", "new.sxp"},           // extension added, no such file
        {"new.sxp", "new.sxp"},       // typed with it
        {"other.txt", "other.txt"},   // an extension of its own stays
        {"clean", ""},                // clean.sxp exists: asked first
        {"Amps/deep", ""},            // in a sub-folder, exists
        {"notes.txt", ""},            // exists with its own extension
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ChooserFixture f;
        f.open(true);
        type(f.frame, c.typed);
        key(f.frame, Key::enter);
        if (!c.saved.empty()) {
            EXPECT_EQ(f.chooser->question(), nullptr);
            ASSERT_EQ(f.answers.size(), 1u);
            EXPECT_EQ(f.answers[0], (fs::canonical(f.root) / c.saved).string());
        } else {
            ASSERT_NE(f.chooser->question(), nullptr);
            EXPECT_TRUE(f.answers.empty());
        }
    }
}

TEST(FileChooserView, ReplaceQuestionNoReturnsToTheChooserYesSaves)
{
    ChooserFixture f;
    f.open(true);
    type(f.frame, "clean");
    key(f.frame, Key::enter);
    MessageBoxView* q = f.chooser->question();
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->text(), "\"clean.sxp\" already exists.\nDo you want to replace it?");
    // While asked, the list takes no clicks.
    clickAt(f.frame, f.chooser->cancelButtonRect());
    EXPECT_TRUE(f.answers.empty());
    ASSERT_NE(f.chooser->question(), nullptr);
    clickAt(f.frame, q->buttonRect(1)); // "No"
    EXPECT_EQ(f.chooser->question(), nullptr);
    EXPECT_TRUE(f.answers.empty());
    // Escape on the question is "No" as well; Enter is "Yes".
    key(f.frame, Key::enter);
    ASSERT_NE(f.chooser->question(), nullptr);
    key(f.frame, Key::escape);
    EXPECT_EQ(f.chooser->question(), nullptr);
    EXPECT_TRUE(f.answers.empty());
    key(f.frame, Key::enter);
    clickAt(f.frame, f.chooser->question()->buttonRect(0)); // "Yes"
    ASSERT_EQ(f.answers.size(), 1u);
    EXPECT_EQ(f.answers[0], (fs::canonical(f.root) / "clean.sxp").string());
}

TEST(FileChooserView, CancelAndEscapeAnswerNothing)
{
    for (bool escape : {false, true}) {
        ChooserFixture f;
        f.open(true);
        type(f.frame, "new");
        if (escape)
            key(f.frame, Key::escape);
        else
            clickAt(f.frame, f.chooser->cancelButtonRect());
        ASSERT_EQ(f.answers.size(), 1u);
        EXPECT_FALSE(f.answers[0].has_value());
    }
}

TEST(FileChooserView, ArrowKeysWalkTheListAndTheFolders)
{
    ChooserFixture f;
    f.open(false);
    key(f.frame, Key::down); // Amps/
    key(f.frame, Key::down); // banks/
    EXPECT_EQ(f.chooser->selected(), 1);
    EXPECT_EQ(f.chooser->name(), "") << "a folder does not go into the name";
    key(f.frame, Key::down); // clean.sxp
    EXPECT_EQ(f.chooser->name(), "clean.sxp");
    key(f.frame, Key::home);
    key(f.frame, Key::right); // into Amps
    EXPECT_EQ(f.chooser->folder(), fs::canonical(f.root / "Amps"));
    key(f.frame, Key::left); // back up, Amps selected
    EXPECT_EQ(f.chooser->folder(), fs::canonical(f.root));
    EXPECT_EQ(f.chooser->selected(), 0);
    key(f.frame, Key::enter); // Enter on a selected folder opens it
    EXPECT_EQ(f.chooser->folder(), fs::canonical(f.root / "Amps"));
    key(f.frame, Key::end);
    key(f.frame, Key::enter);
    ASSERT_EQ(f.answers.size(), 1u);
    EXPECT_EQ(f.answers[0], (fs::canonical(f.root) / "Amps/deep.sxp").string());
}

TEST(FileChooserView, LongListsScrollByKeysWheelAndBar)
{
    ChooserFixture f;
    for (int i = 0; i < 60; ++i)
        std::ofstream(f.root / ("preset" + std::to_string(100 + i) + ".sxp")) << "x";
    f.open(false);
    ASSERT_TRUE(f.chooser->scrolls());
    const int count = int(f.chooser->entries().size());
    key(f.frame, Key::end);
    EXPECT_EQ(f.chooser->selected(), count - 1);
    EXPECT_EQ(f.chooser->firstVisible(), count - f.chooser->visibleRows());
    EXPECT_FALSE(f.chooser->rowRect(count - 1).empty());
    EXPECT_TRUE(f.chooser->rowRect(0).empty());
    key(f.frame, Key::pageUp);
    EXPECT_EQ(f.chooser->selected(), count - 1 - f.chooser->visibleRows());
    key(f.frame, Key::home);
    EXPECT_EQ(f.chooser->firstVisible(), 0);
    const Point inList = middle(f.chooser->listRect());
    guitest::wheel(f.frame, inList.x, inList.y, -1.0f);
    EXPECT_EQ(f.chooser->firstVisible(), 3);
    // A click on the bar below the thumb goes a page down.
    const Rect list = f.chooser->listRect();
    guitest::click(f.frame, list.right - 4, list.bottom - 4);
    EXPECT_EQ(f.chooser->firstVisible(), 3 + f.chooser->visibleRows());
    // Every row in view lies inside the list.
    for (int i = f.chooser->firstVisible(); i < f.chooser->firstVisible() + f.chooser->visibleRows(); ++i) {
        const Rect r = f.chooser->rowRect(i);
        EXPECT_EQ(r.intersection(list), r);
    }
}

TEST(FileChooserView, FitsTheEditorWindowAndStartsAtHomeWhenTheFolderIsGone)
{
    ChooserFixture f;
    f.open(true, f.root / "no such folder");
    const Rect box = f.chooser->box();
    EXPECT_EQ(box.intersection({0, 0, 650, 500}), box);
    for (const Rect& r : {f.chooser->listRect(), f.chooser->nameFieldRect(), f.chooser->okButtonRect(),
                          f.chooser->cancelButtonRect(), f.chooser->upButtonRect()})
        EXPECT_EQ(r.intersection(box), r);
    EXPECT_NE(f.chooser->folder(), f.root / "no such folder");
    EXPECT_TRUE(fs::is_directory(f.chooser->folder()));
}

} // namespace
