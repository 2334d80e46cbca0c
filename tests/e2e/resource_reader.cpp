#include "resource_reader.h"

#include <cstring>

#include "driver.h"

namespace e2e {

namespace {

class Cursor {
public:
    Cursor(const BYTE* data, size_t size) : data_(data), size_(size) {}

    template <typename T>
    T Take() {
        if (pos_ + sizeof(T) > size_) {
            throw DriverError("resource ends early");
        }
        T value;
        std::memcpy(&value, data_ + pos_, sizeof(T));
        pos_ += sizeof(T);
        return value;
    }

    std::wstring TakeString() {
        std::wstring text;
        for (WORD c = Take<WORD>(); c != 0; c = Take<WORD>()) {
            text += static_cast<wchar_t>(c);
        }
        return text;
    }

    // A string or an ordinal (0xFFFF followed by the number), written as "#<n>".
    std::wstring TakeNameOrOrdinal() {
        const WORD first = Take<WORD>();
        if (first == 0) {
            return std::wstring();
        }
        if (first == 0xFFFF) {
            return L"#" + std::to_wstring(Take<WORD>());
        }
        std::wstring text(1, static_cast<wchar_t>(first));
        return text + TakeString();
    }

    void AlignTo(size_t n) { pos_ = (pos_ + n - 1) / n * n; }
    void Skip(size_t n) { pos_ += n; }

private:
    const BYTE* data_;
    size_t size_;
    size_t pos_ = 0;
};

// The class a template names, by ordinal or by name in any letter case, spelled one way.
std::wstring PredefinedClass(const std::wstring& name) {
    const wchar_t* const known[] = {L"Button",  L"Edit",      L"Static",
                                    L"ListBox", L"ScrollBar", L"ComboBox"};
    for (int i = 0; i < 6; ++i) {
        if (lstrcmpiW(name.c_str(), known[i]) == 0 || name == L"#" + std::to_wstring(0x80 + i)) {
            return known[i];
        }
    }
    return name;
}

}  // namespace

ResourceModule::ResourceModule(const std::wstring& path)
    : module_(LoadLibraryExW(path.c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {
    if (module_ == nullptr) {
        throw DriverError("cannot open " + Utf8(path) + " as resources");
    }
}

ResourceModule::~ResourceModule() {
    FreeLibrary(module_);
}

std::string ResourceModule::Raw(LPCWSTR type, LPCWSTR id) const {
    const HRSRC found = FindResourceW(module_, id, type);
    if (found == nullptr) {
        return std::string();
    }
    const HGLOBAL loaded = LoadResource(module_, found);
    const void* data = LockResource(loaded);
    return std::string(static_cast<const char*>(data), SizeofResource(module_, found));
}

DialogTemplate ResourceModule::Dialog(int id, LANGID language) const {
    const HRSRC found = FindResourceExW(module_, RT_DIALOG, MAKEINTRESOURCEW(id), language);
    if (found == nullptr) {
        throw DriverError("no dialog " + std::to_string(id) + " in language " +
                          std::to_string(language));
    }
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
    Cursor in(data, SizeofResource(module_, found));
    if (in.Take<WORD>() != 1 || in.Take<WORD>() != 0xFFFF) {
        throw DriverError("dialog " + std::to_string(id) + " is not an extended template");
    }
    DialogTemplate t;
    in.Take<DWORD>();  // help id
    t.exStyle = in.Take<DWORD>();
    t.style = in.Take<DWORD>();
    const WORD count = in.Take<WORD>();
    t.x = in.Take<short>();
    t.y = in.Take<short>();
    t.cx = in.Take<short>();
    t.cy = in.Take<short>();
    in.TakeNameOrOrdinal();  // menu
    in.TakeNameOrOrdinal();  // class
    t.caption = in.TakeString();
    if (t.style & (DS_SETFONT | DS_SHELLFONT)) {
        t.pointSize = in.Take<WORD>();
        in.Take<WORD>();  // weight
        in.Take<BYTE>();  // italic
        in.Take<BYTE>();  // character set
        t.font = in.TakeString();
    }
    for (WORD i = 0; i < count; ++i) {
        in.AlignTo(4);
        DialogItem item;
        in.Take<DWORD>();  // help id
        item.exStyle = in.Take<DWORD>();
        item.style = in.Take<DWORD>();
        item.x = in.Take<short>();
        item.y = in.Take<short>();
        item.cx = in.Take<short>();
        item.cy = in.Take<short>();
        item.id = static_cast<int>(in.Take<DWORD>());
        if (item.id == 0xFFFF) {
            item.id = -1;
        }
        item.className = PredefinedClass(in.TakeNameOrOrdinal());
        item.title = in.TakeNameOrOrdinal();
        in.Skip(in.Take<WORD>());
        t.items.push_back(item);
    }
    return t;
}

std::vector<std::pair<int, int>> ResourceModule::IconImages(int id) const {
    const std::string raw = Raw(RT_GROUP_ICON, MAKEINTRESOURCEW(id));
    if (raw.empty()) {
        throw DriverError("no icon group " + std::to_string(id));
    }
    Cursor in(reinterpret_cast<const BYTE*>(raw.data()), raw.size());
    in.Take<WORD>();
    in.Take<WORD>();
    const WORD count = in.Take<WORD>();
    std::vector<std::pair<int, int>> images;
    for (WORD i = 0; i < count; ++i) {
        const BYTE width = in.Take<BYTE>();
        in.Skip(3);       // height, colours, reserved
        in.Take<WORD>();  // planes
        const WORD bits = in.Take<WORD>();
        in.Take<DWORD>();  // size
        in.Take<WORD>();   // id
        images.emplace_back(width == 0 ? 256 : width, bits);
    }
    return images;
}

std::wstring ResourceModule::String(UINT id) const {
    const wchar_t* text = nullptr;
    const int n = LoadStringW(module_, id, reinterpret_cast<LPWSTR>(&text), 0);
    return n > 0 ? std::wstring(text, static_cast<size_t>(n)) : std::wstring();
}

}  // namespace e2e
