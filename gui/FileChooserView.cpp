#include "gui/FileChooserView.h"

#include "gui/DialogPalette.h"
#include "gui/Font.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <system_error>

namespace gui {

namespace fs = std::filesystem;

namespace {
constexpr int kAreaMargin = 24;   // kept free around the box
constexpr int kMaxWidth = 560;    // box size on large windows
constexpr int kMaxHeight = 440;
constexpr int kRowHeight = 24;    // buttons and the name field
constexpr int kGap = 8;           // between the rows of the layout
constexpr int kButtonWidth = 80;
constexpr int kTextIndent = 6;    // text inside rows and fields

fs::path homeFolder()
{
    const char* home = std::getenv("HOME");
    std::error_code ec;
    if (home && *home && fs::is_directory(home, ec))
        return home;
    return fs::current_path(ec);
}

bool lessIgnoringCase(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) < std::tolower(y);
    });
}

// The text in double quotes.
std::string inQuotes(std::string_view text)
{
    std::string q;
    q.reserve(text.size() + 2);
    q.push_back('"');
    q.append(text);
    q.push_back('"');
    return q;
}

// Text that fits `width`: the end of it, with "..." in front when cut.
std::string fitEnd(const Font& font, const std::string& text, int width)
{
    if (font.textWidth(text) <= width)
        return text;
    std::size_t cut = 0;
    while (cut < text.size() && font.textWidth("..." + text.substr(cut)) > width)
        ++cut;
    return "..." + text.substr(cut);
}

// Text that fits `width`: the start of it, with "..." after when cut.
std::string fitStart(const Font& font, const std::string& text, int width)
{
    if (font.textWidth(text) <= width)
        return text;
    std::string cut = text;
    while (!cut.empty() && font.textWidth(cut + "...") > width)
        cut.pop_back();
    return cut + "...";
}
} // namespace

