// Reads dialog templates, icon groups and strings out of a program or resource library, so
// tests can compare them with what the interface must hold.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct DialogItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;              // -1 for IDC_STATIC
    std::wstring className;  // "Button", "Edit", "Static" for the predefined ordinals
    std::wstring title;      // text, or "#<n>" for a resource ordinal
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0;
    std::wstring font;
    std::vector<DialogItem> items;
};

// A module opened as resources only; closed when the object goes away.
class ResourceModule {
public:
    explicit ResourceModule(const std::wstring& path);
    ~ResourceModule();
    ResourceModule(const ResourceModule&) = delete;
    ResourceModule& operator=(const ResourceModule&) = delete;

    HMODULE Handle() const { return module_; }
    // Dialog `id` (an extended template) in `language`; throws DriverError when absent.
    DialogTemplate Dialog(int id, LANGID language) const;
    // The (width, bits per pixel) of each image of icon group `id`.
    std::vector<std::pair<int, int>> IconImages(int id) const;
    // String `id`, or empty.
    std::wstring String(UINT id) const;
    // The raw bytes of resource `id` of `type`; empty when absent.
    std::string Raw(LPCWSTR type, LPCWSTR id) const;

private:
    HMODULE module_;
};

}  // namespace e2e
