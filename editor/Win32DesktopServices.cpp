#include "editor/DesktopServices.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <string>

namespace editor {
namespace {

class Win32DesktopServices final : public PlatformServices {
public:
    void chooseFile(const FileDialog& d, void* owner, FileChosen done) override
    {
        char path[MAX_PATH + 1] = {};
        // One description and one pattern, each ended by a zero, the list by two.
        std::string filter = d.filterName;
        filter.push_back('\0');
        filter += d.pattern;
        filter.push_back('\0');
        filter.push_back('\0');
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = static_cast<HWND>(owner);
        ofn.lpstrFilter = filter.c_str();
        ofn.lpstrFile = path;
        ofn.nMaxFile = MAX_PATH;
        ofn.lpstrTitle = d.title.c_str();
        ofn.lpstrDefExt = d.defaultExtension.c_str();
        ofn.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                    (d.save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
        const BOOL ok = d.save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
        done(ok ? std::optional<std::string>(path) : std::nullopt);
    }

    void showMessage(const std::string& text, void* owner) override
    {
        MessageBoxA(static_cast<HWND>(owner), text.c_str(), "", MB_OK);
    }

    void openDocument(const std::string& path) override
    {
        ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }

    void openUrl(const std::string& url) override
    {
        ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
};

} // namespace

std::unique_ptr<PlatformServices> makeDesktopServices() { return std::make_unique<Win32DesktopServices>(); }

} // namespace editor