bool FileChooserView::matches(std::string_view name, std::string_view pattern)
{
    // Iterative glob with backtracking to the last '*'.
    std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    const auto same = [](char a, char b) { return std::tolower((unsigned char)a) == std::tolower((unsigned char)b); };
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::string FileChooserView::replaceQuestion(const std::string& path)
{
    return inQuotes(fs::path(path).filename().string()) + " already exists.\nDo you want to replace it?";
}

FileChooserView::FileChooserView(const Rect& area, Options options, Chosen chosen)
    : View(area), options_(std::move(options)), chosen_(std::move(chosen))
{
    const Font font = Font::normal();
    rowHeight_ = font.lineHeight() + 2 * kRowPadding;

    const int width = std::min(kMaxWidth, area.width() - 2 * kAreaMargin);
    const int height = std::min(kMaxHeight, area.height() - 2 * kAreaMargin);
    box_ = Rect::fromSize(area.left + (area.width() - width) / 2, area.top + (area.height() - height) / 2, width,
                          height);
    const int left = box_.left + kPadding;
    const int right = box_.right - kPadding;
    int y = box_.top + kPadding;
    title_ = {left, y, right, y + font.lineHeight() + 4};
    y = title_.bottom + kGap;
    up_ = {left, y, left + 44, y + kRowHeight};
    path_ = {up_.right + kGap, y, right, y + kRowHeight};

    // From the bottom: buttons and status, the name, the filter.
    const int buttonsTop = box_.bottom - kPadding - kRowHeight;
    cancel_ = {right - kButtonWidth, buttonsTop, right, buttonsTop + kRowHeight};
    ok_ = {cancel_.left - kGap - kButtonWidth, buttonsTop, cancel_.left - kGap, buttonsTop + kRowHeight};
    statusLine_ = {left, buttonsTop, ok_.left - kGap, buttonsTop + kRowHeight};
    const int nameTop = buttonsTop - kGap - kRowHeight;
    nameLabel_ = {left, nameTop, left + font.textWidth("Name:") + kGap, nameTop + kRowHeight};
    nameField_ = {nameLabel_.right, nameTop, right, nameTop + kRowHeight};
    const int filterTop = nameTop - kGap / 2 - font.lineHeight() - 4;
    filter_ = {left, filterTop, right, nameTop - kGap / 2};

    const int listTop = up_.bottom + kGap;
    const int listBottom = filter_.top - kGap / 2;
    visibleRows_ = std::max(1, (listBottom - listTop - 2) / rowHeight_);
    list_ = {left, listTop, right, listTop + visibleRows_ * rowHeight_ + 2};

    std::error_code ec;
    fs::path start = options_.folder;
    if (start.empty() || !fs::is_directory(start, ec))
        start = homeFolder();
    openFolder(start);
}

FileChooserView::~FileChooserView() = default;

void FileChooserView::openFolder(const fs::path& folder, const std::string& selectName)
{
    std::error_code ec;
    fs::path absolute = fs::weakly_canonical(fs::absolute(folder, ec), ec);
    if (absolute.empty())
        absolute = folder;
    std::vector<Entry> folders, files;
    fs::directory_iterator it(absolute, fs::directory_options::skip_permission_denied, ec);
    if (ec) {
        status_ = "This folder cannot be read.";
    } else {
        status_.clear();
        for (; it != fs::directory_iterator(); it.increment(ec)) {
            if (ec)
                break;
            std::string name = it->path().filename().string();
            if (name.empty() || name[0] == '.')
                continue;
            std::error_code typeError;
            if (it->is_directory(typeError))
                folders.push_back({std::move(name), true});
            else if (it->is_regular_file(typeError) && (options_.pattern.empty() || matches(name, options_.pattern)))
                files.push_back({std::move(name), false});
        }
    }
    const auto byName = [](const Entry& a, const Entry& b) { return lessIgnoringCase(a.name, b.name); };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    entries_ = std::move(folders);
    entries_.insert(entries_.end(), files.begin(), files.end());
    folder_ = absolute;
    first_ = 0;
    selected_ = -1;
    for (int i = 0; i < int(entries_.size()); ++i)
        if (!selectName.empty() && entries_[std::size_t(i)].name == selectName)
            select(i);
    invalid();
}

Rect FileChooserView::rowRect(int index) const
{
    if (index < first_ || index >= first_ + visibleRows_ || index >= int(entries_.size()))
        return {};
    const int top = list_.top + 1 + (index - first_) * rowHeight_;
    return {list_.left + 1, top, list_.right - 1 - (scrolls() ? kScrollBarWidth : 0), top + rowHeight_};
}

Rect FileChooserView::scrollTrack() const
{
    return {list_.right - 1 - kScrollBarWidth, list_.top + 1, list_.right - 1, list_.bottom - 1};
}

Rect FileChooserView::scrollThumb() const
{
    const Rect track = scrollTrack();
    const int count = std::max(int(entries_.size()), 1);
    const int height = std::max(12, track.height() * visibleRows_ / count);
    const int top = track.top + (track.height() - height) * first_ / std::max(count - visibleRows_, 1);
    return {track.left + 2, top, track.right - 2, top + height};
}

int FileChooserView::rowAt(Point p) const
{
    for (int i = first_; i < std::min(first_ + visibleRows_, int(entries_.size())); ++i)
        if (rowRect(i).contains(p))
            return i;
    return -1;
}

void FileChooserView::scrollBy(int rows)
{
    const int first = std::clamp(first_ + rows, 0, std::max(int(entries_.size()) - visibleRows_, 0));
    if (first != first_) {
        first_ = first;
        invalid();
    }
}

void FileChooserView::select(int index)
{
    if (entries_.empty())
        return;
    index = std::clamp(index, 0, int(entries_.size()) - 1);
    selected_ = index;
    listHasKeys_ = true;
    const Entry& e = entries_[std::size_t(index)];
    if (!e.folder)
        name_ = e.name;
    if (index < first_)
        scrollBy(index - first_);
    else if (index >= first_ + visibleRows_)
        scrollBy(index - (first_ + visibleRows_ - 1));
    invalid();
}

void FileChooserView::draw(Painter& painter)
{
    namespace palette = dialogPalette;
    const Font font = Font::normal();
    painter.fillRect(size(), palette::shade);
    painter.fillRect(box_, palette::panel);
    painter.frameRect(box_, palette::border);
    painter.drawText(font, options_.title, title_, Alignment::left, palette::folder);
    painter.fillRect({title_.left, title_.bottom + 1, title_.right, title_.bottom + 2}, palette::border);

    palette::drawButton(painter, up_, "Up", false, held_ == Held::up);
    painter.fillRect(path_, palette::well);
    painter.drawText(font, fitEnd(font, folder_.string(), path_.width() - 2 * kTextIndent),
                     {path_.left + kTextIndent, path_.top, path_.right - kTextIndent, path_.bottom}, Alignment::left,
                     palette::text);

    painter.fillRect(list_, palette::well);
    painter.frameRect(list_, palette::border);
    {
        Painter rows = painter.clipped({list_.left + 1, list_.top + 1, list_.right - 1, list_.bottom - 1});
        for (int i = first_; i < std::min(first_ + visibleRows_, int(entries_.size())); ++i) {
            const Rect r = rowRect(i);
            const Entry& e = entries_[std::size_t(i)];
            if (i == selected_)
                rows.fillRect(r, palette::highlight);
            const std::string label = e.folder ? e.name + "/" : e.name;
            const Rect textRect{r.left + kTextIndent, r.top, r.right - kTextIndent, r.bottom};
            rows.drawText(font, fitStart(font, label, textRect.width()), textRect, Alignment::left,
                          e.folder ? palette::folder : palette::text);
        }
        if (entries_.empty())
            rows.drawText(font, options_.pattern.empty() ? "(empty folder)" : "(no matching files here)",
                          {list_.left + kTextIndent, list_.top + 1, list_.right, list_.top + 1 + rowHeight_},
                          Alignment::left, palette::dimText);
        if (scrolls()) {
            rows.fillRect(scrollTrack(), palette::button);
            rows.fillRect(scrollThumb(), palette::border);
        }
    }

    painter.drawText(font, fitStart(font, "Type: " + options_.filterName, filter_.width()), filter_, Alignment::left,
                     palette::dimText);
    painter.drawText(font, "Name:", nameLabel_, Alignment::left, palette::text);
    painter.fillRect(nameField_, palette::well);
    painter.frameRect(nameField_, listHasKeys_ ? palette::button : palette::border);
    const std::string shown = fitEnd(font, name_, nameField_.width() - 2 * kTextIndent - 2);
    const Rect nameText{nameField_.left + kTextIndent, nameField_.top, nameField_.right - kTextIndent,
                        nameField_.bottom};
    painter.drawText(font, shown, nameText, Alignment::left, palette::text);
    if (!listHasKeys_) {
        const int caretX = nameText.left + font.textWidth(shown) + 1;
        painter.fillRect({caretX, nameField_.top + 5, caretX + 1, nameField_.bottom - 5}, palette::text);
    }

    painter.drawText(font, fitStart(font, status_, statusLine_.width()), statusLine_, Alignment::left,
                     palette::warning);
    palette::drawButton(painter, ok_, "OK", true, held_ == Held::ok);
    palette::drawButton(painter, cancel_, "Cancel", false, held_ == Held::cancel);

    if (question_)
        question_->draw(painter);
}

MouseResult FileChooserView::onMouseDown(const MouseEvent& e)
{
    if (question_) {
        const MouseResult r = question_->onMouseDown(e);
        invalid();
        return r == MouseResult::ignored ? MouseResult::handledNoCapture : r;
    }
    if (!e.leftButton())
        return MouseResult::handledNoCapture;
    held_ = up_.contains(e.where) ? Held::up : ok_.contains(e.where) ? Held::ok
                                           : cancel_.contains(e.where) ? Held::cancel : Held::none;
    if (held_ != Held::none) {
        invalid();
        return MouseResult::handled;
    }
    if (nameField_.contains(e.where)) {
        listHasKeys_ = false;
        invalid();
        return MouseResult::handledNoCapture;
    }
    if (list_.contains(e.where)) {
        if (scrolls() && e.where.x >= scrollTrack().left) {
            // The scroll bar: a page towards the click.
            const Rect thumb = scrollThumb();
            if (e.where.y < thumb.top)
                scrollBy(-visibleRows_);
            else if (e.where.y >= thumb.bottom)
                scrollBy(visibleRows_);
            return MouseResult::handledNoCapture;
        }
        const int row = rowAt(e.where);
        if (row < 0)
            return MouseResult::handledNoCapture;
        select(row);
        if (e.doubleClick) {
            const Entry entry = entries_[std::size_t(row)];
            if (entry.folder)
                openFolder(folder_ / entry.name);
            else
                take(entry.name); // may finish: nothing after it
        }
        return MouseResult::handledNoCapture;
    }
    return MouseResult::handledNoCapture;
}

void FileChooserView::onMouseUp(const MouseEvent& e)
{
    if (question_) {
        question_->onMouseUp(e);
        invalid();
        takeQuestionAnswer();
        return;
    }
    const Held held = held_;
    held_ = Held::none;
    invalid();
    if (held == Held::up && up_.contains(e.where))
        openFolder(folder_.parent_path(), folder_.filename().string());
    else if (held == Held::ok && ok_.contains(e.where))
        activate();
    else if (held == Held::cancel && cancel_.contains(e.where))
        finish(std::nullopt);
}

void FileChooserView::onMouseCancelled()
{
    if (question_)
        question_->onMouseCancelled();
    held_ = Held::none;
    invalid();
}

bool FileChooserView::onWheel(const MouseEvent& e)
{
    if (!question_)
        scrollBy(e.wheel > 0 ? -3 : e.wheel < 0 ? 3 : 0);
    return true;
}

bool FileChooserView::onKeyDown(const KeyEvent& e)
{
    if (question_) {
        question_->onKeyDown(e);
        invalid();
        takeQuestionAnswer();
        return true;
    }
    const int count = int(entries_.size());
    switch (e.key) {
    case Key::escape: finish(std::nullopt); return true;
    case Key::enter: activate(); return true;
    case Key::up: select(selected_ < 0 ? 0 : selected_ - 1); return true;
    case Key::down: select(selected_ < 0 ? 0 : selected_ + 1); return true;
    case Key::pageUp: select(std::max(selected_, 0) - visibleRows_); return true;
    case Key::pageDown: select(std::max(selected_, 0) + visibleRows_); return true;
    case Key::home: select(0); return true;
    case Key::end: select(count - 1); return true;
    case Key::left:
        if (listHasKeys_ || name_.empty())
            openFolder(folder_.parent_path(), folder_.filename().string());
        return true;
    case Key::right:
        if ((listHasKeys_ || name_.empty()) && selected_ >= 0 && entries_[std::size_t(selected_)].folder)
            openFolder(folder_ / entries_[std::size_t(selected_)].name);
        return true;
    case Key::character:
        if (e.character == 8 || e.character == 127) {
            if (!name_.empty())
                name_.pop_back();
        } else if (e.character >= 32 && e.character < 127) {
            name_ += char(e.character);
        } else {
            return true;
        }
        listHasKeys_ = false;
        status_.clear();
        invalid();
        return true;
    }
    return true;
}

void FileChooserView::activate()
{
    const bool folderSelected = selected_ >= 0 && entries_[std::size_t(selected_)].folder;
    if (folderSelected && (listHasKeys_ || name_.empty())) {
        openFolder(folder_ / entries_[std::size_t(selected_)].name);
        return;
    }
    if (name_.empty()) {
        status_ = options_.save ? "Type a name for the file." : "Choose a file.";
        invalid();
        return;
    }
    take(name_);
}

void FileChooserView::take(const std::string& typed)
{
    fs::path path;
    if (typed == "~" || typed.rfind("~/", 0) == 0)
        path = homeFolder() / typed.substr(std::min<std::size_t>(2, typed.size()));
    else
        path = fs::path(typed).is_absolute() ? fs::path(typed) : folder_ / typed;
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        name_.clear();
        openFolder(path);
        return;
    }
    if (!options_.save) {
        if (!fs::is_regular_file(path, ec)) {
            status_ = inQuotes(typed) + " was not found.";
            invalid();
            return;
        }
        finish(path.string());
        return;
    }
    if (!options_.defaultExtension.empty() && path.extension().empty())
        path += "." + options_.defaultExtension;
    if (!fs::is_directory(path.parent_path(), ec)) {
        status_ = "That folder does not exist.";
        invalid();
        return;
    }
    if (fs::is_directory(path, ec)) {
        status_ = "A folder has that name.";
        invalid();
        return;
    }
    if (fs::exists(path, ec)) {
        askReplace(path);
        return;
    }
    finish(path.string());
}

void FileChooserView::askReplace(const fs::path& path)
{
    replacing_ = path;
    questionAnswer_ = -1;
    question_ = std::make_unique<MessageBoxView>(
        size(), replaceQuestion(path.string()),
        std::vector<std::string>{"Yes", "No"}, [this](int button) { questionAnswer_ = button; });
    invalid();
}

void FileChooserView::takeQuestionAnswer()
{
    if (questionAnswer_ < 0)
        return;
    const bool replace = questionAnswer_ == 0;
    questionAnswer_ = -1;
    question_.reset();
    invalid();
    if (replace)
        finish(replacing_.string());
}

void FileChooserView::finish(std::optional<std::string> path)
{
    Chosen chosen = std::move(chosen_);
    chosen_ = nullptr;
    if (chosen)
        chosen(std::move(path)); // may destroy this chooser
}

} // namespace gui
